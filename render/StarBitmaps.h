#pragma once
// The star image as two 24-bit grey bitmaps (blue, green, red bytes), shown
// transposed: grid row i becomes picture column i.

#include <cstdint>

#include "StarImage.h" // kCropSide, the side of the visible centre crop

class QImage;

namespace diffrascope {

inline constexpr int kFullPictureSide = 1024; // side of the hidden full picture

// A picture control that keeps what is drawn on it.
class PictureControl {
  public:
    virtual void SetControlSize(int width, int height) = 0;
    // Copies the bitmap's pixels onto the control's picture, top-left at (x, y).
    virtual void Draw(int x, int y, const QImage &bitmap) = 0;

  protected:
    ~PictureControl() = default;
};

// True for the grid sizes the pictures can show: even, from 256 to 1024.
bool IsDrawableGridSize(std::int32_t n);

// 1024 x 1024 bitmap: pixel x of row y is grey[x][y] for x, y < n, white elsewhere.
QImage MakeFullBitmap(const std::int32_t *const *grey, std::int32_t n);
// 256 x 256 bitmap: pixel x of row y is grey[x + o][y + o], o = n/2 - 128.
QImage MakeCentreCropBitmap(const std::int32_t *const *grey, std::int32_t n);

// Sizes the full picture's control to 1024 x 1024, then draws the full
// picture into it and the centre crop into crop. Throws InvalidInputError
// for a grid size the pictures cannot hold.
void DrawStarImage(const std::int32_t *const *grey, std::int32_t n, PictureControl &full, PictureControl &crop);

} // namespace diffrascope
