// The screen: an SDL window with an OpenGL 3.3 core context. Every frame is drawn into a
// framebuffer object, so that reading pixels back works the same for a hidden window, and
// FlipBuffers copies it to the window. The program owns SDL's event queue: nothing here polls.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "engine_calls.h"
#include "engine_state.h"

namespace zelvaro {

Screen screen;

namespace {

constexpr int glMajorVersion = 3;
constexpr int glMinorVersion = 3;
constexpr int epoxyVersionNeeded = 33; // epoxy reports 3.3 as 33
constexpr int colourBits = 8;
constexpr int depthBits = 24;
constexpr int syncNone = 0;
constexpr int firstDisplay = 0;
constexpr int bytesPerPixel = 4;
constexpr double fpsWindowSeconds = 1.0;

using Clock = std::chrono::steady_clock;

struct FrameCounter {
    bool started = false;
    Clock::time_point windowStart;
    int frames = 0;
    float fps = 0.0f;
};
FrameCounter counter;

bool StartVideo() {
    // Reference-counted by SDL: the program's own start of the video subsystem is not disturbed.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    screen.videoStarted = true;
    return true;
}

void SetContextAttributes() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, glMajorVersion);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, glMinorVersion);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colourBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits); // frames are drawn straight into the window
}

bool CreateFramebuffer(int width, int height) {
    if (screen.framebuffer) return true;
    glGenFramebuffers(1, &screen.framebuffer);
    glGenRenderbuffers(1, &screen.colourBuffer);
    glGenRenderbuffers(1, &screen.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, screen.colourBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, screen.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, screen.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, screen.colourBuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, screen.depthBuffer);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void DeleteFramebuffer() {
    if (!screen.framebuffer) return;
    glDeleteFramebuffers(1, &screen.framebuffer);
    glDeleteRenderbuffers(1, &screen.colourBuffer);
    glDeleteRenderbuffers(1, &screen.depthBuffer);
    screen.framebuffer = screen.colourBuffer = screen.depthBuffer = 0;
}

// The window's own buffers serve when they have depth and the frame's size: no copy per frame.
bool WindowTakesFrames(int width, int height) {
    int shownWidth = 0, shownHeight = 0;
    SDL_GL_GetDrawableSize(screen.window, &shownWidth, &shownHeight);
    GLint depth = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depth);
    return shownWidth == width && shownHeight == height && depth > 0;
}

// Takes the window made by one of the Open* calls and gives it a context and a framebuffer.
bool FinishOpening(SDL_Window* window, int width, int height, int syncMode, bool hidden) {
    screen.window = window;
    screen.hidden = hidden;
    if (!window || width <= 0 || height <= 0) return false;
    screen.context = SDL_GL_CreateContext(window);
    if (!screen.context || epoxy_gl_version() < epoxyVersionNeeded) return false;
    SDL_GL_SetSwapInterval(syncMode != syncNone && !hidden ? 1 : 0);
    screen.drawsToWindow = !hidden && WindowTakesFrames(width, height);
    if (!screen.drawsToWindow && !CreateFramebuffer(width, height)) return false;
    glBindFramebuffer(GL_FRAMEBUFFER, FrameTarget());
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    screen.width = width;
    screen.height = height;
    counter = FrameCounter();
    return true;
}

int OpenOrClose(bool opened) {
    if (!opened) CloseScreen();
    return opened ? 1 : 0;
}

// The display's own mode of exactly width x height (SDL lists the highest refresh rate first).
bool FindDisplayMode(int width, int height, SDL_DisplayMode& found) {
    const int count = SDL_GetNumDisplayModes(firstDisplay);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(firstDisplay, i, &mode) == 0 && mode.w == width && mode.h == height) {
            found = mode;
            return true;
        }
    }
    return false;
}

// A full-screen window that switches the display to mode when shown; nullptr when the display
// refuses the switch (the window is gone again, and with it the switch).
SDL_Window* OpenInDisplayMode(const char* title, const SDL_DisplayMode& mode) {
    // At the display's corner: without a window manager nobody else moves it there. Created
    // hidden, so that the display switches once, to this very mode, when it is shown.
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(firstDisplay, &bounds) != 0) return nullptr;
    SDL_Window* window = SDL_CreateWindow(title, bounds.x, bounds.y, mode.w, mode.h,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_HIDDEN);
    if (!window) return nullptr;
    SDL_DisplayMode shown;
    if (SDL_SetWindowDisplayMode(window, &mode) == 0) {
        SDL_ShowWindow(window);
        if (SDL_GetCurrentDisplayMode(firstDisplay, &shown) == 0 && shown.w == mode.w && shown.h == mode.h)
            return window;
    }
    SDL_DestroyWindow(window);
    return nullptr;
}

void CountFrame() {
    const Clock::time_point now = Clock::now();
    if (!counter.started) {
        counter.started = true;
        counter.windowStart = now;
        return;
    }
    ++counter.frames;
    const double elapsed = std::chrono::duration<double>(now - counter.windowStart).count();
    if (elapsed >= fpsWindowSeconds) {
        counter.fps = static_cast<float>(counter.frames / elapsed);
        counter.frames = 0;
        counter.windowStart = now;
    }
}

} // namespace

float MeasuredFramesPerSecond() { return counter.fps; }

GLuint FrameTarget() { return screen.drawsToWindow ? 0 : screen.framebuffer; }

// ---- opening and closing ----

// Full screen in the display's own mode of width x height when it offers one; the display
// switches to it while the window is shown. SDL gives the desktop its own mode back when the
// window goes (CloseScreen, a failure below, SDL's end). Otherwise the desktop's own mode. The
// colour depth is the desktop's whatever is asked.
int OpenScreen(int width, int height, int, const char* title, int syncMode) {
    CloseScreen();
    if (!StartVideo()) return 0;
    SDL_DisplayMode desktop, exact;
    if (SDL_GetDesktopDisplayMode(firstDisplay, &desktop) != 0) return OpenOrClose(false);
    SetContextAttributes();
    SDL_Window* window = nullptr;
    if (FindDisplayMode(width, height, exact) && (exact.w != desktop.w || exact.h != desktop.h))
        window = OpenInDisplayMode(title ? title : "", exact);
    if (!window)
        window = SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_CENTERED_DISPLAY(firstDisplay),
                                  SDL_WINDOWPOS_CENTERED_DISPLAY(firstDisplay), desktop.w, desktop.h,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP);
    int shownWidth = 0, shownHeight = 0;
    if (window) SDL_GetWindowSize(window, &shownWidth, &shownHeight);
    if (!FinishOpening(window, shownWidth, shownHeight, syncMode, false)) return OpenOrClose(false);
    SDL_ShowCursor(SDL_DISABLE);
    screen.cursorHidden = true;
    SDL_RaiseWindow(window); // the saver ends when it loses the keyboard focus, so take it
    return 1;
}

// Draws into a window that someone else made (an X11 window id); SDL leaves it alive on close.
int OpenWindowedScreen(uint64_t nativeWindow, int width, int height, int syncMode) {
    CloseScreen();
    if (nativeWindow == 0 || !StartVideo()) return OpenOrClose(false);
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    SetContextAttributes();
    SDL_Window* window = SDL_CreateWindowFrom(reinterpret_cast<void*>(static_cast<uintptr_t>(nativeWindow)));
    if (window && (width <= 0 || height <= 0)) SDL_GetWindowSize(window, &width, &height);
    return OpenOrClose(FinishOpening(window, width, height, syncMode, false));
}

int OpenHiddenScreen(int width, int height) {
    CloseScreen();
    if (width <= 0 || height <= 0 || !StartVideo()) return OpenOrClose(false);
    SetContextAttributes();
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0); // frames stay in the framebuffer object
    SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    return OpenOrClose(FinishOpening(window, width, height, syncNone, true));
}

void CloseScreen() {
    if (screen.context) {
        SDL_GL_MakeCurrent(screen.window, screen.context);
        ReleaseGpuObjects();
        DeleteFramebuffer();
        SDL_GL_DeleteContext(screen.context);
    }
    if (screen.window) SDL_DestroyWindow(screen.window);
    if (screen.cursorHidden) SDL_ShowCursor(SDL_ENABLE);
    if (screen.videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    screen = Screen();
}

int ScreenWidth() { return screen.width; }
int ScreenHeight() { return screen.height; }
void* ScreenWindow() { return screen.window; }

// ---- frames ----

void FlipBuffers() {
    if (!screen.context) return;
    screen.drawing2D = false;
    if (!screen.hidden) {
        int shownWidth = 0, shownHeight = 0;
        SDL_GL_GetDrawableSize(screen.window, &shownWidth, &shownHeight);
        const bool sameSize = shownWidth == screen.width && shownHeight == screen.height;
        if (!screen.drawsToWindow) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, screen.framebuffer);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
            glBlitFramebuffer(0, 0, screen.width, screen.height, 0, 0, shownWidth, shownHeight, GL_COLOR_BUFFER_BIT,
                              sameSize ? GL_NEAREST : GL_LINEAR);
        }
        SDL_GL_SwapWindow(screen.window);
        // A window that changed size gets the next frames through the framebuffer object.
        if (screen.drawsToWindow && !sameSize && CreateFramebuffer(screen.width, screen.height))
            screen.drawsToWindow = false;
        glBindFramebuffer(GL_FRAMEBUFFER, FrameTarget());
    }
    CountFrame();
}

// Rows come from the top; whatever lies outside the screen reads as zero.
void ReadPixels(int x, int y, int width, int height, unsigned char* rgba) {
    if (!rgba || width <= 0 || height <= 0) return;
    std::memset(rgba, 0, static_cast<size_t>(width) * height * bytesPerPixel);
    if (!screen.context) return;
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + width, screen.width), bottom = std::min(y + height, screen.height);
    if (left >= right || top >= bottom) return;
    const int rows = bottom - top, columns = right - left;
    std::vector<unsigned char> block(static_cast<size_t>(rows) * columns * bytesPerPixel);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, FrameTarget());
    if (screen.drawsToWindow) glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left, screen.height - bottom, columns, rows, GL_RGBA, GL_UNSIGNED_BYTE, block.data());
    for (int row = 0; row < rows; ++row) { // GL counts rows from the bottom
        const unsigned char* from = &block[static_cast<size_t>(rows - 1 - row) * columns * bytesPerPixel];
        unsigned char* to = rgba + (static_cast<size_t>(top - y + row) * width + (left - x)) * bytesPerPixel;
        std::memcpy(to, from, static_cast<size_t>(columns) * bytesPerPixel);
    }
}

} // namespace zelvaro
