#pragma once
// Measured wavefronts read from FITS files through CFITSIO: the first image
// of the file (the primary HDU, or the first extension when the primary one
// is empty), a 2-D image in waves at the reference wavelength, or in nm where
// BUNIT says 'nm'; NaN (or BLANK) outside the aperture; row 1 at the bottom,
// column 1 at the left. PUPRAD (the pupil radius in pixels) and PUPCX, PUPCY
// (its centre, in pixels counted from 1) place the pupil where the width does
// not span its diameter.

#include <QString>

#include <memory>
#include <variant>

#include "WavefrontMap.h"

namespace diffrascope::frontend {

// The map, or why the file cannot be one ("holds a table, not an image").
std::variant<std::shared_ptr<const optics::WavefrontMap>, QString> ReadWavefrontFile(const QString &path);

} // namespace diffrascope::frontend
