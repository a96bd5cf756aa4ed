// diffrascope-lab: the star tester's window. It reads the renderer's optics
// options on its command line and opens showing them; without options it
// opens as it was left.

#include <QApplication>
#include <QMessageBox>

#include <clocale>
#include <cstdio>

#include "LabState.h"
#include "LabWindow.h"
#include "Translation.h"

namespace {

namespace lab = diffrascope::lab;
using Action = diffrascope::frontend::CommandLineOutcome::Action;

constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 2; // the command line was refused, as the renderer's

void Print(std::FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C"); // the renderer's numbers use a full stop
    QCoreApplication::setOrganizationName(QStringLiteral("Diffrascope"));
    QCoreApplication::setApplicationName(QStringLiteral("diffrascope-lab"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DIFFRASCOPE_VERSION_TEXT));
    // Lets the desktop tie the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.diffrascope.DiffrascopeLab"));
    lab::InstallTranslators(application);

    const QStringList arguments = QCoreApplication::arguments();
    const lab::StartOutcome start = lab::ReadCommandLine(arguments);
    switch (start.action) {
    case Action::ShowHelp:
    case Action::ShowVersion:
        Print(stdout, start.text);
        return kExitSuccess;
    case Action::Refuse:
        Print(stderr, start.text + QLatin1Char('\n'));
        QMessageBox::critical(nullptr, QCoreApplication::translate("main", "Diffrascope Lab"), start.text);
        return kExitUsage;
    case Action::Render:
        break;
    }
    lab::LabWindow window(arguments.size() > 1 ? start.state : lab::SavedState());
    window.show();
    return QApplication::exec();
}
