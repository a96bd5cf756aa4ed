#pragma once
// Pictures of extended objects: a grey PNG or PGM (read by Qt, 8 or 16 bits
// a pixel, the top row first), or the primary image of a FITS file (read by
// CFITSIO, row 1 at the bottom as FITS has it, turned to the top row first).
// The values are the object's brightness in any unit; a colour picture is
// refused.

#include <QString>

#include <memory>
#include <variant>

#include "Sky.h"

namespace diffrascope::frontend {

// The picture, or why the file cannot be one ("is not a PNG, PGM or FITS image").
std::variant<std::shared_ptr<const optics::ObjectImage>, QString> ReadObjectFile(const QString &path);

} // namespace diffrascope::frontend
