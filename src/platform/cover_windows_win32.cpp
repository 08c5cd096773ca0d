// The covers on Windows: a black, topmost pop-up window over each monitor but the primary one,
// which takes no focus and shows no pointer. They belong to the saver's thread, so a click on a
// cover ends the saver as a click anywhere else does.
#include "platform/cover_windows.h"

#include <windows.h>

#include <vector>

namespace {

const wchar_t* const coverClassName = L"ZelvaroCover";
std::vector<HWND> covers;

LRESULT CALLBACK CoverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETCURSOR) {
        SetCursor(nullptr);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterCoverClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSW coverClass{};
    coverClass.lpfnWndProc = CoverProcedure;
    coverClass.hInstance = GetModuleHandleW(nullptr);
    coverClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    coverClass.lpszClassName = coverClassName;
    registered = RegisterClassW(&coverClass) != 0;
    return registered;
}

BOOL CALLBACK CoverMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info) || (info.dwFlags & MONITORINFOF_PRIMARY)) return TRUE;
    const RECT& area = info.rcMonitor;
    HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, coverClassName, L"", WS_POPUP,
                                 area.left, area.top, area.right - area.left, area.bottom - area.top, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    if (cover) {
        ShowWindow(cover, SW_SHOWNOACTIVATE);
        covers.push_back(cover);
    }
    return TRUE;
}

} // namespace

void CoverOtherMonitors() {
    if (RegisterCoverClass()) EnumDisplayMonitors(nullptr, nullptr, CoverMonitor, 0);
}

void UncoverMonitors() {
    for (HWND cover : covers) DestroyWindow(cover);
    covers.clear();
}
