// The preview window on Windows: a child window of the host window whose handle the system
// passed, of the host's client size. Its window procedure only notes the close request and the
// window's end; the frame loop's event step reads them. The engine's SDL subclasses the window
// when it draws in it and hands every message on to this procedure.
#include "platform/preview_window.h"

#include <windows.h>

namespace {

const wchar_t* const previewClassName = L"ZelvaroPreview";
HWND previewWindow = nullptr;
HWND hostWindow = nullptr;
bool closeRequested = false;
bool previewDestroyed = false;

// A window handle as the command line carries it: its low 32 bits, which the system extends
// by sign to the full handle.
HWND AsWindow(uint64_t handle) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(handle))));
}

LRESULT CALLBACK PreviewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        closeRequested = true; // the event step ends the preview; the window stays until then
        return 0;
    }
    if (message == WM_DESTROY) previewDestroyed = true;
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterPreviewClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSW previewClass{};
    previewClass.style = CS_OWNDC; // OpenGL keeps one device context for the window's life
    previewClass.lpfnWndProc = PreviewProcedure;
    previewClass.hInstance = GetModuleHandleW(nullptr);
    previewClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    previewClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    previewClass.lpszClassName = previewClassName;
    registered = RegisterClassW(&previewClass) != 0;
    return registered;
}

// Sent and posted messages alike reach the window procedure here.
void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

bool HostClientSize(uint64_t host, int& width, int& height) {
    HWND window = AsWindow(host);
    RECT client;
    if (host == 0 || !IsWindow(window) || !GetClientRect(window, &client)) return false;
    width = client.right;
    height = client.bottom;
    return true;
}

uint64_t OpenPreviewWindow(uint64_t host, int width, int height) {
    if (!RegisterPreviewClass()) return 0;
    hostWindow = AsWindow(host);
    closeRequested = previewDestroyed = false;
    previewWindow = CreateWindowExW(0, previewClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                    0, 0, width, height, hostWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    return reinterpret_cast<uintptr_t>(previewWindow);
}

PreviewMessage NextPreviewMessage() {
    if (!previewWindow) return PreviewMessage::NoMessage;
    DispatchWaitingMessages();
    if (closeRequested) {
        closeRequested = false;
        return PreviewMessage::Close;
    }
    // A host that goes takes its child windows with it, those of other programs too.
    if (previewDestroyed || !IsWindow(previewWindow) || !IsWindow(hostWindow)) {
        previewWindow = nullptr;
        return PreviewMessage::HostGone;
    }
    return PreviewMessage::NoMessage;
}

void ClosePreviewWindow() {
    if (previewWindow && IsWindow(previewWindow)) DestroyWindow(previewWindow);
    previewWindow = hostWindow = nullptr;
}
