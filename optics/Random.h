#pragma once
// The library's random draws: std::mt19937_64, whose sequence the C++
// standard fixes, turned into doubles by the library's own arithmetic, so
// that the same seed gives the same numbers on every machine and compiler
// (std::uniform_real_distribution and std::normal_distribution differ
// between standard libraries).

#include <cmath>
#include <cstdint>
#include <random>

namespace diffrascope::optics {

class Draws {
  public:
    explicit Draws(std::uint64_t seed) : engine_(seed) {}

    // (draw >> 11) / 2^53: 0 <= u < 1, every value a multiple of 2^-53.
    double Uniform() { return static_cast<double>(engine_() >> kDiscardedBits) * kUnitOfDraw; }

    // Two independent standard normal values by Box-Muller from two uniform draws.
    void NormalPair(double &first, double &second) {
        const double u1 = 1 - Uniform(); // 0 < u1 <= 1: its logarithm is finite
        const double u2 = Uniform();
        const double radius = std::sqrt(-2 * std::log(u1));
        const double angle = kTwoPi * u2;
        first = radius * std::cos(angle);
        second = radius * std::sin(angle);
    }

  private:
    static constexpr int kDiscardedBits = 11;                        // of a 64-bit draw: 53 remain, a double's mantissa
    static constexpr double kUnitOfDraw = 1.0 / 9007199254740992.0; // 2^-53
    static constexpr double kTwoPi = 6.283185307179586;

    std::mt19937_64 engine_;
};

} // namespace diffrascope::optics
