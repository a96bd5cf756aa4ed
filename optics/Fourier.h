#pragma once
// Two-dimensional discrete Fourier transforms of N x N images, N a power of
// two, with the library's radix-2 transform: the spectrum of an image and an
// image from a spectrum, to filter images by a transfer function and to
// convolve them. Element [i][j] of an image at i N + j, as IntensityImage
// holds it; spectrum element [u][v] is frequency (u, v) cycles per N pixels
// along i and j, negative frequencies from N/2 on.
//
// Forward:  S[u][v] = sum I[i][j] exp(-2 pi i (u i + v j) / N)
// Inverse:  I[i][j] = (1/N^2) sum S[u][v] exp(+2 pi i (u i + v j) / N)
//
// Lines are transformed several at a time, one per SIMD lane, spread over
// threads. The rows of a real image (the forward transform's first pass, the
// inverse's last) go two to a complex transform, row 2i with row 2i + 1.
// Every line gets the same operations whichever lane and thread transform
// it, so the result depends neither on the thread count nor on the vector
// width. Sides shorter than four vectors are transformed a line at a time.

#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Control.h"

namespace diffrascope {
class WorkerPool;
} // namespace diffrascope

namespace diffrascope::optics {

class ImageTransform {
  public:
    // Throws ParameterError unless n is a power of two of at least 4.
    // threads 0: DIFFRASCOPE_THREADS, else every core (at most 64).
    explicit ImageTransform(std::int32_t n, std::int32_t threads = 0);
    ~ImageTransform();
    ImageTransform(const ImageTransform &) = delete;
    ImageTransform &operator=(const ImageTransform &) = delete;

    std::int32_t Size() const { return n_; }

    // Both take n x n values and throw std::invalid_argument for any other count.
    std::vector<std::complex<double>> Forward(const std::vector<double> &image,
                                              const Checkpoint &checkpoint = Checkpoint());
    // The real part of the inverse transform (the imaginary part of a real
    // image's filtered spectrum is rounding, when the filter is symmetric).
    std::vector<double> Inverse(std::vector<std::complex<double>> spectrum, const Checkpoint &checkpoint = Checkpoint());

  private:
    struct Batched;

    void CheckSize(std::size_t values) const;
    void Lines(std::complex<double> *data, std::int32_t stride, std::int32_t step, bool inverse,
               const Checkpoint &checkpoint);

    std::int32_t n_;
    std::vector<double> sines_;
    std::vector<std::int32_t> reversed_;
    std::vector<double> re_;
    std::vector<double> im_;
    std::unique_ptr<Batched> batched_; // lengths the batched transform takes
    // The last spectrum Inverse was given, its memory kept for the next
    // Forward: memory a process has not touched yet is slow to come by.
    std::vector<std::complex<double>> spare_;
};

} // namespace diffrascope::optics
