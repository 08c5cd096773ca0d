// Waiting for a condition with a deadline, as end-to-end tests do instead of fixed pauses: a
// busy machine only makes the wait longer, never the test wrong.
#pragma once
#include <chrono>
#include <thread>

// Asks the condition again and again, a short interval apart, until it holds (true) or the
// deadline has passed (false).
template <typename Condition>
bool WaitUntil(Condition condition, double seconds, double interval = 0.05) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::duration<double>(interval));
    }
}
