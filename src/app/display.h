// Saver and preview start-up: engine, input, single instance, settings, history, display.
#pragma once
#include <cstdint>
#include <string>

#include "app/integer_text.h"
#include "core/motion_history.h"
#include "core/screen_size.h"

// The start of Saver and Preview; runs the frame loop, never returns.
[[noreturn]] void StartSaverOrPreview();
// The preview window's callback: the close request frees the history and ends the program.
intptr_t PreviewWindowCallback(uint64_t window, unsigned message, uintptr_t wParam, intptr_t lParam);
// The frame loop's event step in the preview: every pending message, without waiting.
void DispatchPreviewEvents();
// Closes the display if open (EndProgram).
void CloseDisplay();
