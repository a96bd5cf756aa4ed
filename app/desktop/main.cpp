// The desktop program: the application object, then the windows and the
// event loop (ui/Startup.cpp).

#include <QApplication>

#include "Startup.h"

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    // Lets the desktop tie the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.diffrascope.Diffrascope"));
    return diffrascope::ui::RunApplication();
}
