// diffrascope-lab: the star tester's window. It reads the renderer's optics
// options on its command line and opens showing them; without options it
// opens as it was left.

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <clocale>
#include <cstdio>
#include <string_view>
#include <vector>

#include "LabState.h"
#include "LabWindow.h"
#include "Translation.h"

namespace {

namespace lab = diffrascope::lab;
using Action = diffrascope::frontend::CommandLineOutcome::Action;

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 2; // the command line was refused, as the renderer's

// The arguments Qt may read: all but the renderer's --display, which the X11
// platform would take for its own -display (the X server to connect to).
std::vector<char *> QtArguments(int argc, char *argv[]) {
    std::vector<char *> kept;
    for (int k = 0; k < argc; ++k) {
        const std::string_view argument(argv[k]);
        if (k > 0 && (argument == "--display" || argument == "-display")) {
            ++k; // and its value
        } else if (k == 0 || !argument.starts_with("--display=")) {
            kept.push_back(argv[k]);
        }
    }
    kept.push_back(nullptr);
    return kept;
}

// The whole command line as the user gave it, decoded as Qt decodes it (UTF-8).
QStringList AllArguments(int argc, char *argv[]) {
    QStringList arguments;
    for (int k = 0; k < argc; ++k) {
        arguments << QString::fromLocal8Bit(argv[k]);
    }
    return arguments;
}

// Whether a window can be shown at all: a display, or a platform chosen outright.
bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void Print(std::FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication::setOrganizationName(QStringLiteral("Diffrascope"));
    QCoreApplication::setApplicationName(QStringLiteral("diffrascope-lab"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DIFFRASCOPE_VERSION_TEXT));
    // Read before any window system is needed: --help and --version work on a bare terminal.
    const QStringList arguments = AllArguments(argc, argv);
    const lab::StartOutcome start = lab::ReadCommandLine(arguments);
    if (start.action == Action::ShowHelp || start.action == Action::ShowVersion) {
        Print(stdout, start.text);
        return kExitSuccess;
    }
    if (start.action == Action::Refuse) {
        Print(stderr, start.text + QLatin1Char('\n'));
        if (!HasDisplay()) {
            return kExitUsage;
        }
    }
    std::vector<char *> qtArguments = QtArguments(argc, argv);
    int qtCount = static_cast<int>(qtArguments.size()) - 1;
    QApplication application(qtCount, qtArguments.data());
    std::setlocale(LC_NUMERIC, "C"); // the renderer's numbers use a full stop
    // Lets the desktop tie the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.diffrascope.DiffrascopeLab"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/LABICON.png")));
    lab::InstallTranslators(application);
    if (start.action == Action::Refuse) {
        QMessageBox::critical(nullptr, QCoreApplication::translate("diffrascope::lab::LabWindow", "Diffrascope Lab"),
                              start.text);
        return kExitUsage;
    }
    lab::LabWindow window(arguments.size() > 1 ? start.state : lab::SavedState());
    window.show();
    return QApplication::exec();
}
