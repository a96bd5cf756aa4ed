#pragma once
// Pictures of computed panels: one panel alone, or a sheet of panels with
// their labels; and their bytes as PNG or PGM. The renderer writes them, the
// lab window shows them and the Python module hands them over.

#include <QByteArray>
#include <QImage>

#include "Engine.h"

namespace diffrascope {

enum class PictureFormat { Png, Pgm, Fits };

// An 8-bit grey picture of the panel, its rows as the panel holds them.
// A null image when memory runs short.
QImage PanelPicture(const optics::PanelResult &panel);

// The panels side by side, at most eight to a row, each over its label:
// the panel's role, and its defocus.
QImage SheetPicture(const optics::Result &result);

// The picture a result makes: its sheet, or its one panel.
QImage ResultPicture(const optics::Result &result);

// Binary PGM (P5, maxval 255) or PNG; empty when encoding fails.
QByteArray EncodePicture(const QImage &picture, PictureFormat format);

} // namespace diffrascope
