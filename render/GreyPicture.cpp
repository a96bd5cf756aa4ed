#include "GreyPicture.h"

#include <QImage>

namespace diffrascope {
namespace {

constexpr int kGreyBytes = 1;   // Format_Grayscale8
constexpr int kColourBytes = 3; // Format_BGR888: blue, green, red

template <int kBytesPerPixel>
void FillRows(QImage &picture, const std::int32_t *const *grey, std::int32_t first, std::int32_t count, QPoint at) {
    for (std::int32_t y = 0; y < count; ++y) {
        uchar *pixel = picture.scanLine(at.y() + y) + at.x() * kBytesPerPixel;
        for (std::int32_t x = 0; x < count; ++x) {
            const auto level = static_cast<uchar>(grey[first + x][first + y]); // the low byte
            for (int b = 0; b < kBytesPerPixel; ++b) {
                pixel[b] = level;
            }
            pixel += kBytesPerPixel;
        }
    }
}

} // namespace

void FillTransposed(QImage &picture, const std::int32_t *const *grey, std::int32_t first, std::int32_t count,
                    QPoint at) {
    Q_ASSERT(at.x() + count <= picture.width() && at.y() + count <= picture.height());
    if (picture.format() == QImage::Format_Grayscale8) {
        FillRows<kGreyBytes>(picture, grey, first, count, at);
    } else {
        Q_ASSERT(picture.format() == QImage::Format_BGR888);
        FillRows<kColourBytes>(picture, grey, first, count, at);
    }
}

} // namespace diffrascope
