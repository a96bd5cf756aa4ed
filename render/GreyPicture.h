#pragma once
// The one routine that turns grey levels held by grid rows into a picture:
// grid row x becomes picture column x, one scan line at a time.

#include <QPoint>

#include <cstdint>

class QImage;

namespace diffrascope {

// Writes grey[first + x][first + y] (0..255, its low byte) to pixel (at.x + x,
// at.y + y) for x, y < count. The picture is 8-bit grey or 24-bit (each of the
// three bytes the grey level) and holds that square.
void FillTransposed(QImage &picture, const std::int32_t *const *grey, std::int32_t first, std::int32_t count,
                    QPoint at = {});

} // namespace diffrascope
