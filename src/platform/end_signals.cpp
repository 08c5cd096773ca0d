#include "platform/end_signals.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t endSignalReceived = 0;

void NoteEndSignal(int) { endSignalReceived = 1; }
} // namespace

void CatchEndSignals() {
    std::signal(SIGTERM, NoteEndSignal);
    std::signal(SIGINT, NoteEndSignal);
}

bool EndSignalReceived() { return endSignalReceived != 0; }
