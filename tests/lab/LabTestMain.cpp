// The lab's tests share one application object on the offscreen platform,
// with settings in a scratch place of Qt's test mode.

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char *argv[]) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS(); // listing needs no windows
    }
    QStandardPaths::setTestModeEnabled(true); // QSettings under ~/.qttest, never the user's own
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Diffrascope"));
    QCoreApplication::setApplicationName(QStringLiteral("diffrascope-lab-tests"));
    return RUN_ALL_TESTS();
}
