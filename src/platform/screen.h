// The 2D screen and sprite facility over the engine, and keyboard and mouse over SDL.
#pragma once
#include <cstddef>

// ---- input ----
bool StartInput();   // the video and event subsystems; false when there is no screen to show on
void StopInput();
// First readings when the display opens, so its creation is not motion. The saver owns the
// keyboard and the mouse's own motion; the preview leaves them to its host.
void PrimeInput(bool ownKeyboardAndMouse);
bool AnyKeyDown();   // pumps pending events first
void DiscardInputEvents(); // the preview reads no input: its events are dropped
void ReadMouse(int& dx, int& dy, bool& left, bool& right); // motion since the last reading
bool ScreenLostFocus(); // the screen had the keyboard focus and another window took it
bool QuitRequested();   // the system asked the process to end: a saver must not linger

// ---- 2D drawing on an engine texture ----
bool StartDrawingOnTexture(int texture); // borrows the texture's pixels
void DrawBox(int x, int y, int width, int height, int colour); // clipped; colour 0xBBGGRR
void StopDrawing();                      // hands the pixels back

// ---- screen images ----
// Decodes a PNG without gamma correction: pure black becomes transparent, the rest opaque.
int LoadScreenImage(const unsigned char* png, size_t size); // 0 on failure
void DrawScreenImage(int image, int x, int y); // 0 draws nothing; the first draw switches to 2D
void FlipDisplay();         // ends 2D drawing and flips the engine's buffers
void ReleaseScreenImages();
