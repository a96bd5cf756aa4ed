#include "SheetPicture.h"

#include <QBuffer>
#include <QFont>
#include <QImageWriter>
#include <QPainter>

#include <algorithm>
#include <cstring>

#include "ScaleBar.h"
#include "Units.h"

namespace diffrascope {
namespace {

constexpr int kMaxGrey = 255;
constexpr int kPanelsPerRow = 8;
constexpr int kGap = 8;          // pixels around and between the panels
constexpr int kLabelHeight = 38; // two lines of text under each panel
constexpr int kLabelPixels = 14; // text height
constexpr int kBackground = 40;  // dark grey, so that dark panels keep their edges
constexpr int kTextGrey = 235;
constexpr const char *kLabelFont = "Nimbus Sans";

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

// The panel's rows into the picture, its top-left at `at`.
void CopyPanel(QImage &picture, const optics::PanelResult &panel, QPoint at) {
    for (std::int32_t y = 0; y < panel.side; ++y) {
        std::memcpy(picture.scanLine(at.y() + y) + at.x(), panel.grey.data() + static_cast<std::ptrdiff_t>(y) * panel.side,
                    static_cast<std::size_t>(panel.side));
    }
}

// The label's two lines drawn in a colour picture, then copied as grey into the sheet.
void DrawLabel(QImage &sheet, const QRect &box, const optics::PanelFocus &label, const QString &caption) {
    QImage text(box.size(), QImage::Format_RGB32);
    text.fill(QColor(kBackground, kBackground, kBackground));
    {
        QPainter painter(&text);
        QFont font(QString::fromLatin1(kLabelFont));
        font.setPixelSize(kLabelPixels);
        painter.setFont(font);
        painter.setPen(QColor(kTextGrey, kTextGrey, kTextGrey));
        const QRect lines = text.rect();
        const int half = lines.height() / 2;
        painter.drawText(QRect(0, 0, lines.width(), half), Qt::AlignHCenter | Qt::AlignBottom,
                         QString::fromStdString(label.Title()));
        painter.drawText(QRect(0, half, lines.width(), half), Qt::AlignHCenter | Qt::AlignTop, caption);
    }
    for (int y = 0; y < box.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(text.constScanLine(y));
        uchar *to = sheet.scanLine(box.top() + y) + box.left();
        for (int x = 0; x < box.width(); ++x) {
            to[x] = static_cast<uchar>(qGray(from[x]));
        }
    }
}

// The scale bar of a panel of the result, when the job asks for one.
void MaybeScaleBar(QImage &picture, const QRect &box, const optics::PanelResult &panel, const optics::Result &result) {
    if (!result.job.scaleBar || picture.isNull()) {
        return;
    }
    std::optional<double> arcseconds;
    if (result.job.apertureMm) {
        arcseconds = optics::ArcsecondsPerLambdaOverD(result.job.system.wavelength, *result.job.apertureMm);
    }
    DrawScaleBar(picture, box, ScaleBarFor(panel.width, panel.side, arcseconds));
}

} // namespace

QImage PanelPicture(const optics::PanelResult &panel) {
    QImage picture(panel.side, panel.side, QImage::Format_Grayscale8);
    if (!picture.isNull()) {
        CopyPanel(picture, panel, QPoint(0, 0));
    }
    return picture;
}

QImage SheetPicture(const optics::Result &result) {
    const int count = static_cast<int>(result.panels.size());
    const int rows = (count + kPanelsPerRow - 1) / kPanelsPerRow;
    const int columns = (count + rows - 1) / rows; // rows as even as they come
    const int side = result.view.side;
    const int cellWidth = side + kGap;
    const int cellHeight = side + kLabelHeight + kGap;
    QImage sheet(kGap + columns * cellWidth, kGap + rows * cellHeight, QImage::Format_Grayscale8);
    if (sheet.isNull()) {
        return sheet;
    }
    sheet.fill(QColor(kBackground, kBackground, kBackground));
    for (int k = 0; k < count; ++k) {
        const QPoint at(kGap + (k % columns) * cellWidth, kGap + (k / columns) * cellHeight);
        const optics::PanelResult &panel = result.panels[static_cast<std::size_t>(k)];
        CopyPanel(sheet, panel, at);
        DrawLabel(sheet, QRect(at.x(), at.y() + side, side, kLabelHeight), panel.focus,
                  QString::fromStdString(optics::DefocusCaption(panel, result)));
        MaybeScaleBar(sheet, QRect(at, QSize(side, side)), panel, result);
    }
    return sheet;
}

QImage ResultPicture(const optics::Result &result) {
    if (result.IsSheet()) {
        return SheetPicture(result);
    }
    QImage picture = PanelPicture(result.panels.front());
    MaybeScaleBar(picture, picture.rect(), result.panels.front(), result);
    return picture;
}

QByteArray EncodePicture(const QImage &picture, PictureFormat format) {
    return format == PictureFormat::Pgm ? EncodePgm(picture) : EncodePng(picture);
}

} // namespace diffrascope
