#include "FftwPipeline.h"

#include <fftw3.h>

#include <cmath>
#include <cstddef>
#include <new>

namespace diffrascope::bench {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kGreyScale = 300;
constexpr std::int32_t kWhite = 255;

// (-1)^(a + b): multiplying input and output by it centres the transform on (n/2, n/2).
double Checkerboard(std::int32_t a, std::int32_t b) { return ((a + b) & 1) != 0 ? -1.0 : 1.0; }

} // namespace

FftwPipeline::FftwPipeline(std::int32_t n)
    : n_(n), field_(nullptr), plan_(nullptr), intensity_(static_cast<std::size_t>(n) * static_cast<std::size_t>(n)), grey_(intensity_.size()) {
    const std::size_t count = grey_.size();
    auto *field = fftw_alloc_complex(count);
    if (field == nullptr) {
        throw std::bad_alloc();
    }
    field_ = field;
    // Exponent +: FFTW_BACKWARD. MEASURE overwrites the array, so plan before filling it.
    plan_ = fftw_plan_dft_2d(n, n, field, field, FFTW_BACKWARD, FFTW_MEASURE);
}

FftwPipeline::~FftwPipeline() {
    fftw_destroy_plan(static_cast<fftw_plan>(plan_));
    fftw_free(field_);
}

const std::vector<std::int32_t> &FftwPipeline::Compute(const ScrollPositions &positions) {
    BuildPupil(positions);
    fftw_execute(static_cast<fftw_plan>(plan_));
    MapGreyLevels();
    return grey_;
}

void FftwPipeline::BuildPupil(const ScrollPositions &positions) {
    const double sa = positions.spherical * 0.1;
    const double focus = positions.focus * 0.1;
    const double obstruction = positions.obstruction * 0.01;
    const double wavelength = positions.wavelength;
    const std::int32_t h = n_ / 2;
    const double s = 0.1 * n_;
    auto *field = static_cast<fftw_complex *>(field_);
    for (std::int32_t i = 0; i < n_; ++i) {
        for (std::int32_t j = 0; j < n_; ++j) {
            fftw_complex &z = field[static_cast<std::size_t>(i) * n_ + j];
            const std::int32_t d = (i - h) * (i - h) + (j - h) * (j - h);
            const double u = (std::sqrt(static_cast<double>(d)) / s) * (wavelength * (1.0 / 550.0));
            if (u > 1 || u < obstruction) {
                z[0] = 0;
                z[1] = 0;
            } else {
                const double u2 = u * u;
                const double phi = (sa * u2 * u2 + focus * u2) * 2 * kPi;
                const double sign = Checkerboard(i, j);
                z[0] = sign * std::cos(phi);
                z[1] = sign * std::sin(phi);
            }
        }
    }
}

void FftwPipeline::MapGreyLevels() {
    auto *field = static_cast<fftw_complex *>(field_);
    const std::size_t count = grey_.size();
    const double scale = 1.0 / (static_cast<double>(n_) * n_);
    std::vector<double> &intensity = intensity_;
    double maximum = 0;
    for (std::int32_t i = 0; i < n_; ++i) {
        for (std::int32_t j = 0; j < n_; ++j) {
            const std::size_t k = static_cast<std::size_t>(i) * n_ + j;
            const double sign = Checkerboard(i, j) * scale;
            const double re = sign * field[k][0];
            const double im = sign * field[k][1];
            intensity[k] = re * re + im * im;
            if (intensity[k] >= maximum) {
                maximum = intensity[k];
            }
        }
    }
    if (maximum == 0) {
        throw ZeroDivisionError();
    }
    const double factor = 1 / maximum;
    for (std::size_t k = 0; k < count; ++k) {
        const auto level = static_cast<std::int32_t>(std::sqrt(factor * intensity[k]) * kGreyScale);
        grey_[k] = level < kWhite ? level : kWhite;
    }
}

} // namespace diffrascope::bench
