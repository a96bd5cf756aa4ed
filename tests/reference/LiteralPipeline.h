#pragma once
// A literal, self-contained reading of the star-image algorithm in double
// arithmetic: its own tables, its own transform, no shortcuts. It is the
// oracle that the program's pipeline must match grey level for grey level.

#include <cstdint>
#include <vector>

#include "StarImage.h"

namespace diffrascope::reference {

// Grey levels of an n x n star image, element [i][j] at index i * n + j.
// Throws ZeroDivisionError when no light passes the aperture.
std::vector<std::int32_t> LiteralStarImage(const ScrollPositions &positions, std::int32_t n);

// The centred 2-D transform of that reading, in place: n x n fields with
// element [r][c] at r * n + c, real and imaginary parts.
void LiteralFft2DCentred(std::int32_t n, std::vector<double> &re, std::vector<double> &im);

} // namespace diffrascope::reference
