// diffrascope-render: the star image without the window, for star testers,
// scripts and batch work. Standard output carries nothing but the PGM of
// "--output -" or the JSON of "--metrics -".

#include <QGuiApplication>

#include <clocale>
#include <cstdio>
#include <new>
#include <optional>

#include "Engine.h"
#include "Errors.h"
#include "FileOutput.h"
#include "FitsOutput.h"
#include "MetricsOutput.h"
#include "MtfOutput.h"
#include "OpticsError.h"
#include "RenderOptions.h"
#include "SheetPicture.h"

namespace {

using diffrascope::PictureFormat;
using diffrascope::frontend::CommandLineOutcome;
using diffrascope::frontend::RenderRequest;
namespace optics = diffrascope::optics;

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1; // the computation or a write failed
constexpr int kExitUsage = 2;   // the command line was refused
constexpr int kExitStrict = 3;  // --strict and a warning
constexpr const char *kPrefix = "diffrascope-render: ";

void Print(std::FILE *stream, const QByteArray &bytes) { std::fwrite(bytes.constData(), 1, bytes.size(), stream); }
void Print(std::FILE *stream, const QString &text) { Print(stream, text.toUtf8()); }
void Complain(const QString &line) { Print(stderr, line + QLatin1Char('\n')); }

bool IsStandardOutput(const QString &name) {
    return name == QLatin1String(diffrascope::frontend::kStandardOutputName);
}

// A plan or a result; on failure the message the window gives for no light
// or short memory, or the library's own, and the exit status.
template <typename Value> struct Attempted {
    std::optional<Value> value;
    int status = kExitSuccess;
};

template <typename Value, typename Step> Attempted<Value> Attempt(Step step) {
    try {
        return {step(), kExitSuccess};
    } catch (const optics::ParameterError &refused) {
        Complain(QLatin1String(kPrefix) + QString::fromUtf8(refused.what()) + QLatin1Char('.'));
        return {std::nullopt, kExitUsage};
    } catch (const optics::NoLightError &) {
        Complain(QString::fromUtf8(diffrascope::kZeroDivisionText) + QLatin1Char('.'));
    } catch (const optics::OutOfMemoryError &) {
        Complain(QString::fromUtf8(diffrascope::kMemoryShortText)); // its sentence ends with its own stop
    } catch (const std::bad_alloc &) {
        Complain(QString::fromUtf8(diffrascope::kMemoryShortText));
    }
    return {std::nullopt, kExitFailure};
}

// The picture file's bytes (a FITS file's are a view of its memory).
struct Encoded {
    QByteArray bytes;
    std::optional<diffrascope::frontend::FitsBytes> fits;
};

// The bytes of the picture file; empty with a message when it cannot be made.
std::optional<Encoded> EncodeOutput(const RenderRequest &request, const optics::Result &result) {
    if (request.format == PictureFormat::Fits) {
        QString error;
        Encoded encoded{{}, diffrascope::frontend::EncodeFits(result, error)};
        if (!encoded.fits) {
            Complain(QLatin1String(kPrefix) + error + QLatin1Char('.'));
            return std::nullopt;
        }
        encoded.bytes = encoded.fits->View();
        return encoded;
    }
    const QImage picture = diffrascope::ResultPicture(result);
    if (picture.isNull()) {
        Complain(QString::fromUtf8(diffrascope::kMemoryShortText)); // its sentence ends with its own stop
        return std::nullopt;
    }
    QByteArray bytes = diffrascope::EncodePicture(picture, request.format);
    if (bytes.isEmpty()) {
        Complain(QLatin1String(kPrefix) + QStringLiteral("the picture could not be encoded."));
        return std::nullopt;
    }
    return Encoded{bytes, std::nullopt};
}

// The FITS bytes of the sampled wavefront; empty with a message when they cannot be made.
std::optional<diffrascope::frontend::FitsBytes> EncodeWavefront(const optics::Result &result) {
    QString error;
    std::optional<diffrascope::frontend::FitsBytes> fits =
        diffrascope::frontend::EncodeWavefrontFits(result, optics::SampledWavefront(result), error);
    if (!fits) {
        Complain(QLatin1String(kPrefix) + error + QLatin1Char('.'));
    }
    return fits;
}

bool Write(const QString &target, const QByteArray &bytes) {
    const std::optional<QString> failure = IsStandardOutput(target)
                                               ? diffrascope::frontend::WriteStandardOutput(bytes)
                                               : diffrascope::frontend::WriteFileWhole(target, bytes);
    if (failure) {
        Complain(QLatin1String(kPrefix) + *failure + QLatin1Char('.'));
    }
    return !failure;
}

int Render(const RenderRequest &request) {
    Attempted<optics::Plan> plan = Attempt<optics::Plan>([&] { return optics::MakePlan(request.job); });
    if (!plan.value) {
        return plan.status;
    }
    const std::vector<std::string> &warnings = plan.value->Warnings();
    for (const std::string &warning : warnings) {
        Complain(QLatin1String(kPrefix) + (request.strict ? QString() : QStringLiteral("warning: ")) +
                 QString::fromStdString(warning) + QLatin1Char('.'));
    }
    if (request.strict && !warnings.empty()) {
        Complain(QLatin1String(kPrefix) + QStringLiteral("--strict: nothing was written."));
        return kExitStrict;
    }
    const Attempted<optics::Result> result =
        Attempt<optics::Result>([&] { return optics::Compute(std::move(*plan.value)); });
    if (!result.value) {
        return result.status;
    }
    std::optional<Encoded> picture;
    if (!request.output.isEmpty() && !(picture = EncodeOutput(request, *result.value))) {
        return kExitFailure;
    }
    const QByteArray metrics =
        request.metrics.isEmpty() ? QByteArray() : diffrascope::frontend::MetricsJson(*result.value);
    const QByteArray mtf =
        request.mtf.isEmpty() ? QByteArray() : diffrascope::frontend::MtfFile(*result.value, request.mtfFormat);
    std::optional<diffrascope::frontend::FitsBytes> wavefront;
    if (!request.wavefrontOutput.isEmpty() && !(wavefront = EncodeWavefront(*result.value))) {
        return kExitFailure;
    }
    if (picture && !Write(request.output, picture->bytes)) {
        return kExitFailure;
    }
    if (wavefront && !Write(request.wavefrontOutput, wavefront->View())) {
        return kExitFailure;
    }
    if (!request.metrics.isEmpty() && !Write(request.metrics, metrics)) {
        return kExitFailure;
    }
    if (!request.mtf.isEmpty() && !Write(request.mtf, mtf)) {
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

    const CommandLineOutcome outcome = diffrascope::frontend::ParseCommandLine(QCoreApplication::arguments());
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
