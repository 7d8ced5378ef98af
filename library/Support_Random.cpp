#include "library/Support_Random.h"

#include <chrono>

namespace vl {

namespace {
uint32_t Seed = 0;
std::optional<uint32_t> StartSeed;
} // namespace

uint32_t RandomNext() {
  Seed = Seed * 134775813u + 1u;
  return Seed;
}

uint32_t Random(uint64_t n) {
  return static_cast<uint32_t>((static_cast<uint64_t>(RandomNext()) * n) >> 32);
}

double Random01() {
  return RandomNext() / 4294967296.0;
}

void SetRandomSeed(uint32_t seed) {
  Seed = seed;
}

uint32_t GetRandomSeed() {
  return Seed;
}

void RandomizeSeed() {
  Seed = static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

void SetStartSeed(std::optional<uint32_t> seed) {
  StartSeed = seed;
}

void SeedRandomAtGameStart() {
  if (StartSeed)
    Seed = *StartSeed;
  else
    RandomizeSeed();
}

} // namespace vl
