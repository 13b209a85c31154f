#include "ui/test_windows.h"

namespace {

const WCHAR kParentClass[] = L"KvTestRecordingParent";

bool IsRecorded(UINT message)
{
    return message == WM_VSCROLL || message == WM_HSCROLL || message == WM_COMMAND ||
           message == WM_TIMER;
}

COLORREF FromDib(DWORD pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

} // namespace

RecordingParent::RecordingParent()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kParentClass;
    RegisterClassW(&wc);   // already registered by an earlier test: fine
    window_ = CreateWindowExW(0, kParentClass, L"parent", WS_POPUP, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
}

RecordingParent::~RecordingParent()
{
    if (window_)
        DestroyWindow(window_);
}

HWND RecordingParent::CreateChild(const WCHAR* className, const WCHAR* text, DWORD style, int id,
                                  int width, int height) const
{
    return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, 10, width,
                           height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

LRESULT CALLBACK RecordingParent::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingParent*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && IsRecorded(message)) {
        self->messages_.push_back({message, wParam, lParam});
        if (message == WM_TIMER)
            KillTimer(window, wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

PaintTarget::PaintTarget(int width, int height) : width_(width)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const DWORD*>(bits);
    old_ = SelectObject(dc_, bitmap_);
}

PaintTarget::~PaintTarget()
{
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF PaintTarget::Pixel(int x, int y) const
{
    GdiFlush();
    return FromDib(bits_[y * width_ + x]);
}

int PaintTarget::Count(const RECT& area, COLORREF colour) const
{
    GdiFlush();
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += FromDib(bits_[y * width_ + x]) == colour ? 1 : 0;
    return count;
}
