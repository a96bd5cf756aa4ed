// The window tests share one application object on the offscreen platform.

#include <QApplication>

#include <gtest/gtest.h>

#include "Trace.h"

int main(int argc, char *argv[]) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS(); // listing needs no windows
    }
    QApplication application(argc, argv);
    diffrascope::SetTraceOutput(nullptr); // the computation's trace lines are not under test here
    return RUN_ALL_TESTS();
}
