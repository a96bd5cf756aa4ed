#include "LiteralFarField.h"

#include "LiteralPipeline.h"

namespace diffrascope::reference {

std::vector<double> LiteralIntensity(const optics::PupilSampler &pupil) {
    const std::int32_t n = pupil.GridSize();
    const std::int32_t h = n / 2;
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    std::vector<double> re(count), im(count);
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            const optics::PupilSample sample = pupil.At(i - h, j - h);
            re[i * n + j] = sample.re;
            im[i * n + j] = sample.im;
        }
    }
    LiteralFft2DCentred(n, re, im);
    for (std::size_t k = 0; k < count; ++k) {
        re[k] = re[k] * re[k] + im[k] * im[k];
    }
    return re;
}

} // namespace diffrascope::reference
