#pragma once
// FITS files through CFITSIO: 32-bit float intensities normalised to a peak of
// 1, oriented as the PNG (data[y][x] is picture pixel x of row y), with a
// header keyword for every parameter. A sheet is an empty primary HDU with
// the common keywords and one image extension per panel.

#include <QByteArray>
#include <QString>

#include <optional>

#include "Render.h"
#include "RenderOptions.h"

namespace diffrascope::cli {

// The whole file in memory, ready to be written in one piece; the reason on failure.
std::optional<QByteArray> EncodeFits(const RenderRequest &request, const optics::RenderResult &result,
                                     QString &error);

} // namespace diffrascope::cli
