// The picture unit with grids that, unlike every star image, are not
// symmetric under transposition: orientation and crop offsets show.

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Picture.h"

namespace {

using diffrascope::cli::GreyPicture;
using diffrascope::cli::PictureFormat;
using diffrascope::cli::View;

// A level that tells row and column apart: (7 i + 3 j) mod 256.
std::int32_t Level(std::int32_t i, std::int32_t j) { return (7 * i + 3 * j) % 256; }

class AsymmetricGrid {
  public:
    explicit AsymmetricGrid(std::int32_t n) : rows_(n, std::vector<std::int32_t>(n)) {
        for (std::int32_t i = 0; i < n; ++i) {
            for (std::int32_t j = 0; j < n; ++j) {
                rows_[i][j] = Level(i, j);
            }
            pointers_.push_back(rows_[i].data());
        }
    }
    const std::int32_t *const *Grey() const { return pointers_.data(); }

  private:
    std::vector<std::vector<std::int32_t>> rows_;
    std::vector<const std::int32_t *> pointers_;
};

// Counts the pixels that differ from element [first + column][first + row].
int MismatchedPixels(const QImage &picture, std::int32_t first) {
    int mismatches = 0;
    for (int row = 0; row < picture.height(); ++row) {
        const uchar *line = picture.constScanLine(row);
        for (int column = 0; column < picture.width(); ++column) {
            mismatches += line[column] != Level(first + column, first + row) ? 1 : 0;
        }
    }
    return mismatches;
}

TEST(GreyPicture, ShowsGridElementIJInColumnIRowJOfTheFullView) {
    AsymmetricGrid grid(512);
    QImage picture = GreyPicture(grid.Grey(), 512, View::Full);
    ASSERT_EQ(picture.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(picture.size(), QSize(512, 512));
    EXPECT_EQ(MismatchedPixels(picture, 0), 0);
}

TEST(GreyPicture, CropShowsRowsAndColumnsFromHalfTheGridLess128) {
    for (std::int32_t n : {256, 512, 1024}) {
        AsymmetricGrid grid(n);
        QImage picture = GreyPicture(grid.Grey(), n, View::Crop);
        ASSERT_EQ(picture.size(), QSize(256, 256)) << "n = " << n;
        EXPECT_EQ(MismatchedPixels(picture, n / 2 - 128), 0) << "n = " << n;
    }
}

TEST(EncodedPicture, PgmIsABinaryHeaderFollowedByTheRowsWithoutPadding) {
    QImage picture(3, 2, QImage::Format_Grayscale8); // 3 bytes of pixels in a 4-byte scan line
    const uchar rows[2][3] = {{0, 1, 2}, {253, 254, 255}};
    for (int row = 0; row < 2; ++row) {
        std::copy(rows[row], rows[row] + 3, picture.scanLine(row));
    }
    QByteArray expected = QByteArrayLiteral("P5\n3 2\n255\n") + QByteArray("\x00\x01\x02\xfd\xfe\xff", 6);
    EXPECT_EQ(diffrascope::cli::EncodePicture(picture, PictureFormat::Pgm), expected);
}

TEST(EncodedPicture, PngReadsBackAsTheSameGreyPixels) {
    AsymmetricGrid grid(256);
    QImage picture = GreyPicture(grid.Grey(), 256, View::Full);
    QImage decoded = QImage::fromData(diffrascope::cli::EncodePicture(picture, PictureFormat::Png), "PNG");
    ASSERT_EQ(decoded.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(decoded, picture);
}

} // namespace
