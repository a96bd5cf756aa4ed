#pragma once
// The grey levels as a picture and its bytes on disk.

#include <QByteArray>
#include <QImage>

#include <cstdint>

#include "RenderOptions.h"

namespace diffrascope::cli {

// Side of the crop view: the centre the window shows.
inline constexpr std::int32_t kCropSide = 256;

// An 8-bit grey picture of grey[i][j] (n x n, 0..255) in picture orientation:
// element [i][j] is column i, row j. The crop takes rows and columns
// n/2 - 128 .. n/2 + 127 (n is at least 256). A null image when memory runs short.
QImage GreyPicture(const std::int32_t *const *grey, std::int32_t n, View view);

// Binary PGM (P5, maxval 255) or PNG; empty when encoding fails.
QByteArray EncodePicture(const QImage &picture, PictureFormat format);

} // namespace diffrascope::cli
