// Real windows for the control tests: a parent that records what its
// controls tell it, and a message pump for timers.
#pragma once

#include <windows.h>

#include <vector>

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A hidden top-level window that records the scroll, command and timer
// messages it receives. Destroyed with the object.
class RecordingParent {
public:
    RecordingParent();
    ~RecordingParent();
    RecordingParent(const RecordingParent&) = delete;
    RecordingParent& operator=(const RecordingParent&) = delete;

    HWND window() const { return window_; }
    const std::vector<RecordedMessage>& messages() const { return messages_; }
    void Clear() { messages_.clear(); }

    // A child control of the given class in this window.
    HWND CreateChild(const WCHAR* className, const WCHAR* text, DWORD style, int id,
                     int width, int height) const;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
    std::vector<RecordedMessage> messages_;
};

// Dispatches the thread's messages for the given time.
void PumpMessages(DWORD milliseconds);

// A 32-bit top-down DIB section selected into a memory DC, to paint into.
class PaintTarget {
public:
    PaintTarget(int width, int height);
    ~PaintTarget();
    PaintTarget(const PaintTarget&) = delete;
    PaintTarget& operator=(const PaintTarget&) = delete;

    HDC dc() const { return dc_; }
    // The pixel as a COLORREF.
    COLORREF Pixel(int x, int y) const;
    // How many pixels of the rectangle have the colour.
    int Count(const RECT& area, COLORREF colour) const;

private:
    int width_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    const DWORD* bits_ = nullptr;
};
