// libFuzzer target for what diffrascope-render reads from its command line.
//
// An input is the arguments after the program's name, separated by NUL bytes:
// no argument can hold one, so every input is a command line and every
// command line is an input. Whatever the arguments, ParseCommandLine must
// return (no crash, no hang, nothing the sanitizers object to) and:
// - a refusal says which option or what is wrong: it starts with the program's
//   name and names at least one of the options that --help lists;
// - an accepted request holds values inside the ranges the renderer documents;
// - the same arguments give the same outcome again;
// - nothing appears in the working directory, an empty one of its own.

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "OpticsError.h"
#include "RenderOptions.h"
#include "StarImage.h"

namespace {

using diffrascope::frontend::CommandLineOutcome;
using diffrascope::frontend::ParseCommandLine;
using diffrascope::frontend::RenderRequest;

constexpr const char *kProgram = "diffrascope-render";
constexpr std::size_t kMaxInputBytes = 4096; // a command line longer than this teaches nothing new
constexpr std::int32_t kSmallestRenderedGrid = 256;

QStringList OptionNames;      // every --name that --help lists
std::filesystem::path Folder; // the empty working directory

[[noreturn]] void Broken(const char *invariant, const QStringList &arguments, const QString &detail) {
    std::fprintf(stderr, "command-line fuzz: %s\n  arguments: [%s]\n  %s\n", invariant,
                 arguments.join(QStringLiteral("] [")).toUtf8().constData(), detail.toUtf8().constData());
    std::abort();
}

QStringList SplitArguments(const std::uint8_t *data, std::size_t size) {
    QStringList arguments{QLatin1String(kProgram)};
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == 0) {
            // Decoded as the program decodes argv; bytes that are no UTF-8 become U+FFFD.
            arguments << QString::fromUtf8(reinterpret_cast<const char *>(data + start),
                                           static_cast<qsizetype>(i - start));
            start = i + 1;
        }
    }
    return arguments;
}

QStringList OptionsNamedIn(const QString &text) {
    QStringList names;
    for (qsizetype at = text.indexOf(QStringLiteral("--")); at >= 0; at = text.indexOf(QStringLiteral("--"), at + 2)) {
        qsizetype end = at + 2;
        while (end < text.size() && (text[end].isLower() || text[end].isDigit() || text[end] == QLatin1Char('-'))) {
            ++end;
        }
        if (end > at + 2) {
            names << text.mid(at, end - at);
        }
    }
    return names;
}

bool Within(double value, double low, double high) { return value >= low && value <= high; }

bool Typed(const QStringList &arguments, const QString &name) {
    return !name.isEmpty() && arguments.mid(1).join(QChar(0)).contains(name);
}

void CheckRefusal(const QStringList &arguments, const QString &text) {
    const QString prefix = QLatin1String(kProgram) + QStringLiteral(": ");
    if (!text.startsWith(prefix) || text.size() == prefix.size()) {
        Broken("a refusal starts with the program's name and says something", arguments, text);
    }
    for (const QString &named : OptionsNamedIn(text)) {
        if (OptionNames.contains(named)) {
            return;
        }
    }
    Broken("a refusal names one of the program's options", arguments, text);
}

// Why the optics of an accepted request lie outside the documented ranges; empty when they do not.
QString OpticsOutOfRange(const diffrascope::optics::Job &job) {
    const auto &pupil = job.system;
    const auto &ab = pupil.aberrations;
    if (!Within(ab.spherical, -10, 10) || !Within(ab.focus, -50, 50) || !Within(pupil.aperture.obstruction, 0, 1) ||
        !Within(pupil.wavelength, 300, 1000)) {
        return QStringLiteral("spherical %1, focus %2, obstruction %3, wavelength %4")
            .arg(ab.spherical)
            .arg(ab.focus)
            .arg(pupil.aperture.obstruction)
            .arg(pupil.wavelength);
    }
    for (const auto *term : {&ab.coma, &ab.astigmatism}) {
        if (!Within(term->waves, -10, 10) || !Within(term->degrees, -360, 360)) {
            return QStringLiteral("a term of %1 waves at %2 degrees").arg(term->waves).arg(term->degrees);
        }
    }
    for (const auto &term : ab.zernike) {
        if (!Within(term.noll, 2, 37) || !Within(term.waves, -5, 5)) {
            return QStringLiteral("Zernike %1 = %2").arg(term.noll).arg(term.waves);
        }
    }
    const auto &spider = pupil.aperture.spider;
    if (!Within(spider.vanes, 0, 8) || !Within(spider.width, 0, 0.2) || (spider.vanes > 0 && spider.width == 0)) {
        return QStringLiteral("spider of %1 vanes %2 wide").arg(spider.vanes).arg(spider.width);
    }
    if (job.light.lines.size() > 701) {
        return QStringLiteral("%1 wavelengths").arg(job.light.lines.size());
    }
    for (const auto &line : job.light.lines) {
        if (!Within(line.nanometres, 300, 1000) || !(line.weight >= 0)) {
            return QStringLiteral("a line at %1 nm of weight %2").arg(line.nanometres).arg(line.weight);
        }
    }
    // seeing: r0 of 1 to 1000 cm with an aperture, 0 (the long exposure) to 1000 frames, a mean only of frames
    if (const auto &seeing = job.seeing; seeing && (!Within(seeing->r0, 1, 1000) || !job.apertureMm ||
                                                    !Within(seeing->frames, 0, 1000) ||
                                                    (seeing->average && seeing->frames == 0))) {
        return QStringLiteral("seeing r0 %1 cm, %2 frames").arg(seeing->r0).arg(seeing->frames);
    }
    return {};
}

void CheckRequest(const QStringList &arguments, const RenderRequest &request) {
    const diffrascope::optics::Job &job = request.job;
    if (const QString wrong = OpticsOutOfRange(job); !wrong.isEmpty()) {
        Broken("an accepted request has its optics inside the documented ranges", arguments, wrong);
    }
    std::vector<diffrascope::optics::PanelFocus> panels;
    try {
        diffrascope::optics::Validate(job);
        panels = diffrascope::optics::FocusOfPanels(job.system.aberrations.focus, job.system.wavelength, job.panels);
    } catch (const diffrascope::optics::ParameterError &refused) {
        Broken("the library takes every request the renderer accepts", arguments, QString::fromUtf8(refused.what()));
    }
    if (panels.size() > 64 || (job.panels.IsSheet() ? panels.size() < 3 : panels.size() != 1)) {
        Broken("a sheet has 3 to 64 panels, a single image one", arguments, QString::number(panels.size()));
    }
    for (const auto &panel : panels) {
        if (!Within(panel.waves, -50, 50) || (job.panels.IsSheet() && panel.defocus.empty())) {
            Broken("every panel's focus lies within -50 to 50 waves and is labelled", arguments,
                   QString::number(panel.waves));
        }
    }
    if (job.grid && (!diffrascope::IsAcceptedGridSize(*job.grid) || *job.grid < kSmallestRenderedGrid)) {
        Broken("an accepted request has a grid size from 256 to 4096", arguments, QString::number(*job.grid));
    }
    if (!Within(job.side, 32, 2048) ||
        (job.grid && job.side > *job.grid && job.layout == diffrascope::optics::Layout::Panels)) {
        Broken("a panel has 32 to 2048 pixels and fits its grid", arguments, QString::number(job.side));
    }
    if (!Within(job.display.decades, 1, 10)) {
        Broken("the log scale shows 1 to 10 decades", arguments, QString::number(job.display.decades));
    }
    if (request.output.isEmpty() ? request.metrics.isEmpty() : !Typed(arguments, request.output)) {
        Broken("an accepted request writes a picture to a name the user gave, or metrics", arguments, request.output);
    }
    if (!request.metrics.isEmpty() && !Typed(arguments, request.metrics)) {
        Broken("an accepted request writes metrics to a name the user gave", arguments, request.metrics);
    }
}

bool SameOutcome(const CommandLineOutcome &a, const CommandLineOutcome &b) {
    const RenderRequest &x = a.request;
    const RenderRequest &y = b.request;
    return a.action == b.action && a.text == b.text &&
           x.job.system == y.job.system && x.job.panels.kind == y.job.panels.kind &&
           x.job.panels.defocus == y.job.panels.defocus && x.job.panels.from == y.job.panels.from &&
           x.job.grid == y.job.grid && x.job.layout == y.job.layout && x.output == y.output &&
           x.metrics == y.metrics && x.job.light.lines == y.job.light.lines;
}

void CheckFolderStaysEmpty(const QStringList &arguments) {
    std::error_code error;
    if (!std::filesystem::is_empty(Folder, error) || error) {
        QStringList entries = QDir(QString::fromStdString(Folder.string()))
                                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        Broken("reading the command line writes nothing", arguments, entries.join(QStringLiteral(", ")));
    }
}

void RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    static int argc = 1;
    static char name[] = "diffrascope-render";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(kProgram));
    QCoreApplication::setApplicationVersion(QStringLiteral(DIFFRASCOPE_VERSION_TEXT));

    const CommandLineOutcome help = ParseCommandLine({QLatin1String(kProgram), QStringLiteral("--help")});
    OptionNames = OptionsNamedIn(help.text);
    if (help.action != CommandLineOutcome::Action::ShowHelp || !OptionNames.contains(QStringLiteral("--output"))) {
        std::fprintf(stderr, "command-line fuzz: --help lists no options\n");
        std::exit(1);
    }

    std::string folder = (std::filesystem::temp_directory_path() / "diffrascope-fuzz-XXXXXX").string();
    std::error_code error;
    if (mkdtemp(folder.data()) == nullptr || (std::filesystem::current_path(folder, error), error)) {
        std::perror("command-line fuzz: no empty working directory");
        std::exit(1);
    }
    Folder = folder;
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > kMaxInputBytes) {
        return -1; // not kept in the corpus
    }
    const QStringList arguments = SplitArguments(data, size);
    const CommandLineOutcome outcome = ParseCommandLine(arguments);
    switch (outcome.action) {
    case CommandLineOutcome::Action::Refuse:
        CheckRefusal(arguments, outcome.text);
        break;
    case CommandLineOutcome::Action::Render:
        CheckRequest(arguments, outcome.request);
        break;
    case CommandLineOutcome::Action::ShowHelp:
    case CommandLineOutcome::Action::ShowVersion:
        if (outcome.text.isEmpty()) {
            Broken("help and version have a text", arguments, {});
        }
        break;
    }
    if (!SameOutcome(outcome, ParseCommandLine(arguments))) {
        Broken("the same arguments give the same outcome", arguments, outcome.text);
    }
    CheckFolderStaysEmpty(arguments);
    return 0;
}
