// Preloaded into the program by the leak check's test: one block that nothing points at, so
// that a leak check, when it runs, has something to report.
#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t lostBytes = 4096;

__attribute__((constructor)) void LoseABlock() {
    void* volatile block = std::malloc(lostBytes);
    std::memset(block, 1, lostBytes);
    block = nullptr;
}
} // namespace
