// The application title, centring, message boxes, the error display (also of
// a failed start), the "0.0" number format and the available-memory figure.

#include <QLocale>
#include <QPoint>
#include <QSize>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "Application.h"
#include "Errors.h"
#include "Grid.h"
#include "Mainp.h"
#include "MessageBoxCatcher.h"
#include "Resultp.h"
#include "StarImage.h"
#include "Startup.h"
#include "SystemMemory.h"

namespace diffrascope::ui {
namespace {

struct TitleCase {
    const char *path;
    const char *title;
};

TEST(ApplicationTitle, IsTheFileNameUpToItsFirstDotWithAllButTheFirstCharacterInLowerCase) {
    const TitleCase cases[] = {
        {"/usr/bin/Diffrascope", "Diffrascope"},
        {"/opt/DIFFRASCOPE.EXE", "Diffrascope"},
        {"/home/a.b/diffraScope", "diffrascope"},
        {"build/bin/Star.Image.app", "Star"},
        {"Diffrascope", "Diffrascope"},
        {"/tmp/.hidden", ""},
        {"/usr/bin/ÜBERSICHT", "Übersicht"},
    };
    for (const TitleCase &c : cases) {
        EXPECT_EQ(TitleFromProgramPath(QString::fromUtf8(c.path)), QString::fromUtf8(c.title)) << c.path;
    }
}

struct CentringCase {
    QSize screen;
    QSize window;
    QPoint topLeft;
};

TEST(CentreOnScreen, TruncatesEachHalfBeforeSubtractingAndNeverClamps) {
    const CentringCase cases[] = {
        {{1024, 768}, {569, 383}, {228, 193}}, // not (1024 - 569) / 2 = 227
        {{1280, 1024}, {569, 383}, {356, 321}},
        {{500, 768}, {569, 383}, {-34, 193}}, // narrower than the window: left of the screen
        {{1024, 768}, {561, 347}, {232, 211}},
    };
    for (const CentringCase &c : cases) {
        EXPECT_EQ(CentredPosition(c.screen, c.window), c.topLeft)
            << c.screen.width() << "x" << c.screen.height() << " screen";
    }
}

TEST(ShowMessage, ShowsAModalBoxCentredOnTheScreenCaptionedWithTheTitleWithOneOkButtonAndNoIcon) {
    test::MessageBoxCatcher catcher;
    ShowMessage(QStringLiteral("some text"));
    ASSERT_EQ(catcher.Boxes().size(), 1U);
    const test::ShownBox &box = catcher.Boxes().front();
    EXPECT_EQ(box.title, ApplicationTitle());
    EXPECT_EQ(box.text, QStringLiteral("some text"));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(box.modality, Qt::ApplicationModal);
    EXPECT_EQ(box.frame.topLeft(), CentredPosition(box.screen, box.frame.size()));
}

TEST(ShowException, ShowsAnErrorWithTheErrorIconAndAFullStopAfterItsText) {
    test::MessageBoxCatcher catcher;
    ShowException(std::make_exception_ptr(ZeroDivisionError()));
    ShowException(std::make_exception_ptr(std::runtime_error("already stopped.")));
    ASSERT_EQ(catcher.Boxes().size(), 2U);
    EXPECT_EQ(catcher.Boxes()[0].text, QString::fromUtf8("0 による浮動小数点数除算."));
    EXPECT_EQ(catcher.Boxes()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(catcher.Boxes()[0].title, ApplicationTitle());
    EXPECT_EQ(catcher.Boxes()[0].buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(catcher.Boxes()[1].text, QStringLiteral("already stopped."));
}

TEST(ShowException, TellsOfShortMemoryWithThePlainMessageBox) {
    test::MessageBoxCatcher catcher;
    ShowException(std::make_exception_ptr(AllocationError()));
    ASSERT_EQ(catcher.Boxes().size(), 1U);
    EXPECT_EQ(catcher.Boxes()[0].text, QString::fromUtf8("メモリが足りません。\u3000計算分割数を減らして下さい。"));
    EXPECT_EQ(catcher.Boxes()[0].icon, QMessageBox::NoIcon);
}

TEST(Startup, ShowsAFailedStartUpComputationInTheErrorDisplayAndEndsWithZero) {
    ResetStarImageState();
    SetAllocationFailureFilter([](std::size_t) { return true; }); // no working buffer can be had
    test::MessageBoxCatcher catcher;
    EXPECT_EQ(RunApplication(), 0);
    ASSERT_EQ(catcher.Boxes().size(), 1U);
    EXPECT_EQ(catcher.Boxes()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(catcher.Boxes()[0].title, ApplicationTitle());
    EXPECT_EQ(catcher.Boxes()[0].text, QString::fromUtf8(kMemoryShortText)) << "its sentence ends already";
    EXPECT_EQ(MainPanel, nullptr);
    EXPECT_EQ(Result, nullptr);
    SetAllocationFailureFilter({});
    ResetStarImageState();
}

struct FormatCase {
    long double value;
    const char *text;
};

class NumberFormat : public testing::Test {
  protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(NumberFormat, ShowsOneDecimalWithAMinusSignAndNoThousandsSeparator) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const FormatCase cases[] = {
        {0, "0.0"},        {-100 * 0.1L, "-10.0"}, {5 * 0.1L, "0.5"},  {100 * 0.1L, "10.0"},
        {-500 * 0.1L, "-50.0"}, {37, "37.0"},     {300, "300.0"},     {1000, "1000.0"},
        {-1 * 0.1L, "-0.1"}, {0.96L, "1.0"},
    };
    for (const FormatCase &c : cases) {
        EXPECT_EQ(FormatOneDecimal(c.value), QString::fromUtf8(c.text)) << c.text;
    }
}

TEST_F(NumberFormat, UsesTheDecimalSeparatorOfTheLocale) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatOneDecimal(5 * 0.1L), QStringLiteral("0,5"));
    EXPECT_EQ(FormatOneDecimal(1000), QStringLiteral("1000,0"));
    EXPECT_EQ(FormatOneDecimal(-500 * 0.1L), QStringLiteral("-50,0"));
}

class AvailableMemory : public testing::Test {
  protected:
    void TearDown() override { SetAvailableBytesSource({}); }
    static long double With(std::uint64_t bytes) {
        SetAvailableBytesSource([bytes] { return bytes; });
        return AvailablePhysicalMegabytes();
    }
};

TEST_F(AvailableMemory, CountsInMillionsOfBytes) {
    EXPECT_DOUBLE_EQ(static_cast<double>(With(100'000'000)), 100.0);
    EXPECT_GE(With(64'000'000), 64.0L) << "exactly the threshold of 512 is not below it";
    EXPECT_GE(With(32'000'000), 32.0L);
    EXPECT_GE(With(128'000'000), 128.0L);
    EXPECT_LT(With(31'999'999), 32.0L);
    EXPECT_EQ(With(0), 0.0L);
}

TEST_F(AvailableMemory, NeverExceedsTheLargestUnsignedThirtyTwoBitByteCount) {
    EXPECT_EQ(With(0xFFFF'FFFFULL), 4294967295 * 1e-6L);
    EXPECT_EQ(With(64ULL << 30), 4294967295 * 1e-6L);
}

TEST_F(AvailableMemory, ComesFromTheKernelWhenNotReplaced) {
    SetAvailableBytesSource({});
    const std::uint64_t bytes = SystemAvailableBytes();
    EXPECT_GT(bytes, 0U) << "a running system has some memory available";
    EXPECT_GT(AvailablePhysicalMegabytes(), 0.0L);
    EXPECT_LE(AvailablePhysicalMegabytes(), 4294967295 * 1e-6L);
}

} // namespace
} // namespace diffrascope::ui
