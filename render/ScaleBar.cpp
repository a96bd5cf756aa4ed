#include "ScaleBar.h"

#include <QFont>
#include <QPainter>

#include <cmath>

namespace diffrascope {
namespace {

constexpr double kMostOfPanel = 0.25; // the bar's longest length, as a part of the panel
constexpr double kSteps[] = {5, 2, 1}; // round lengths within a decade, longest first
constexpr int kMargin = 6;             // pixels from the panel's edges
constexpr int kBarHeight = 3;
constexpr int kTextPixels = 12;
constexpr int kBoxGrey = 0;
constexpr int kBarGrey = 255;
constexpr const char *kFont = "Nimbus Sans";

// The longest of 1, 2 or 5 times a power of ten that is at most `most`.
double RoundLength(double most) {
    const double decade = std::pow(10.0, std::floor(std::log10(most)));
    for (double step : kSteps) {
        if (step * decade <= most) {
            return step * decade;
        }
    }
    return decade;
}

QString Number(double value) { return QString::number(value, 'g', 6); }

} // namespace

ScaleBarLength ScaleBarFor(double width, int side, std::optional<double> arcsecondsPerLambdaOverD) {
    const double across = arcsecondsPerLambdaOverD ? width * *arcsecondsPerLambdaOverD : width;
    const double units = RoundLength(kMostOfPanel * across);
    const QString label = arcsecondsPerLambdaOverD ? Number(units) + QStringLiteral("\"")
                                                   : Number(units) + QStringLiteral(" λ/D");
    return {units, units / across * side, label};
}

void DrawScaleBar(QImage &picture, const QRect &box, const ScaleBarLength &bar) {
    QImage layer = picture.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&layer);
        QFont font(QString::fromLatin1(kFont));
        font.setPixelSize(kTextPixels);
        painter.setFont(font);
        const int length = static_cast<int>(std::lround(bar.pixels));
        const int textWidth = painter.fontMetrics().horizontalAdvance(bar.label);
        const int boxWidth = std::max(length, textWidth) + 2 * kMargin;
        const int boxHeight = kTextPixels + kBarHeight + 3 * kMargin;
        const QRect back(box.left(), box.bottom() + 1 - boxHeight, std::min(boxWidth, box.width()), boxHeight);
        painter.fillRect(back, QColor(kBoxGrey, kBoxGrey, kBoxGrey));
        painter.fillRect(QRect(back.left() + kMargin, back.bottom() + 1 - kMargin - kBarHeight, length, kBarHeight),
                         QColor(kBarGrey, kBarGrey, kBarGrey));
        painter.setPen(QColor(kBarGrey, kBarGrey, kBarGrey));
        painter.drawText(QRect(back.left() + kMargin, back.top() + kMargin, back.width(), kTextPixels),
                         Qt::AlignLeft | Qt::AlignVCenter, bar.label);
    }
    picture = layer.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace diffrascope
