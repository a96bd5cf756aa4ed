// The core's trace lines ("a", "b") would only clutter the test output.
#include <gtest/gtest.h>

#include "Trace.h"

int main(int argc, char *argv[]) {
    testing::InitGoogleTest(&argc, argv);
    diffrascope::SetTraceOutput(nullptr);
    return RUN_ALL_TESTS();
}
