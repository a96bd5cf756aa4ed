#include "PupilSampler.h"

#include <algorithm>
#include <cmath>

namespace diffrascope::optics {
namespace {

// Every vane's mirror image about the x axis (flipX false) or the y axis is a
// vane too, bit for bit.
bool VanesMirror(const std::vector<Direction> &vanes, bool flipX) {
    return std::all_of(vanes.begin(), vanes.end(), [&](const Direction &v) {
        const Direction image = flipX ? Direction{-v.c, v.s} : Direction{v.c, -v.s};
        return std::any_of(vanes.begin(), vanes.end(),
                           [&](const Direction &w) { return w.c == image.c && w.s == image.s; });
    });
}

// cos(m theta) is even in y, sin(m theta) odd; under x -> -x both pick up (-1)^m, the sine once more.
bool ZernikeEvenInY(const ZernikeIndex &z) { return z.m == 0 || !z.sine; }
bool ZernikeEvenInX(const ZernikeIndex &z) { return z.m == 0 || (z.m % 2 == 0) != z.sine; }

} // namespace

PupilSampler::PupilSampler(const OpticalSystem &system, std::int32_t n, double wavelength)
    : n_(n), wavelength_(wavelength) {
    const Aberrations &ab = system.aberrations;
    // The optical path difference stays: waves scale as lambda_ref / lambda (exactly 1 at the reference).
    const double toWaves = system.wavelength / wavelength;
    window_ = {ab.spherical * toWaves, ab.focus * toWaves, system.aperture.obstruction, wavelength};
    scale_ = MakeRadiusScale(n, window_);

    radius_ = OuterRadius(n / 2 - 1, scale_); // offset +n/2 lies outside the grid

    coma_ = ab.coma.waves * toWaves;
    comaDirection_ = DirectionOf(ab.coma.degrees);
    astigmatism_ = ab.astigmatism.waves * toWaves;
    astigmatismDirection_ = DirectionOf(ab.astigmatism.degrees);
    for (const ZernikeTerm &term : ab.zernike) {
        if (term.waves != 0) {
            zernike_.emplace_back(ZernikePolynomial(term.noll), term.waves * toWaves);
        }
    }
    extra_ = coma_ != 0 || astigmatism_ != 0 || !zernike_.empty();

    const Spider &spider = system.aperture.spider;
    for (std::int32_t k = 0; k < spider.vanes; ++k) {
        vanes_.push_back(DirectionOf(spider.degrees + 360.0 * k / spider.vanes));
    }
    vaneHalfWidth_ = spider.width; // a fraction of the diameter is twice that of the radius, halved

    mirrorsColumns_ = (coma_ == 0 || comaDirection_.s == 0) &&
                      (astigmatism_ == 0 || astigmatismDirection_.s == 0 || astigmatismDirection_.c == 0) &&
                      VanesMirror(vanes_, false);
    mirrorsRows_ = (coma_ == 0 || comaDirection_.c == 0) &&
                   (astigmatism_ == 0 || astigmatismDirection_.s == 0 || astigmatismDirection_.c == 0) &&
                   VanesMirror(vanes_, true);
    for (const auto &[polynomial, waves] : zernike_) {
        mirrorsColumns_ = mirrorsColumns_ && ZernikeEvenInY(polynomial.Index());
        mirrorsRows_ = mirrorsRows_ && ZernikeEvenInX(polynomial.Index());
    }
}

std::int32_t PupilSampler::Extent(std::int32_t b) const { return ColumnExtent(b, radius_, scale_); }

bool PupilSampler::Blocked(double x, double y) const {
    for (const Direction &vane : vanes_) {
        const double along = x * vane.c + y * vane.s;
        const double across = -x * vane.s + y * vane.c;
        if (along >= 0 && std::fabs(across) <= vaneHalfWidth_) {
            return true;
        }
    }
    return false;
}

double PupilSampler::ExtraTerms(double x, double y, double u2) const {
    double extra = 0;
    if (coma_ != 0) {
        extra = extra + coma_ * (u2 * (x * comaDirection_.c + y * comaDirection_.s));
    }
    if (astigmatism_ != 0) {
        const double along = x * astigmatismDirection_.c + y * astigmatismDirection_.s;
        extra = extra + astigmatism_ * (along * along);
    }
    for (const auto &[polynomial, waves] : zernike_) {
        extra = extra + waves * polynomial.At(x, y, u2);
    }
    return extra;
}

double PupilSampler::Wavefront(double x, double y, double u2) const {
    const double u4 = u2 * u2;
    const double w = window_.spherical * u4 + window_.focus * u2;
    return extra_ ? w + ExtraTerms(x, y, u2) : w;
}

Vector2 PupilSampler::WavefrontGradient(double x, double y) const {
    const double u2 = x * x + y * y;
    // d/dx of SA u^4 + F u^2 is (4 SA u^2 + 2 F) x
    const double radial = 4 * window_.spherical * u2 + 2 * window_.focus;
    Vector2 g{radial * x, radial * y};
    if (coma_ != 0) {
        const double along = x * comaDirection_.c + y * comaDirection_.s;
        g.x += coma_ * (2 * x * along + u2 * comaDirection_.c);
        g.y += coma_ * (2 * y * along + u2 * comaDirection_.s);
    }
    if (astigmatism_ != 0) {
        const double along = x * astigmatismDirection_.c + y * astigmatismDirection_.s;
        g.x += 2 * astigmatism_ * along * astigmatismDirection_.c;
        g.y += 2 * astigmatism_ * along * astigmatismDirection_.s;
    }
    for (const auto &[polynomial, waves] : zernike_) {
        const Vector2 z = polynomial.Gradient(x, y);
        g.x += waves * z.x;
        g.y += waves * z.y;
    }
    return g;
}

PupilSample PupilSampler::At(std::int32_t a, std::int32_t b) const {
    const double u = NormalisedRadius(a * a + b * b, scale_);
    if (!InsideAperture(u, window_)) {
        return {0, 0, false};
    }
    if (!extra_ && vanes_.empty()) {
        const PupilValue value = PhaseFactor(u, window_); // the window's pupil, operation for operation
        return {value.re, value.im, true};
    }
    const double x = (static_cast<double>(-a) / scale_.gridScale) * scale_.wavelengthFactor;
    const double y = (static_cast<double>(b) / scale_.gridScale) * scale_.wavelengthFactor;
    if (Blocked(x, y)) {
        return {0, 0, false};
    }
    if (!extra_) {
        const PupilValue value = PhaseFactor(u, window_);
        return {value.re, value.im, true};
    }
    const double u2 = u * u;
    const double phi = Wavefront(x, y, u2) * 2 * kPupilPi;
    return {std::cos(phi), std::sin(phi), true};
}

} // namespace diffrascope::optics
