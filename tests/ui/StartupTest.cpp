// The program's run: the windows, the event loop, and the error display when
// the start-up computation fails.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "Application.h"
#include "Errors.h"
#include "Grid.h"
#include "Mainp.h"
#include "MessageBoxCatcher.h"
#include "Resultp.h"
#include "StarImage.h"
#include "Startup.h"

namespace diffrascope::ui {
namespace {

class Startup : public testing::Test {
  protected:
    void SetUp() override { ResetStarImageState(); }
    void TearDown() override {
        SetAllocationFailureFilter({});
        ResetStarImageState();
    }
    test::MessageBoxCatcher boxes;
};

TEST_F(Startup, ShowsAFailedStartUpComputationInTheErrorDisplayAndEndsWithZero) {
    SetAllocationFailureFilter([](std::size_t) { return true; }); // no working buffer can be had
    EXPECT_EQ(RunApplication(), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1U);
    const test::ShownBox &error = boxes.Boxes()[0];
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_EQ(error.title, ApplicationTitle());
    EXPECT_EQ(error.text, QString::fromUtf8(kMemoryShortText) + QStringLiteral("."));
    EXPECT_EQ(error.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(MainPanel, nullptr);
    EXPECT_EQ(Result, nullptr);
}

TEST_F(Startup, ShowsTheMainWindowKeepsTheSecondOneHiddenAndEndsWithZeroWhenClosed) {
    bool mainShown = false;
    bool resultHidden = false;
    QTimer::singleShot(0, qApp, [&] {
        mainShown = MainPanel != nullptr && MainPanel->isVisible();
        resultHidden = Result != nullptr && !Result->isVisible();
        MainPanel->close();
    });
    QTimer stuck; // a loop that would not end
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stuck.start(10'000);
    EXPECT_EQ(RunApplication(), 0);
    EXPECT_TRUE(stuck.isActive()) << "the window's closing ended the loop";
    EXPECT_TRUE(mainShown);
    EXPECT_TRUE(resultHidden);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(MainPanel, nullptr);
    EXPECT_EQ(Result, nullptr);
}

} // namespace
} // namespace diffrascope::ui
