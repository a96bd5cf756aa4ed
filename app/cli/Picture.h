#pragma once
// Pictures of the rendered panels: one panel alone, or a sheet of panels with
// their labels; and their bytes as PNG or PGM.

#include <QByteArray>
#include <QImage>

#include <vector>

#include "Render.h"
#include "RenderOptions.h"

namespace diffrascope::cli {

// An 8-bit grey picture of the panel: its grid row x is picture column x.
// A null image when memory runs short.
QImage PanelPicture(const optics::Panel &panel);

// The panels side by side, at most eight to a row, each over its label.
QImage SheetPicture(const optics::RenderResult &result, const std::vector<PanelLabel> &labels);

// Binary PGM (P5, maxval 255) or PNG; empty when encoding fails.
QByteArray EncodePicture(const QImage &picture, PictureFormat format);

} // namespace diffrascope::cli
