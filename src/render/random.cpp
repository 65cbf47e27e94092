#include "render/random.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>

namespace {

// rand()'s maximum; every draw is divided by it, so the values span [0, 1].
constexpr double kRandomMax = 2147483647.0;

// A thread that installed its own generator draws from it; all others use rand().
// The flag is trivially initialised, so the common path costs no guard.
thread_local bool usesBandGenerator = false;
thread_local std::optional<std::mt19937> bandGenerator;

// A fixed function of the band, so a band draws the same sequence on every run.
std::uint32_t bandSeed(int band) {
    return 0x9E3779B9u * (static_cast<std::uint32_t>(band) + 1u) + 0x7F4A7C15u;
}

} // namespace

double randomUnit() {
    if (usesBandGenerator) {
        // 31 bits, 0 to 2147483647, the same range rand() delivers.
        const std::uint32_t value = (*bandGenerator)() >> 1;
        return static_cast<double>(value) / kRandomMax;
    }
    return static_cast<double>(std::rand()) / kRandomMax;
}

void useBandRandom(int band) {
    bandGenerator.emplace(bandSeed(band));
    usesBandGenerator = true;
}

void useProcessRandom() {
    usesBandGenerator = false;
    bandGenerator.reset();
}
