// Draws the 32 x 32 application icon: a star image (bright pale-green centre,
// concentric dark and bright rings on black) crossed by a short line of red
// italic capitals. Usage: MakeIcon OUTPUT.png
// The icon in resources/ was made with it; run it again only to change the picture.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSide = 32;
constexpr int kSubsamples = 4;               // per pixel and axis, to smooth the rings
constexpr double kFirstDarkRingPixels = 4.0; // radius of the first dark ring
constexpr double kFirstZeroOfJ1 = 3.8317;    // where 2 J1(x) / x first vanishes
constexpr double kRingGain = 1.35;           // lifts the faint outer rings into view
constexpr QRgb kPaleGreen = qRgb(200, 255, 200);
constexpr QRgb kLetterRed = qRgb(230, 20, 20);
constexpr const char *kLettering = "STAR";
constexpr int kLetterPixels = 10;
constexpr int kLetterTop = 17;       // the line crosses the rings just below the bright centre
constexpr double kFadeStart = 12.0;  // radius where the picture starts to fade into black
constexpr double kFadeEnd = 15.5;    // radius beyond which it is black

// Amplitude of the diffraction pattern of a circular aperture, 1 at the centre.
double AiryAmplitude(double radius) {
    const double x = radius * kFirstZeroOfJ1 / kFirstDarkRingPixels;
    return x < 1e-9 ? 1.0 : std::abs(2.0 * std::cyl_bessel_j(1.0, x) / x);
}

// Brightness 0..1 of pixel (px, py), averaged over its subsamples.
double PixelBrightness(int px, int py) {
    const double centre = kSide / 2.0;
    double sum = 0;
    for (int sy = 0; sy < kSubsamples; ++sy) {
        for (int sx = 0; sx < kSubsamples; ++sx) {
            const double x = px + (sx + 0.5) / kSubsamples - centre;
            const double y = py + (sy + 0.5) / kSubsamples - centre;
            const double r = std::hypot(x, y);
            const double fade = std::clamp((kFadeEnd - r) / (kFadeEnd - kFadeStart), 0.0, 1.0);
            sum += fade * std::min(1.0, std::sqrt(AiryAmplitude(r)) * kRingGain);
        }
    }
    return sum / (kSubsamples * kSubsamples);
}

QImage DrawStar() {
    QImage icon(kSide, kSide, QImage::Format_ARGB32);
    for (int y = 0; y < kSide; ++y) {
        auto *line = reinterpret_cast<QRgb *>(icon.scanLine(y));
        for (int x = 0; x < kSide; ++x) {
            const double v = PixelBrightness(x, y);
            line[x] = qRgb(static_cast<int>(qRed(kPaleGreen) * v), static_cast<int>(qGreen(kPaleGreen) * v),
                           static_cast<int>(qBlue(kPaleGreen) * v));
        }
    }
    return icon;
}

void DrawLettering(QImage &icon) {
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont font(QStringLiteral("Nimbus Sans"));
    font.setPixelSize(kLetterPixels);
    font.setBold(true);
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(QColor(kLetterRed));
    painter.drawText(QRect(0, kLetterTop, kSide, kSide - kLetterTop), Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8(kLettering));
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: MakeIcon OUTPUT.png\n";
        return 2;
    }
    QImage icon = DrawStar();
    DrawLettering(icon);
    return icon.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
