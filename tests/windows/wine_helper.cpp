// A Windows program for the tests under Wine: it plays the host of the preview (a window of a
// given client size whose handle it prints, which it asks to close or destroys on command), and
// it finds the program's windows and buttons as the system sees them. Commands come one a line
// on standard input, fields apart by tabs; each gets one line of answer:
//   open W H          a host window with a client area of W x H: its handle, in decimal
//   children          the host's child windows: "COUNT" and the first one's "WxH"
//   close             WM_CLOSE posted to the host's first child window
//   destroy           the host window destroyed, its children with it
//   client TITLE      the screen rectangle "X Y W H" of the client area of the window so titled
//   button TITLE TEXT the screen point "X Y" in the middle of its control showing TEXT
//   texts TITLE       the texts of its controls, "|" between them
//   activate          the host window brought to the front, as a user switching to it does
//   quit
// Anything not found answers "none".
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr UINT commandMessage = WM_APP + 1;
const wchar_t* const hostClassName = L"ZelvaroTestHost";
HWND host = nullptr;

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

std::vector<HWND> Descendants(HWND window) {
    std::vector<HWND> found;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> Children(HWND window) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) found.push_back(child);
    return found;
}

HWND TopWindowTitled(const std::string& title) { return FindWindowW(nullptr, Wide(title).c_str()); }

std::string OpenHost(int width, int height) {
    WNDCLASSW hostClass{};
    hostClass.lpfnWndProc = DefWindowProcW;
    hostClass.hInstance = GetModuleHandleW(nullptr);
    hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); // no preview: white
    hostClass.lpszClassName = hostClassName;
    RegisterClassW(&hostClass);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    host = CreateWindowExW(0, hostClassName, L"Zelvaro preview host", style | WS_VISIBLE, 40, 40,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    return host ? std::to_string(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(host))) : "none";
}

std::string Answer(const std::vector<std::string>& f) {
    const std::string verb = f.empty() ? "" : f[0];
    if (verb == "open" && f.size() == 3) return OpenHost(std::stoi(f[1]), std::stoi(f[2]));
    if (verb == "children") {
        std::vector<HWND> children = host ? Children(host) : std::vector<HWND>();
        if (children.empty()) return "0";
        RECT client;
        GetClientRect(children[0], &client);
        return std::to_string(children.size()) + " " + std::to_string(client.right) + "x" + std::to_string(client.bottom);
    }
    if (verb == "close") {
        std::vector<HWND> children = host ? Children(host) : std::vector<HWND>();
        if (children.empty()) return "none";
        PostMessageW(children[0], WM_CLOSE, 0, 0);
        return "ok";
    }
    if (verb == "destroy") return host && DestroyWindow(host) ? "ok" : "none";
    if (verb == "activate") return host && SetForegroundWindow(host) ? "ok" : "none";
    HWND window = f.size() >= 2 ? TopWindowTitled(f[1]) : nullptr;
    if (!window) return "none";
    if (verb == "client") {
        RECT client;
        POINT corner{0, 0};
        GetClientRect(window, &client);
        ClientToScreen(window, &corner);
        return std::to_string(corner.x) + " " + std::to_string(corner.y) + " " + std::to_string(client.right) + " " +
               std::to_string(client.bottom);
    }
    if (verb == "button" && f.size() == 3) {
        for (HWND control : Descendants(window)) {
            RECT area;
            if (WindowText(control) != f[2] || !IsWindowVisible(control) || !GetWindowRect(control, &area)) continue;
            return std::to_string((area.left + area.right) / 2) + " " + std::to_string((area.top + area.bottom) / 2);
        }
        return "none";
    }
    if (verb == "texts") {
        std::string texts;
        for (HWND control : Descendants(window)) texts += (texts.empty() ? "" : "|") + WindowText(control);
        return texts;
    }
    return "none";
}

} // namespace

int main() {
    const DWORD mainThread = GetCurrentThreadId();
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists before the reader posts
    std::thread reader([mainThread] {
        for (std::string line; std::getline(std::cin, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            PostThreadMessageW(mainThread, commandMessage, 0, reinterpret_cast<LPARAM>(new std::string(line)));
            if (line == "quit") return;
        }
        PostThreadMessageW(mainThread, commandMessage, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    });
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != commandMessage || message.hwnd) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            continue;
        }
        std::string* line = reinterpret_cast<std::string*>(message.lParam);
        const bool quit = *line == "quit";
        if (!quit) std::printf("%s\n", Answer(Fields(*line)).c_str());
        std::fflush(stdout);
        delete line;
        if (quit) break;
    }
    reader.join();
    return 0;
}
