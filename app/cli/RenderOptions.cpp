#include "RenderOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <optional>

#include "DecimalPosition.h"

namespace diffrascope::cli {
namespace {

constexpr const char *kProgramName = "diffrascope-render";

// One optical value: its option, its unit, and the scroll bar it stands for.
struct PositionOption {
    const char *name;
    const char *valueName;
    const char *description;
    const char *unit;
    int fractionDigits; // 1: the position counts tenths of the value; 0: the position is the value
    PositionRange range;
    std::int32_t ScrollPositions::*field;
};

constexpr std::array kPositionOptions{
    PositionOption{"spherical", "WAVES", "Spherical aberration at the edge of the pupil", "waves", 1,
                   kSphericalRange, &ScrollPositions::spherical},
    PositionOption{"focus", "WAVES", "Focus error at the edge of the pupil", "waves", 1, kFocusRange,
                   &ScrollPositions::focus},
    PositionOption{"obstruction", "PERCENT", "Central obstruction, in percent of the aperture", "percent", 0,
                   kObstructionRange, &ScrollPositions::obstruction},
    PositionOption{"wavelength", "NM", "Wavelength", "nanometres", 0, kWavelengthRange,
                   &ScrollPositions::wavelength},
};

constexpr std::array<std::int32_t, 5> kGridSizes{256, 512, 1024, 2048, 4096};
constexpr const char *kGridOption = "grid";
constexpr const char *kViewOption = "view";
constexpr const char *kOutputOption = "output";
constexpr const char *kCropView = "crop";
constexpr const char *kFullView = "full";

// Writes a position back as the value the user types: 55 tenths is "5.5".
QString PositionText(std::int32_t position, int fractionDigits) {
    if (fractionDigits == 0) {
        return QString::number(position);
    }
    QString sign = position < 0 ? QStringLiteral("-") : QString();
    std::int32_t magnitude = position < 0 ? -position : position;
    QString text = sign + QString::number(magnitude / 10);
    return magnitude % 10 == 0 ? text : text + QLatin1Char('.') + QString::number(magnitude % 10);
}

QString AcceptedText(const PositionOption &option) {
    QString step = option.fractionDigits == 0 ? QStringLiteral("in whole steps") : QStringLiteral("in steps of 0.1");
    return QStringLiteral("%1 to %2 %3 %4")
        .arg(PositionText(option.range.min, option.fractionDigits),
             PositionText(option.range.max, option.fractionDigits), QLatin1String(option.unit), step);
}

QString GridSizesText() {
    QStringList sizes;
    for (std::int32_t size : kGridSizes) {
        sizes << QString::number(size);
    }
    QString last = sizes.takeLast();
    return sizes.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

CommandLineOutcome Refusal(const QString &message) {
    return {CommandLineOutcome::Action::Refuse, {}, QLatin1String(kProgramName) + QStringLiteral(": ") + message};
}

QString Dashed(const char *name) { return QStringLiteral("--") + QLatin1String(name); }

void AddOptions(QCommandLineParser &parser) {
    ScrollPositions defaults;
    for (const PositionOption &option : kPositionOptions) {
        parser.addOption(QCommandLineOption(
            QLatin1String(option.name),
            QStringLiteral("%1: %2 (default %3).")
                .arg(QLatin1String(option.description), AcceptedText(option),
                     PositionText(defaults.*option.field, option.fractionDigits)),
            QLatin1String(option.valueName)));
    }
    parser.addOption(QCommandLineOption(
        QLatin1String(kGridOption),
        QStringLiteral("Grid size: %1 (default %2).").arg(GridSizesText()).arg(kStartGridSize), QStringLiteral("N")));
    parser.addOption(QCommandLineOption(QLatin1String(kViewOption),
                                        QStringLiteral("crop: the 256 x 256 centre, as the window shows it "
                                                       "(default); full: the whole N x N picture."),
                                        QStringLiteral("crop|full")));
    parser.addOption(QCommandLineOption(QLatin1String(kOutputOption),
                                        QStringLiteral("Picture file, .png or .pgm (8-bit grey); - writes PGM "
                                                       "to standard output. Required."),
                                        QStringLiteral("FILE")));
}

// Why a reading is no position of the option; empty when it is one.
QString RefusalReason(const PositionReading &reading, const PositionOption &option) {
    switch (reading.status) {
    case PositionStatus::NotANumber:
        return QStringLiteral("is not a number");
    case PositionStatus::BetweenSteps:
        return option.fractionDigits == 0 ? QStringLiteral("is not a whole number")
                                          : QStringLiteral("is not a multiple of 0.1");
    case PositionStatus::TooLarge:
        return QStringLiteral("is out of range");
    case PositionStatus::Whole:
        break;
    }
    bool inRange = reading.position >= option.range.min && reading.position <= option.range.max;
    return inRange ? QString() : QStringLiteral("is out of range");
}

// Fills the position of one optical value; the refusal text when it is not one.
std::optional<QString> ReadOpticalValue(const QCommandLineParser &parser, const PositionOption &option,
                                        ScrollPositions &positions) {
    QString name = QLatin1String(option.name);
    if (!parser.isSet(name)) {
        return std::nullopt;
    }
    QString text = parser.value(name);
    PositionReading reading = ReadPosition(text.toStdString(), option.fractionDigits);
    QString reason = RefusalReason(reading, option);
    if (!reason.isEmpty()) {
        return QStringLiteral("%1 '%2' %3; %1 accepts %4.")
            .arg(Dashed(option.name), text, reason, AcceptedText(option));
    }
    positions.*option.field = reading.position;
    return std::nullopt;
}

std::optional<QString> ReadGridSize(const QCommandLineParser &parser, std::int32_t &gridSize) {
    if (!parser.isSet(QLatin1String(kGridOption))) {
        return std::nullopt;
    }
    QString text = parser.value(QLatin1String(kGridOption));
    PositionReading reading = ReadPosition(text.toStdString(), 0);
    bool listed = reading.status == PositionStatus::Whole &&
                  std::find(kGridSizes.begin(), kGridSizes.end(), reading.position) != kGridSizes.end();
    if (!listed) {
        return QStringLiteral("%1 '%2' is not a grid size; %1 accepts %3.")
            .arg(Dashed(kGridOption), text, GridSizesText());
    }
    gridSize = reading.position;
    return std::nullopt;
}

std::optional<QString> ReadView(const QCommandLineParser &parser, View &view) {
    if (!parser.isSet(QLatin1String(kViewOption))) {
        return std::nullopt;
    }
    QString text = parser.value(QLatin1String(kViewOption));
    if (text == QLatin1String(kCropView) || text == QLatin1String(kFullView)) {
        view = text == QLatin1String(kFullView) ? View::Full : View::Crop;
        return std::nullopt;
    }
    return QStringLiteral("%1 '%2' is not a view; %1 accepts crop or full.").arg(Dashed(kViewOption), text);
}

std::optional<QString> ReadOutput(const QCommandLineParser &parser, RenderRequest &request) {
    const QString accepted = QStringLiteral("a .png or .pgm file, or - for PGM on standard output");
    if (!parser.isSet(QLatin1String(kOutputOption))) {
        return QStringLiteral("%1 FILE is required; %1 accepts %2.").arg(Dashed(kOutputOption), accepted);
    }
    request.output = parser.value(QLatin1String(kOutputOption));
    if (request.output == QLatin1String(kStandardOutputName)) {
        request.format = PictureFormat::Pgm;
    } else if (request.output.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) {
        request.format = PictureFormat::Png;
    } else if (request.output.endsWith(QStringLiteral(".pgm"), Qt::CaseInsensitive)) {
        request.format = PictureFormat::Pgm;
    } else {
        return QStringLiteral("%1 '%2' has no known picture extension; %1 accepts %3.")
            .arg(Dashed(kOutputOption), request.output, accepted);
    }
    return std::nullopt;
}

// Two values for one option leave the intent unclear.
std::optional<QString> FindRepeatedOption(const QCommandLineParser &parser) {
    QStringList seen;
    for (const QString &name : parser.optionNames()) {
        if (seen.contains(name)) {
            return QStringLiteral("--%1 is given more than once.").arg(name);
        }
        seen << name;
    }
    return std::nullopt;
}

// The first problem with the values, if any.
std::optional<QString> ReadRequest(const QCommandLineParser &parser, RenderRequest &request) {
    if (auto problem = FindRepeatedOption(parser)) {
        return problem;
    }
    for (const PositionOption &option : kPositionOptions) {
        if (auto problem = ReadOpticalValue(parser, option, request.positions)) {
            return problem;
        }
    }
    if (auto problem = ReadGridSize(parser, request.gridSize)) {
        return problem;
    }
    if (auto problem = ReadView(parser, request.view)) {
        return problem;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return QStringLiteral("unexpected argument '%1'; every value belongs to an option (see --help).")
            .arg(parser.positionalArguments().constFirst());
    }
    return ReadOutput(parser, request);
}

} // namespace

CommandLineOutcome ParseCommandLine(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Computes the star image of an annular aperture and writes it as an 8-bit grey picture."));
    QCommandLineOption helpOption = parser.addHelpOption();
    QCommandLineOption versionOption = parser.addVersionOption();
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
    if (auto problem = ReadRequest(parser, outcome.request)) {
        return Refusal(*problem);
    }
    return outcome;
}

} // namespace diffrascope::cli
