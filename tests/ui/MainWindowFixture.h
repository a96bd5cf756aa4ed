#pragma once
// A fresh main window for each test, built from the start state of the
// computation, with plenty of memory reported and message boxes caught.

#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "Grid.h"
#include "Image.h"
#include "Mainp.h"
#include "MessageBoxCatcher.h"
#include "StarImage.h"
#include "SystemMemory.h"

namespace diffrascope::ui::test {

inline constexpr std::uint64_t kPlentyOfBytes = 8'000'000'000; // more than any threshold

class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetStarImageState();
        SetAvailableBytes(kPlentyOfBytes);
        window = CreateMainPanel();
    }
    void TearDown() override {
        window.reset();
        SetAvailableBytesSource({});
        SetAllocationFailureFilter({});
        ResetStarImageState();
    }

    static void SetAvailableBytes(std::uint64_t bytes) {
        SetAvailableBytesSource([bytes] { return bytes; });
    }

    const QImage &Picture() const { return window->Image1->Picture(); }

    // On the screen and the active window, so that its controls can hold the keyboard focus.
    void ShowActive() {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    MessageBoxCatcher boxes; // made first, so it watches the whole life of the window
    std::unique_ptr<TMainPanel> window;
};

} // namespace diffrascope::ui::test
