#include "Roughness.h"

#include <cmath>

#include "Random.h"

namespace diffrascope::optics {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;

// exp(i pi k v) for k = 0 .. count - 1 into re[k], im[k].
void Phasors(double v, std::int32_t first, std::int32_t count, double *re, double *im) {
    for (std::int32_t k = 0; k < count; ++k) {
        const double angle = kPi * (static_cast<double>(first + k) * v);
        re[k] = std::cos(angle);
        im[k] = std::sin(angle);
    }
}

// Light passes the grid point of box row r and column c.
bool LitAt(const PupilSampler &pupil, std::int32_t r, std::int32_t c) {
    return pupil.Lit(r - pupil.Radius(), c - pupil.Radius());
}

} // namespace

RoughnessModes::RoughnessModes(const Roughness &roughness) : to_(roughness.to) {
    const std::int32_t columns = 2 * to_ + 1;
    re_.assign(static_cast<std::size_t>(columns) * (to_ + 1), 0.0);
    im_.assign(re_.size(), 0.0);
    Draws draws(roughness.seed);
    const std::int64_t from2 = static_cast<std::int64_t>(roughness.from) * roughness.from;
    const std::int64_t to2 = static_cast<std::int64_t>(to_) * to_;
    for (std::int32_t ky = 0; ky <= to_; ++ky) {
        for (std::int32_t kx = -to_; kx <= to_; ++kx) {
            const std::int64_t k2 = static_cast<std::int64_t>(kx) * kx + static_cast<std::int64_t>(ky) * ky;
            const bool halfPlane = ky > 0 || kx > 0; // -k is the same mode
            if (!halfPlane || k2 < from2 || k2 > to2) {
                continue;
            }
            const double phase = kTwoPi * draws.Uniform();
            const std::size_t at = static_cast<std::size_t>(ky) * columns + (kx + to_);
            re_[at] = std::cos(phase);
            im_[at] = std::sin(phase);
            ++count_;
        }
    }
}

void RoughnessModes::Evaluate(std::span<const double> xs, std::span<const double> ys,
                              std::span<const ColumnSpan> spans, std::span<double> out) const {
    const std::int32_t columns = 2 * to_ + 1;
    const std::int32_t rows = to_ + 1;
    const std::size_t width = ys.size();
    // exp(i pi ky y) per column, ky major, so that a row's columns run along memory
    std::vector<double> yRe(static_cast<std::size_t>(rows) * width);
    std::vector<double> yIm(yRe.size());
    std::vector<double> re(static_cast<std::size_t>(rows));
    std::vector<double> im(re.size());
    for (std::size_t c = 0; c < width; ++c) {
        Phasors(ys[c], 0, rows, re.data(), im.data());
        for (std::int32_t ky = 0; ky < rows; ++ky) {
            yRe[ky * width + c] = re[ky];
            yIm[ky * width + c] = im[ky];
        }
    }
    std::vector<double> xRe(static_cast<std::size_t>(columns));
    std::vector<double> xIm(xRe.size());
    std::vector<double> sumRe(static_cast<std::size_t>(rows));
    std::vector<double> sumIm(sumRe.size());
    for (std::size_t r = 0; r < xs.size(); ++r) {
        const ColumnSpan span = spans[r];
        if (span.last < span.first) {
            continue;
        }
        // S(ky) = sum over kx of c(kx, ky) exp(i pi kx x)
        Phasors(xs[r], -to_, columns, xRe.data(), xIm.data());
        for (std::int32_t ky = 0; ky < rows; ++ky) {
            const double *cRe = re_.data() + static_cast<std::size_t>(ky) * columns;
            const double *cIm = im_.data() + static_cast<std::size_t>(ky) * columns;
            double sRe = 0;
            double sIm = 0;
            for (std::int32_t k = 0; k < columns; ++k) {
                sRe = sRe + (cRe[k] * xRe[k] - cIm[k] * xIm[k]);
                sIm = sIm + (cRe[k] * xIm[k] + cIm[k] * xRe[k]);
            }
            sumRe[ky] = sRe;
            sumIm[ky] = sIm;
        }
        // W(x, y) = Re sum over ky of S(ky) exp(i pi ky y), ky by ky for every column at once
        double *line = out.data() + r * width;
        for (std::int32_t c = span.first; c <= span.last; ++c) {
            line[c] = 0;
        }
        for (std::int32_t ky = 0; ky < rows; ++ky) {
            const double *eRe = yRe.data() + ky * width;
            const double *eIm = yIm.data() + ky * width;
            const double sRe = sumRe[ky];
            const double sIm = sumIm[ky];
            for (std::int32_t c = span.first; c <= span.last; ++c) {
                line[c] = line[c] + (sRe * eRe[c] - sIm * eIm[c]);
            }
        }
    }
}

RoughnessSurface::RoughnessSurface(const OpticalSystem &system, std::int32_t n)
    : roughness_(system.figure.roughness), aperture_(system.aperture), wavelength_(system.wavelength), n_(n),
      modes_(system.figure.roughness) {
    OpticalSystem bare; // the lit points are the aperture's alone
    bare.aperture = system.aperture;
    bare.wavelength = system.wavelength;
    const PupilSampler pupil(bare, n, system.wavelength);
    const BoxPoints box = pupil.Box();
    const std::size_t side = box.ys.size();
    const std::vector<double> &raw = OnBox(box, system.wavelength); // kept: the reference's pupil uses it next
    double sum = 0;
    std::int64_t lit = 0;
    for (std::size_t r = 0; r < side; ++r) {
        for (std::int32_t c = box.spans[r].first; c <= box.spans[r].last; ++c) {
            if (LitAt(pupil, static_cast<std::int32_t>(r), c)) {
                sum += raw[r * side + c];
                ++lit;
            }
        }
    }
    if (lit == 0) {
        return; // no light: nothing to scale
    }
    const double mean = sum / static_cast<double>(lit);
    double squares = 0;
    for (std::size_t r = 0; r < side; ++r) {
        for (std::int32_t c = box.spans[r].first; c <= box.spans[r].last; ++c) {
            if (LitAt(pupil, static_cast<std::int32_t>(r), c)) {
                const double d = raw[r * side + c] - mean;
                squares += d * d;
            }
        }
    }
    const double rms = std::sqrt(squares / static_cast<double>(lit));
    scale_ = rms > 0 ? roughness_.rms / rms : 0;
}

const std::vector<double> &RoughnessSurface::OnBox(const BoxPoints &box, double wavelength) {
    if (wavelength != boxWavelength_) {
        box_.assign(box.ys.size() * box.ys.size(), 0.0);
        modes_.Evaluate(box.xs, box.ys, box.spans, box_);
        boxWavelength_ = wavelength;
    }
    return box_;
}

bool RoughnessSurface::Serves(const OpticalSystem &system, std::int32_t n) const {
    return n == n_ && system.figure.roughness == roughness_ && system.aperture == aperture_ &&
           system.wavelength == wavelength_;
}

} // namespace diffrascope::optics
