#include "PupilSampler.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "Roughness.h"
#include "WavefrontMap.h"

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

constexpr double kNoWavefront = std::numeric_limits<double>::quiet_NaN();

} // namespace

PupilSampler::PupilSampler(const OpticalSystem &system, std::int32_t n, double wavelength)
    : PupilSampler(system, n, wavelength, nullptr) {}

PupilSampler::PupilSampler(const OpticalSystem &system, std::int32_t n, double wavelength,
                           RoughnessSurface *roughness)
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
    const Figure &figure = system.figure;
    if (figure.HasEdge()) {
        edgeDepth_ = figure.edge.depth * toWaves;
        edgeStart_ = figure.edge.start;
        edgeSpan_ = 1 - figure.edge.start;
    }
    for (const Zone &zone : figure.zones) {
        if (zone.height != 0) {
            zones_.push_back({zone.radius, zone.height * toWaves, zone.width});
        }
    }

    const Spider &spider = system.aperture.spider;
    for (std::int32_t k = 0; k < spider.vanes; ++k) {
        vanes_.push_back(DirectionOf(spider.degrees + 360.0 * k / spider.vanes));
    }
    vaneHalfWidth_ = spider.width; // a fraction of the diameter is twice that of the radius, halved
    SampleIrregular(system, roughness);
    extra_ = coma_ != 0 || astigmatism_ != 0 || !zernike_.empty() || edgeDepth_ != 0 || !zones_.empty() ||
             !irregular_.empty();

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
    // The edge and the zones depend on u alone; roughness and a measured map have no symmetry.
    mirrorsColumns_ = mirrorsColumns_ && irregular_.empty();
    mirrorsRows_ = mirrorsRows_ && irregular_.empty();
}

// Roughness and the measured map at every grid point of the box, in waves at this wavelength.
void PupilSampler::SampleIrregular(const OpticalSystem &system, RoughnessSurface *roughness) {
    const Figure &figure = system.figure;
    if (figure.Radial()) {
        return;
    }
    const std::int32_t side = 2 * radius_ + 1;
    const BoxPoints box = Box();
    const std::vector<ColumnSpan> &spans = box.spans;
    irregular_.assign(static_cast<std::size_t>(side) * side, 0.0);
    const double toWaves = system.wavelength / wavelength_;
    if (figure.HasRoughness()) {
        std::optional<RoughnessSurface> own;
        if (roughness == nullptr) {
            roughness = &own.emplace(system, n_);
        }
        const std::vector<double> &sum = roughness->OnBox(box, wavelength_);
        const double scale = roughness->Scale() * toWaves;
        for (std::size_t k = 0; k < irregular_.size(); ++k) {
            irregular_[k] = sum[k] * scale;
        }
    }
    for (const std::shared_ptr<const WavefrontMap> &given : {figure.measured, figure.turbulence}) {
        if (!given) {
            continue;
        }
        const WavefrontMap &map = *given;
        const double perUnit = map.WavesPerUnit(system.wavelength, wavelength_);
        const double pixels = map.Geometry().radius / GridRadius(); // map pixels per grid step
        for (std::int32_t k = 0; k < side; ++k) {
            const double column = map.Geometry().centreX + static_cast<double>(radius_ - k) * pixels; // x = -a / R
            for (std::int32_t c = spans[k].first; c <= spans[k].last; ++c) {
                const double row = map.Geometry().centreY + static_cast<double>(c - radius_) * pixels;
                double &w = irregular_[static_cast<std::size_t>(k) * side + c];
                w = w + perUnit * map.Interpolated(column, row);
            }
        }
    }
}

std::int32_t PupilSampler::Extent(std::int32_t b) const { return ColumnExtent(b, radius_, scale_); }

double PupilSampler::PointX(std::int32_t a) const {
    return (static_cast<double>(-a) / scale_.gridScale) * scale_.wavelengthFactor;
}

double PupilSampler::PointY(std::int32_t b) const {
    return (static_cast<double>(b) / scale_.gridScale) * scale_.wavelengthFactor;
}

BoxPoints PupilSampler::Box() const {
    const std::int32_t side = 2 * radius_ + 1;
    BoxPoints box{std::vector<double>(static_cast<std::size_t>(side)), std::vector<double>(static_cast<std::size_t>(side)),
                  std::vector<ColumnSpan>(static_cast<std::size_t>(side))};
    for (std::int32_t k = 0; k < side; ++k) {
        const std::int32_t offset = k - radius_;
        box.xs[k] = PointX(offset);
        box.ys[k] = PointY(offset);
        const std::int32_t extent = Extent(offset);
        box.spans[k] = {radius_ - extent, radius_ + extent};
    }
    return box;
}

bool PupilSampler::Blocked(double x, double y, double halfWidth) const {
    for (const Direction &vane : vanes_) {
        const double along = x * vane.c + y * vane.s;
        const double across = -x * vane.s + y * vane.c;
        if (along >= 0 && std::fabs(across) <= halfWidth) {
            return true;
        }
    }
    return false;
}

bool PupilSampler::Transmits(double x, double y, double margin) const {
    const double u = std::sqrt(x * x + y * y);
    if (margin == 0) {
        return InsideAperture(u, window_) && !Blocked(x, y, vaneHalfWidth_);
    }
    return u <= 1 - margin && u >= window_.obstruction + margin && !Blocked(x, y, vaneHalfWidth_ + margin);
}

// The turned edge and the zones at normalised radius u.
double PupilSampler::FigureTerms(double u) const {
    double w = 0;
    if (edgeDepth_ != 0 && u > edgeStart_) {
        const double t = (u - edgeStart_) / edgeSpan_;
        w = w + edgeDepth_ * (t * t);
    }
    for (const Zone &zone : zones_) {
        const double d = (u - zone.radius) / zone.width;
        w = w + zone.height * std::exp(-(d * d));
    }
    return w;
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
    if (edgeDepth_ != 0 || !zones_.empty()) {
        extra = extra + FigureTerms(std::sqrt(u2));
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
    const double u = std::sqrt(u2);
    if ((edgeDepth_ != 0 || !zones_.empty()) && u > 0) {
        // d/du of the radial terms, along (x, y) / u
        double radialSlope = 0;
        if (edgeDepth_ != 0 && u > edgeStart_) {
            radialSlope += 2 * edgeDepth_ * ((u - edgeStart_) / edgeSpan_) / edgeSpan_;
        }
        for (const Zone &zone : zones_) {
            const double d = (u - zone.radius) / zone.width;
            radialSlope += -2 * zone.height * d * std::exp(-(d * d)) / zone.width;
        }
        g.x += radialSlope * x / u;
        g.y += radialSlope * y / u;
    }
    return g;
}

bool PupilSampler::Lit(std::int32_t a, std::int32_t b) const {
    const double u = NormalisedRadius(a * a + b * b, scale_);
    if (!InsideAperture(u, window_)) {
        return false;
    }
    if (vanes_.empty()) {
        return true;
    }
    const double x = PointX(a);
    const double y = PointY(b);
    return !Blocked(x, y, vaneHalfWidth_);
}

// The wavefront at a lit grid point of radius u, with every term but the window's own.
double PupilSampler::GridWavefront(std::int32_t a, std::int32_t b, double u) const {
    const double x = PointX(a);
    const double y = PointY(b);
    const double w = Wavefront(x, y, u * u);
    if (irregular_.empty()) {
        return w;
    }
    const std::int32_t side = 2 * radius_ + 1;
    return w + irregular_[static_cast<std::size_t>(a + radius_) * side + (b + radius_)];
}

double PupilSampler::Sampled(std::int32_t a, std::int32_t b) const {
    if (std::abs(a) > radius_ || std::abs(b) > radius_ || !Lit(a, b)) {
        return kNoWavefront;
    }
    const double u = NormalisedRadius(a * a + b * b, scale_);
    if (!extra_) {
        const double u2 = u * u; // PhaseFactor's own wavefront, operation for operation
        const double u4 = u2 * u2;
        return window_.spherical * u4 + window_.focus * u2;
    }
    return GridWavefront(a, b, u);
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
    const double x = PointX(a);
    const double y = PointY(b);
    if (Blocked(x, y, vaneHalfWidth_)) {
        return {0, 0, false};
    }
    if (!extra_) {
        const PupilValue value = PhaseFactor(u, window_);
        return {value.re, value.im, true};
    }
    const double phi = GridWavefront(a, b, u) * 2 * kPupilPi;
    return {std::cos(phi), std::sin(phi), true};
}

} // namespace diffrascope::optics
