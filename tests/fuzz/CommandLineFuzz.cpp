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

#include "RenderOptions.h"
#include "StarImage.h"

namespace {

using diffrascope::PositionRange;
using diffrascope::cli::CommandLineOutcome;
using diffrascope::cli::ParseCommandLine;
using diffrascope::cli::RenderRequest;

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

bool Inside(std::int32_t value, PositionRange range) { return value >= range.min && value <= range.max; }

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

void CheckRequest(const QStringList &arguments, const RenderRequest &request) {
    const auto &p = request.positions;
    if (!Inside(p.spherical, diffrascope::kSphericalRange) || !Inside(p.focus, diffrascope::kFocusRange) ||
        !Inside(p.obstruction, diffrascope::kObstructionRange) ||
        !Inside(p.wavelength, diffrascope::kWavelengthRange)) {
        Broken("an accepted request has its positions inside the scroll bars' ranges", arguments,
               QStringLiteral("spherical %1, focus %2, obstruction %3, wavelength %4")
                   .arg(p.spherical)
                   .arg(p.focus)
                   .arg(p.obstruction)
                   .arg(p.wavelength));
    }
    if (!diffrascope::IsAcceptedGridSize(request.gridSize) || request.gridSize < kSmallestRenderedGrid) {
        Broken("an accepted request has a grid size from 256 to 4096", arguments, QString::number(request.gridSize));
    }
    if (request.view != diffrascope::cli::View::Crop && request.view != diffrascope::cli::View::Full) {
        Broken("an accepted request has a known view", arguments, QString::number(static_cast<int>(request.view)));
    }
    if (request.output.isEmpty() || !arguments.mid(1).join(QChar(0)).contains(request.output)) {
        Broken("an accepted request writes to a name the user gave", arguments, request.output);
    }
}

bool SameOutcome(const CommandLineOutcome &a, const CommandLineOutcome &b) {
    const RenderRequest &x = a.request;
    const RenderRequest &y = b.request;
    return a.action == b.action && a.text == b.text && x.positions.spherical == y.positions.spherical &&
           x.positions.focus == y.positions.focus && x.positions.obstruction == y.positions.obstruction &&
           x.positions.wavelength == y.positions.wavelength && x.gridSize == y.gridSize && x.view == y.view &&
           x.output == y.output;
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
