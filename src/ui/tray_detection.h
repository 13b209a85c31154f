// Asking the printer itself which options, memory, tray papers and serial
// number it has: the remote-setup tool is started with a global atom and
// an exchange file; it removes the atom when it has written its answer
// into the file, and the page polls for that on a timer.
#pragma once

#include "core/ui_session.h"
#include "settings/driver_devmode.h"

#include <windows.h>

constexpr UINT_PTR kDetectionTimer = 13;
constexpr UINT kDetectionTickMs = 500;
// Two minutes of ticks: a tool that never answers is given up on.
constexpr UINT kDetectionTickLimit = 241;
constexpr int kSerialNumberChars = 16;

struct TrayDetection {
    BYTE state;        // kDetectionRunning while the tool works
    UINT ticks;
    ATOM atom;
};
constexpr BYTE kDetectionIdle = 0;
constexpr BYTE kDetectionRunning = 3;

enum DetectionOutcome { kDetectionWaiting, kDetectionSucceeded, kDetectionFailed };

// Whether the page keeps waiting after a tick: the tool still holds its
// atom and the limit is not reached. ticks counts the tick just taken.
bool DetectionKeepsWaiting(bool atomPresent, UINT ticks);

// The installed memory of a "DIMM" answer ("slot,kilobytes"), in whole
// megabytes rounded up. FALSE when there is no readable second field or
// it does not fit the memory field.
BOOL ParseDimmMegabytes(const WCHAR* value, WORD* megabytes);

// One tray's answer ("paper,trayId,..."): the paper keyword becomes its
// paper code (-1 for a paper the driver does not know); the tray id
// ("UNKNOWN" or 1-4) is taken only when withIds. FALSE for an empty answer,
// which leaves the entry alone.
BOOL ParseTrayAnswer(const WCHAR* value, BOOL withIds, TrayPaperEntry* entry);

// Starts the tool for the session's printer: a fresh atom, the exchange
// file prepared, the tool launched, the page's timer started. FALSE when
// the atom or the exchange file could not be made; nothing then runs.
BOOL StartTrayDetection(HWND page, UiSession* session, TrayDetection* detection);

// One timer tick. When the wait ends the timer and the atom are gone; a
// success has put the printer's answer into the session's settings and
// serial (at least kSerialNumberChars + 1 characters).
DetectionOutcome ContinueTrayDetection(HWND page, UiSession* session, TrayDetection* detection,
                                       WCHAR* serial);

// Abandons a running detection (the page closes).
void StopTrayDetection(HWND page, TrayDetection* detection);

// Reads a successful answer from the exchange file into priv and serial.
void ReadDetectedSettings(const WCHAR* exchangePath, PrivateSettings* priv, WCHAR* serial);

// Whether the tool can reach a printer on this port: not on files, serial
// or parallel ports or the fax port; on USB only with the tool's USB
// helper installed.
bool PortAllowsDetection(const WCHAR* port, bool usbHelperInstalled);

// Whether the page offers detection for the session's printer: the tool is
// available, the printer is local and its port allows it.
BOOL IsDetectionOffered(const UiSession* session);
