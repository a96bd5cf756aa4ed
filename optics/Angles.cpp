#include "Angles.h"

#include <cmath>

namespace diffrascope::optics {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kRadiansPerDegree = kPi / 180;

} // namespace

Direction DirectionOf(double degrees) {
    double a = std::fmod(degrees, 360.0); // exact
    if (a > 180) {
        a -= 360; // exact for |a| < 2^52
    } else if (a <= -180) {
        a += 360;
    }
    const bool below = a < 0;
    a = std::fabs(a); // 0 .. 180
    const bool left = a > 90;
    if (left) {
        a = 180 - a;
    }
    // 0 .. 90: the octant next to the nearer axis takes the cosine or sine of
    // the angle from that axis, so that a and 90 - a exchange their components.
    Direction d;
    if (a <= 45) {
        d = {std::cos(a * kRadiansPerDegree), std::sin(a * kRadiansPerDegree)};
    } else {
        const double fromY = 90 - a;
        d = {std::sin(fromY * kRadiansPerDegree), std::cos(fromY * kRadiansPerDegree)};
    }
    if (left) {
        d.c = -d.c;
    }
    if (below) {
        d.s = -d.s;
    }
    return d;
}

} // namespace diffrascope::optics
