// The two star-image bitmaps: transposed, white beyond N, centre crop, grey bytes.

#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Errors.h"
#include "StarBitmaps.h"

namespace diffrascope {
namespace {

// An n x n grey grid stored the way the pipeline stores it: one buffer per row.
class GreyGrid {
  public:
    GreyGrid(std::int32_t n, const std::function<std::int32_t(std::int32_t, std::int32_t)> &level)
        : values_(static_cast<std::size_t>(n) * n), rows_(static_cast<std::size_t>(n)) {
        for (std::int32_t i = 0; i < n; ++i) {
            rows_[i] = values_.data() + static_cast<std::size_t>(i) * n;
            for (std::int32_t j = 0; j < n; ++j) {
                rows_[i][j] = level(i, j);
            }
        }
    }
    const std::int32_t *const *Rows() const { return rows_.data(); }

  private:
    std::vector<std::int32_t> values_;
    std::vector<std::int32_t *> rows_;
};

// A pattern whose every grid point has its own level pair of row and column.
std::int32_t Pattern(std::int32_t i, std::int32_t j) { return (i * 7 + j * 13) % 256; }

int GreyAt(const QImage &bitmap, int x, int y) { return bitmap.constScanLine(y)[x * 3]; }

TEST(StarBitmaps, ShowTheGridTransposedSoThatGridRowsBecomePictureColumns) {
    const GreyGrid grid(256, [](std::int32_t i, std::int32_t) { return i; });
    const QImage full = MakeFullBitmap(grid.Rows(), 256);
    const QImage crop = MakeCentreCropBitmap(grid.Rows(), 256);
    for (int y = 0; y < 256; y += 51) {
        for (int x = 0; x < 256; ++x) {
            ASSERT_EQ(GreyAt(full, x, y), x) << "full picture, pixel " << x << " of row " << y;
            ASSERT_EQ(GreyAt(crop, x, y), x) << "crop, pixel " << x << " of row " << y;
        }
    }
}

TEST(StarBitmaps, AreTwentyFourBitPicturesWhoseThreeBytesPerPixelAreEqual) {
    const GreyGrid grid(512, Pattern);
    for (const QImage &bitmap : {MakeFullBitmap(grid.Rows(), 512), MakeCentreCropBitmap(grid.Rows(), 512)}) {
        ASSERT_EQ(bitmap.format(), QImage::Format_BGR888);
        for (int y = 0; y < bitmap.height(); ++y) {
            const uchar *pixel = bitmap.constScanLine(y);
            for (int x = 0; x < bitmap.width(); ++x, pixel += 3) {
                ASSERT_TRUE(pixel[0] == pixel[1] && pixel[1] == pixel[2]) << "pixel " << x << " of row " << y;
            }
        }
    }
}

TEST(StarBitmaps, WriteTheLowByteOfEachGridElement) {
    const GreyGrid grid(256, [](std::int32_t i, std::int32_t j) { return 0x1200 + (i + j) % 256; });
    const QImage full = MakeFullBitmap(grid.Rows(), 256);
    EXPECT_EQ(GreyAt(full, 3, 5), 8);
    EXPECT_EQ(GreyAt(full, 200, 100), 44);
}

class FullPicture : public testing::TestWithParam<std::int32_t> {};

TEST_P(FullPicture, IsTenTwentyFourSquareWithTheGridTopLeftAndWhiteBeyondIt) {
    const std::int32_t n = GetParam();
    const GreyGrid grid(n, Pattern);
    const QImage full = MakeFullBitmap(grid.Rows(), n);
    ASSERT_EQ(full.size(), QSize(kFullPictureSide, kFullPictureSide));
    for (int y = 0; y < kFullPictureSide; y += 3) {
        for (int x = 0; x < kFullPictureSide; ++x) {
            const int expected = (x < n && y < n) ? Pattern(x, y) : 255;
            ASSERT_EQ(GreyAt(full, x, y), expected) << "pixel " << x << " of row " << y;
        }
    }
    EXPECT_EQ(GreyAt(full, n / 2, n / 2), Pattern(n / 2, n / 2)) << "the far field's origin";
}

INSTANTIATE_TEST_SUITE_P(GridSizes, FullPicture, testing::Values(256, 512, 1024),
                         [](const auto &info) { return "N" + std::to_string(info.param); });

class CentreCrop : public testing::TestWithParam<std::int32_t> {};

TEST_P(CentreCrop, CoversTheMiddleTwoHundredFiftySixRowsAndColumnsWithTheOriginAtPixel128OfRow128) {
    const std::int32_t n = GetParam();
    const std::int32_t offset = n / 2 - 128; // 0, 128, 384
    const GreyGrid grid(n, Pattern);
    const QImage crop = MakeCentreCropBitmap(grid.Rows(), n);
    ASSERT_EQ(crop.size(), QSize(kCropSide, kCropSide));
    for (int y = 0; y < kCropSide; ++y) {
        for (int x = 0; x < kCropSide; ++x) {
            ASSERT_EQ(GreyAt(crop, x, y), Pattern(x + offset, y + offset)) << "pixel " << x << " of row " << y;
        }
    }
    EXPECT_EQ(GreyAt(crop, 128, 128), Pattern(n / 2, n / 2));
}

INSTANTIATE_TEST_SUITE_P(GridSizes, CentreCrop, testing::Values(256, 512, 1024),
                         [](const auto &info) { return "N" + std::to_string(info.param); });

// Records what DrawStarImage does to a picture control.
class RecordingControl : public PictureControl {
  public:
    void SetControlSize(int width, int height) override { events.push_back("size " + Size(width, height)); }
    void Draw(int x, int y, const QImage &bitmap) override {
        events.push_back("draw " + Size(bitmap.width(), bitmap.height()) + " at " + std::to_string(x) + "," +
                         std::to_string(y));
        last = bitmap;
    }
    std::vector<std::string> events;
    QImage last;

  private:
    static std::string Size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }
};

TEST(DrawStarImage, SizesTheFullPictureControlFirstThenDrawsBothBitmapsAtTheTopLeftCorner) {
    const GreyGrid grid(512, Pattern);
    RecordingControl full;
    RecordingControl crop;
    DrawStarImage(grid.Rows(), 512, full, crop);
    EXPECT_EQ(full.events, (std::vector<std::string>{"size 1024x1024", "draw 1024x1024 at 0,0"}));
    EXPECT_EQ(crop.events, (std::vector<std::string>{"draw 256x256 at 0,0"}));
    EXPECT_EQ(full.last, MakeFullBitmap(grid.Rows(), 512));
    EXPECT_EQ(crop.last, MakeCentreCropBitmap(grid.Rows(), 512));
}

TEST(DrawStarImage, RefusesGridSizesThePicturesCannotHoldAndDrawsNothing) {
    const GreyGrid grid(2048, Pattern);
    for (const std::int32_t n : {128, 254, 511, 2048}) {
        RecordingControl full;
        RecordingControl crop;
        EXPECT_THROW(DrawStarImage(grid.Rows(), n, full, crop), InvalidInputError) << "N = " << n;
        EXPECT_TRUE(full.events.empty() && crop.events.empty()) << "N = " << n;
    }
}

} // namespace
} // namespace diffrascope
