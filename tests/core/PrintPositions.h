#pragma once
// Readable test names: parameters print as their values, not as raw bytes.

#include <ostream>

#include "StarImage.h"

namespace diffrascope {

inline void PrintTo(const ScrollPositions &p, std::ostream *out) {
    *out << "spherical " << p.spherical << ", focus " << p.focus << ", obstruction " << p.obstruction
         << ", wavelength " << p.wavelength;
}

} // namespace diffrascope
