// Keyboard, mouse and focus on Windows, read from the system as the saver's own devices. Every
// message of the thread passes through here on its way to its window, and key and button
// presses are noted on the way; the mouse's own motion comes as raw input, so that a mouse
// pushed against a screen edge still counts. The screen's window is the engine library's, made
// by that library's own copy of SDL: the program's SDL could not read its input.
#include "platform/screen.h"

#include <windows.h>

#include "core/engine_table.h"
#include "platform/focus.h"

namespace {

constexpr USHORT genericDesktopPage = 0x01; // HID usage page and usage of a mouse
constexpr USHORT mouseUsage = 0x02;
constexpr BYTE keyDownBit = 0x80;
constexpr SHORT asyncDownBit = static_cast<SHORT>(0x8000);

bool inputStarted = false;
bool screenHadFocus = false;
// Presses seen among the messages since the last reading: a tap shorter than a frame counts.
bool keyPressed = false;
bool leftPressed = false;
bool rightPressed = false;
bool quitRequested = false;
long motionX = 0, motionY = 0;
// Tablets and remote sessions report where the pointer is, not how far it went.
bool placeKnown = false;
LONG lastPlaceX = 0, lastPlaceY = 0;

bool RegisterMouse(DWORD flags) {
    RAWINPUTDEVICE mouse{genericDesktopPage, mouseUsage, flags, nullptr}; // follows the keyboard focus
    return RegisterRawInputDevices(&mouse, 1, sizeof mouse) != FALSE;
}

void NoteMouseMotion(HRAWINPUT handle) {
    RAWINPUT input;
    UINT size = sizeof input;
    if (GetRawInputData(handle, RID_INPUT, &input, &size, sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1) ||
        input.header.dwType != RIM_TYPEMOUSE)
        return;
    const RAWMOUSE& mouse = input.data.mouse;
    if (mouse.usFlags & MOUSE_MOVE_ABSOLUTE) {
        if (placeKnown) {
            motionX += mouse.lLastX - lastPlaceX;
            motionY += mouse.lLastY - lastPlaceY;
        }
        lastPlaceX = mouse.lLastX;
        lastPlaceY = mouse.lLastY;
        placeKnown = true;
    } else {
        motionX += mouse.lLastX;
        motionY += mouse.lLastY;
    }
}

void PumpInput() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        switch (message.message) {
        case WM_QUIT: quitRequested = true; continue;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: keyPressed = true; break;
        case WM_LBUTTONDOWN:
        case WM_NCLBUTTONDOWN: leftPressed = true; break;
        case WM_RBUTTONDOWN:
        case WM_NCRBUTTONDOWN: rightPressed = true; break;
        case WM_INPUT: NoteMouseMotion(reinterpret_cast<HRAWINPUT>(message.lParam)); break;
        default: break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool IsMouseButton(int key) {
    return key == VK_LBUTTON || key == VK_RBUTTON || key == VK_MBUTTON || key == VK_XBUTTON1 || key == VK_XBUTTON2;
}

// The thread's key state, as of the messages just taken; the mouse's buttons are no keys.
bool AnyKeyStateDown() {
    BYTE keys[256];
    if (!GetKeyboardState(keys)) return false; // no reading: no key counts as down
    for (int key = 0; key < 256; ++key)
        if (!IsMouseButton(key) && (keys[key] & keyDownBit)) return true;
    return false;
}

} // namespace

bool StartInput() {
    inputStarted = RegisterMouse(0);
    return inputStarted;
}

void StopInput() {
    if (inputStarted) RegisterMouse(RIDEV_REMOVE);
    inputStarted = false;
}

void PrimeInput(bool ownKeyboardAndMouse) {
    SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow());
    if (ownKeyboardAndMouse) {
        // The saver's window takes the keyboard, so that another window taking it ends the saver.
        RequestKeyboardFocus(screen);
        screenHadFocus = WindowHasKeyboardFocus(screen);
    }
    // Keys and buttons pressed on the new window count; its own appearance is no motion.
    PumpInput();
    motionX = motionY = 0;
}

void DiscardInputEvents() {
    PumpInput();
    keyPressed = leftPressed = rightPressed = false;
    motionX = motionY = 0;
}

bool QuitRequested() { return quitRequested; }

bool AnyKeyDown() {
    PumpInput();
    if (keyPressed) {
        keyPressed = false;
        return true;
    }
    return AnyKeyStateDown();
}

void ReadMouse(int& dx, int& dy, bool& left, bool& right) {
    PumpInput();
    dx = static_cast<int>(motionX);
    dy = static_cast<int>(motionY);
    motionX = motionY = 0;
    left = leftPressed || (GetAsyncKeyState(VK_LBUTTON) & asyncDownBit) != 0;
    right = rightPressed || (GetAsyncKeyState(VK_RBUTTON) & asyncDownBit) != 0;
    leftPressed = rightPressed = false;
}

bool ScreenLostFocus() {
    SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow());
    bool hasFocus = WindowHasKeyboardFocus(screen);
    if (hasFocus) screenHadFocus = true;
    // The window may not be shown yet when it first asks for the keyboard: ask until it has it.
    if (!screenHadFocus) RequestKeyboardFocus(screen);
    return screenHadFocus && !hasFocus;
}
