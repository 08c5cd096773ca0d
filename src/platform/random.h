// Random integers for the dance and the camera.
#pragma once
#include <cstdint>

// Uniform over 0..max inclusive, seeded differently on every run.
int32_t RandomInt(int32_t max);
// Tests fix the sequence.
void SeedRandom(uint64_t seed);
