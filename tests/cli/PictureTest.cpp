// The picture unit with grey levels that, unlike every star image, are not
// symmetric under transposition: orientation, offsets and sheet places show.

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <cstdint>
#include <vector>

#include "GreyPicture.h"
#include "SheetPicture.h"

namespace {

using diffrascope::PictureFormat;

// A level that tells row and column apart: (7 i + 3 j) mod 256.
std::int32_t Level(std::int32_t i, std::int32_t j) { return (7 * i + 3 * j) % 256; }

// Picture pixel (x, y) at Level(x + shift, y): the panel's rows are the picture's.
diffrascope::optics::PanelResult AsymmetricPanel(std::int32_t side, std::int32_t shift = 0) {
    diffrascope::optics::PanelResult panel;
    panel.side = side;
    for (std::int32_t y = 0; y < side; ++y) {
        for (std::int32_t x = 0; x < side; ++x) {
            panel.grey.push_back(static_cast<std::uint8_t>(Level(x + shift, y)));
        }
    }
    return panel;
}

// Counts the pixels of the square at (left, top) that differ from Level(first + column, first + row).
int MismatchedPixels(const QImage &picture, std::int32_t first, int left = 0, int top = 0, int side = -1,
                     std::int32_t shift = 0) {
    side = side < 0 ? picture.width() : side;
    int mismatches = 0;
    for (int row = 0; row < side; ++row) {
        const uchar *line = picture.constScanLine(top + row) + left;
        for (int column = 0; column < side; ++column) {
            mismatches += line[column] != Level(first + column + shift, first + row) ? 1 : 0;
        }
    }
    return mismatches;
}

TEST(PanelPicture, ShowsThePanelsRowsAsItsScanLines) {
    const QImage picture = diffrascope::PanelPicture(AsymmetricPanel(300));
    ASSERT_EQ(picture.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(picture.size(), QSize(300, 300));
    EXPECT_EQ(MismatchedPixels(picture, 0), 0);
}

TEST(GreyPicture, WritesGreyOrEqualColourBytesFromAnyFirstRowToAnyPlace) {
    std::vector<std::vector<std::int32_t>> grid(64, std::vector<std::int32_t>(64));
    std::vector<const std::int32_t *> rows;
    for (std::int32_t i = 0; i < 64; ++i) {
        for (std::int32_t j = 0; j < 64; ++j) {
            grid[i][j] = Level(i, j);
        }
        rows.push_back(grid[i].data());
    }
    QImage grey(40, 40, QImage::Format_Grayscale8);
    grey.fill(0);
    diffrascope::FillTransposed(grey, rows.data(), 16, 32, QPoint(5, 7));
    EXPECT_EQ(MismatchedPixels(grey, 16, 5, 7, 32), 0);
    EXPECT_EQ(grey.pixelColor(4, 7), QColor(0, 0, 0)) << "nothing is written outside the square";
    QImage colour(32, 32, QImage::Format_BGR888);
    diffrascope::FillTransposed(colour, rows.data(), 16, 32);
    EXPECT_EQ(colour.convertToFormat(QImage::Format_Grayscale8), grey.copy(5, 7, 32, 32));
    EXPECT_EQ(colour.pixel(3, 1), qRgb(Level(19, 17), Level(19, 17), Level(19, 17)));
}

TEST(SheetPicture, PlacesEveryPanelWholeInRowsOfAtMostEightWithItsLabelBeneath) {
    diffrascope::optics::Result result;
    result.view = {40, 1, 0};
    for (std::int32_t k = 0; k < 9; ++k) {
        result.panels.push_back(AsymmetricPanel(40, k));
        result.panels.back().focus = {static_cast<double>(k), diffrascope::optics::Role::Focus,
                                      std::to_string(k) + " waves", {}};
    }
    const QImage sheet = diffrascope::SheetPicture(result);
    // nine panels: two rows of five and four
    const int gap = 8;
    const int label = 38;
    ASSERT_EQ(sheet.size(), QSize(gap + 5 * (40 + gap), gap + 2 * (40 + label + gap)));
    for (std::int32_t k = 0; k < 9; ++k) {
        const int left = gap + (k % 5) * (40 + gap);
        const int top = gap + (k / 5) * (40 + label + gap);
        EXPECT_EQ(MismatchedPixels(sheet, 0, left, top, 40, k), 0) << "panel " << k;
        const QImage text = sheet.copy(left, top + 40, 40, label);
        EXPECT_GT(*std::max_element(text.constBits(), text.constBits() + text.sizeInBytes()), 150)
            << "panel " << k << " has a label";
    }
}

TEST(EncodedPicture, PgmIsABinaryHeaderFollowedByTheRowsWithoutPadding) {
    QImage picture(3, 2, QImage::Format_Grayscale8); // 3 bytes of pixels in a 4-byte scan line
    const uchar rows[2][3] = {{0, 1, 2}, {253, 254, 255}};
    for (int row = 0; row < 2; ++row) {
        std::copy(rows[row], rows[row] + 3, picture.scanLine(row));
    }
    QByteArray expected = QByteArrayLiteral("P5\n3 2\n255\n") + QByteArray("\x00\x01\x02\xfd\xfe\xff", 6);
    EXPECT_EQ(diffrascope::EncodePicture(picture, PictureFormat::Pgm), expected);
}

TEST(EncodedPicture, PngReadsBackAsTheSameGreyPixels) {
    const QImage picture = diffrascope::PanelPicture(AsymmetricPanel(256));
    QImage decoded = QImage::fromData(diffrascope::EncodePicture(picture, PictureFormat::Png), "PNG");
    ASSERT_EQ(decoded.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(decoded, picture);
}

} // namespace

namespace {

// The longest run of white pixels along a row of the picture's bottom 20 rows.
int LongestWhiteRun(const QImage &picture) {
    int longest = 0;
    for (int row = picture.height() - 20; row < picture.height(); ++row) {
        int run = 0;
        for (int x = 0; x < picture.width(); ++x) {
            run = picture.pixelColor(x, row).value() == 255 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

struct BarCase {
    std::optional<double> apertureMm;
    double width; // lambda/D the panel shows
};

class ScaleBarTest : public testing::TestWithParam<BarCase> {};

// The bar's length in pixels, at the panel's scale (arcseconds: 648000/pi
// lambda/D in radians), is 1, 2 or 5 times a power of ten, from a tenth to a
// quarter of the field.
TEST_P(ScaleBarTest, IsARoundLengthAtThePanelsScale) {
    constexpr int kSide = 256;
    constexpr double kArcsecondsPerRadian = 648000 / 3.141592653589793;
    diffrascope::optics::Result result;
    result.job.scaleBar = true;
    result.job.apertureMm = GetParam().apertureMm;
    result.width = GetParam().width;
    diffrascope::optics::PanelResult panel;
    panel.side = kSide;
    panel.width = GetParam().width;
    panel.grey.assign(static_cast<std::size_t>(kSide) * kSide, 0);
    result.panels.push_back(panel);
    const QImage picture = diffrascope::ResultPicture(result);
    ASSERT_EQ(picture.width(), kSide);
    const double unit = GetParam().apertureMm ? 550e-9 / (*GetParam().apertureMm * 1e-3) * kArcsecondsPerRadian : 1;
    const double field = GetParam().width * unit; // arcseconds or lambda/D
    const double length = LongestWhiteRun(picture) * field / kSide;
    const double decade = std::pow(10.0, std::floor(std::log10(length * 1.01)));
    const double round = std::round(length / decade);
    EXPECT_TRUE(round == 1 || round == 2 || round == 5 || round == 10) << length;
    EXPECT_NEAR(length, round * decade, field / kSide) << length;
    EXPECT_GT(length, field / 10);
    EXPECT_LE(length, field / 4 + field / kSide);
}

INSTANTIATE_TEST_SUITE_P(Picture, ScaleBarTest,
                         testing::Values(BarCase{200.0, 51.2}, BarCase{std::nullopt, 51.2}, BarCase{1000.0, 12.8},
                                         BarCase{50.0, 300}));

} // namespace
