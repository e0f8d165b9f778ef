// The one random generator of the system. It behaves like the original runtime's rand():
// a linear congruential generator with 15-bit results, so formulas of the form Rand() / d
// keep the ranges they were written for (glibc's rand() gives 31-bit values).
#pragma once

#include <cstdint>

constexpr int RAND15_MAX = 32767;

// Next value in 0..RAND15_MAX. Thread-safe.
int Rand();

// Restarts the sequence; seed 1 gives 41, 18467, 6334, 26500, 19169, ...
void SRand(uint32_t seed);

// Seeds once from the time; later calls do nothing.
void SeedRandomFromTimeOnce();
