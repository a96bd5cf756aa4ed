// diffrascope-render: the star image without the window, for star testers,
// scripts and batch work. Standard output carries nothing but the PGM of
// "--output -" or the JSON of "--metrics -".

#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <new>
#include <optional>

#include "Errors.h"
#include "FitsOutput.h"
#include "MetricsOutput.h"
#include "Picture.h"
#include "PictureOutput.h"
#include "Render.h"
#include "RenderOptions.h"
#include "Trace.h"

namespace {

using diffrascope::cli::CommandLineOutcome;
using diffrascope::cli::PictureFormat;
using diffrascope::cli::RenderRequest;
using diffrascope::optics::RenderResult;

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1; // the computation or a write failed
constexpr int kExitUsage = 2;   // the command line was refused
constexpr int kExitStrict = 3;  // --strict and a warning
constexpr const char *kPrefix = "diffrascope-render: ";

void Print(std::FILE *stream, const QByteArray &bytes) { std::fwrite(bytes.constData(), 1, bytes.size(), stream); }
void Print(std::FILE *stream, const QString &text) { Print(stream, text.toUtf8()); }
void Complain(const QString &line) { Print(stderr, line + QLatin1Char('\n')); }

bool IsStandardOutput(const QString &name) { return name == QLatin1String(diffrascope::cli::kStandardOutputName); }

// The plan of the job (grid, view, warnings) or its computation; on failure
// the computation's own message, followed by a full stop.
template <typename Step> std::optional<RenderResult> Attempt(Step step) {
    try {
        return step();
    } catch (const diffrascope::ComputationError &failure) {
        Complain(QString::fromUtf8(failure.what()) + QLatin1Char('.'));
    } catch (const std::bad_alloc &) {
        Complain(QString::fromUtf8(diffrascope::kMemoryShortText)); // its sentence ends with its own stop
    }
    return std::nullopt;
}

// The bytes of the picture file; empty with a message when it cannot be made.
std::optional<QByteArray> EncodeOutput(const RenderRequest &request, const RenderResult &result) {
    if (request.format == PictureFormat::Fits) {
        QString error;
        std::optional<QByteArray> bytes = diffrascope::cli::EncodeFits(request, result, error);
        if (!bytes) {
            Complain(QLatin1String(kPrefix) + error + QLatin1Char('.'));
        }
        return bytes;
    }
    const QImage picture = request.IsSheet() ? diffrascope::cli::SheetPicture(result, request.labels)
                                             : diffrascope::cli::PanelPicture(result.panels.front().panel);
    if (picture.isNull()) {
        Complain(QString::fromUtf8(diffrascope::kMemoryShortText)); // its sentence ends with its own stop
        return std::nullopt;
    }
    QByteArray bytes = diffrascope::cli::EncodePicture(picture, request.format);
    if (bytes.isEmpty()) {
        Complain(QLatin1String(kPrefix) + QStringLiteral("the picture could not be encoded."));
        return std::nullopt;
    }
    return bytes;
}

bool Write(const QString &target, const QByteArray &bytes) {
    const std::optional<QString> failure = IsStandardOutput(target) ? diffrascope::cli::WriteStandardOutput(bytes)
                                                                    : diffrascope::cli::WriteFileWhole(target, bytes);
    if (failure) {
        Complain(QLatin1String(kPrefix) + *failure + QLatin1Char('.'));
    }
    return !failure;
}

QStringList Warnings(const RenderResult &plan) {
    QStringList warnings;
    for (const std::string &warning : plan.warnings) {
        warnings << QString::fromStdString(warning);
    }
    return warnings;
}

int Render(const RenderRequest &request) {
    const std::optional<RenderResult> plan = Attempt([&] { return diffrascope::optics::Plan(request.job); });
    if (!plan) {
        return kExitFailure;
    }
    const QStringList warnings = Warnings(*plan);
    for (const QString &warning : warnings) {
        Complain(QLatin1String(kPrefix) + (request.strict ? QString() : QStringLiteral("warning: ")) + warning +
                 QLatin1Char('.'));
    }
    if (request.strict && !warnings.isEmpty()) {
        Complain(QLatin1String(kPrefix) + QStringLiteral("--strict: nothing was written."));
        return kExitStrict;
    }
    const std::optional<RenderResult> result =
        Attempt([&] { return diffrascope::optics::Render(request.job, *plan); });
    if (!result) {
        return kExitFailure;
    }
    std::optional<QByteArray> picture;
    if (!request.output.isEmpty() && !(picture = EncodeOutput(request, *result))) {
        return kExitFailure;
    }
    const QByteArray metrics =
        request.metrics.isEmpty() ? QByteArray() : diffrascope::cli::MetricsJson(request, *result, warnings);
    if (picture && !Write(request.output, *picture)) {
        return kExitFailure;
    }
    if (!request.metrics.isEmpty() && !Write(request.metrics, metrics)) {
        return kExitFailure;
    }
    return kExitSuccess;
}

// Standard error carries the renderer's own messages only: Qt's remarks about
// its surroundings (a missing runtime directory, say) mean nothing to the user.
void KeepQtQuiet(QtMsgType type, const QMessageLogContext & /*context*/, const QString &message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        Complain(QLatin1String(kPrefix) + message);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    qInstallMessageHandler(KeepQtQuiet);
    // The renderer shows no window; it draws the sheets' labels off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // numbers in FITS headers and messages use a full stop
    QCoreApplication::setApplicationName(QStringLiteral("diffrascope-render"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DIFFRASCOPE_VERSION_TEXT));
    diffrascope::SetTraceOutput(nullptr); // standard output is reserved for the picture and the numbers

    const CommandLineOutcome outcome = diffrascope::cli::ParseCommandLine(QCoreApplication::arguments());
    switch (outcome.action) {
    case CommandLineOutcome::Action::ShowHelp:
    case CommandLineOutcome::Action::ShowVersion:
        Print(stdout, outcome.text);
        return kExitSuccess;
    case CommandLineOutcome::Action::Refuse:
        Complain(outcome.text);
        return kExitUsage;
    case CommandLineOutcome::Action::Render:
        break;
    }
    return Render(outcome.request);
}
