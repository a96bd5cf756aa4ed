// diffrascope-render: the star image without the window, for scripts and
// batch work. Standard output carries nothing but the PGM of "--output -".

#include <QCoreApplication>

#include <cstdio>
#include <new>
#include <optional>

#include "Picture.h"
#include "PictureOutput.h"
#include "RenderOptions.h"
#include "StarImage.h"
#include "Trace.h"

namespace {

using diffrascope::cli::CommandLineOutcome;
using diffrascope::cli::RenderRequest;

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1; // the computation or the write failed
constexpr int kExitUsage = 2;   // the command line was refused

void Print(std::FILE *stream, const QString &text) { std::fputs(text.toUtf8().constData(), stream); }

void Complain(const QString &line) { Print(stderr, line + QLatin1Char('\n')); }

// Computes the star image the way the window does and returns its picture,
// or the computation's own message, followed by a full stop.
std::optional<QImage> ComputePicture(const RenderRequest &request, QString &error) {
    QImage picture;
    diffrascope::GridSize = request.gridSize;
    diffrascope::SizeChanged = 1;
    try {
        diffrascope::ComputeStarImage(request.positions, {}, [&](const std::int32_t *const *grey, std::int32_t n) {
            picture = diffrascope::cli::GreyPicture(grey, n, request.view);
        });
    } catch (const diffrascope::ComputationError &failure) {
        error = QString::fromUtf8(failure.what()) + QLatin1Char('.');
        return std::nullopt;
    } catch (const std::bad_alloc &) {
        picture = QImage();
    }
    if (picture.isNull()) { // the picture itself did not fit: said as the core says it
        error = QString::fromUtf8(diffrascope::kMemoryShortText) + QLatin1Char('.');
        return std::nullopt;
    }
    return picture;
}

int Render(const RenderRequest &request) {
    QString error;
    std::optional<QImage> picture = ComputePicture(request, error);
    if (!picture) {
        Complain(error);
        return kExitFailure;
    }
    QByteArray bytes = diffrascope::cli::EncodePicture(*picture, request.format);
    if (bytes.isEmpty()) {
        Complain(QStringLiteral("diffrascope-render: the picture could not be encoded."));
        return kExitFailure;
    }
    std::optional<QString> failure = request.output == QLatin1String(diffrascope::cli::kStandardOutputName)
                                         ? diffrascope::cli::WriteStandardOutput(bytes)
                                         : diffrascope::cli::WriteFileWhole(request.output, bytes);
    if (failure) {
        Complain(QStringLiteral("diffrascope-render: ") + *failure + QLatin1Char('.'));
        return kExitFailure;
    }
    return kExitSuccess;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("diffrascope-render"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DIFFRASCOPE_VERSION_TEXT));
    diffrascope::SetTraceOutput(nullptr); // standard output is reserved for the picture

    CommandLineOutcome outcome = diffrascope::cli::ParseCommandLine(QCoreApplication::arguments());
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
