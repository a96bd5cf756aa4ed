// Draws the application icon: a star image (bright pale-green centre,
// concentric dark and bright rings on black) crossed by a short line of red
// italic capitals. Every length is drawn for 32 x 32 and scaled with the side,
// so each size shows the same picture.
// Usage: MakeIcon OUTPUT.png [SIDE [LETTERING]]   (SIDE 16 to 1024 pixels,
// default 32; LETTERING "STAR", Diffrascope Lab's variant "LAB")
// resources/MAINICON.png is the 32 x 32 rendition and packaging/icons/ holds
// the larger one; run it again only to change the picture.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <string>

namespace {

constexpr int kDesignSide = 32;              // the icon's own size; other sides scale from it
constexpr int kMinSide = 16;
constexpr int kMaxSide = 1024;
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

// Lengths of the picture in pixels of an icon of the given side.
struct Geometry {
    int side;
    double scale; // pixels per pixel of the 32 x 32 design
};

// Amplitude of the diffraction pattern of a circular aperture, 1 at the centre.
double AiryAmplitude(double radius, const Geometry &g) {
    const double x = radius * kFirstZeroOfJ1 / (kFirstDarkRingPixels * g.scale);
    return x < 1e-9 ? 1.0 : std::abs(2.0 * std::cyl_bessel_j(1.0, x) / x);
}

// Brightness 0..1 of pixel (px, py), averaged over its subsamples.
double PixelBrightness(int px, int py, const Geometry &g) {
    const double centre = g.side / 2.0;
    const double fadeStart = kFadeStart * g.scale;
    const double fadeEnd = kFadeEnd * g.scale;
    double sum = 0;
    for (int sy = 0; sy < kSubsamples; ++sy) {
        for (int sx = 0; sx < kSubsamples; ++sx) {
            const double x = px + (sx + 0.5) / kSubsamples - centre;
            const double y = py + (sy + 0.5) / kSubsamples - centre;
            const double r = std::hypot(x, y);
            const double fade = std::clamp((fadeEnd - r) / (fadeEnd - fadeStart), 0.0, 1.0);
            sum += fade * std::min(1.0, std::sqrt(AiryAmplitude(r, g)) * kRingGain);
        }
    }
    return sum / (kSubsamples * kSubsamples);
}

QImage DrawStar(const Geometry &g) {
    QImage icon(g.side, g.side, QImage::Format_ARGB32);
    for (int y = 0; y < g.side; ++y) {
        auto *line = reinterpret_cast<QRgb *>(icon.scanLine(y));
        for (int x = 0; x < g.side; ++x) {
            const double v = PixelBrightness(x, y, g);
            line[x] = qRgb(static_cast<int>(qRed(kPaleGreen) * v), static_cast<int>(qGreen(kPaleGreen) * v),
                           static_cast<int>(qBlue(kPaleGreen) * v));
        }
    }
    return icon;
}

void DrawLettering(QImage &icon, const Geometry &g, const QString &lettering) {
    const int letterPixels = static_cast<int>(std::lround(kLetterPixels * g.scale));
    const int letterTop = static_cast<int>(std::lround(kLetterTop * g.scale));
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    QFont font(QStringLiteral("Nimbus Sans"));
    font.setPixelSize(letterPixels);
    font.setBold(true);
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(QColor(kLetterRed));
    painter.drawText(QRect(0, letterTop, g.side, g.side - letterTop), Qt::AlignHCenter | Qt::AlignTop,
                     lettering);
}

// The side given on the command line, when it is a whole number in range.
std::optional<int> ReadSide(const char *text) {
    try {
        std::size_t used = 0;
        const int side = std::stoi(text, &used);
        if (used == std::char_traits<char>::length(text) && side >= kMinSide && side <= kMaxSide) {
            return side;
        }
    } catch (const std::exception &) {
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication application(argc, argv);
    const std::optional<int> side = argc >= 3 ? ReadSide(argv[2]) : std::optional<int>(kDesignSide);
    if (argc < 2 || argc > 4 || !side) {
        QTextStream(stderr) << "usage: MakeIcon OUTPUT.png [SIDE [LETTERING]]   (SIDE " << kMinSide << " to "
                            << kMaxSide << " pixels, default " << kDesignSide << "; LETTERING default "
                            << kLettering << ")\n";
        return 2;
    }
    const Geometry geometry{*side, static_cast<double>(*side) / kDesignSide};
    QImage icon = DrawStar(geometry);
    DrawLettering(icon, geometry, argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString::fromUtf8(kLettering));
    return icon.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
