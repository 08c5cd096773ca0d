// RandomInt from the standard library's generators, seeded from the system at start.
#include "platform/random.h"

#include <random>

namespace {
std::mt19937_64& Generator() {
    static std::mt19937_64 generator{std::random_device{}()};
    return generator;
}
} // namespace

int32_t RandomInt(int32_t max) { return std::uniform_int_distribution<int32_t>(0, max)(Generator()); }

void SeedRandom(uint64_t seed) { Generator().seed(seed); }
