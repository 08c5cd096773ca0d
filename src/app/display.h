// Saver and preview start-up: engine, input, single instance, settings, history, display.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct ObjectState; // motion/dance.h

constexpr int flipFrame = 2000;
constexpr int historyRows = flipFrame + 100; // headroom for the slow-down

extern int32_t ObjectTotal;           // N objects
extern ObjectState* MotionHistory;    // historyRows rows of N records, zero-filled
extern size_t MotionHistoryRowSize;   // bytes in one row: 24 x N
extern int32_t ScreenWidth;
extern int32_t ScreenHeight;

// Reads an integer as the program's text reader does: blanks, sign, decimal, "$" hex, "%" binary.
int64_t ReadIntegerText(const std::string& text);
// Splits "1024 x 768" at the lower-case "x" into width and height.
void ParseResolution(const std::string& resolution, int32_t& width, int32_t& height);
// ObjectTotal for an ObjectCount setting, after bringing it into 0..4.
int32_t ObjectTotalFor(int32_t objectCount);

// The start of Saver and Preview; runs the frame loop, never returns.
[[noreturn]] void StartSaverOrPreview();
// The preview window's callback: the close request frees the history and ends the program.
intptr_t PreviewWindowCallback(uint64_t window, unsigned message, uintptr_t wParam, intptr_t lParam);
// The frame loop's event step in the preview: every pending message, without waiting.
void DispatchPreviewEvents();
// Closes the display if open (EndProgram).
void CloseDisplay();
// Sets ObjectTotal and obtains its zero-filled history of historyRows rows; false if it cannot.
bool AllocateMotionHistory(int32_t objectTotal);
// Frees the motion history (end of the run, preview close).
void FreeMotionHistory();
