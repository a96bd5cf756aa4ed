#include "StarBitmaps.h"

#include <QImage>

#include <string>

#include "Errors.h"
#include "GreyPicture.h"

namespace diffrascope {

namespace {

// A new bitmap starts white, as the unfilled part of the full picture shows.
QImage MakeWhiteBitmap(int side) {
    QImage bitmap(side, side, QImage::Format_BGR888);
    bitmap.fill(Qt::white);
    return bitmap;
}

void CheckGridSize(std::int32_t n) {
    if (!IsDrawableGridSize(n)) {
        throw InvalidInputError("grid size " + std::to_string(n) + " cannot be drawn: it must be even, from " +
                                std::to_string(kCropSide) + " to " + std::to_string(kFullPictureSide));
    }
}

} // namespace

bool IsDrawableGridSize(std::int32_t n) { return n >= kCropSide && n <= kFullPictureSide && n % 2 == 0; }

QImage MakeFullBitmap(const std::int32_t *const *grey, std::int32_t n) {
    CheckGridSize(n);
    QImage bitmap = MakeWhiteBitmap(kFullPictureSide);
    FillTransposed(bitmap, grey, 0, n);
    return bitmap;
}

QImage MakeCentreCropBitmap(const std::int32_t *const *grey, std::int32_t n) {
    CheckGridSize(n);
    QImage bitmap = MakeWhiteBitmap(kCropSide);
    FillTransposed(bitmap, grey, n / 2 - kCropSide / 2, kCropSide);
    return bitmap;
}

void DrawStarImage(const std::int32_t *const *grey, std::int32_t n, PictureControl &full, PictureControl &crop) {
    CheckGridSize(n);
    // The full picture's control gets its size before its picture is first made.
    full.SetControlSize(kFullPictureSide, kFullPictureSide);
    full.Draw(0, 0, MakeFullBitmap(grey, n));
    crop.Draw(0, 0, MakeCentreCropBitmap(grey, n));
}

} // namespace diffrascope
