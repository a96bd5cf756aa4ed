#include "RenderOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <variant>

#include "Decimal.h"
#include "Limits.h"
#include "Light.h"
#include "OpticsError.h"
#include "OptionNames.h"
#include "Units.h"
#include "ObjectFile.h"
#include "WavefrontFile.h"

namespace diffrascope::frontend {

using optics::Compare;
using optics::Decimal;
using optics::DecimalReading;
using optics::DecimalStatus;
using optics::ReadDecimal;
using optics::ToDouble;

namespace {

// ---- Values and their ranges ----------------------------------------------------

struct Range {
    Decimal min;
    Decimal max;
    bool aboveMin = false; // the minimum itself is not accepted
    const char *text;      // as the messages and --help say it
    bool belowMax = false; // the maximum itself is not accepted
};

// The library's limit with its ends as exact decimals, so that "10" and
// "10.0" are in and "10.01" is out whatever the doubles would say.
Range RangeOf(const optics::Limit &limit) {
    return {*optics::DecimalOf(limit.min), *optics::DecimalOf(limit.max), limit.aboveMin, limit.text, limit.belowMax};
}

const Range kSphericalRange = RangeOf(optics::kSphericalLimit);
const Range kFocusRange = RangeOf(optics::kFocusLimit);
const Range kObstructionRange = RangeOf(optics::kObstructionLimit);
const Range kWavelengthRange = RangeOf(optics::kWavelengthLimit);
const Range kTermRange = RangeOf(optics::kComaLimit);
const Range kAngleRange = RangeOf(optics::kAngleLimit);
const Range kZernikeRange = RangeOf(optics::kZernikeLimit);
const Range kVaneWidthRange = RangeOf(optics::kVaneWidthLimit);
const Range kFRatioRange = RangeOf(optics::kFRatioLimit);
const Range kApertureRange = RangeOf(optics::kApertureLimit);
const Range kDefocusMmRange = RangeOf(optics::kTravelLimit);
const Range kStarTestRange = RangeOf(optics::kStarTestLimit);
const Range kStarTestMmRange = RangeOf(optics::kStarTestTravelLimit);
const Range kFieldRange = RangeOf(optics::kFieldLimit);
const Range kFocusFieldRange = RangeOf(optics::kFocusFieldLimit);
const Range kDecadesRange = RangeOf(optics::kDecadesLimit);
const Range kRadiusRange = RangeOf(optics::kRadiusLimit);
const Range kEdgeDepthRange = RangeOf(optics::kEdgeDepthLimit);
const Range kEdgeStartRange = RangeOf(optics::kEdgeStartLimit);
const Range kZoneRadiusRange = RangeOf(optics::kZoneRadiusLimit);
const Range kZoneHeightRange = RangeOf(optics::kZoneHeightLimit);
const Range kZoneWidthRange = RangeOf(optics::kZoneWidthLimit);
const Range kRoughnessRange = RangeOf(optics::kRoughnessLimit);
const Range kSeeingRange = RangeOf(optics::kSeeingLimit);
const Range kSeparationRange = RangeOf(optics::kCompanionSeparationLimit);
const Range kMagnitudeRange = RangeOf(optics::kCompanionMagnitudeLimit);
const Range kObjectScaleRange = RangeOf(optics::kObjectScaleLimit);

// ---- Options ----------------------------------------------------------------------


namespace group {
constexpr const char *kOptics = "Optics";
constexpr const char *kStarTest = "Star test";
constexpr const char *kLight = "Light";
constexpr const char *kSeeing = "Seeing";
constexpr const char *kSky = "Sky";
constexpr const char *kDisplay = "Display";
constexpr const char *kOutput = "Output";
} // namespace group

struct OptionText {
    const char *name;
    const char *valueName; // empty for a flag
    const char *group;
    const char *description;
};

const OptionText kOptions[] = {
    {name::kSpherical, "WAVES", group::kOptics,
     "Spherical aberration W040 at the edge of the pupil, -10 to 10 waves; positive is under-correction, the "
     "marginal rays focusing short at focus -2 x WAVES (default 0)."},
    {name::kComa, "WAVES[@DEG]", group::kOptics,
     "Coma W131 u^3 cos(theta - DEG), -10 to 10 waves; its tail points along DEG, counted counterclockwise from "
     "the picture's +x axis (default 0)."},
    {name::kAstigmatism, "WAVES[@DEG]", group::kOptics,
     "Astigmatism W222 u^2 cos^2(theta - DEG), -10 to 10 waves; at focus 0 its line lies along DEG (default 0)."},
    {name::kZernike, "J=C[,J=C...]", group::kOptics,
     "Zernike terms by Noll index J (2 to 37), C in waves RMS (-5 to 5), each term of RMS 1 over the "
     "unobstructed pupil; even J take cos(m theta), odd J sin(m theta); J = 4 and 11 overlap --focus and "
     "--spherical."},
    {name::kObstruction, "PERCENT", group::kOptics,
     "Central obstruction, 0 to 100 percent of the aperture's diameter (default 0)."},
    {name::kSpider, "COUNT,WIDTH[@DEG]", group::kOptics,
     "Spider: COUNT vanes (1 to 8) from the centre to the rim, evenly spaced, WIDTH percent of the aperture's "
     "diameter (more than 0, at most 20), the first at DEG (default 0)."},
    {name::kAperture, "D", group::kOptics,
     "The aperture's diameter, 10 to 10000 mm: the picture gets an angular scale, lambda/D being 206265 lambda/D "
     "arcseconds; the metrics add the pixel scale, FWHM, EE50 and EE80 in arcseconds, FITS adds DIAM (m) and "
     "PIXELSCL (arcseconds per pixel), and with --f-ratio the focal length."},
    {name::kTurnedEdge, "DEPTH[@START]", group::kOptics,
     "A turned edge: DEPTH ((u - START)/(1 - START))^2 waves beyond the normalised radius START (0 to less than "
     "1, default 0.9), DEPTH -10 to 10 waves at the rim. A turned-down edge of a concave mirror is a negative "
     "DEPTH: the edge lies low, its light travels further and lags, and the rim focuses long, like "
     "over-correction confined to the edge: outside focus the disc's rim is sharp, inside focus soft."},
    {name::kZone, "RADIUS,HEIGHT,WIDTH", group::kOptics,
     "A zone HEIGHT exp(-((u - RADIUS)/WIDTH)^2): RADIUS 0 to 1 and WIDTH 0.01 to 0.5 of the pupil radius, "
     "HEIGHT -10 to 10 waves (above 0 a raised ring, below 0 a trough). Give it again for more zones, up to 8."},
    {name::kRoughness, "RMS[@FROM:TO]", group::kOptics,
     "A rough surface: a random wavefront of RMS 0 to 1 wave about its mean over the pupil, its power spread "
     "evenly over the spatial frequencies from FROM to TO cycles per diameter (whole numbers, 1 <= FROM < TO "
     "<= 100; default 10:40), which scatter light into a halo from FROM to TO lambda/D."},
    {name::kSeed, "S", group::kOptics,
     "The random seed of the roughness and of the seeing's screens, a whole number from 0 to 4294967295 "
     "(default 1): the same seed gives the same wavefront on every machine. Needs --roughness or "
     "--seeing-frames."},
    {name::kWavefront, "FILE", group::kOptics,
     "A measured wavefront added to the other terms: a 2-D FITS image in waves at --wavelength (nm where BUNIT "
     "is 'nm'), NaN outside the aperture, row 1 at the bottom (+y up), column 1 at the left; its width spans "
     "the pupil's diameter unless PUPRAD (the pupil radius in pixels) and PUPCX, PUPCY (its centre, pixels "
     "counted from 1) say otherwise. Resampled to the grid by bilinear interpolation, pixels outside the "
     "aperture taking the mean of their finite neighbours. The aperture is --obstruction's and --spider's."},
    {name::kFocus, "WAVES", group::kStarTest,
     "Defocus W020 at the edge of the pupil, -50 to 50 waves; positive is extrafocal, the eyepiece racked outward "
     "beyond focus (default 0)."},
    {name::kFRatio, "F", group::kStarTest,
     "Focal ratio, 0.5 to 100: labels a sheet's defocus in mm of focuser travel as well."},
    {name::kDefocusMm, "MM", group::kStarTest,
     "Defocus as focuser travel, -100 to 100 mm, positive outward (extrafocal): W = MM / (8 F^2 lambda). Needs "
     "--f-ratio; not with --focus or --through-focus."},
    {name::kStarTest, "WAVES", group::kStarTest,
     "A star-test sheet of three panels: focus -WAVES, the given focus and +WAVES (more than 0, at most 50)."},
    {name::kStarTestMm, "MM", group::kStarTest,
     "The same with the defocus either side as focuser travel (more than 0, at most 100 mm). Needs --f-ratio."},
    {name::kThroughFocus, "FROM:TO:STEP", group::kStarTest,
     "A contact sheet of every focus from FROM to TO waves, STEP apart, both ends included; at most 64 panels."},
    {name::kWavelength, "NM", group::kLight,
     "Wavelength, 300 to 1000 nm; the reference at which every aberration is given (default 550)."},
    {name::kSpectrum, "FROM:TO:STEP|visual|FILE", group::kLight,
     "White light: every STEP nm from FROM to TO with equal energy, the eye's photopic response V(lambda) "
     "(visual, 380 to 780 nm), or a file of \"nm weight\" lines (# starts a comment). Aberrations keep their "
     "optical path: they scale as --wavelength / lambda."},
    {name::kSeeing, "R0", group::kSeeing,
     "Seeing: the Fried parameter r0, 1 to 1000 cm at 500 nm, scaling as lambda^(6/5) (10 cm is a seeing disc of "
     "about 1 arcsecond FWHM). Alone, the long-exposure image: its transfer function is the telescope's times "
     "exp(-3.44 (nu D/r0)^(5/3)), nu in units of the cut-off D/lambda, r0 that of each wavelength. Needs "
     "--aperture-mm."},
    {name::kSeeingFrames, "N", group::kSeeing,
     "Short exposures instead, 1 to 1000, each through its own Kolmogorov phase screen over the pupil (the low "
     "frequencies a finite screen misses put back), drawn from --seed; the screen's optical path is the same "
     "at every wavelength. A sheet of the first frames (at most 64), or with --average their mean. "
     "--write-wavefront writes the first frame's screen with the mirror's errors. Needs --seeing."},
    {name::kAverage, "", group::kSeeing,
     "The mean of the --seeing-frames frames, one image; a star test's or through-focus sheet's panels each "
     "the mean of the frames at its focus, through the same screens."},
    {name::kCompanion, "SEP,DMAG[@PA]", group::kSky,
     "Another star SEP arcseconds from the star (more than 0, at most 3600), DMAG magnitudes fainter (0 to 20), "
     "at the position angle PA, degrees from north (the picture's +y) through east (the picture's -x), as "
     "astronomers count (default 90, east). Its light passes the same optics: every panel shows both. Give it "
     "again for more companions, up to 8. Needs --aperture-mm; not with --object."},
    {name::kObject, "FILE", group::kSky,
     "An extended object seen through the telescope, in place of the star: a grey PNG, PGM or FITS picture "
     "(top row north, left column east; FITS row 1 at the bottom), its values the brightness. It is resampled "
     "to the grid's pixels by the area each of its pixels covers, centred on the axis, and convolved with the "
     "star image (monochromatic, white light) on a plane twice the grid's side, so that no light wraps round; "
     "the object's flux is kept, less what the star image spreads beyond the grid. Panels show the whole "
     "object unless --field is given. Needs --aperture-mm and --object-scale."},
    {name::kObjectScale, "ARCSEC", group::kSky,
     "The object's pixel, more than 0 and at most 3600 arcseconds. Needs --object."},
    {name::kNormalize, "peak|flux", group::kOutput,
     "The intensities of every output: peak, the brightest pixel of the field is 1 (default); flux, the pixels "
     "add up to 1 over the grid (with --object, to the sum of the object's pixels, so that its brightness is "
     "kept). FITS says which in NORMALIZ. The metrics keep their own normalisation; the picture's grey levels "
     "still show the brightest pixel white."},
    {name::kScaleBar, "", group::kDisplay,
     "Draw a scale bar at the bottom left of each panel: in arcseconds with --aperture-mm, else in lambda/D."},
    {name::kDisplay, "amplitude|log|linear", group::kDisplay,
     "amplitude: the window's scale, 300 x the normalised amplitude, clamped at 255 (default); log: "
     "255 (1 + log10(I/Imax) / D), clamped at 0, to show the faint rings; linear: 255 I/Imax, to show an "
     "extended object's brightness in proportion."},
    {name::kDecades, "D", group::kDisplay, "Decades of intensity the log scale shows, 1 to 10 (default 4)."},
    {name::kView, "crop|full", group::kDisplay,
     "crop: the 256 x 256 centre, as the window shows it (default); full: the whole N x N picture."},
    {name::kPanel, "PX", group::kDisplay,
     "Panel side in pixels, 32 to 2048 (default 256). A single image with --panel or --field is drawn as a "
     "sheet's panel."},
    {name::kField, "LD", group::kDisplay,
     "Width of the field a panel shows, in lambda/D (more than 0, at most 10000; at least the panel's pixels at "
     "one grid pixel each); by default the largest blur disc of the sheet with a margin. Where the field has "
     "more grid pixels than the panel, each panel pixel averages a block of them."},
    {name::kFocusField, "LD", group::kDisplay,
     "Width of the field the star test's focus panel shows, in lambda/D (more than 0, at most 10000), in whole "
     "grid pixels as --field; its label names it. The focus image is far smaller than the defocused discs. Needs "
     "--startest or --startest-mm."},
    {name::kGrid, "N", group::kDisplay,
     "Grid size: 256, 512, 1024, 2048 or 4096; by default 512 for --view, else the smallest that samples the "
     "pupil and holds the field. One pixel is 110/lambda lambda/D at any grid size."},
    {name::kOutput, "FILE", group::kOutput,
     "Picture file: .png or .pgm (8-bit grey), .fits (32-bit float intensities normalised as --normalize says, "
     "to a peak of 1 by default, the bottom row first as FITS has it); - writes PGM to standard output. "
     "Required unless --metrics is given."},
    {name::kMetrics, "FILE", group::kOutput,
     "Write JSON to FILE (- for standard output): the parameters, the grid, the pixel scale, the Strehl ratio "
     "(at the true peak, found between the pixels; strehl_pixel at the brightest pixel), the peak, the FWHM, "
     "encircled energy (about the optical axis, fractions of the whole grid's flux, each pixel's exact area "
     "inside the circle) and warnings; for a sheet one entry per panel."},
    {name::kMtf, "FILE", group::kOutput,
     "Write the MTF of the (focus panel's) star image to FILE: .csv with the header frequency,x,y,average, .json "
     "an object of those four arrays, - CSV on standard output. The modulus of the optical transfer function, "
     "normalised to 1 at zero frequency, along the picture's x and y axes and averaged around the axis, against "
     "the frequency in units of the cut-off D/lambda of --wavelength, 0 to 1, at every grid frequency."},
    {name::kEeRadii, "R[,R...]", group::kOutput,
     "More encircled-energy radii in lambda/D (more than 0, at most 1000; at most 16), after the Airy dark "
     "rings 1.2197, 2.2331 and 3.2383."},
    {name::kWriteWavefront, "FILE", group::kOutput,
     "Write the pupil's whole wavefront as sampled to a FITS file (.fits): every term, in waves at "
     "--wavelength, at the focus of the single image or of the sheet's middle panel, one pixel per grid point, "
     "NaN where no light passes. --wavefront FILE reads it back to the same star image."},
    {name::kStrict, "", group::kOutput, "Treat a sampling or field warning as an error: exit status 3 and no file."},
};

constexpr const char *kGroups[] = {group::kOptics,  group::kStarTest, group::kLight, group::kSeeing,
                                   group::kSky,     group::kDisplay,  group::kOutput};

QString Dashed(const char *option) { return QStringLiteral("--") + QLatin1String(option); }

QString Quoted(const QString &text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

// "--spherical '11' is out of range; --spherical accepts -10 to 10 waves."
QString Refused(const char *option, const QString &value, const QString &reason, const QString &accepted) {
    return QStringLiteral("%1 %2 %3; %1 accepts %4.").arg(Dashed(option), Quoted(value), reason, accepted);
}

void AddOptions(QCommandLineParser &parser) {
    for (const OptionText &option : kOptions) {
        const QString description = QString::fromUtf8(option.description);
        if (*option.valueName == '\0') {
            parser.addOption(QCommandLineOption(QLatin1String(option.name), description));
        } else {
            parser.addOption(
                QCommandLineOption(QLatin1String(option.name), description, QLatin1String(option.valueName)));
        }
    }
}

// ---- Help ------------------------------------------------------------------------

constexpr int kHelpWidth = 79;   // columns of a terminal, less one
constexpr int kHelpIndent = 30;  // where the descriptions start

// Words of `text` in lines of at most kHelpWidth columns, each after `indent` blanks.
QString Wrapped(const QString &text, int indent, int firstColumn) {
    QString wrapped;
    int column = firstColumn;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > indent && column + 1 + word.size() > kHelpWidth) {
            wrapped += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            wrapped += QLatin1Char(' ');
            ++column;
        } else if (column < indent) {
            wrapped += QString(indent - column, QLatin1Char(' '));
            column = indent;
        }
        wrapped += word;
        column += static_cast<int>(word.size());
    }
    return wrapped + QLatin1Char('\n');
}

QString HelpEntry(const QString &names, const QString &description) {
    const QString start = QStringLiteral("  ") + names;
    if (start.size() + 1 > kHelpIndent) {
        return start + QLatin1Char('\n') + Wrapped(description, kHelpIndent, 0);
    }
    return start + Wrapped(description, kHelpIndent, static_cast<int>(start.size()));
}

QString HelpText(const QString &program) {
    QString help = QStringLiteral(
        "Usage: %1 [OPTICS] [STAR TEST] [LIGHT] [DISPLAY] --output FILE [--metrics FILE]\n"
        "       %1 [OPTICS] [STAR TEST] [LIGHT] --metrics FILE\n"
        "       %1 --help | --version\n\n").arg(program);
    help += Wrapped(QStringLiteral(
        "Computes the star image of a telescope or camera with a circular, possibly obstructed aperture (the "
        "window's model, grey level for grey level at the window's values) and writes it as a picture, a FITS "
        "file or numbers."), 0, 0);
    help += QLatin1Char('\n') + Wrapped(QStringLiteral(
        "Conventions: aberrations are in waves at the edge of the pupil at --wavelength (Zernike terms in waves "
        "RMS). W = SA u^4 + F u^2: positive focus is extrafocal, the marginal rays focus at F = -2 SA, so "
        "positive spherical aberration is under-correction, whose intrafocal image has the bright outer ring. "
        "Angles count counterclockwise from the picture's +x axis. Lengths in the field are in lambda/D of "
        "--wavelength; one grid pixel is 110/lambda lambda/D. Pictures are normalised to their brightest pixel. "
        "Position angles in the sky count from north (+y) through east (-x)."),
        0, 0);
    for (const char *heading : kGroups) {
        help += QLatin1Char('\n') + QLatin1String(heading) + QStringLiteral(":\n");
        for (const OptionText &option : kOptions) {
            if (std::string_view(option.group) == heading) {
                const QString value = *option.valueName == '\0' ? QString() : QLatin1Char(' ') + QLatin1String(option.valueName);
                help += HelpEntry(Dashed(option.name) + value, QString::fromUtf8(option.description));
            }
        }
    }
    help += QStringLiteral("\nOther:\n") + HelpEntry(QStringLiteral("-h, --help"), QStringLiteral("Shows this help.")) +
            HelpEntry(QStringLiteral("-v, --version"), QStringLiteral("Shows the version."));
    help += Wrapped(QStringLiteral(
        "\nExit status: 0 done, 1 the computation or a write failed, 2 the command line was refused, 3 --strict "
        "and a warning."), 0, 0);
    help += QStringLiteral(
        "\nExamples:\n"
        "  %1 --output star.png\n"
        "      the window's default star image: the Airy disc at 550 nm\n"
        "  %1 --spherical 0.25 --obstruction 33 --startest 8 --output suiter.png\n"
        "      Suiter's star test: a quarter wave of under-correction, 8 waves either side of focus\n"
        "  %1 --spherical 0.5 --through-focus -4:4:2 --f-ratio 5 --display log --output strip.png\n"
        "      a through-focus strip, labelled in mm of focuser travel at f/5, on the log scale\n"
        "  %1 --obstruction 33 --spider 4,1 --coma 0.3 --spectrum visual --grid 1024 --metrics -\n"
        "      the numbers of a mis-collimated Newtonian in white light, as JSON\n"
        "  %1 --zernike 8=0.1 --grid 1024 --view full --output coma.fits\n"
        "      a Zernike term's star image as FITS intensities\n").arg(program);
    return help;
}

// ---- Reading values -------------------------------------------------------------

using Problem = std::optional<QString>;

// A number of the range; the refusal names the option and what it accepts.
std::variant<Decimal, QString> Number(const char *option, const QString &text, const Range &range,
                                      const QString &shown) {
    const DecimalReading reading = ReadDecimal(text.toStdString());
    const QString accepted = QLatin1String(range.text);
    if (reading.status == DecimalStatus::NotANumber) {
        return Refused(option, shown, QStringLiteral("is not a number"), accepted);
    }
    if (reading.status == DecimalStatus::TooManyDigits) {
        return Refused(option, shown, QStringLiteral("has more than 18 digits"), accepted);
    }
    const int low = Compare(reading.value, range.min);
    const int high = Compare(reading.value, range.max);
    if (low < 0 || (low == 0 && range.aboveMin) || high > 0 || (high == 0 && range.belowMax)) {
        return Refused(option, shown, QStringLiteral("is out of range"), accepted);
    }
    return reading.value;
}

std::variant<Decimal, QString> Number(const char *option, const QString &text, const Range &range) {
    return Number(option, text, range, text);
}

// A whole number from a list or a range.
std::optional<std::int32_t> WholeNumber(const QString &text, std::int32_t min, std::int32_t max) {
    const DecimalReading reading = ReadDecimal(text.toStdString());
    if (reading.status != DecimalStatus::Read || reading.value.scale != 0 || reading.value.digits < min ||
        reading.value.digits > max) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(reading.value.digits);
}

// Splits "A<sep>B": the part after the separator is optional when `optional` is set.
bool SplitAt(const QString &text, QChar separator, QString &first, QString &second) {
    const qsizetype at = text.indexOf(separator);
    first = at < 0 ? text : text.left(at);
    second = at < 0 ? QString() : text.mid(at + 1);
    return at >= 0;
}

// FROM:TO:STEP: both ends of the range, STEP above 0, TO reached from FROM in whole steps.
struct Steps {
    Decimal first;
    Decimal step;
    std::int64_t count; // values, both ends included
};

std::variant<Steps, QString> ReadSteps(const char *option, const QString &text, const Range &ends,
                                       std::int64_t most, const QString &accepted) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3) {
        return Refused(option, text, QStringLiteral("is not FROM:TO:STEP"), accepted);
    }
    const auto from = Number(option, parts[0], ends, text);
    const auto to = Number(option, parts[1], ends, text);
    const DecimalReading step = ReadDecimal(parts[2].toStdString());
    if (!std::holds_alternative<Decimal>(from) || !std::holds_alternative<Decimal>(to) ||
        step.status != DecimalStatus::Read || Compare(step.value, Decimal::Whole(0)) <= 0) {
        return Refused(option, text, QStringLiteral("is not a range"), accepted);
    }
    const Decimal first = std::get<Decimal>(from);
    const Decimal last = std::get<Decimal>(to);
    const std::optional<Decimal> span = Subtract(last, first);
    if (Compare(first, last) > 0 || !span) {
        return Refused(option, text, QStringLiteral("does not reach TO from FROM"), accepted);
    }
    const std::optional<std::int64_t> steps = WholeQuotient(*span, step.value);
    if (!steps) {
        return Refused(option, text, QStringLiteral("does not reach TO from FROM in whole steps"), accepted);
    }
    if (*steps + 1 > most) {
        return Refused(option, text, QStringLiteral("makes %1 values, more than %2").arg(*steps + 1).arg(most),
                       accepted);
    }
    return Steps{first, step.value, *steps + 1};
}

bool IsFitsName(const QString &file) {
    return file.endsWith(QStringLiteral(".fits"), Qt::CaseInsensitive) ||
           file.endsWith(QStringLiteral(".fit"), Qt::CaseInsensitive) ||
           file.endsWith(QStringLiteral(".fts"), Qt::CaseInsensitive);
}

// ---- The reader of one command line ------------------------------------------------

class Reader {
  public:
    Reader(const QCommandLineParser &parser, const CommandLineRules &rules) : parser_(parser), rules_(rules) {}

    Problem Read(RenderRequest &request);

  private:
    bool Has(const char *option) const { return parser_.isSet(QLatin1String(option)); }
    QString Value(const char *option) const { return parser_.value(QLatin1String(option)); }

    Problem Repeated() const;
    Problem Conflicts() const;
    Problem ReadOptics(RenderRequest &request);
    Problem ReadAngledTerm(const char *option, optics::AngledTerm &term);
    Problem ReadZernike(std::vector<optics::ZernikeTerm> &terms);
    Problem ReadSpider(optics::Spider &spider);
    Problem ReadFigure(optics::Figure &figure);
    Problem ReadTurnedEdge(optics::TurnedEdge &edge);
    Problem ReadZones(std::vector<optics::Zone> &zones);
    Problem ReadRoughness(optics::Roughness &roughness);
    Problem ReadWavefront(std::shared_ptr<const optics::WavefrontMap> &map);
    Problem CheckFigure(const RenderRequest &request) const;
    Problem ReadWavefrontOutput(RenderRequest &request);
    Problem ReadMtfOutput(RenderRequest &request);
    Problem ReadSpectrum(optics::Spectrum &spectrum);
    Problem ReadSeeing(RenderRequest &request);
    std::optional<std::uint32_t> ReadSeed() const;
    Problem ReadSpectrumFile(const QString &path, optics::Spectrum &spectrum);
    Problem ReadSpectrumRange(const QString &text, optics::Spectrum &spectrum);
    Problem ReadFocus(RenderRequest &request);
    Problem ReadSheet(RenderRequest &request);
    Problem CheckPanels(const RenderRequest &request) const;
    Problem ReadLayout(RenderRequest &request);
    Problem ReadDisplay(RenderRequest &request);
    Problem ReadOutputs(RenderRequest &request);
    Problem ReadRadii(std::vector<double> &radii);
    Problem ReadSky(RenderRequest &request);
    Problem ReadCompanions(std::vector<optics::Companion> &companions);
    Problem ReadObject(std::optional<optics::SkyObject> &object);

    const QCommandLineParser &parser_;
    const CommandLineRules &rules_;
};

Problem Reader::Read(RenderRequest &request) {
    for (auto step : {&Reader::ReadOptics, &Reader::ReadSeeing, &Reader::ReadFocus, &Reader::ReadSheet,
                      &Reader::ReadLayout, &Reader::ReadDisplay, &Reader::ReadSky, &Reader::ReadOutputs}) {
        if (Problem problem = (this->*step)(request)) {
            return problem;
        }
    }
    if (Problem problem = CheckPanels(request)) {
        return problem;
    }
    return CheckFigure(request);
}

Problem Reader::Repeated() const {
    QStringList seen;
    for (const QString &option : parser_.optionNames()) {
        const bool repeatable = option == QLatin1String(name::kZone) || option == QLatin1String(name::kCompanion);
        if (seen.contains(option) && !repeatable) { // zones and companions add up
            return QStringLiteral("--%1 is given more than once.").arg(option);
        }
        seen << option;
    }
    return std::nullopt;
}

// Options that mean nothing together, or one without the other it needs.
Problem Reader::Conflicts() const {
    struct Pair {
        const char *first;
        const char *second;
    };
    for (const Pair &pair :
         {Pair{name::kStarTest, name::kThroughFocus}, Pair{name::kStarTest, name::kStarTestMm},
          Pair{name::kStarTestMm, name::kThroughFocus}, Pair{name::kDefocusMm, name::kFocus},
          Pair{name::kFocus, name::kThroughFocus}, Pair{name::kDefocusMm, name::kThroughFocus},
          Pair{name::kView, name::kStarTest}, Pair{name::kView, name::kStarTestMm},
          Pair{name::kView, name::kThroughFocus}, Pair{name::kView, name::kPanel}, Pair{name::kView, name::kField},
          Pair{name::kCompanion, name::kObject}}) {
        if (Has(pair.first) && Has(pair.second)) {
            return QStringLiteral("%1 and %2 cannot be given together.").arg(Dashed(pair.first), Dashed(pair.second));
        }
    }
    struct Need {
        const char *option;
        const char *needs;
        const char *why;
    };
    for (const Need &need : {Need{name::kDefocusMm, name::kFRatio, "to turn millimetres into waves"},
                             Need{name::kStarTestMm, name::kFRatio, "to turn millimetres into waves"},
                             Need{name::kEeRadii, name::kMetrics, "to write the encircled energy"},
                             Need{name::kCompanion, name::kAperture, "for an angular scale"},
                             Need{name::kObject, name::kAperture, "for an angular scale"},
                             Need{name::kObject, name::kObjectScale, "for the object's pixel in arcseconds"},
                             Need{name::kObjectScale, name::kObject, "to scale"},
                             Need{name::kSeeing, name::kAperture, "to compare r0 with the aperture"},
                             Need{name::kSeeingFrames, name::kSeeing, "for the screens' r0"},
                             Need{name::kAverage, name::kSeeingFrames, "to average"}}) {
        if (Has(need.option) && !Has(need.needs)) {
            return QStringLiteral("%1 needs %2 %3.").arg(Dashed(need.option), Dashed(need.needs), QLatin1String(need.why));
        }
    }
    if (Has(name::kSeed) && !Has(name::kRoughness) && !Has(name::kSeeingFrames)) {
        return QStringLiteral("--seed needs --roughness or --seeing-frames to draw from.");
    }
    if (Has(name::kFocusField) && !Has(name::kStarTest) && !Has(name::kStarTestMm)) {
        return QStringLiteral("--focus-field needs --startest or --startest-mm for a focus panel.");
    }
    if (Has(name::kDecades) && Value(name::kDisplay) != QLatin1String("log")) {
        return QStringLiteral("--decades applies to --display log only.");
    }
    return std::nullopt;
}

Problem Reader::ReadOptics(RenderRequest &request) {
    if (Problem problem = Repeated()) {
        return problem;
    }
    if (Problem problem = Conflicts()) {
        return problem;
    }
    optics::OpticalSystem &system = request.job.system;
    struct Plain {
        const char *option;
        const Range &range;
        double *target;
        double (*convert)(double);
    };
    double aperture = 0;
    const Plain plain[] = {
        {name::kSpherical, kSphericalRange, &system.aberrations.spherical, nullptr},
        {name::kObstruction, kObstructionRange, &system.aperture.obstruction, &optics::FractionOfPercent},
        {name::kWavelength, kWavelengthRange, &system.wavelength, nullptr},
        {name::kAperture, kApertureRange, &aperture, nullptr},
    };
    for (const Plain &value : plain) {
        if (!Has(value.option)) {
            continue;
        }
        const auto read = Number(value.option, Value(value.option), value.range);
        if (const QString *refusal = std::get_if<QString>(&read)) {
            return *refusal;
        }
        const double number = ToDouble(std::get<Decimal>(read));
        *value.target = value.convert != nullptr ? value.convert(number) : number;
    }
    if (Has(name::kAperture)) {
        request.job.apertureMm = aperture;
    }
    if (Problem problem = ReadAngledTerm(name::kComa, system.aberrations.coma)) {
        return problem;
    }
    if (Problem problem = ReadAngledTerm(name::kAstigmatism, system.aberrations.astigmatism)) {
        return problem;
    }
    if (Problem problem = ReadZernike(system.aberrations.zernike)) {
        return problem;
    }
    if (Problem problem = ReadSpider(system.aperture.spider)) {
        return problem;
    }
    if (Problem problem = ReadFigure(system.figure)) {
        return problem;
    }
    return ReadSpectrum(request.job.light);
}

Problem Reader::ReadFigure(optics::Figure &figure) {
    if (Problem problem = ReadTurnedEdge(figure.edge)) {
        return problem;
    }
    if (Problem problem = ReadZones(figure.zones)) {
        return problem;
    }
    if (Problem problem = ReadRoughness(figure.roughness)) {
        return problem;
    }
    return ReadWavefront(figure.measured);
}

// DEPTH[@START]
Problem Reader::ReadTurnedEdge(optics::TurnedEdge &edge) {
    if (!Has(name::kTurnedEdge)) {
        return std::nullopt;
    }
    const QString text = Value(name::kTurnedEdge);
    QString depth;
    QString start;
    const bool started = SplitAt(text, QLatin1Char('@'), depth, start);
    const auto amount = Number(name::kTurnedEdge, depth, kEdgeDepthRange, text);
    if (const QString *refusal = std::get_if<QString>(&amount)) {
        return *refusal;
    }
    edge.depth = ToDouble(std::get<Decimal>(amount));
    if (started) {
        const auto radius = Number(name::kTurnedEdge, start, kEdgeStartRange, text);
        if (std::holds_alternative<QString>(radius)) {
            return Refused(name::kTurnedEdge, text, QStringLiteral("has no START from 0 to less than 1 after @"),
                           QStringLiteral("DEPTH (-10 to 10 waves) or DEPTH@START (START 0 to less than 1)"));
        }
        edge.start = ToDouble(std::get<Decimal>(radius));
    }
    return std::nullopt;
}

// RADIUS,HEIGHT,WIDTH, once per zone
Problem Reader::ReadZones(std::vector<optics::Zone> &zones) {
    const QStringList values = parser_.values(QLatin1String(name::kZone));
    const QString accepted = QStringLiteral("RADIUS,HEIGHT,WIDTH: RADIUS 0 to 1, HEIGHT -10 to 10 waves, WIDTH "
                                            "0.01 to 0.5; at most %1 zones")
                                 .arg(optics::kMaxZones);
    if (values.size() > optics::kMaxZones) {
        return Refused(name::kZone, values.back(), QStringLiteral("is a zone too many"), accepted);
    }
    for (const QString &text : values) {
        const QStringList parts = text.split(QLatin1Char(','));
        if (parts.size() != 3) {
            return Refused(name::kZone, text, QStringLiteral("is not RADIUS,HEIGHT,WIDTH"), accepted);
        }
        struct Field {
            const char *name;
            const Range &range;
        };
        const Field fields[] = {{"RADIUS", kZoneRadiusRange}, {"HEIGHT", kZoneHeightRange}, {"WIDTH", kZoneWidthRange}};
        double read[std::size(fields)] = {};
        for (std::size_t k = 0; k < std::size(fields); ++k) {
            const auto value = Number(name::kZone, parts[k], fields[k].range, text);
            if (std::holds_alternative<QString>(value)) {
                return Refused(name::kZone, text,
                               QStringLiteral("has no %1 from %2").arg(QLatin1String(fields[k].name),
                                                                      QLatin1String(fields[k].range.text)),
                               accepted);
            }
            read[k] = ToDouble(std::get<Decimal>(value));
        }
        zones.push_back({read[0], read[1], read[2]});
    }
    return std::nullopt;
}

// RMS[@FROM:TO], with --seed S
Problem Reader::ReadRoughness(optics::Roughness &roughness) {
    if (!Has(name::kRoughness)) {
        return std::nullopt;
    }
    const QString text = Value(name::kRoughness);
    const QString accepted = QStringLiteral("RMS (0 to 1 wave) or RMS@FROM:TO, whole cycles per diameter with "
                                            "%1 <= FROM < TO <= %2")
                                 .arg(optics::kMinRoughnessFrequency)
                                 .arg(optics::kMaxRoughnessFrequency);
    QString rms;
    QString band;
    const bool banded = SplitAt(text, QLatin1Char('@'), rms, band);
    const auto amount = Number(name::kRoughness, rms, kRoughnessRange, text);
    if (std::holds_alternative<QString>(amount)) {
        return Refused(name::kRoughness, text, QStringLiteral("has no RMS from 0 to 1 wave"), accepted);
    }
    roughness.rms = ToDouble(std::get<Decimal>(amount));
    if (banded) {
        QString from;
        QString to;
        SplitAt(band, QLatin1Char(':'), from, to);
        const std::optional<std::int32_t> low =
            WholeNumber(from, optics::kMinRoughnessFrequency, optics::kMaxRoughnessFrequency);
        const std::optional<std::int32_t> high =
            WholeNumber(to, optics::kMinRoughnessFrequency, optics::kMaxRoughnessFrequency);
        if (!low || !high || *low >= *high) {
            return Refused(name::kRoughness, text, QStringLiteral("has no band FROM:TO after @"), accepted);
        }
        roughness.from = *low;
        roughness.to = *high;
    }
    if (Has(name::kSeed)) {
        const std::optional<std::uint32_t> seed = ReadSeed();
        if (!seed) {
            return Refused(name::kSeed, Value(name::kSeed), QStringLiteral("is not a seed"),
                           QStringLiteral("whole numbers from 0 to %1").arg(optics::kMaxSeed));
        }
        roughness.seed = *seed;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> Reader::ReadSeed() const {
    const DecimalReading seed = ReadDecimal(Value(name::kSeed).toStdString());
    if (seed.status != DecimalStatus::Read || seed.value.scale != 0 || seed.value.digits < 0 ||
        seed.value.digits > optics::kMaxSeed) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(seed.value.digits);
}

// R0, with --seeing-frames N [--average] and --seed S
Problem Reader::ReadSeeing(RenderRequest &request) {
    if (!Has(name::kSeeing)) {
        return std::nullopt;
    }
    const auto r0 = Number(name::kSeeing, Value(name::kSeeing), kSeeingRange);
    if (const QString *refusal = std::get_if<QString>(&r0)) {
        return *refusal;
    }
    optics::Seeing seeing{ToDouble(std::get<Decimal>(r0))};
    if (Has(name::kSeeingFrames)) {
        const QString text = Value(name::kSeeingFrames);
        const std::optional<std::int32_t> frames =
            WholeNumber(text, static_cast<std::int32_t>(optics::kSeeingFramesLimit.min),
                        static_cast<std::int32_t>(optics::kSeeingFramesLimit.max));
        if (!frames) {
            return Refused(name::kSeeingFrames, text, QStringLiteral("is not a number of frames"),
                           QStringLiteral("whole numbers from %1").arg(QLatin1String(optics::kSeeingFramesLimit.text)));
        }
        seeing.frames = *frames;
        seeing.average = Has(name::kAverage);
        if (Has(name::kSeed)) {
            const std::optional<std::uint32_t> seed = ReadSeed();
            if (!seed) {
                return Refused(name::kSeed, Value(name::kSeed), QStringLiteral("is not a seed"),
                               QStringLiteral("whole numbers from 0 to %1").arg(optics::kMaxSeed));
            }
            seeing.seed = *seed;
        }
    }
    request.job.seeing = seeing;
    return std::nullopt;
}

Problem Reader::ReadWavefront(std::shared_ptr<const optics::WavefrontMap> &map) {
    if (!Has(name::kWavefront)) {
        return std::nullopt;
    }
    const QString path = Value(name::kWavefront);
    auto read = ReadWavefrontFile(path);
    if (const QString *refusal = std::get_if<QString>(&read)) {
        return Refused(name::kWavefront, path, *refusal,
                       QStringLiteral("a 2-D FITS image in waves (or nm), NaN outside the aperture"));
    }
    map = std::move(std::get<std::shared_ptr<const optics::WavefrontMap>>(read));
    return std::nullopt;
}

// What the library checks of the figure with the aperture: a measured map finite wherever light passes.
Problem Reader::CheckFigure(const RenderRequest &request) const {
    try {
        optics::Validate(request.job);
    } catch (const optics::ParameterError &error) {
        const std::string text = error.what();
        const std::string problem = text.substr(error.Parameter().size() + 2); // without "parameter: "
        const char *option = error.Parameter().c_str();
        const QString value = Has(option) ? QLatin1Char(' ') + Quoted(Value(option)) : QString();
        return QStringLiteral("--%1%2: %3.").arg(QString::fromStdString(error.Parameter()), value,
                                               QString::fromStdString(problem));
    }
    return std::nullopt;
}

// WAVES[@DEG]
Problem Reader::ReadAngledTerm(const char *option, optics::AngledTerm &term) {
    if (!Has(option)) {
        return std::nullopt;
    }
    const QString text = Value(option);
    QString waves;
    QString degrees;
    const bool angled = SplitAt(text, QLatin1Char('@'), waves, degrees);
    const auto amount = Number(option, waves, kTermRange, text);
    if (const QString *refusal = std::get_if<QString>(&amount)) {
        return *refusal;
    }
    term.waves = ToDouble(std::get<Decimal>(amount));
    if (angled) {
        const auto angle = Number(option, degrees, kAngleRange, text);
        if (std::holds_alternative<QString>(angle)) {
            return Refused(option, text, QStringLiteral("has no angle after @"),
                           QStringLiteral("WAVES (-10 to 10) or WAVES@DEG (DEG -360 to 360)"));
        }
        term.degrees = ToDouble(std::get<Decimal>(angle));
    }
    return std::nullopt;
}

// J=C[,J=C...]
Problem Reader::ReadZernike(std::vector<optics::ZernikeTerm> &terms) {
    if (!Has(name::kZernike)) {
        return std::nullopt;
    }
    const QString text = Value(name::kZernike);
    const QString accepted = QStringLiteral("J=C pairs, J a Noll index from 2 to 37 and C -5 to 5 waves RMS");
    for (const QString &pair : text.split(QLatin1Char(','))) {
        QString index;
        QString coefficient;
        if (!SplitAt(pair, QLatin1Char('='), index, coefficient)) {
            return Refused(name::kZernike, text, QStringLiteral("has no J=C pair in ") + Quoted(pair), accepted);
        }
        const std::optional<std::int32_t> j = WholeNumber(index, optics::kFirstZernike, optics::kLastZernike);
        if (!j) {
            return Refused(name::kZernike, text, QStringLiteral("has no Noll index from 2 to 37 in ") + Quoted(pair),
                           accepted);
        }
        const auto value = Number(name::kZernike, coefficient, kZernikeRange, text);
        if (std::holds_alternative<QString>(value)) {
            return Refused(name::kZernike, text, QStringLiteral("has no coefficient from -5 to 5 in ") + Quoted(pair),
                           accepted);
        }
        for (const optics::ZernikeTerm &earlier : terms) {
            if (earlier.noll == *j) {
                return Refused(name::kZernike, text, QStringLiteral("gives J = %1 twice").arg(*j), accepted);
            }
        }
        terms.push_back({*j, ToDouble(std::get<Decimal>(value))});
    }
    return std::nullopt;
}

// COUNT,WIDTH[@DEG]
Problem Reader::ReadSpider(optics::Spider &spider) {
    if (!Has(name::kSpider)) {
        return std::nullopt;
    }
    const QString text = Value(name::kSpider);
    const QString accepted = QStringLiteral("COUNT,WIDTH[@DEG]: 1 to 8 vanes, %1 of the aperture's diameter, DEG "
                                            "-360 to 360")
                                 .arg(QLatin1String(kVaneWidthRange.text));
    QString count;
    QString rest;
    if (!SplitAt(text, QLatin1Char(','), count, rest)) {
        return Refused(name::kSpider, text, QStringLiteral("has no width"), accepted);
    }
    const std::optional<std::int32_t> vanes = WholeNumber(count, 1, optics::kMaxVanes);
    if (!vanes) {
        return Refused(name::kSpider, text, QStringLiteral("has no vane count from 1 to 8"), accepted);
    }
    QString width;
    QString degrees;
    const bool angled = SplitAt(rest, QLatin1Char('@'), width, degrees);
    const auto percent = Number(name::kSpider, width, kVaneWidthRange, text);
    if (std::holds_alternative<QString>(percent)) {
        return Refused(name::kSpider, text, QStringLiteral("has no width %1").arg(QLatin1String(kVaneWidthRange.text)),
                       accepted);
    }
    spider.vanes = *vanes;
    spider.width = optics::FractionOfPercent(ToDouble(std::get<Decimal>(percent)));
    if (angled) {
        const auto angle = Number(name::kSpider, degrees, kAngleRange, text);
        if (std::holds_alternative<QString>(angle)) {
            return Refused(name::kSpider, text, QStringLiteral("has no angle from -360 to 360 after @"), accepted);
        }
        spider.degrees = ToDouble(std::get<Decimal>(angle));
    }
    return std::nullopt;
}

Problem Reader::ReadSpectrum(optics::Spectrum &spectrum) {
    if (!Has(name::kSpectrum)) {
        return std::nullopt;
    }
    const QString text = Value(name::kSpectrum);
    if (text == QLatin1String("visual")) {
        spectrum = optics::PhotopicSpectrum();
        return std::nullopt;
    }
    if (text.count(QLatin1Char(':')) == 2 && !QFile::exists(text)) {
        return ReadSpectrumRange(text, spectrum);
    }
    return ReadSpectrumFile(text, spectrum);
}

// FROM:TO:STEP in nm, equal energy.
Problem Reader::ReadSpectrumRange(const QString &text, optics::Spectrum &spectrum) {
    const QString accepted = QStringLiteral("FROM:TO:STEP in nm (300 to 1000, STEP above 0, at most %1 "
                                            "wavelengths), visual, or a file of \"nm weight\" lines")
                                 .arg(optics::kMaxSpectralLines);
    const auto read = ReadSteps(name::kSpectrum, text, kWavelengthRange, optics::kMaxSpectralLines, accepted);
    if (const QString *refusal = std::get_if<QString>(&read)) {
        return *refusal;
    }
    const Steps &steps = std::get<Steps>(read);
    spectrum = {{}, text.toStdString()};
    for (std::int64_t k = 0; k < steps.count; ++k) {
        spectrum.lines.push_back({ToDouble(*AddMultiple(steps.first, k, steps.step)), 1.0});
    }
    return std::nullopt;
}

Problem Reader::ReadSpectrumFile(const QString &path, optics::Spectrum &spectrum) {
    const QString accepted = QStringLiteral("FROM:TO:STEP, visual, or a file of \"nm weight\" lines");
    // A pipe or a device could block or never end: only files are read.
    if (QFileInfo info(path); info.exists() && !info.isFile()) {
        return Refused(name::kSpectrum, path, QStringLiteral("is not a file"), accepted);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return Refused(name::kSpectrum, path, QStringLiteral("cannot be read (%1)").arg(file.errorString()), accepted);
    }
    constexpr qint64 kLargestFile = 1 << 20; // a spectrum of 701 lines is a few kilobytes
    const QByteArray text = file.read(kLargestFile + 1);
    if (text.size() > kLargestFile) {
        return Refused(name::kSpectrum, path, QStringLiteral("is larger than 1 MiB"), accepted);
    }
    const auto parsed = optics::ParseSpectrumText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (const auto *error = std::get_if<optics::SpectrumError>(&parsed)) {
        const QString where = error->line > 0 ? QStringLiteral("line %1: ").arg(error->line) : QString();
        return QStringLiteral("%1 %2, %3%4.")
            .arg(Dashed(name::kSpectrum), Quoted(path), where, QString::fromStdString(error->reason));
    }
    spectrum = std::get<optics::Spectrum>(parsed);
    spectrum.name = path.toStdString();
    return std::nullopt;
}

// --focus in waves, or --defocus-mm through the focal ratio.
Problem Reader::ReadFocus(RenderRequest &request) {
    optics::Panels &panels = request.job.panels;
    if (Has(name::kFRatio)) {
        const auto ratio = Number(name::kFRatio, Value(name::kFRatio), kFRatioRange);
        if (const QString *refusal = std::get_if<QString>(&ratio)) {
            return *refusal;
        }
        panels.fRatio = ToDouble(std::get<Decimal>(ratio));
    }
    if (Has(name::kFocus)) {
        const auto focus = Number(name::kFocus, Value(name::kFocus), kFocusRange);
        if (const QString *refusal = std::get_if<QString>(&focus)) {
            return *refusal;
        }
        request.job.system.aberrations.focus = ToDouble(std::get<Decimal>(focus));
    } else if (Has(name::kDefocusMm)) {
        const auto travel = Number(name::kDefocusMm, Value(name::kDefocusMm), kDefocusMmRange);
        if (const QString *refusal = std::get_if<QString>(&travel)) {
            return *refusal;
        }
        panels.focusTravel = ToDouble(std::get<Decimal>(travel));
    }
    return std::nullopt;
}

Problem Reader::ReadSheet(RenderRequest &request) {
    optics::Panels &panels = request.job.panels;
    if (Has(name::kStarTest) || Has(name::kStarTestMm)) {
        const bool mm = Has(name::kStarTestMm);
        const char *option = mm ? name::kStarTestMm : name::kStarTest;
        const auto read = Number(option, Value(option), mm ? kStarTestMmRange : kStarTestRange);
        if (const QString *refusal = std::get_if<QString>(&read)) {
            return *refusal;
        }
        panels.kind = optics::Panels::Kind::StarTest;
        panels.defocus = ToDouble(std::get<Decimal>(read));
        panels.defocusUnit = mm ? optics::FocusUnit::Millimetres : optics::FocusUnit::Waves;
    } else if (Has(name::kThroughFocus)) {
        const QString text = Value(name::kThroughFocus);
        const QString accepted =
            QStringLiteral("FROM:TO:STEP in waves, FROM and TO -50 to 50, STEP above 0, at most 64 panels");
        const auto read = ReadSteps(name::kThroughFocus, text, kFocusRange, optics::kMaxPanels, accepted);
        if (const QString *refusal = std::get_if<QString>(&read)) {
            return *refusal;
        }
        const Steps &steps = std::get<Steps>(read);
        panels.kind = optics::Panels::Kind::ThroughFocus;
        panels.from = ToDouble(steps.first);
        panels.to = ToDouble(*optics::AddMultiple(steps.first, steps.count - 1, steps.step));
        panels.step = ToDouble(steps.step);
    }
    return std::nullopt;
}

// The panels' focus as the library works it out: a star test or a travel
// that takes a panel beyond the focus limits is refused in the renderer's words.
Problem Reader::CheckPanels(const RenderRequest &request) const {
    const optics::Job &job = request.job;
    try {
        optics::FocusOfPanels(job.system.aberrations.focus, job.system.wavelength, job.panels);
    } catch (const optics::ParameterError &error) {
        if (Has(name::kStarTest) || Has(name::kStarTestMm)) {
            const char *option = Has(name::kStarTest) ? name::kStarTest : name::kStarTestMm;
            return Refused(option, Value(option), QStringLiteral("takes the focus beyond -50 to 50 waves"),
                           QLatin1String(Has(name::kStarTest) ? kStarTestRange.text : kStarTestMmRange.text) +
                               QStringLiteral(" within -50 to 50 waves of focus"));
        }
        if (Has(name::kDefocusMm)) {
            const double f = *job.panels.fRatio;
            const double waves = optics::WavesOfTravel(*job.panels.focusTravel, f, job.system.wavelength);
            return Refused(name::kDefocusMm, Value(name::kDefocusMm),
                           QStringLiteral("is %1 waves at f/%2").arg(waves, 0, 'f', 1).arg(f),
                           QStringLiteral("travel of at most 50 waves of defocus"));
        }
        return QStringLiteral("--%1: %2.").arg(QString::fromStdString(error.Parameter()), QString::fromUtf8(error.what()));
    }
    return std::nullopt;
}

Problem Reader::ReadLayout(RenderRequest &request) {
    optics::Job &job = request.job;
    if (Has(name::kGrid)) {
        const std::optional<std::int32_t> grid =
            WholeNumber(Value(name::kGrid), optics::kSmallestGrid, optics::kLargestGrid);
        if (!grid || !optics::IsGridSize(*grid)) {
            return QStringLiteral("%1 %2 is not a grid size; %1 accepts 256, 512, 1024, 2048 or 4096.")
                .arg(Dashed(name::kGrid), Quoted(Value(name::kGrid)));
        }
        job.grid = *grid;
    }
    if (Has(name::kView)) {
        const QString view = Value(name::kView);
        if (view != QLatin1String("crop") && view != QLatin1String("full")) {
            return QStringLiteral("%1 %2 is not a view; %1 accepts crop or full.").arg(Dashed(name::kView), Quoted(view));
        }
        job.layout = view == QLatin1String("full") ? optics::Layout::Full : optics::Layout::Crop;
    }
    // seeing without a view: a panel whose field holds the seeing disc
    const bool panels = job.panels.IsSheet() || Has(name::kPanel) || Has(name::kField) ||
                        (Has(name::kSeeing) && !Has(name::kView));
    if (!panels) {
        return std::nullopt;
    }
    job.layout = optics::Layout::Panels;
    if (Has(name::kPanel)) {
        const std::optional<std::int32_t> side =
            WholeNumber(Value(name::kPanel), optics::kMinPanelSide, optics::kMaxPanelSide);
        if (!side) {
            return QStringLiteral("%1 %2 is not a panel size; %1 accepts whole numbers of pixels from 32 to 2048.")
                .arg(Dashed(name::kPanel), Quoted(Value(name::kPanel)));
        }
        job.side = *side;
    }
    if (job.grid && *job.grid < job.side) {
        return QStringLiteral("--panel %1 is larger than --grid %2; a panel accepts at most the grid's pixels.")
            .arg(job.side)
            .arg(*job.grid);
    }
    if (Has(name::kField)) {
        const auto width = Number(name::kField, Value(name::kField), kFieldRange);
        if (const QString *refusal = std::get_if<QString>(&width)) {
            return *refusal;
        }
        job.field = ToDouble(std::get<Decimal>(width));
    }
    if (Has(name::kFocusField)) {
        const auto width = Number(name::kFocusField, Value(name::kFocusField), kFocusFieldRange);
        if (const QString *refusal = std::get_if<QString>(&width)) {
            return *refusal;
        }
        job.focusField = ToDouble(std::get<Decimal>(width));
    }
    return std::nullopt;
}

Problem Reader::ReadDisplay(RenderRequest &request) {
    if (Has(name::kDisplay)) {
        const QString display = Value(name::kDisplay);
        const std::map<QString, optics::Scale> scales{{QStringLiteral("amplitude"), optics::Scale::Amplitude},
                                                      {QStringLiteral("log"), optics::Scale::Log},
                                                      {QStringLiteral("linear"), optics::Scale::Linear}};
        const auto scale = scales.find(display);
        if (scale == scales.end()) {
            return QStringLiteral("%1 %2 is not a display scale; %1 accepts amplitude, log or linear.")
                .arg(Dashed(name::kDisplay), Quoted(display));
        }
        request.job.display.scale = scale->second;
    }
    if (Has(name::kDecades)) {
        const auto decades = Number(name::kDecades, Value(name::kDecades), kDecadesRange);
        if (const QString *refusal = std::get_if<QString>(&decades)) {
            return *refusal;
        }
        request.job.display.decades = ToDouble(std::get<Decimal>(decades));
    }
    request.strict = Has(name::kStrict);
    return std::nullopt;
}

Problem Reader::ReadSky(RenderRequest &request) {
    optics::Job &job = request.job;
    if (Has(name::kNormalize)) {
        const QString normalize = Value(name::kNormalize);
        if (normalize != QLatin1String("peak") && normalize != QLatin1String("flux")) {
            return QStringLiteral("%1 %2 is not a normalisation; %1 accepts peak or flux.")
                .arg(Dashed(name::kNormalize), Quoted(normalize));
        }
        job.sky.normalization =
            normalize == QLatin1String("flux") ? optics::Normalization::Flux : optics::Normalization::Peak;
    }
    job.scaleBar = Has(name::kScaleBar);
    if (Problem problem = ReadCompanions(job.sky.companions)) {
        return problem;
    }
    return ReadObject(job.sky.object);
}

// SEP,DMAG[@PA], once per companion
Problem Reader::ReadCompanions(std::vector<optics::Companion> &companions) {
    const QStringList values = parser_.values(QLatin1String(name::kCompanion));
    const QString accepted = QStringLiteral("SEP,DMAG[@PA]: SEP %1, DMAG %2, PA %3, at most %4 companions")
                                 .arg(QLatin1String(kSeparationRange.text), QLatin1String(kMagnitudeRange.text),
                                      QLatin1String(kAngleRange.text))
                                 .arg(optics::kMaxCompanions);
    if (values.size() > optics::kMaxCompanions) {
        return Refused(name::kCompanion, values.back(), QStringLiteral("is a companion too many"), accepted);
    }
    for (const QString &text : values) {
        QString pair;
        QString angle;
        const bool angled = SplitAt(text, QLatin1Char('@'), pair, angle);
        const QStringList parts = pair.split(QLatin1Char(','));
        if (parts.size() != 2) {
            return Refused(name::kCompanion, text, QStringLiteral("is not SEP,DMAG[@PA]"), accepted);
        }
        const auto separation = Number(name::kCompanion, parts[0], kSeparationRange, text);
        const auto magnitudes = Number(name::kCompanion, parts[1], kMagnitudeRange, text);
        const auto degrees = angled ? Number(name::kCompanion, angle, kAngleRange, text) : Decimal::Whole(90);
        for (const auto *read : {&separation, &magnitudes, &degrees}) {
            if (std::holds_alternative<QString>(*read)) {
                return Refused(name::kCompanion, text, QStringLiteral("is out of range"), accepted);
            }
        }
        companions.push_back({ToDouble(std::get<Decimal>(separation)), ToDouble(std::get<Decimal>(magnitudes)),
                              ToDouble(std::get<Decimal>(degrees))});
    }
    return std::nullopt;
}

Problem Reader::ReadObject(std::optional<optics::SkyObject> &object) {
    if (!Has(name::kObject)) {
        return std::nullopt;
    }
    const auto scale = Number(name::kObjectScale, Value(name::kObjectScale), kObjectScaleRange);
    if (const QString *refusal = std::get_if<QString>(&scale)) {
        return *refusal;
    }
    const QString path = Value(name::kObject);
    const auto read = ReadObjectFile(path);
    if (const QString *refusal = std::get_if<QString>(&read)) {
        return QStringLiteral("%1 %2 %3; %1 accepts a grey PNG, PGM or FITS picture.")
            .arg(Dashed(name::kObject), Quoted(path), *refusal);
    }
    object = optics::SkyObject{std::get<std::shared_ptr<const optics::ObjectImage>>(read),
                               ToDouble(std::get<Decimal>(scale))};
    return std::nullopt;
}

Problem Reader::ReadRadii(std::vector<double> &radii) {
    const QString text = Value(name::kEeRadii);
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() > optics::kMaxRadii) {
        return Refused(name::kEeRadii, text, QStringLiteral("has more than %1 radii").arg(optics::kMaxRadii),
                       QLatin1String(kRadiusRange.text));
    }
    for (const QString &part : parts) {
        const auto radius = Number(name::kEeRadii, part, kRadiusRange, text);
        if (const QString *refusal = std::get_if<QString>(&radius)) {
            return *refusal;
        }
        radii.push_back(ToDouble(std::get<Decimal>(radius)));
    }
    return std::nullopt;
}

Problem Reader::ReadOutputs(RenderRequest &request) {
    if (!parser_.positionalArguments().isEmpty()) {
        return QStringLiteral("unexpected argument '%1'; every value belongs to an option (see --help).")
            .arg(parser_.positionalArguments().constFirst());
    }
    const QString accepted = QStringLiteral("a .png, .pgm or .fits file, or - for PGM on standard output");
    if (Has(name::kMetrics)) {
        request.metrics = Value(name::kMetrics);
        request.job.metrics = true;
        if (request.metrics.isEmpty()) {
            return QStringLiteral("--metrics '' names no file; --metrics accepts a file name or - for standard output.");
        }
    }
    if (Has(name::kEeRadii)) {
        if (Problem problem = ReadRadii(request.job.encircledRadii)) {
            return problem;
        }
    }
    if (Problem problem = ReadMtfOutput(request)) {
        return problem;
    }
    if (!Has(name::kOutput)) {
        const bool another = request.job.metrics || Has(name::kMtf) || Has(name::kWriteWavefront);
        if (another || !rules_.outputRequired) {
            return ReadWavefrontOutput(request);
        }
        return QStringLiteral("%1 FILE is required; %1 accepts %2 (or give --metrics, --mtf or --write-wavefront "
                              "alone).")
            .arg(Dashed(name::kOutput), accepted);
    }
    request.output = Value(name::kOutput);
    const QString output = request.output;
    if (output == QLatin1String(kStandardOutputName)) {
        request.format = PictureFormat::Pgm;
    } else if (output.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        request.format = PictureFormat::Png;
    } else if (output.endsWith(QStringLiteral(".pgm"), Qt::CaseInsensitive)) {
        request.format = PictureFormat::Pgm;
    } else if (IsFitsName(output)) {
        request.format = PictureFormat::Fits;
        request.job.keepIntensities = true; // FITS holds the intensities
    } else {
        return QStringLiteral("%1 %2 has no known picture extension; %1 accepts %3.")
            .arg(Dashed(name::kOutput), Quoted(output), accepted);
    }
    if (output == QLatin1String(kStandardOutputName) && request.metrics == QLatin1String(kStandardOutputName)) {
        return QStringLiteral("--output - and --metrics - cannot both use standard output.");
    }
    return ReadWavefrontOutput(request);
}

// FILE.csv, FILE.json or - (CSV on standard output).
Problem Reader::ReadMtfOutput(RenderRequest &request) {
    if (!Has(name::kMtf)) {
        return std::nullopt;
    }
    const QString target = Value(name::kMtf);
    const QString accepted = QStringLiteral("a .csv or .json file, or - for CSV on standard output");
    if (target == QLatin1String(kStandardOutputName) || target.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
        request.mtfFormat = MtfFormat::Csv;
    } else if (target.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)) {
        request.mtfFormat = MtfFormat::Json;
    } else {
        return Refused(name::kMtf, target, QStringLiteral("is neither CSV nor JSON"), accepted);
    }
    const bool bothOnStandardOutput = target == QLatin1String(kStandardOutputName) &&
                                      (Value(name::kOutput) == QLatin1String(kStandardOutputName) ||
                                       request.metrics == QLatin1String(kStandardOutputName));
    if (bothOnStandardOutput || (target != QLatin1String(kStandardOutputName) &&
                                 (target == Value(name::kOutput) || target == request.metrics))) {
        return Refused(name::kMtf, target, QStringLiteral("shares its file with another output"),
                       accepted + QStringLiteral(" of its own"));
    }
    request.mtf = target;
    request.job.curves = true;
    return std::nullopt;
}

Problem Reader::ReadWavefrontOutput(RenderRequest &request) {
    if (!Has(name::kWriteWavefront)) {
        return std::nullopt;
    }
    const QString target = Value(name::kWriteWavefront);
    if (!IsFitsName(target)) {
        return Refused(name::kWriteWavefront, target, QStringLiteral("is not a FITS file name"),
                       QStringLiteral("a .fits, .fit or .fts file"));
    }
    if (target == request.output || target == request.metrics) {
        return Refused(name::kWriteWavefront, target, QStringLiteral("names the picture's or the metrics' file"),
                       QStringLiteral("a file of its own"));
    }
    request.wavefrontOutput = target;
    return std::nullopt;
}

} // namespace

CommandLineOutcome ParseCommandLine(const QStringList &arguments, const CommandLineRules &rules) {
    QCommandLineParser parser;
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    AddOptions(parser);
    auto refusal = [&](const QString &message) {
        return CommandLineOutcome{CommandLineOutcome::Action::Refuse, {}, rules.program + QStringLiteral(": ") + message};
    };
    if (!parser.parse(arguments)) {
        return refusal(parser.errorText() + QStringLiteral(" See --help."));
    }
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        return {CommandLineOutcome::Action::ShowHelp, {}, HelpText(rules.program)};
    }
    if (parser.isSet(versionOption)) {
        return {CommandLineOutcome::Action::ShowVersion, {},
                rules.program + QLatin1Char(' ') + QCoreApplication::applicationVersion() + QLatin1Char('\n')};
    }
    CommandLineOutcome outcome{CommandLineOutcome::Action::Render, {}, {}};
    Reader reader(parser, rules);
    if (Problem problem = reader.Read(outcome.request)) {
        return refusal(*problem);
    }
    return outcome;
}

QList<OptionInfo> RenderOptions() {
    QList<OptionInfo> options;
    for (const OptionText &option : kOptions) {
        options.append({QLatin1String(option.name), QLatin1String(option.valueName), QLatin1String(option.group),
                        QString::fromUtf8(option.description), std::string_view(option.name) == name::kZone ||
                            std::string_view(option.name) == name::kCompanion});
    }
    return options;
}

} // namespace diffrascope::frontend
