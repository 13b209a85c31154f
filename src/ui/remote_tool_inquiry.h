// Asking the printer itself through the remote-setup tool. The tool is
// started with a global atom and an exchange file; it deletes the atom
// once its answer is in the file, and the window that asked polls for that
// on a timer. Each kind of inquiry has its own verb, prepares the file its
// own way and reads its own answer.
#pragma once

#include "core/ui_session.h"

#include <windows.h>

constexpr UINT_PTR kRemoteToolTimer = 13;
constexpr UINT kRemoteToolTickMs = 500;
// Two minutes of ticks: a tool that never answers is given up on.
constexpr UINT kRemoteToolTickLimit = 241;

struct RemoteToolInquiry {
    WCHAR exchangePath[MAX_PATH];
    const WCHAR* atomName;   // null unless the tool is waited for
    UINT ticks;
};

// Writes what the tool needs into the exchange file before it starts,
// including a result key that says "no answer" until the tool replaces it.
// FALSE when the file cannot be written.
using PrepareExchangeFile = BOOL (*)(const WCHAR* exchangePath, const UiSession* session);

// Starts the tool for the session's printer ("<verb> <atom> "<exchange
// file>" <printer>") and the window's timer. FALSE when the atom, the
// exchange file or the start fails; nothing then runs and no atom is left.
BOOL StartRemoteToolInquiry(HWND window, const UiSession* session, const WCHAR* verb,
                            PrepareExchangeFile prepare, RemoteToolInquiry* inquiry);

// Whether the wait goes on after a tick: the tool still holds its atom and
// the limit is not reached. ticks counts the tick just taken.
bool RemoteToolKeepsWaiting(bool atomPresent, UINT ticks);

// One timer tick: TRUE when the wait has just ended (the timer and the atom
// are gone; what the tool answered is in inquiry->exchangePath), FALSE
// while it goes on or when no inquiry runs.
BOOL RemoteToolInquiryEnded(HWND window, RemoteToolInquiry* inquiry);

// Abandons a running inquiry (its window closes): the timer and the atom
// go, so that the next inquiry starts clean.
void StopRemoteToolInquiry(HWND window, RemoteToolInquiry* inquiry);
