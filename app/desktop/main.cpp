// Start-up: the main window (built hidden, centred, with the star image of
// the start values), the hidden secondary window, then the event loop.

#include <QApplication>

#include <exception>
#include <memory>

#include "Application.h"
#include "Mainp.h"
#include "Resultp.h"

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    // Lets the desktop tie the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.diffrascope.Diffrascope"));
    try {
        const std::unique_ptr<diffrascope::ui::TMainPanel> mainPanel = diffrascope::ui::CreateMainPanel();
        const std::unique_ptr<diffrascope::ui::TResult> result = diffrascope::ui::CreateResult();
        mainPanel->show();
        QApplication::exec();
    } catch (...) {
        // Start-up failed: tell the user; the program still ends normally.
        diffrascope::ui::ShowException(std::current_exception());
    }
    return 0;
}
