#pragma once
// The one random generator of the runner: a 32-bit linear congruential generator shared by scripts,
// data-structure shuffles, particles and everything else that draws random numbers, so that a
// fixed seed reproduces a whole game.

#include <cstdint>
#include <optional>

namespace vl {

// seed = seed * 134775813 + 1 (mod 2^32); returns the new seed.
uint32_t RandomNext();
// An integer 0 .. n-1 for 1 <= n <= 2^32: the high 32 bits of the new seed times n. n = 0 gives 0.
uint32_t Random(uint64_t n);
// A real in [0, 1): the new seed / 2^32.
double Random01();

void SetRandomSeed(uint32_t seed);
uint32_t GetRandomSeed();
// Seeds from the high-resolution clock (its low 32 bits).
void RandomizeSeed();

// A seed to use in place of the clock whenever a game starts (the --seed option); none: the clock.
void SetStartSeed(std::optional<uint32_t> seed);
// Called when a game starts: the start seed if one is set, else the clock.
void SeedRandomAtGameStart();

} // namespace vl
