// TImage keeps what is drawn on it and paints it without smoothing.

#include <QImage>

#include <gtest/gtest.h>

#include "Image.h"

namespace diffrascope::ui {
namespace {

QImage GreyRamp(int width, int height, QImage::Format format) {
    QImage bitmap(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int level = (x * 37 + y * 11) % 256;
            bitmap.setPixelColor(x, y, QColor(level, level, level));
        }
    }
    return bitmap;
}

TEST(PictureControl, MakesAWhitePictureOfItsOwnSizeAtFirstUse) {
    TImage image;
    image.resize(40, 30);
    EXPECT_TRUE(image.Picture().isNull());
    const QImage &canvas = image.Canvas();
    EXPECT_EQ(canvas.size(), QSize(40, 30));
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(39, 29), QColor(Qt::white));
}

TEST(PictureControl, KeepsItsPictureSizeWhenTheControlIsResizedLater) {
    TImage image;
    image.resize(20, 20);
    image.Canvas();
    image.SetControlSize(50, 50);
    EXPECT_EQ(image.size(), QSize(50, 50));
    EXPECT_EQ(image.Picture().size(), QSize(20, 20));
}

TEST(PictureControl, CopiesTheBitmapPixelsAtTheGivenPointAndClipsAtItsEdges) {
    for (const QImage::Format format : {QImage::Format_BGR888, QImage::Format_RGB32}) {
        TImage image;
        image.resize(16, 16);
        const QImage bitmap = GreyRamp(10, 10, format);
        image.Draw(9, 4, bitmap);
        const QImage &picture = image.Picture();
        EXPECT_EQ(picture.pixelColor(8, 4), QColor(Qt::white)) << "left of the bitmap stays";
        EXPECT_EQ(picture.pixelColor(9, 4), bitmap.pixelColor(0, 0));
        EXPECT_EQ(picture.pixelColor(15, 13), bitmap.pixelColor(6, 9)) << "last column that fits";
        EXPECT_EQ(picture.pixelColor(15, 14), QColor(Qt::white)) << "below the bitmap stays";
    }
}

TEST(PictureControl, PaintsEachPixelAsACrispSquareOnAScaledScreen) {
    TImage image;
    image.resize(8, 8);
    const QImage bitmap = GreyRamp(8, 8, QImage::Format_BGR888);
    image.Draw(0, 0, bitmap);
    QImage screen(16, 16, QImage::Format_RGB32); // device pixels at a scale of two
    screen.setDevicePixelRatio(2);
    screen.fill(Qt::red);
    image.render(&screen);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(screen.pixelColor(x, y), bitmap.pixelColor(x / 2, y / 2)) << "device pixel " << x << "," << y;
        }
    }
}

} // namespace
} // namespace diffrascope::ui
