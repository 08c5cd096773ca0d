// The preview's own window: a child of the host window whose id the system passed.
#pragma once
#include <cstdint>

enum class PreviewMessage { NoMessage, Close, HostGone };

// Size of the host's client area; false when the handle names no window.
bool HostClientSize(uint64_t host, int& width, int& height);
// Creates and shows the child window at (0, 0) of that size; its native id, or 0.
uint64_t OpenPreviewWindow(uint64_t host, int width, int height);
// Takes the next pending message of the preview window without waiting.
PreviewMessage NextPreviewMessage();
void ClosePreviewWindow();
