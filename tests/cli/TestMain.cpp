// The renderer tests start processes through QProcess, and draw a sheet's
// labels: they want a GUI application object (on the offscreen platform).
#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char *argv[]) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen"); // listing the tests needs no display either
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
