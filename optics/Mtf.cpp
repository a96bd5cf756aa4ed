#include "Mtf.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "Fft.h"

namespace diffrascope::optics {
namespace {

using Complex = std::complex<double>;

constexpr double kEdge = 1e-9;           // a frequency within this of a grid step counts as on it
constexpr std::int32_t kCheckEvery = 32; // transforms between looks at the stop token

// One length's tables for the library's radix-2 transform.
class Transform {
  public:
    explicit Transform(std::int32_t n)
        : n_(n), sines_(static_cast<std::size_t>(SinTableLength(n))), reversed_(static_cast<std::size_t>(n)),
          re_(static_cast<std::size_t>(n)), im_(static_cast<std::size_t>(n)) {
        MakeSinTable(n, sines_.data(), TraceLine::Silent);
        MakeBitReverseTable(n, reversed_.data(), TraceLine::Silent);
    }

    // The transform of `line` (n values) in place.
    void Run(Complex *line) {
        for (std::int32_t k = 0; k < n_; ++k) {
            re_[k] = line[k].real();
            im_[k] = line[k].imag();
        }
        Fft(n_, reversed_.data(), sines_.data(), re_.data(), im_.data());
        for (std::int32_t k = 0; k < n_; ++k) {
            line[k] = {re_[k], im_[k]};
        }
    }

  private:
    std::int32_t n_;
    std::vector<double> sines_;
    std::vector<std::int32_t> reversed_;
    std::vector<double> re_, im_;
};

// The transform along y of every grid row i (picture column x), kept for the
// frequencies fy = 0 .. reach only: spectrum[fy][i]. Two real rows share one
// complex transform and are told apart by the symmetry of real data.
std::vector<Complex> RowSpectra(const IntensityImage &image, std::int32_t reach, Transform &transform,
                                const Checkpoint &checkpoint) {
    const std::int32_t n = image.n;
    std::vector<Complex> spectrum(static_cast<std::size_t>(reach + 1) * n);
    std::vector<Complex> line(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; i += 2) {
        if (i % kCheckEvery == 0) {
            checkpoint.ThrowIfStopped();
        }
        for (std::int32_t j = 0; j < n; ++j) {
            line[j] = {image.At(i, j), image.At(i + 1, j)};
        }
        transform.Run(line.data());
        for (std::int32_t f = 0; f <= reach; ++f) {
            const Complex z = line[f];
            const Complex mirror = std::conj(line[(n - f) % n]);
            spectrum[static_cast<std::size_t>(f) * n + i] = (z + mirror) / 2.0;
            spectrum[static_cast<std::size_t>(f) * n + i + 1] = (z - mirror) / Complex(0, 2);
        }
    }
    return spectrum;
}

} // namespace

MtfCurve Mtf(const IntensityImage &image, double pixelScale, double upTo, const Checkpoint &checkpoint) {
    const std::int32_t n = image.n;
    const double stepsPerCutOff = n * pixelScale; // grid frequencies per D/lambda
    const std::int32_t reach = std::min(n / 2, static_cast<std::int32_t>(std::floor(upTo * stepsPerCutOff + kEdge)));
    Transform transform(n);
    std::vector<Complex> spectrum = RowSpectra(image, reach, transform, checkpoint);
    // The transform along x of each kept fy: the whole optical transfer function for fy >= 0.
    for (std::int32_t f = 0; f <= reach; ++f) {
        if (f % kCheckEvery == 0) {
            checkpoint.ThrowIfStopped();
        }
        transform.Run(spectrum.data() + static_cast<std::size_t>(f) * n);
    }
    auto modulus = [&](std::int32_t fx, std::int32_t fy) {
        return std::abs(spectrum[static_cast<std::size_t>(fy) * n + (fx + n) % n]);
    };
    const double zero = modulus(0, 0);
    MtfCurve curve;
    std::vector<double> ringSum(static_cast<std::size_t>(reach + 1), 0.0);
    std::vector<double> ringCount(static_cast<std::size_t>(reach + 1), 0.0);
    // fy < 0 mirrors fy > 0 through the origin (real intensities): each such point counts twice.
    for (std::int32_t fy = 0; fy <= reach; ++fy) {
        for (std::int32_t fx = -reach; fx <= reach; ++fx) {
            const auto ring = static_cast<std::int32_t>(std::lround(std::sqrt(static_cast<double>(fx * fx + fy * fy))));
            if (ring <= reach) {
                const double weight = fy == 0 ? 1 : 2;
                ringSum[ring] += weight * modulus(fx, fy);
                ringCount[ring] += weight;
            }
        }
    }
    for (std::int32_t k = 0; k <= reach; ++k) {
        curve.frequency.push_back(k / stepsPerCutOff);
        curve.x.push_back(zero > 0 ? modulus(k, 0) / zero : 0);
        curve.y.push_back(zero > 0 ? modulus(0, k) / zero : 0);
        curve.azimuthal.push_back(zero > 0 ? ringSum[k] / ringCount[k] / zero : 0);
    }
    return curve;
}

} // namespace diffrascope::optics
