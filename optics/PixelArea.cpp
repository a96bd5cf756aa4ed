#include "PixelArea.h"

#include <algorithm>
#include <cmath>

namespace diffrascope::optics {
namespace {

constexpr double kHalf = 0.5;

// Integrals over the region x0 <= x <= x1, y0 <= y <= min(y1, s(x)) of the
// first quadrant, s(x) = sqrt(r^2 - x^2), about the origin.
struct Moments {
    double area = 0;
    double arc = 0;
    double arcX = 0; // integrals of x and y along the arc: ds = r dx / s
    double arcY = 0;
    double x = 0;
    double y = 0;
    double xx = 0;
    double yy = 0;
    double xy = 0;
};

// Where the top is the straight line y = y1, over [a, b].
void AddFlat(Moments &m, double a, double b, double y0, double y1) {
    const double h = y1 - y0;
    m.area += h * (b - a);
    m.x += h * (b * b - a * a) / 2;
    m.y += (y1 * y1 - y0 * y0) / 2 * (b - a);
    m.xx += h * (b * b * b - a * a * a) / 3;
    m.yy += (y1 * y1 * y1 - y0 * y0 * y0) / 3 * (b - a);
    m.xy += (y1 * y1 - y0 * y0) / 2 * (b * b - a * a) / 2;
}

// Where the top is the circle, over [a, b]: the antiderivatives of s, x s,
// s^2, x^2 s, s^3 and x s^2, each end's root and angle taken once.
void AddArc(Moments &m, double a, double b, double y0, double r) {
    const double r2 = r * r;
    const double r4 = r2 * r2;
    struct End {
        double x;
        double s;     // sqrt(r^2 - x^2)
        double angle; // asin(x / r)
    };
    auto end = [&](double x) { return End{x, std::sqrt(std::max(r2 - x * x, 0.0)), std::asin(std::clamp(x / r, -1.0, 1.0))}; };
    const End lo = end(a);
    const End hi = end(b);
    auto across = [&](auto f) { return f(hi) - f(lo); };
    const double sInt = across([&](const End &e) { return (e.x * e.s + r2 * e.angle) / 2; });
    const double xsInt = across([&](const End &e) { return -e.s * e.s * e.s / 3; });
    const double ssInt = across([&](const End &e) { return r2 * e.x - e.x * e.x * e.x / 3; });
    const double xxsInt = across([&](const End &e) { return r4 / 8 * e.angle + e.x * (2 * e.x * e.x - r2) * e.s / 8; });
    const double sssInt =
        across([&](const End &e) { return e.x * (5 * r2 - 2 * e.x * e.x) * e.s / 8 + 3 * r4 / 8 * e.angle; });
    const double xssInt = across([&](const End &e) { return r2 * e.x * e.x / 2 - e.x * e.x * e.x * e.x / 4; });
    const double width = b - a;
    m.area += sInt - y0 * width;
    m.arc += r * (hi.angle - lo.angle);
    m.arcX += r * (lo.s - hi.s);
    m.arcY += r * width;
    m.x += xsInt - y0 * (b * b - a * a) / 2;
    m.y += (ssInt - y0 * y0 * width) / 2;
    m.xx += xxsInt - y0 * (b * b * b - a * a * a) / 3;
    m.yy += (sssInt - y0 * y0 * y0 * width) / 3;
    m.xy += (xssInt - y0 * y0 * (b * b - a * a) / 2) / 2;
}

Moments QuadrantPart(double x0, double x1, double y0, double y1, double r) {
    Moments m;
    if (y0 >= r || x0 >= r || x1 <= x0 || y1 <= y0) {
        return m;
    }
    const double xa = y1 < r ? std::sqrt(r * r - y1 * y1) : 0; // up to here the circle lies above the rectangle
    const double xb = std::sqrt(r * r - y0 * y0);               // beyond here it lies below
    if (std::min(x1, xa) > x0) {
        AddFlat(m, x0, std::min(x1, xa), y0, y1);
    }
    const double u0 = std::max(x0, xa);
    const double u1 = std::min(x1, xb);
    if (u1 > u0) {
        AddArc(m, u0, u1, y0, r);
    }
    return m;
}

} // namespace

Coverage PixelInDisc(std::int32_t i, std::int32_t j, double r) {
    // The pixel split at the axes into pieces of single quadrants, each
    // folded into the first one and its odd moments turned back.
    Moments sum;
    for (const double sx : {-1.0, 1.0}) {
        const double a = std::max(sx * i - kHalf, 0.0);
        const double b = std::max(sx * i + kHalf, 0.0);
        for (const double sy : {-1.0, 1.0}) {
            const double c = std::max(sy * j - kHalf, 0.0);
            const double d = std::max(sy * j + kHalf, 0.0);
            if (b <= a || d <= c) {
                continue;
            }
            const Moments m = QuadrantPart(a, b, c, d, r);
            sum.area += m.area;
            sum.arc += m.arc;
            sum.arcX += sx * m.arcX;
            sum.arcY += sy * m.arcY;
            sum.x += sx * m.x;
            sum.y += sy * m.y;
            sum.xx += m.xx;
            sum.yy += m.yy;
            sum.xy += sx * sy * m.xy;
        }
    }
    // About the pixel's centre (i, j).
    Coverage c;
    c.area = std::min(sum.area, 1.0);
    c.arc = sum.arc;
    c.ai = sum.arcX - i * sum.arc;
    c.aj = sum.arcY - j * sum.arc;
    c.mi = sum.x - i * sum.area;
    c.mj = sum.y - j * sum.area;
    c.mii = sum.xx - 2 * i * sum.x + static_cast<double>(i) * i * sum.area;
    c.mjj = sum.yy - 2 * j * sum.y + static_cast<double>(j) * j * sum.area;
    c.mij = sum.xy - i * sum.y - j * sum.x + static_cast<double>(i) * j * sum.area;
    return c;
}

} // namespace diffrascope::optics
