#pragma once
// The MTF of a result's focus image as a file: CSV with the header line
// "frequency,x,y,average", or JSON, an object of those four arrays.
// Frequencies in units of the cut-off D/lambda of the reference wavelength,
// from 0 to 1, one per grid frequency; the modulus of the optical transfer
// function normalised to 1 at zero frequency, along the picture's x and y
// axes and averaged around the axis.

#include <QByteArray>

#include "Engine.h"

namespace diffrascope::frontend {

enum class MtfFormat { Csv, Json };

// The focus panel's MTF (the result must hold curves).
QByteArray MtfFile(const optics::Result &result, MtfFormat format);

} // namespace diffrascope::frontend
