#include "Image.h"

#include <QPainter>
#include <QRect>

#include <algorithm>
#include <cstring>

namespace diffrascope::ui {

namespace {

// Copies the overlap of bitmap, placed at (x, y), into picture row by row; both share one format.
void CopyRows(QImage &picture, int x, int y, const QImage &bitmap) {
    const QRect target = picture.rect() & QRect(x, y, bitmap.width(), bitmap.height());
    if (target.isEmpty()) {
        return;
    }
    const int bytesPerPixel = picture.depth() / 8;
    const auto rowBytes = static_cast<std::size_t>(target.width() * bytesPerPixel);
    for (int row = target.top(); row <= target.bottom(); ++row) {
        const uchar *from = bitmap.constScanLine(row - y) + (target.left() - x) * bytesPerPixel;
        std::memcpy(picture.scanLine(row) + target.left() * bytesPerPixel, from, rowBytes);
    }
}

} // namespace

TImage::TImage(QWidget *parent) : QWidget(parent) {}

QImage &TImage::Canvas() {
    if (picture_.isNull()) {
        picture_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_BGR888);
        picture_.fill(Qt::white);
    }
    return picture_;
}

void TImage::SetControlSize(int width, int height) { resize(width, height); }

void TImage::Draw(int x, int y, const QImage &bitmap) {
    QImage &canvas = Canvas();
    if (bitmap.format() == canvas.format() && canvas.depth() % 8 == 0) {
        CopyRows(canvas, x, y, bitmap);
    } else {
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(x, y, bitmap);
    }
    update();
}

void TImage::paintEvent(QPaintEvent * /*event*/) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    // On a scaled screen every grey level stays a crisp block of device pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPoint(0, 0), picture_);
}

} // namespace diffrascope::ui
