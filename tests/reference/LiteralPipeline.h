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

} // namespace diffrascope::reference
