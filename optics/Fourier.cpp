#include "Fourier.h"

#include <string>

#include "Fft.h"
#include "OpticsError.h"

namespace diffrascope::optics {
namespace {

using Complex = std::complex<double>;
constexpr std::int32_t kCheckEvery = 32; // lines between looks at the stop token

} // namespace

ImageTransform::ImageTransform(std::int32_t n)
    : n_(n), re_(static_cast<std::size_t>(n > 0 ? n : 0)), im_(static_cast<std::size_t>(n > 0 ? n : 0)) {
    if (!IsTransformLength(n)) {
        throw ParameterError("grid", std::to_string(n) + " is not a power of two of at least 4");
    }
    sines_.resize(static_cast<std::size_t>(SinTableLength(n)));
    reversed_.resize(static_cast<std::size_t>(n));
    MakeSinTable(n, sines_.data(), TraceLine::Silent);
    MakeBitReverseTable(n, reversed_.data(), TraceLine::Silent);
}

// Every line: element k of line l at l stride + k step. The library's
// forward transform has the kernel exp(-2 pi i m k / n) and divides by n;
// its inverse, exp(+...) without a division. Forward here is unscaled, so
// the forward result is multiplied back by n.
void ImageTransform::Lines(Complex *data, std::int32_t stride, std::int32_t step, bool inverse,
                           const Checkpoint &checkpoint) {
    for (std::int32_t line = 0; line < n_; ++line) {
        if (line % kCheckEvery == 0) {
            checkpoint.ThrowIfStopped();
        }
        Complex *first = data + static_cast<std::ptrdiff_t>(line) * stride;
        for (std::int32_t k = 0; k < n_; ++k) {
            re_[k] = first[static_cast<std::ptrdiff_t>(k) * step].real();
            im_[k] = first[static_cast<std::ptrdiff_t>(k) * step].imag();
        }
        Fft(inverse ? -n_ : n_, reversed_.data(), sines_.data(), re_.data(), im_.data());
        const double scale = inverse ? 1.0 / n_ : static_cast<double>(n_);
        for (std::int32_t k = 0; k < n_; ++k) {
            first[static_cast<std::ptrdiff_t>(k) * step] = {re_[k] * scale, im_[k] * scale};
        }
    }
}

std::vector<Complex> ImageTransform::Forward(const std::vector<double> &image, const Checkpoint &checkpoint) {
    std::vector<Complex> spectrum(image.begin(), image.end());
    Lines(spectrum.data(), n_, 1, false, checkpoint); // along j
    Lines(spectrum.data(), 1, n_, false, checkpoint); // along i
    return spectrum;
}

std::vector<double> ImageTransform::Inverse(std::vector<Complex> spectrum, const Checkpoint &checkpoint) {
    Lines(spectrum.data(), n_, 1, true, checkpoint);
    Lines(spectrum.data(), 1, n_, true, checkpoint);
    std::vector<double> image(spectrum.size());
    for (std::size_t k = 0; k < spectrum.size(); ++k) {
        image[k] = spectrum[k].real();
    }
    return image;
}

} // namespace diffrascope::optics
