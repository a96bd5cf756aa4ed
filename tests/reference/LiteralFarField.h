#pragma once
// The far field of any sampled pupil, read literally: the pupil at every grid
// point, the literal centred transform, re^2 + im^2. The oracle of the
// optics library's fast far field.

#include <cstdint>
#include <vector>

#include "PupilSampler.h"

namespace diffrascope::reference {

// Intensities, element [i][j] at i * n + j.
std::vector<double> LiteralIntensity(const optics::PupilSampler &pupil);

} // namespace diffrascope::reference
