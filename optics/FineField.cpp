#include "FineField.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <utility>

#include "PupilSampler.h"

namespace diffrascope::optics {
namespace {

using Complex = std::complex<double>;
constexpr double kTwoPi = 2 * 3.141592653589793;
constexpr std::int32_t kMostSteps = 30;
constexpr double kLongestStep = 0.5; // pixels: Newton is trusted this far
constexpr double kSettled = 1e-7;    // pixels: a step this short ends the search

// exp(i theta k x) for k = -radius .. radius.
std::vector<Complex> Phasors(std::int32_t radius, double theta, double x) {
    std::vector<Complex> phasors(static_cast<std::size_t>(2 * radius + 1));
    for (std::int32_t k = -radius; k <= radius; ++k) {
        const double angle = theta * k * x;
        phasors[static_cast<std::size_t>(k + radius)] = {std::cos(angle), std::sin(angle)};
    }
    return phasors;
}

// The lit points' count: with unit amplitude the flux of the N x N far field
// is the sum of |P|^2 over N^2 (Parseval).
double SampleFlux(const SampledPupil &pupil, std::int32_t n) {
    double flux = 0;
    for (std::size_t k = 0; k < pupil.re.size(); ++k) {
        flux += pupil.re[k] * pupil.re[k] + pupil.im[k] * pupil.im[k];
    }
    return flux / (static_cast<double>(n) * n);
}

} // namespace

struct FineField::Derivatives {
    double f = 0; // intensity, then its first and second derivatives along p and q
    double fp = 0;
    double fq = 0;
    double fpp = 0;
    double fpq = 0;
    double fqq = 0;
};

SampledPupil SampledPupil::Of(const PupilSampler &sampler, double weight) {
    SampledPupil pupil;
    pupil.radius = sampler.Radius();
    pupil.weight = weight;
    const std::int32_t side = 2 * pupil.radius + 1;
    pupil.re.resize(static_cast<std::size_t>(side) * side);
    pupil.im.resize(pupil.re.size());
    for (std::int32_t a = -pupil.radius; a <= pupil.radius; ++a) {
        for (std::int32_t b = -pupil.radius; b <= pupil.radius; ++b) {
            const PupilSample sample = sampler.At(a, b);
            const std::size_t k = static_cast<std::size_t>(a + pupil.radius) * side + (b + pupil.radius);
            pupil.re[k] = sample.re;
            pupil.im[k] = sample.im;
        }
    }
    pupil.FindExtents();
    return pupil;
}

void SampledPupil::FindExtents() {
    const std::int32_t side = 2 * radius + 1;
    first.assign(static_cast<std::size_t>(side), 0);
    last.assign(static_cast<std::size_t>(side), -1);
    for (std::int32_t a = 0; a < side; ++a) {
        const std::size_t row = static_cast<std::size_t>(a) * side;
        std::int32_t low = side;
        std::int32_t high = -1;
        for (std::int32_t b = 0; b < side; ++b) {
            if (re[row + b] != 0 || im[row + b] != 0) {
                low = std::min(low, b);
                high = b;
            }
        }
        first[static_cast<std::size_t>(a)] = low - radius;
        last[static_cast<std::size_t>(a)] = high - radius;
    }
}

FineField::FineField(std::int32_t n, std::vector<SampledPupil> lines) : n_(n), lines_(std::move(lines)) {}

FineField::FineField(const OpticalSystem &system, const Spectrum &spectrum, std::int32_t n) : n_(n) {
    if (spectrum.Monochromatic()) {
        const double wavelength = spectrum.lines.empty() ? system.wavelength : spectrum.lines.front().nanometres;
        lines_.push_back(SampledPupil::Of(PupilSampler(system, n, wavelength), 1));
        return;
    }
    double total = 0;
    for (const SpectralLine &line : spectrum.lines) {
        total += line.weight;
    }
    for (const SpectralLine &line : spectrum.lines) {
        if (line.weight == 0) {
            continue;
        }
        SampledPupil pupil = SampledPupil::Of(PupilSampler(system, n, line.nanometres), 1);
        const double flux = SampleFlux(pupil, n);
        if (flux > 0) {
            pupil.weight = (line.weight / total) / flux;
            lines_.push_back(std::move(pupil));
        }
    }
}

// E and its derivatives by separable sums: the inner sums run along b for
// the position's q (s0 = sum P e, s1 = sum P (i t b) e, s2 = sum P (i t b)^2 e
// with e = exp(i t b q)), the outer ones along a for its p. Plain real
// arithmetic: std::complex's multiplication guards against infinities it
// cannot meet here and would be slower.
FineField::Derivatives FineField::Evaluate(double p, double q) const {
    const double theta = kTwoPi / n_;
    const double centre = n_ / 2;
    const double scale = 1 / (static_cast<double>(n_) * n_);
    Derivatives d;
    for (const SampledPupil &pupil : lines_) {
        const std::int32_t radius = pupil.radius;
        const std::int32_t side = 2 * radius + 1;
        const std::vector<Complex> alongB = Phasors(radius, theta, q - centre);
        const std::vector<Complex> alongA = Phasors(radius, theta, p - centre);
        double e[2] = {0, 0}; // E, dE/dp, dE/dq, d2E/dp2, d2E/dp dq, d2E/dq2 as (re, im)
        double ep[2] = {0, 0};
        double eq[2] = {0, 0};
        double epp[2] = {0, 0};
        double epq[2] = {0, 0};
        double eqq[2] = {0, 0};
        for (std::int32_t a = -radius; a <= radius; ++a) {
            const std::size_t row = static_cast<std::size_t>(a + radius) * side;
            double s0r = 0, s0i = 0, s1r = 0, s1i = 0, s2r = 0, s2i = 0;
            for (std::int32_t b = pupil.first[static_cast<std::size_t>(a + radius)];
                 b <= pupil.last[static_cast<std::size_t>(a + radius)]; ++b) {
                const std::size_t k = row + (b + radius);
                const Complex &phasor = alongB[static_cast<std::size_t>(b + radius)];
                const double tr = pupil.re[k] * phasor.real() - pupil.im[k] * phasor.imag();
                const double ti = pupil.re[k] * phasor.imag() + pupil.im[k] * phasor.real();
                const double tb = theta * b;
                s0r += tr;
                s0i += ti;
                s1r -= ti * tb;
                s1i += tr * tb;
                s2r -= tr * (tb * tb);
                s2i -= ti * (tb * tb);
            }
            const double cr = alongA[static_cast<std::size_t>(a + radius)].real();
            const double ci = alongA[static_cast<std::size_t>(a + radius)].imag();
            const double ta = theta * a;
            // u = phasor x s0 and v = phasor x s1
            const double ur = cr * s0r - ci * s0i;
            const double ui = cr * s0i + ci * s0r;
            const double vr = cr * s1r - ci * s1i;
            const double vi = cr * s1i + ci * s1r;
            e[0] += ur;
            e[1] += ui;
            ep[0] -= ui * ta;
            ep[1] += ur * ta;
            epp[0] -= ur * (ta * ta);
            epp[1] -= ui * (ta * ta);
            eq[0] += vr;
            eq[1] += vi;
            epq[0] -= vi * ta;
            epq[1] += vr * ta;
            eqq[0] += cr * s2r - ci * s2i;
            eqq[1] += cr * s2i + ci * s2r;
        }
        const Complex E(e[0] * scale, e[1] * scale);
        const Complex Ep(ep[0] * scale, ep[1] * scale);
        const Complex Eq(eq[0] * scale, eq[1] * scale);
        const Complex Epp(epp[0] * scale, epp[1] * scale);
        const Complex Epq(epq[0] * scale, epq[1] * scale);
        const Complex Eqq(eqq[0] * scale, eqq[1] * scale);
        auto dot = [](const Complex &x, const Complex &y) { return x.real() * y.real() + x.imag() * y.imag(); };
        const double w = pupil.weight;
        d.f += w * dot(E, E);
        d.fp += w * 2 * dot(E, Ep);
        d.fq += w * 2 * dot(E, Eq);
        d.fpp += w * 2 * (dot(Ep, Ep) + dot(E, Epp));
        d.fqq += w * 2 * (dot(Eq, Eq) + dot(E, Eqq));
        d.fpq += w * 2 * (dot(Eq, Ep) + dot(E, Epq));
    }
    return d;
}

double FineField::IntensityAt(double p, double q) const { return Evaluate(p, q).f; }

FieldPeak FineField::PeakNear(double p0, double q0) const {
    double p = p0;
    double q = q0;
    Derivatives d = Evaluate(p, q);
    for (std::int32_t step = 0; step < kMostSteps; ++step) {
        // Newton's step towards the stationary point, where the Hessian is that of a maximum;
        // else a step up the gradient. Either is cut to kLongestStep and halved until it climbs.
        const double det = d.fpp * d.fqq - d.fpq * d.fpq;
        double dp = 0;
        double dq = 0;
        if (d.fpp < 0 && det > 0) {
            dp = -(d.fqq * d.fp - d.fpq * d.fq) / det;
            dq = -(d.fpp * d.fq - d.fpq * d.fp) / det;
        } else {
            const double norm = std::hypot(d.fp, d.fq);
            dp = norm > 0 ? kLongestStep * d.fp / norm : 0;
            dq = norm > 0 ? kLongestStep * d.fq / norm : 0;
        }
        const double length = std::hypot(dp, dq);
        if (length > kLongestStep) {
            dp *= kLongestStep / length;
            dq *= kLongestStep / length;
        }
        Derivatives next = Evaluate(p + dp, q + dq);
        for (std::int32_t halving = 0; next.f < d.f && halving < kMostSteps; ++halving) {
            dp /= 2;
            dq /= 2;
            next = Evaluate(p + dp, q + dq);
        }
        if (next.f < d.f) {
            break;
        }
        p += dp;
        q += dq;
        d = next;
        if (std::hypot(dp, dq) < kSettled) {
            break;
        }
    }
    return {p, q, d.f};
}

} // namespace diffrascope::optics
