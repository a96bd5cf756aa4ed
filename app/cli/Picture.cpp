#include "Picture.h"

#include <QBuffer>
#include <QImageWriter>

namespace diffrascope::cli {
namespace {

constexpr int kMaxGrey = 255;

QByteArray EncodePgm(const QImage &picture) {
    QByteArray bytes = QByteArrayLiteral("P5\n") + QByteArray::number(picture.width()) + ' ' +
                       QByteArray::number(picture.height()) + '\n' + QByteArray::number(kMaxGrey) + '\n';
    for (int row = 0; row < picture.height(); ++row) {
        // scan lines are padded to 32 bits; only width bytes are pixels
        bytes.append(reinterpret_cast<const char *>(picture.constScanLine(row)), picture.width());
    }
    return bytes;
}

QByteArray EncodePng(const QImage &picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    return writer.write(picture) ? bytes : QByteArray();
}

} // namespace

QImage GreyPicture(const std::int32_t *const *grey, std::int32_t n, View view) {
    Q_ASSERT(n >= kCropSide);
    std::int32_t side = view == View::Full ? n : kCropSide;
    std::int32_t first = n / 2 - side / 2; // first grid row and column shown
    QImage picture(side, side, QImage::Format_Grayscale8);
    if (picture.isNull()) {
        return picture;
    }
    for (std::int32_t row = 0; row < side; ++row) {
        uchar *line = picture.scanLine(row);
        for (std::int32_t column = 0; column < side; ++column) {
            line[column] = static_cast<uchar>(grey[first + column][first + row]);
        }
    }
    return picture;
}

QByteArray EncodePicture(const QImage &picture, PictureFormat format) {
    return format == PictureFormat::Pgm ? EncodePgm(picture) : EncodePng(picture);
}

} // namespace diffrascope::cli
