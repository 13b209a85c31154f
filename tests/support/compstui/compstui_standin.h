// A stand-in for the common property-sheet host, for tests and
// demonstrations; never shipped. Placed beside a program as
// "compstui.dll", it is loaded instead of the platform's (whose page
// insertion and result delivery are stubs). It runs the reason sequence on
// the callback it is given, builds a real modeless property sheet from the
// pages the callback adds, delivers SET_RESULT when a page reports its
// result, and records every call.
//
// Drive the sheet from a script: it runs on the sheet's thread once the
// sheet exists and acts as a user would (messages, clicks, PSM_PRESSBUTTON).
// Without a script the sheet waits for its user. With the environment
// variable KV_SHEET_TOUR naming a directory, a tour shows each page and
// dialog in turn and waits for a screenshot of each (see tools/show-sheets.sh).
#pragma once

#include <windows.h>
#include <compstui.h>

constexpr int kStandInMaxReasons = 16;
constexpr int kStandInMaxPages = 8;

struct StandInPage {
    UINT function;              // CPSFUNC_INSERT_PSUIPAGEW or CPSFUNC_ADD_PROPSHEETPAGEW
    LPARAM position;            // insert position as passed
    WORD insertSize;            // INSERTPSUIPAGE_INFO cbSize, 0 for an add
    BYTE insertType;
    BYTE insertMode;
    DWORD pageSize;             // the page structure's dwSize
    DWORD pageFlags;
    WORD templateId;
    WCHAR title[81];
    HANDLE handle;              // what the host answered
};

struct StandInSetResult {
    HANDLE page;
    LRESULT result;
    LONG answer;                // the callback's answer to SET_RESULT
};

struct StandInRecord {
    int calls;
    BYTE initHeader[64];        // the header lParamInit pointed to (its cbSize bytes)
    DWORD resultOnEntry;        // the caller's result cell when the host was called
    LONG initAnswer;            // what the callback returned for INIT
    int reasons[kStandInMaxReasons];     // reasons delivered, in order
    LONG answers[kStandInMaxReasons];    // and the callback's answers
    int reasonCount;
    DWORD headerFlags;          // the info header after GET_INFO_HEADER
    WCHAR headerTitle[64];
    WORD headerIcon;
    BOOL headerInstance;        // hInst was set
    int pageCount;              // pages in sheet order
    StandInPage pages[kStandInMaxPages];
    int setResultCount;
    StandInSetResult setResults[kStandInMaxPages];
    BOOL sheetShown;
    LPARAM destroyParam;
    double firstPaintMs;        // INIT delivered to the first page painted; -1 when never
    LONG returned;              // what CommonPropertySheetUIW returned
};

typedef void (*StandInScript)(HWND sheet, void* context);

extern "C" {
typedef StandInRecord* (*StandInRecordFn)();
// Script for the next sheets (null: the sheet waits for its user).
typedef void (*StandInSetScriptFn)(StandInScript script, void* context);
// The host refuses the page additions from this count on (-1: none).
typedef void (*StandInRefusePagesFn)(int fromPage);
}
