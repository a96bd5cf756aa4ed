#include "RenderOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <variant>

#include "Decimal.h"
#include "Light.h"
#include "Zernike.h"

namespace diffrascope::cli {
namespace {

constexpr const char *kProgramName = "diffrascope-render";

// ---- Values and their ranges ----------------------------------------------------

struct Range {
    Decimal min;
    Decimal max;
    bool aboveMin = false; // the minimum itself is not accepted
    const char *text;      // as the messages and --help say it
};

const Range kSphericalRange{Decimal::Whole(-10), Decimal::Whole(10), false, "-10 to 10 waves"};
const Range kFocusRange{Decimal::Whole(-50), Decimal::Whole(50), false, "-50 to 50 waves"};
const Range kObstructionRange{Decimal::Whole(0), Decimal::Whole(100), false, "0 to 100 percent"};
const Range kWavelengthRange{Decimal::Whole(300), Decimal::Whole(1000), false, "300 to 1000 nm"};
const Range kTermRange{Decimal::Whole(-10), Decimal::Whole(10), false, "-10 to 10 waves"};
const Range kAngleRange{Decimal::Whole(-360), Decimal::Whole(360), false, "-360 to 360 degrees"};
const Range kZernikeRange{Decimal::Whole(-5), Decimal::Whole(5), false, "-5 to 5 waves RMS"};
const Range kVaneWidthRange{Decimal::Whole(0), Decimal::Whole(20), true, "more than 0 and at most 20 percent"};
const Range kFRatioRange{{5, 1}, Decimal::Whole(100), false, "0.5 to 100"};
const Range kDefocusMmRange{Decimal::Whole(-100), Decimal::Whole(100), false, "-100 to 100 mm"};
const Range kStarTestRange{Decimal::Whole(0), Decimal::Whole(50), true, "more than 0 and at most 50 waves"};
const Range kFieldRange{Decimal::Whole(0), Decimal::Whole(10000), true, "more than 0 and at most 10000 lambda/D"};
const Range kDecadesRange{Decimal::Whole(1), Decimal::Whole(10), false, "1 to 10"};
const Range kRadiusRange{Decimal::Whole(0), Decimal::Whole(1000), true, "more than 0 and at most 1000 lambda/D"};

constexpr std::int32_t kMinPanel = 32;
constexpr std::int32_t kMaxPanel = 2048;
constexpr std::int32_t kMaxVanes = optics::kMaxVanes;
constexpr std::int32_t kMaxRadii = 16;
constexpr double kNanometresPerMillimetre = 1e6;
constexpr double kFocusLimit = 50; // waves, as the window's focus bar

constexpr std::array<std::int32_t, 5> kGridSizes{256, 512, 1024, 2048, 4096};

// ---- Options ----------------------------------------------------------------------

namespace name {
constexpr const char *kSpherical = "spherical";
constexpr const char *kFocus = "focus";
constexpr const char *kObstruction = "obstruction";
constexpr const char *kWavelength = "wavelength";
constexpr const char *kComa = "coma";
constexpr const char *kAstigmatism = "astigmatism";
constexpr const char *kZernike = "zernike";
constexpr const char *kSpider = "spider";
constexpr const char *kSpectrum = "spectrum";
constexpr const char *kFRatio = "f-ratio";
constexpr const char *kDefocusMm = "defocus-mm";
constexpr const char *kStarTest = "startest";
constexpr const char *kThroughFocus = "through-focus";
constexpr const char *kPanel = "panel";
constexpr const char *kField = "field";
constexpr const char *kGrid = "grid";
constexpr const char *kView = "view";
constexpr const char *kDisplay = "display";
constexpr const char *kDecades = "decades";
constexpr const char *kStrict = "strict";
constexpr const char *kMetrics = "metrics";
constexpr const char *kEeRadii = "ee-radii";
constexpr const char *kOutput = "output";
} // namespace name

struct OptionText {
    const char *name;
    const char *valueName; // empty for a flag
    const char *description;
};

const OptionText kOptions[] = {
    {name::kSpherical, "WAVES",
     "Spherical aberration W040 at the edge of the pupil, -10 to 10 waves; positive is under-correction, the "
     "marginal rays focusing short at focus -2 x WAVES (default 0)."},
    {name::kFocus, "WAVES",
     "Defocus W020 at the edge of the pupil, -50 to 50 waves; positive is extrafocal, the eyepiece racked outward "
     "beyond focus (default 0)."},
    {name::kObstruction, "PERCENT", "Central obstruction, 0 to 100 percent of the aperture's diameter (default 0)."},
    {name::kWavelength, "NM",
     "Wavelength, 300 to 1000 nm; the reference at which every aberration is given (default 550)."},
    {name::kComa, "WAVES[@DEG]",
     "Coma W131 u^3 cos(theta - DEG), -10 to 10 waves; its tail points along DEG, counted counterclockwise from "
     "the picture's +x axis (default 0)."},
    {name::kAstigmatism, "WAVES[@DEG]",
     "Astigmatism W222 u^2 cos^2(theta - DEG), -10 to 10 waves; at focus 0 its line lies along DEG (default 0)."},
    {name::kZernike, "J=C[,J=C...]",
     "Zernike terms by Noll index J (2 to 37), C in waves RMS (-5 to 5), each term of RMS 1 over the "
     "unobstructed pupil; even J take cos(m theta), odd J sin(m theta); J = 4 and 11 overlap --focus and "
     "--spherical."},
    {name::kSpider, "COUNT,WIDTH[@DEG]",
     "Spider: COUNT vanes (1 to 8) from the centre to the rim, evenly spaced, WIDTH percent of the aperture's "
     "diameter (more than 0, at most 20), the first at DEG (default 0)."},
    {name::kSpectrum, "FROM:TO:STEP|visual|FILE",
     "White light: every STEP nm from FROM to TO with equal energy, the eye's photopic response V(lambda) "
     "(visual, 380 to 780 nm), or a file of \"nm weight\" lines (# starts a comment). Aberrations keep their "
     "optical path: they scale as --wavelength / lambda."},
    {name::kFRatio, "F", "Focal ratio, 0.5 to 100: labels a sheet's defocus in mm of focuser travel as well."},
    {name::kDefocusMm, "MM",
     "Defocus as focuser travel, -100 to 100 mm, positive outward (extrafocal): W = MM / (8 F^2 lambda). Needs "
     "--f-ratio; not with --focus or --through-focus."},
    {name::kStarTest, "WAVES",
     "A star-test sheet of three panels: focus -WAVES, the given focus and +WAVES (more than 0, at most 50)."},
    {name::kThroughFocus, "FROM:TO:STEP",
     "A contact sheet of every focus from FROM to TO waves, STEP apart, both ends included; at most 64 panels."},
    {name::kPanel, "PX",
     "Panel side in pixels, 32 to 2048 (default 256). A single image with --panel or --field is drawn as a "
     "sheet's panel."},
    {name::kField, "LD",
     "Width of the field a panel shows, in lambda/D (more than 0, at most 10000; at least the panel's pixels at "
     "one grid pixel each); by default the largest blur disc of the sheet with a margin. Where the field has "
     "more grid pixels than the panel, each panel pixel averages a block of them."},
    {name::kGrid, "N",
     "Grid size: 256, 512, 1024, 2048 or 4096; by default 512 for --view, else the smallest that samples the "
     "pupil and holds the field. One pixel is 110/lambda lambda/D at any grid size."},
    {name::kView, "crop|full",
     "crop: the 256 x 256 centre, as the window shows it (default); full: the whole N x N picture."},
    {name::kDisplay, "amplitude|log",
     "amplitude: the window's scale, 300 x the normalised amplitude, clamped at 255 (default); log: "
     "255 (1 + log10(I/Imax) / D), clamped at 0, to show the faint rings."},
    {name::kDecades, "D", "Decades of intensity the log scale shows, 1 to 10 (default 4)."},
    {name::kStrict, "", "Treat a sampling or field warning as an error: exit status 3 and no file."},
    {name::kMetrics, "FILE",
     "Write JSON to FILE (- for standard output): the parameters, the grid, the pixel scale, the Strehl ratio, "
     "the peak, the FWHM, encircled energy (about the optical axis, fractions of the whole grid's flux) and "
     "warnings; for a sheet one entry per panel."},
    {name::kEeRadii, "R[,R...]",
     "More encircled-energy radii in lambda/D (more than 0, at most 1000; at most 16), after the Airy dark "
     "rings 1.2197, 2.2331 and 3.2383."},
    {name::kOutput, "FILE",
     "Picture file: .png or .pgm (8-bit grey), .fits (32-bit float intensities normalised to a peak of 1); - "
     "writes PGM to standard output. Required unless --metrics is given."},
};

QString Dashed(const char *option) { return QStringLiteral("--") + QLatin1String(option); }

QString Quoted(const QString &text) { return QLatin1Char('\'') + text + QLatin1Char('\''); }

QString Text(const Decimal &value) { return QString::fromStdString(ToText(value)); }

// "--spherical '11' is out of range; --spherical accepts -10 to 10 waves."
QString Refused(const char *option, const QString &value, const QString &reason, const QString &accepted) {
    return QStringLiteral("%1 %2 %3; %1 accepts %4.").arg(Dashed(option), Quoted(value), reason, accepted);
}

CommandLineOutcome Refusal(const QString &message) {
    return {CommandLineOutcome::Action::Refuse, {}, QLatin1String(kProgramName) + QStringLiteral(": ") + message};
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
    if (low < 0 || (low == 0 && range.aboveMin) || Compare(reading.value, range.max) > 0) {
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

// Spherical aberration and focus: a whole tenth is read as the window reads
// its scroll bar (position x 0.1), so such a value gives the window's picture
// bit for bit; any other decimal is its nearest double.
double Waves(const Decimal &value) {
    if (const std::optional<std::int64_t> tenths = ScaledWhole(value, 1)) {
        return static_cast<std::int32_t>(*tenths) * 0.1;
    }
    return ToDouble(value);
}

// The obstruction's percent times 0.01, as the window turns its position into a fraction.
double ObstructionFraction(const Decimal &percent) {
    if (const std::optional<std::int64_t> whole = ScaledWhole(percent, 0)) {
        return static_cast<std::int32_t>(*whole) * 0.01;
    }
    return ToDouble(percent) * 0.01;
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

// ---- The reader of one command line ------------------------------------------------

class Reader {
  public:
    explicit Reader(const QCommandLineParser &parser) : parser_(parser) {}

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
    Problem ReadSpectrum(optics::Spectrum &spectrum);
    Problem ReadSpectrumFile(const QString &path, optics::Spectrum &spectrum);
    Problem ReadSpectrumRange(const QString &text, optics::Spectrum &spectrum);
    Problem ReadFocus(RenderRequest &request);
    Problem ReadSheet(RenderRequest &request);
    Problem ReadLayout(RenderRequest &request);
    Problem ReadDisplay(RenderRequest &request);
    Problem ReadOutputs(RenderRequest &request);
    Problem ReadRadii(std::vector<double> &radii);

    void AddPanel(RenderRequest &request, double waves, const QString &role, const QString &wavesText);
    QString Millimetres(const RenderRequest &request, double waves) const;

    const QCommandLineParser &parser_;
    // The focus the user gave: exact when typed in waves, a double when from millimetres.
    std::optional<Decimal> focus_;
    double focusWaves_ = 0;
};

Problem Reader::Read(RenderRequest &request) {
    for (auto step : {&Reader::ReadOptics, &Reader::ReadFocus, &Reader::ReadSheet, &Reader::ReadLayout,
                      &Reader::ReadDisplay, &Reader::ReadOutputs}) {
        if (Problem problem = (this->*step)(request)) {
            return problem;
        }
    }
    return std::nullopt;
}

Problem Reader::Repeated() const {
    QStringList seen;
    for (const QString &option : parser_.optionNames()) {
        if (seen.contains(option)) {
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
    for (const Pair &pair : {Pair{name::kStarTest, name::kThroughFocus}, Pair{name::kDefocusMm, name::kFocus},
                             Pair{name::kFocus, name::kThroughFocus},
                             Pair{name::kDefocusMm, name::kThroughFocus}, Pair{name::kView, name::kStarTest},
                             Pair{name::kView, name::kThroughFocus}, Pair{name::kView, name::kPanel},
                             Pair{name::kView, name::kField}}) {
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
                             Need{name::kEeRadii, name::kMetrics, "to write the encircled energy"}}) {
        if (Has(need.option) && !Has(need.needs)) {
            return QStringLiteral("%1 needs %2 %3.").arg(Dashed(need.option), Dashed(need.needs), QLatin1String(need.why));
        }
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
    optics::OpticalSystem &pupil = request.job.pupil;
    struct Plain {
        const char *option;
        const Range &range;
        double *target;
        double (*convert)(const Decimal &);
    };
    const Plain plain[] = {
        {name::kSpherical, kSphericalRange, &pupil.aberrations.spherical, &Waves},
        {name::kObstruction, kObstructionRange, &pupil.aperture.obstruction, &ObstructionFraction},
        {name::kWavelength, kWavelengthRange, &pupil.wavelength, &ToDouble},
    };
    for (const Plain &value : plain) {
        if (!Has(value.option)) {
            continue;
        }
        const auto read = Number(value.option, Value(value.option), value.range);
        if (const QString *refusal = std::get_if<QString>(&read)) {
            return *refusal;
        }
        *value.target = value.convert(std::get<Decimal>(read));
    }
    if (Problem problem = ReadAngledTerm(name::kComa, pupil.aberrations.coma)) {
        return problem;
    }
    if (Problem problem = ReadAngledTerm(name::kAstigmatism, pupil.aberrations.astigmatism)) {
        return problem;
    }
    if (Problem problem = ReadZernike(pupil.aberrations.zernike)) {
        return problem;
    }
    if (Problem problem = ReadSpider(pupil.aperture.spider)) {
        return problem;
    }
    return ReadSpectrum(request.job.spectrum);
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
    const std::optional<std::int32_t> vanes = WholeNumber(count, 1, kMaxVanes);
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
    spider.width = ToDouble(std::get<Decimal>(percent)) * 0.01;
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

// --focus exactly, or --defocus-mm through the focal ratio.
Problem Reader::ReadFocus(RenderRequest &request) {
    if (Has(name::kFRatio)) {
        const auto ratio = Number(name::kFRatio, Value(name::kFRatio), kFRatioRange);
        if (const QString *refusal = std::get_if<QString>(&ratio)) {
            return *refusal;
        }
        request.fRatio = ToDouble(std::get<Decimal>(ratio));
    }
    if (Has(name::kFocus)) {
        const auto focus = Number(name::kFocus, Value(name::kFocus), kFocusRange);
        if (const QString *refusal = std::get_if<QString>(&focus)) {
            return *refusal;
        }
        focus_ = std::get<Decimal>(focus);
        focusWaves_ = Waves(*focus_);
    } else if (Has(name::kDefocusMm)) {
        const auto travel = Number(name::kDefocusMm, Value(name::kDefocusMm), kDefocusMmRange);
        if (const QString *refusal = std::get_if<QString>(&travel)) {
            return *refusal;
        }
        const double f = *request.fRatio;
        const double lambda = request.job.pupil.wavelength / kNanometresPerMillimetre;
        focusWaves_ = ToDouble(std::get<Decimal>(travel)) / (8 * f * f * lambda);
        if (std::fabs(focusWaves_) > kFocusLimit) {
            return Refused(name::kDefocusMm, Value(name::kDefocusMm),
                           QStringLiteral("is %1 waves at f/%2").arg(focusWaves_, 0, 'f', 1).arg(f),
                           QStringLiteral("travel of at most 50 waves of defocus"));
        }
    } else {
        focus_ = Decimal::Whole(0);
    }
    request.job.pupil.aberrations.focus = focusWaves_;
    return std::nullopt;
}

QString Reader::Millimetres(const RenderRequest &request, double waves) const {
    if (!request.fRatio) {
        return {};
    }
    const double f = *request.fRatio;
    const double millimetres = waves * 8 * f * f * (request.job.pupil.wavelength / kNanometresPerMillimetre);
    return QStringLiteral(", %1%2 mm").arg(millimetres > 0 ? QStringLiteral("+") : QString()).arg(millimetres, 0, 'f', 3);
}

void Reader::AddPanel(RenderRequest &request, double waves, const QString &role, const QString &wavesText) {
    request.job.focus.push_back(waves);
    const QString unit = std::fabs(waves) == 1 ? QStringLiteral(" wave") : QStringLiteral(" waves");
    request.labels.push_back({role, wavesText + unit + Millimetres(request, waves)});
}

QString SignedText(const Decimal &value) {
    return (Compare(value, Decimal::Whole(0)) > 0 ? QStringLiteral("+") : QString()) + Text(value);
}

QString SignedText(double waves) {
    return (waves > 0 ? QStringLiteral("+") : QString()) + QString::number(waves, 'f', 2);
}

QString RoleOf(int sign) {
    return sign < 0 ? QStringLiteral("intrafocal") : sign > 0 ? QStringLiteral("extrafocal") : QStringLiteral("focus");
}

Problem Reader::ReadSheet(RenderRequest &request) {
    if (Has(name::kStarTest)) {
        const QString text = Value(name::kStarTest);
        const auto read = Number(name::kStarTest, text, kStarTestRange);
        if (const QString *refusal = std::get_if<QString>(&read)) {
            return *refusal;
        }
        const Decimal w = std::get<Decimal>(read);
        for (int side : {-1, 0, 1}) {
            // exact when the focus was typed in waves, a double when it came from millimetres
            const std::optional<Decimal> exact = focus_ ? AddMultiple(*focus_, side, w) : std::nullopt;
            const double waves = exact ? Waves(*exact) : focusWaves_ + side * ToDouble(w);
            const bool inRange = exact ? Compare(*exact, kFocusRange.min) >= 0 && Compare(*exact, kFocusRange.max) <= 0
                                       : !focus_ && std::fabs(waves) <= kFocusLimit;
            if (!inRange) {
                return Refused(name::kStarTest, text, QStringLiteral("takes the focus beyond -50 to 50 waves"),
                               QLatin1String(kStarTestRange.text) + QStringLiteral(" within -50 to 50 waves of focus"));
            }
            AddPanel(request, waves, RoleOf(side), exact ? SignedText(*exact) : SignedText(waves));
        }
    } else if (Has(name::kThroughFocus)) {
        const QString text = Value(name::kThroughFocus);
        const QString accepted =
            QStringLiteral("FROM:TO:STEP in waves, FROM and TO -50 to 50, STEP above 0, at most 64 panels");
        const auto read = ReadSteps(name::kThroughFocus, text, kFocusRange, optics::kMaxPanels, accepted);
        if (const QString *refusal = std::get_if<QString>(&read)) {
            return *refusal;
        }
        const Steps &steps = std::get<Steps>(read);
        for (std::int64_t k = 0; k < steps.count; ++k) {
            const Decimal f = *AddMultiple(steps.first, k, steps.step);
            AddPanel(request, Waves(f), RoleOf(Compare(f, Decimal::Whole(0))), SignedText(f));
        }
    }
    return std::nullopt;
}

Problem Reader::ReadLayout(RenderRequest &request) {
    optics::RenderJob &job = request.job;
    if (Has(name::kGrid)) {
        const std::optional<std::int32_t> grid = WholeNumber(Value(name::kGrid), kGridSizes.front(), kGridSizes.back());
        if (!grid || std::find(kGridSizes.begin(), kGridSizes.end(), *grid) == kGridSizes.end()) {
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
    const bool panels = request.IsSheet() || Has(name::kPanel) || Has(name::kField);
    if (!panels) {
        return std::nullopt;
    }
    job.layout = optics::Layout::Panels;
    if (Has(name::kPanel)) {
        const std::optional<std::int32_t> side = WholeNumber(Value(name::kPanel), kMinPanel, kMaxPanel);
        if (!side) {
            return QStringLiteral("%1 %2 is not a panel size; %1 accepts whole numbers of pixels from 32 to 2048.")
                .arg(Dashed(name::kPanel), Quoted(Value(name::kPanel)));
        }
        job.field.side = *side;
    }
    if (job.grid && *job.grid < job.field.side) {
        return QStringLiteral("--panel %1 is larger than --grid %2; a panel accepts at most the grid's pixels.")
            .arg(job.field.side)
            .arg(*job.grid);
    }
    if (Has(name::kField)) {
        const auto width = Number(name::kField, Value(name::kField), kFieldRange);
        if (const QString *refusal = std::get_if<QString>(&width)) {
            return *refusal;
        }
        job.field.width = ToDouble(std::get<Decimal>(width));
    }
    return std::nullopt;
}

Problem Reader::ReadDisplay(RenderRequest &request) {
    if (Has(name::kDisplay)) {
        const QString display = Value(name::kDisplay);
        if (display != QLatin1String("amplitude") && display != QLatin1String("log")) {
            return QStringLiteral("%1 %2 is not a display scale; %1 accepts amplitude or log.")
                .arg(Dashed(name::kDisplay), Quoted(display));
        }
        request.job.display.scale = display == QLatin1String("log") ? optics::Scale::Log : optics::Scale::Amplitude;
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

Problem Reader::ReadRadii(std::vector<double> &radii) {
    const QString text = Value(name::kEeRadii);
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() > kMaxRadii) {
        return Refused(name::kEeRadii, text, QStringLiteral("has more than 16 radii"),
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
    const QString accepted =
        QStringLiteral("a .png, .pgm or .fits file, or - for PGM on standard output");
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
    if (!Has(name::kOutput)) {
        if (request.job.metrics) {
            return std::nullopt;
        }
        return QStringLiteral("%1 FILE is required; %1 accepts %2 (or give --metrics alone).")
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
    } else if (output.endsWith(QStringLiteral(".fits"), Qt::CaseInsensitive) ||
               output.endsWith(QStringLiteral(".fit"), Qt::CaseInsensitive) ||
               output.endsWith(QStringLiteral(".fts"), Qt::CaseInsensitive)) {
        request.format = PictureFormat::Fits;
        request.job.keepIntensities = true; // FITS holds the intensities
    } else {
        return QStringLiteral("%1 %2 has no known picture extension; %1 accepts %3.")
            .arg(Dashed(name::kOutput), Quoted(output), accepted);
    }
    if (output == QLatin1String(kStandardOutputName) && request.metrics == QLatin1String(kStandardOutputName)) {
        return QStringLiteral("--output - and --metrics - cannot both use standard output.");
    }
    return std::nullopt;
}

QString Description() {
    return QStringLiteral(
        "Computes the star image of a telescope or camera with a circular, possibly obstructed aperture (the "
        "window's model, grey level for grey level at the window's values) and writes it as a picture, a FITS "
        "file or numbers.\n\n"
        "Conventions: aberrations are in waves at the edge of the pupil at --wavelength (Zernike terms in waves "
        "RMS). W = SA u^4 + F u^2: positive focus is extrafocal, the marginal rays focus at F = -2 SA, so "
        "positive spherical aberration is under-correction, whose intrafocal image has the bright outer ring. "
        "Angles count counterclockwise from the picture's +x axis. Lengths in the field are in lambda/D of "
        "--wavelength; one grid pixel is 110/lambda lambda/D. Exit status: 0 done, 1 the computation or a write "
        "failed, 2 the command line was refused, 3 --strict and a warning.");
}

} // namespace

CommandLineOutcome ParseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    AddOptions(parser);

    if (!parser.parse(arguments)) {
        return Refusal(parser.errorText() + QStringLiteral(" See --help."));
    }
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        return {CommandLineOutcome::Action::ShowHelp, {}, parser.helpText()};
    }
    if (parser.isSet(versionOption)) {
        return {CommandLineOutcome::Action::ShowVersion, {},
                QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion() +
                    QLatin1Char('\n')};
    }
    CommandLineOutcome outcome{CommandLineOutcome::Action::Render, {}, {}};
    Reader reader(parser);
    if (Problem problem = reader.Read(outcome.request)) {
        return Refusal(*problem);
    }
    return outcome;
}

} // namespace diffrascope::cli
