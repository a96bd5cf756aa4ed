#pragma once
// The star image computed with FFTW3: the benchmarks' outside anchor. Written
// plainly; its grey levels may differ from the program's by rounding.

#include <cstdint>
#include <vector>

#include "StarImage.h"

namespace diffrascope::bench {

class FftwPipeline {
  public:
    // Plans the n x n transform once (FFTW_MEASURE, one thread).
    explicit FftwPipeline(std::int32_t n);
    ~FftwPipeline();
    FftwPipeline(const FftwPipeline &) = delete;
    FftwPipeline &operator=(const FftwPipeline &) = delete;

    // Grey levels, element [i][j] at i * n + j. Throws ZeroDivisionError
    // when no light passes the aperture.
    const std::vector<std::int32_t> &Compute(const ScrollPositions &positions);

  private:
    void BuildPupil(const ScrollPositions &positions);
    void MapGreyLevels();

    std::int32_t n_;
    void *field_;   // fftw_complex[n * n], transformed in place
    void *plan_;    // fftw_plan
    std::vector<double> intensity_; // allocated once, like the plan
    std::vector<std::int32_t> grey_;
};

} // namespace diffrascope::bench
