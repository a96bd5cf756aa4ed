#include "LabState.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <optional>

#include "Decimal.h"
#include "Job.h"

namespace diffrascope::lab {
namespace {

using frontend::CommandLineOutcome;

constexpr const char *kStarTest = "startest";
constexpr const char *kStarTestMm = "startest-mm";
constexpr const char *kDefaultStarTest = "8"; // waves either side, Suiter's

QString DecimalText(double value) { return QString::fromStdString(optics::ToText(*optics::DecimalOf(value))); }

QString Dashed(const QString &option) { return QStringLiteral("--") + option; }

// The options given on a command line and their values, read with the renderer's own option list.
QMap<QString, QString> GivenOptions(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    for (const frontend::OptionInfo &option : frontend::RenderOptions()) {
        parser.addOption(option.valueName.isEmpty() ? QCommandLineOption(option.name)
                                                    : QCommandLineOption(option.name, QString(), option.valueName));
    }
    parser.parse(arguments); // the renderer's parser has accepted them already
    QMap<QString, QString> given;
    for (const frontend::OptionInfo &option : frontend::RenderOptions()) {
        if (!parser.isSet(option.name)) {
            continue;
        }
        // A flag is "on"; a repeated option's values are one per line.
        given.insert(option.name, option.valueName.isEmpty() ? QStringLiteral("on")
                                                             : parser.values(option.name).join(QLatin1Char('\n')));
    }
    return given;
}

} // namespace

QString DefaultValue(const QString &option) {
    const optics::Job job;
    const QMap<QString, QString> defaults{
        {QStringLiteral("spherical"), DecimalText(job.system.aberrations.spherical)},
        {QStringLiteral("focus"), DecimalText(job.system.aberrations.focus)},
        {QStringLiteral("coma"), DecimalText(job.system.aberrations.coma.waves)},
        {QStringLiteral("astigmatism"), DecimalText(job.system.aberrations.astigmatism.waves)},
        {QStringLiteral("obstruction"), DecimalText(job.system.aperture.obstruction)},
        {QStringLiteral("wavelength"), DecimalText(job.system.wavelength)},
        {QStringLiteral("display"), QStringLiteral("amplitude")},
        {QStringLiteral("decades"), DecimalText(job.display.decades)},
        {QStringLiteral("panel"), QString::number(job.side)},
    };
    return defaults.value(option);
}

bool IsRefusedOption(const QString &option) {
    static const QStringList refused{QStringLiteral("output"),  QStringLiteral("metrics"),
                                     QStringLiteral("strict"),  QStringLiteral("ee-radii"),
                                     QStringLiteral("view"),    QStringLiteral("through-focus"),
                                     QStringLiteral("mtf")};
    return refused.contains(option);
}

LabState LabState::Defaults() {
    LabState state;
    state.Set(QLatin1String(kStarTest), QLatin1String(kDefaultStarTest));
    return state;
}

void LabState::Set(const QString &option, const QString &value) {
    if (value.isEmpty() || value == DefaultValue(option)) {
        values_.remove(option);
    } else {
        values_.insert(option, value);
    }
}

QStringList LabState::Arguments() const {
    QStringList arguments;
    for (const frontend::OptionInfo &option : frontend::RenderOptions()) {
        if (!values_.contains(option.name)) {
            continue;
        }
        if (option.valueName.isEmpty()) {
            arguments << Dashed(option.name); // a flag
            continue;
        }
        for (const QString &value : values_.value(option.name).split(QLatin1Char('\n'))) {
            arguments << Dashed(option.name) << value;
        }
    }
    return arguments;
}

QString ShellQuoted(const QString &word) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(word).hasMatch()) {
        return word;
    }
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString LabState::RenderCommand() const {
    QStringList words{QLatin1String(kRenderer)};
    for (const QString &argument : Arguments()) {
        words << ShellQuoted(argument);
    }
    words << QStringLiteral("--output") << QLatin1String(kSheetFile);
    return words.join(QLatin1Char(' '));
}

frontend::CommandLineOutcome LabState::Parse() const {
    return frontend::ParseCommandLine(QStringList{QLatin1String(kProgram)} + Arguments(),
                                      {QLatin1String(kProgram), false});
}

// The renderer's help under the lab's own usage: the options and their
// conventions are the renderer's, the outputs are not the window's.
QString LabHelp(const QString &rendererHelp) {
    const QString usage = QStringLiteral(
        "Usage: %1 [OPTICS] [STAR TEST] [LIGHT] [DISPLAY]\n"
        "       %1 --help | --version\n\n"
        "Opens the star tester's window showing these options (without --startest or --startest-mm, 8 waves "
        "either side of focus; without options, as it was left). --output, --metrics, --ee-radii, --strict, "
        "--view and --through-focus belong to %2 and are refused.\n")
                              .arg(QLatin1String(kProgram), QLatin1String(kRenderer));
    const qsizetype body = rendererHelp.indexOf(QStringLiteral("\n\n"));
    return usage + rendererHelp.mid(body + 1);
}

// True when the arguments give the option, as "--name VALUE" or "--name=VALUE".
bool Gives(const QStringList &arguments, const QString &option) {
    const QString dashed = Dashed(option);
    for (const QString &argument : arguments) {
        if (argument == dashed || argument.startsWith(dashed + QLatin1Char('='))) {
            return true;
        }
    }
    return false;
}

StartOutcome ReadCommandLine(const QStringList &given) {
    // The window always shows a star test: 8 waves either side unless the command line says otherwise.
    QStringList arguments = given;
    if (!Gives(given, QLatin1String(kStarTest)) && !Gives(given, QLatin1String(kStarTestMm)) &&
        !Gives(given, QStringLiteral("through-focus"))) {
        arguments << Dashed(QLatin1String(kStarTest)) << QLatin1String(kDefaultStarTest);
    }
    const CommandLineOutcome outcome = frontend::ParseCommandLine(arguments, {QLatin1String(kProgram), false});
    if (outcome.action == CommandLineOutcome::Action::ShowHelp) {
        return {outcome.action, {}, LabHelp(outcome.text)};
    }
    if (outcome.action != CommandLineOutcome::Action::Render) {
        return {outcome.action, {}, outcome.text};
    }
    const QMap<QString, QString> options = GivenOptions(arguments);
    for (auto option = options.cbegin(); option != options.cend(); ++option) {
        if (IsRefusedOption(option.key())) {
            return {CommandLineOutcome::Action::Refuse, {},
                    QStringLiteral("%1: %2 has no use in the window; give it to %3.")
                        .arg(QLatin1String(kProgram), Dashed(option.key()), QLatin1String(kRenderer))};
        }
    }
    LabState state;
    for (auto option = options.cbegin(); option != options.cend(); ++option) {
        state.Set(option.key(), option.value());
    }
    const CommandLineOutcome checked = state.Parse();
    if (checked.action != CommandLineOutcome::Action::Render) {
        return {CommandLineOutcome::Action::Refuse, {}, checked.text};
    }
    return {CommandLineOutcome::Action::Render, state, {}};
}

} // namespace diffrascope::lab
