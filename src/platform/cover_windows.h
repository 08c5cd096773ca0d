// Black windows over every monitor but the primary one, so the desktop shows nowhere while the
// saver runs on the primary monitor.
#pragma once

// Covers each other monitor of the open screen's display; nothing with a single monitor.
void CoverOtherMonitors();
void UncoverMonitors();
