#pragma once
// How much of a pixel a circle about the optical axis takes in: the exact
// area of the unit square of pixel (i, j) (offsets from the axis's pixel,
// along the grid's rows and columns) within radius r, how fast that area
// grows with r (the length of the circle's arc inside the square), and the
// first and second moments of the part inside about the pixel's centre, so
// that a smooth intensity can be integrated over it, not only its centre's
// value times its area.

#include <cstdint>

namespace diffrascope::optics {

struct Coverage {
    double area; // 0 .. 1
    double arc;  // d(area) / dr: the length of the arc inside
    double ai;   // integral of (u - i) along the arc
    double aj;   // integral of (v - j) along the arc
    double mi;   // integral of (u - i) over the part inside
    double mj;   // integral of (v - j)
    double mii;  // integral of (u - i)^2
    double mjj;  // integral of (v - j)^2
    double mij;  // integral of (u - i)(v - j)
};

Coverage PixelInDisc(std::int32_t i, std::int32_t j, double r);

} // namespace diffrascope::optics
