// Asking the printer itself which options, memory, tray papers and serial
// number it has, through the remote-setup tool ("OPT" inquiry).
#pragma once

#include "core/ui_session.h"
#include "settings/driver_devmode.h"
#include "ui/remote_tool_inquiry.h"

#include <windows.h>

constexpr int kSerialNumberChars = 16;

enum DetectionOutcome { kDetectionWaiting, kDetectionSucceeded, kDetectionFailed };

// The installed memory of a "DIMM" answer ("slot,kilobytes"), in whole
// megabytes rounded up. FALSE when there is no readable second field or
// it does not fit the memory field.
BOOL ParseDimmMegabytes(const WCHAR* value, WORD* megabytes);

// One tray's answer ("paper,trayId,..."): the paper keyword becomes its
// paper code (-1 for a paper the driver does not know); the tray id
// ("UNKNOWN" or 1-4) is taken only when withIds. FALSE for an empty answer,
// which leaves the entry alone.
BOOL ParseTrayAnswer(const WCHAR* value, BOOL withIds, TrayPaperEntry* entry);

// Starts the tool for the session's printer and the page's timer; FALSE
// when it could not be asked (StartRemoteToolInquiry).
BOOL StartTrayDetection(HWND page, const UiSession* session, RemoteToolInquiry* detection);

// One timer tick. When the wait ends the timer and the atom are gone; a
// success has put the printer's answer into the session's settings and
// serial (at least kSerialNumberChars + 1 characters).
DetectionOutcome ContinueTrayDetection(HWND page, UiSession* session, RemoteToolInquiry* detection,
                                       WCHAR* serial);

// Reads a successful answer from the exchange file into priv and serial.
void ReadDetectedSettings(const WCHAR* exchangePath, PrivateSettings* priv, WCHAR* serial);

// Whether the tool can reach a printer on this port: not on files, serial
// or parallel ports or the fax port; on USB only with the tool's USB
// helper installed.
bool PortAllowsDetection(const WCHAR* port, bool usbHelperInstalled);

// Whether the page offers detection for the session's printer: the tool is
// available, the printer is local and its port allows it.
BOOL IsDetectionOffered(const UiSession* session);
