// The behaviour behind the controls: parameter display and real-time
// recomputation, the compute button, the grid-size choice, About, Exit,
// the progress bar and the error display.

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

#include "Application.h"
#include "Errors.h"
#include "LiteralPipeline.h"
#include "MainWindowFixture.h"

namespace diffrascope::ui {
namespace {

using test::MainWindowTest;

// How long a user takes to read a box: longer than a held scroll bar waits before repeating.
constexpr int kReadingMilliseconds = 1000;

// How far the picture is from the centre 256 x 256 of the grey levels
// (element [i][j] at index i * n + j), shown transposed: the count of differing pixels.
int PixelsDifferingFromCrop(const QImage &picture, const std::vector<std::int32_t> &grey, std::int32_t n) {
    const std::int32_t offset = n / 2 - 128;
    int differing = 0;
    for (int y = 0; y < 256; ++y) {
        const uchar *pixel = picture.constScanLine(y);
        for (int x = 0; x < 256; ++x, pixel += 3) {
            const std::int32_t level = grey[static_cast<std::size_t>(x + offset) * n + (y + offset)];
            differing += (pixel[0] == level && pixel[1] == level && pixel[2] == level) ? 0 : 1;
        }
    }
    return differing;
}

std::vector<std::int32_t> CoreGreyLevels() {
    std::vector<std::int32_t> grey;
    for (std::int32_t i = 0; i < AllocatedSize; ++i) {
        grey.insert(grey.end(), GreyGrid[i], GreyGrid[i] + AllocatedSize);
    }
    return grey;
}

// The picture shows exactly the star image of these positions at this grid size.
void ExpectPictureOf(const QImage &picture, const ScrollPositions &positions, std::int32_t n) {
    ASSERT_EQ(picture.size(), QSize(256, 256));
    EXPECT_EQ(PixelsDifferingFromCrop(picture, reference::LiteralStarImage(positions, n), n), 0);
}

TEST_F(MainWindowTest, ShowsTheStartValuesAndTheirStarImageAtFirstDisplay) {
    EXPECT_EQ(MainPanel, window.get());
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("0.0"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0.0"));
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("0.0"));
    EXPECT_EQ(window->Edit4->text(), QStringLiteral("550.0"));
    EXPECT_TRUE(window->RadioButton2->isChecked());
    EXPECT_TRUE(window->CheckBox1->isChecked());
    EXPECT_EQ(window->ProgressBar1->value(), 0) << "where the transform leaves it";
    EXPECT_EQ(GridSize, 512);
    EXPECT_EQ(AllocatedSize, 512);
    ExpectPictureOf(Picture(), {0, 0, 0, 550}, 512);
    EXPECT_EQ(Picture().pixelColor(128, 128), QColor(255, 255, 255)) << "the far field's brightest point";
    EXPECT_EQ(window->Image2->size(), QSize(1024, 1024));
    EXPECT_EQ(window->Image2->Picture().size(), QSize(1024, 1024));
    EXPECT_EQ(window->Image2->Picture().pixelColor(1000, 1000), QColor(Qt::white)) << "beyond N = 512";
}

TEST(MainWindowStart, RunsNoHandlerWhileTheWindowIsBuilt) {
    ResetStarImageState();
    SetAvailableBytesSource([] { return std::uint64_t{0}; }); // every grid-size handler would warn
    test::MessageBoxCatcher boxes;
    {
        const auto window = CreateMainPanel();
        QCoreApplication::processEvents();
        EXPECT_TRUE(boxes.Boxes().empty());
        EXPECT_EQ(SizeChanged, 0);
    }
    EXPECT_EQ(MainPanel, nullptr) << "no reference outlives the window";
    SetAvailableBytesSource({});
    ResetStarImageState();
}

TEST(MainWindowStart, PassesOnAnErrorOfTheStartUpComputationAndLeavesNoMainWindowBehind) {
    ResetStarImageState();
    SetAllocationFailureFilter([](std::size_t) { return true; });
    EXPECT_THROW(CreateMainPanel(), AllocationError);
    EXPECT_EQ(MainPanel, nullptr);
    SetAllocationFailureFilter({});
    ResetStarImageState();
}

struct DisplayCase {
    QScrollBar *TMainPanel::*bar;
    QLineEdit *TMainPanel::*edit;
    int position;
    const char *text;
};

TEST_F(MainWindowTest, ShowsEachScrollBarPositionInItsEditInItsUnit) {
    window->CheckBox1->setChecked(false); // display only
    const DisplayCase cases[] = {
        {&TMainPanel::ScrollBar1, &TMainPanel::Edit1, -100, "-10.0"},
        {&TMainPanel::ScrollBar1, &TMainPanel::Edit1, 5, "0.5"},
        {&TMainPanel::ScrollBar1, &TMainPanel::Edit1, 100, "10.0"},
        {&TMainPanel::ScrollBar2, &TMainPanel::Edit2, -500, "-50.0"},
        {&TMainPanel::ScrollBar2, &TMainPanel::Edit2, 30, "3.0"},
        {&TMainPanel::ScrollBar3, &TMainPanel::Edit3, 37, "37.0"},
        {&TMainPanel::ScrollBar4, &TMainPanel::Edit4, 300, "300.0"},
        {&TMainPanel::ScrollBar4, &TMainPanel::Edit4, 1000, "1000.0"},
    };
    for (const DisplayCase &c : cases) {
        (window.get()->*c.bar)->setValue(c.position);
        EXPECT_EQ((window.get()->*c.edit)->text(), QString::fromUtf8(c.text));
    }
}

TEST_F(MainWindowTest, RecomputesThePictureAtEveryScrollBarChangeInRealTimeMode) {
    window->ScrollBar2->setValue(30);
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("3.0"));
    ExpectPictureOf(Picture(), {0, 30, 0, 550}, 512);
    window->ScrollBar4->setValue(700);
    EXPECT_EQ(window->Edit4->text(), QStringLiteral("700.0"));
    ExpectPictureOf(Picture(), {0, 30, 0, 700}, 512);
    EXPECT_EQ(PixelsDifferingFromCrop(Picture(), CoreGreyLevels(), 512), 0) << "the core's own grey levels";
    EXPECT_EQ(window->ProgressBar1->value(), 0);
}

TEST_F(MainWindowTest, ReportsEveryPositionOfADraggedThumb) {
    QSignalSpy changes(window->ScrollBar1, &QScrollBar::valueChanged);
    window->ScrollBar1->setSliderDown(true);
    for (const int position : {3, 4, 7}) {
        window->ScrollBar1->setSliderPosition(position);
        EXPECT_EQ(window->Edit1->text(), FormatOneDecimal(position * 0.1L));
    }
    window->ScrollBar1->setSliderDown(false);
    EXPECT_EQ(changes.count(), 3);
    ExpectPictureOf(Picture(), {7, 0, 0, 550}, 512);
}

struct KeyCase {
    Qt::Key key;
    int from;
    int to;
};

TEST_F(MainWindowTest, MovesAFocusedScrollBarWithArrowPageHomeAndEndKeys) {
    window->show();
    window->CheckBox1->setChecked(false);
    window->ScrollBar3->setFocus();
    const KeyCase cases[] = {
        {Qt::Key_Right, 50, 51},  {Qt::Key_Down, 50, 51},  {Qt::Key_Left, 50, 49}, {Qt::Key_Up, 50, 49},
        {Qt::Key_PageDown, 50, 60}, {Qt::Key_PageUp, 50, 40}, {Qt::Key_Home, 50, 0},  {Qt::Key_End, 50, 100},
        {Qt::Key_Right, 100, 100}, {Qt::Key_Left, 0, 0},
    };
    for (const KeyCase &c : cases) {
        window->ScrollBar3->setValue(c.from);
        QTest::keyClick(window->ScrollBar3, c.key);
        EXPECT_EQ(window->ScrollBar3->value(), c.to) << QTest::toString(c.key);
        EXPECT_EQ(window->Edit3->text(), FormatOneDecimal(c.to));
    }
}

TEST_F(MainWindowTest, OnlyChangesTheEditsWhileRealTimeIsOffUntilTheComputeButtonIsPressed) {
    const QImage before = Picture();
    window->CheckBox1->click(); // clearing the box computes nothing
    window->ScrollBar1->setValue(-40);
    window->ScrollBar3->setValue(20);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("-4.0"));
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("20.0"));
    EXPECT_EQ(Picture(), before);
    window->CheckBox1->click(); // ticking it computes nothing either
    EXPECT_EQ(Picture(), before);
    window->CheckBox1->click();
    window->Button1->click();
    ExpectPictureOf(Picture(), {-40, 0, 20, 550}, 512);
    EXPECT_FALSE(window->Button1->isDefault());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(MainWindowTest, PressesTheFocusedComputeButtonWithEnter) {
    window->show();
    window->CheckBox1->setChecked(false);
    window->ScrollBar2->setValue(-20);
    window->Button1->setFocus();
    QTest::keyClick(window->Button1, Qt::Key_Return);
    ExpectPictureOf(Picture(), {0, -20, 0, 550}, 512);
}

struct ChoiceCase {
    QRadioButton *TMainPanel::*button;
    std::int32_t size;
    std::uint64_t availableBytes;
    bool warns;
};

TEST_F(MainWindowTest, ChoosesTheGridSizeWithoutComputingAndWarnsOnlyBelowItsThreshold) {
    const ChoiceCase cases[] = {
        {&TMainPanel::RadioButton3, 1024, 100'000'000, true}, // 100 < 128
        {&TMainPanel::RadioButton3, 1024, 128'000'000, false},
        {&TMainPanel::RadioButton2, 512, 63'999'999, true},
        {&TMainPanel::RadioButton2, 512, 64'000'000, false}, // exactly 64
        {&TMainPanel::RadioButton1, 256, 31'000'000, true},
        {&TMainPanel::RadioButton1, 256, 32'000'000, false},
    };
    for (const ChoiceCase &c : cases) {
        SCOPED_TRACE(c.size);
        QRadioButton *other = c.button == &TMainPanel::RadioButton2 ? window->RadioButton1 : window->RadioButton2;
        other->setChecked(true); // so that the click below changes the selection
        SizeChanged = 0;
        boxes.Clear();
        const QImage before = Picture();
        SetAvailableBytes(c.availableBytes);
        (window.get()->*c.button)->click();
        EXPECT_EQ(GridSize, c.size);
        EXPECT_EQ(SizeChanged, 1);
        EXPECT_EQ(Picture(), before) << "a choice never computes";
        ASSERT_EQ(boxes.Boxes().size(), c.warns ? 1U : 0U);
        if (c.warns) {
            EXPECT_EQ(boxes.Boxes()[0].text, QString::fromUtf8(kMemoryShortText));
            EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::NoIcon);
            EXPECT_TRUE((window.get()->*c.button)->isChecked()) << "the warning undoes nothing";
        }
    }
}

struct ArrowCase {
    Qt::Key key;
    QRadioButton *TMainPanel::*lands;
    std::int32_t size;
};

TEST_F(MainWindowTest, MovesTheGridSizeChoiceWithTheArrowKeysAndTabFollowsTheSelection) {
    ShowActive();
    SetAvailableBytes(0); // every choice warns, so each run of a handler shows one box
    window->RadioButton2->setFocus();
    // Down and Right go on in tab order (256, 512, 1024), Up and Left go back,
    // round the group and past the disabled 2048 and 4048.
    const ArrowCase cases[] = {
        {Qt::Key_Down, &TMainPanel::RadioButton3, 1024},  {Qt::Key_Right, &TMainPanel::RadioButton1, 256},
        {Qt::Key_Right, &TMainPanel::RadioButton2, 512},  {Qt::Key_Up, &TMainPanel::RadioButton1, 256},
        {Qt::Key_Left, &TMainPanel::RadioButton3, 1024},  {Qt::Key_Left, &TMainPanel::RadioButton2, 512},
    };
    std::size_t runs = 0;
    for (const ArrowCase &c : cases) {
        QRadioButton *expected = window.get()->*c.lands;
        SCOPED_TRACE(expected->objectName().toStdString());
        QTest::keyClick(window->focusWidget(), c.key);
        EXPECT_EQ(window->focusWidget(), expected);
        EXPECT_TRUE(expected->isChecked());
        EXPECT_EQ(GridSize, c.size);
        EXPECT_EQ(boxes.Boxes().size(), ++runs) << "the newly selected choice's handler ran once";
        window->Button1->setFocus();
        QTest::keyClick(window->Button1, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(window->focusWidget(), expected) << "Shift+Tab enters the group on the selected choice";
    }
}

TEST_F(MainWindowTest, ComputesAtTheChosenSizeNextTime) {
    SetAvailableBytes(100'000'000);
    window->RadioButton3->click();
    ASSERT_EQ(boxes.Boxes().size(), 1U) << "the memory warning";
    EXPECT_EQ(AllocatedSize, 512) << "nothing is rebuilt until the next computation";
    window->ScrollBar2->setValue(10);
    EXPECT_EQ(AllocatedSize, 1024);
    EXPECT_EQ(SizeChanged, 0);
    EXPECT_EQ(PixelsDifferingFromCrop(Picture(), CoreGreyLevels(), 1024), 0);
    EXPECT_EQ(window->Image2->Picture().pixelColor(1000, 1000), QColor(GreyGrid[1000][1000], GreyGrid[1000][1000],
                                                                       GreyGrid[1000][1000]))
        << "the full picture is filled completely at 1024";
    EXPECT_EQ(boxes.Boxes().size(), 1U) << "the warning is not repeated";
}

TEST_F(MainWindowTest, RebuildsAtFiveTwelveAfterChoosingTwoFiftySixAndFiveTwelveAgain) {
    window->RadioButton1->click();
    window->RadioButton2->click();
    EXPECT_EQ(GridSize, 512);
    EXPECT_EQ(SizeChanged, 1);
    window->Button1->click();
    EXPECT_EQ(SizeChanged, 0);
    EXPECT_EQ(AllocatedSize, 512);
    ExpectPictureOf(Picture(), {0, 0, 0, 550}, 512);
}

TEST_F(MainWindowTest, IgnoresAClickOnTheSelectedSizeAndOnTheDisabledSizes) {
    SetAvailableBytes(0);
    window->RadioButton2->click();
    QTest::mouseClick(window->RadioButton4, Qt::LeftButton);
    QTest::mouseClick(window->RadioButton5, Qt::LeftButton);
    EXPECT_TRUE(window->RadioButton2->isChecked());
    EXPECT_EQ(SizeChanged, 0);
    EXPECT_EQ(GridSize, 512);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(MainWindowTest, ShowsTheAboutTextFromTheVersionMenu) {
    window->V2->trigger();
    ASSERT_EQ(boxes.Boxes().size(), 1U);
    const test::ShownBox &about = boxes.Boxes()[0];
    EXPECT_EQ(about.text, AboutText());
    EXPECT_TRUE(about.text.startsWith(QStringLiteral("          Diffrascope  ver. 1.01\n\n")));
    EXPECT_EQ(about.text.count(u'\n'), 2);
    EXPECT_FALSE(about.text.section(u'\n', 2).isEmpty()) << "a third line";
    EXPECT_EQ(about.icon, QMessageBox::NoIcon);
    EXPECT_EQ(about.buttons, QStringList{QStringLiteral("OK")});
}

TEST_F(MainWindowTest, EndsTheEventLoopWithExit) {
    window->show();
    QTimer::singleShot(0, window->Exit1, &QAction::trigger);
    QTimer::singleShot(10'000, qApp, [] { QCoreApplication::exit(1); }); // a loop that would not end
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, EndsTheEventLoopWhenClosedByItsCloseButton) {
    window->show();
    QTimer::singleShot(0, window.get(), &QWidget::close);
    QTimer::singleShot(10'000, qApp, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(MainWindowTest, ShowsTheErrorOfAPictureWithoutLightAndKeepsThePreviousPicture) {
    const QImage before = Picture();
    window->ScrollBar3->setValue(100); // obstruction 100 % at 550 nm: no grid point lets light through
    EXPECT_EQ(window->Edit3->text(), QStringLiteral("100.0")) << "the edit is updated first";
    ASSERT_EQ(boxes.Boxes().size(), 1U);
    EXPECT_EQ(boxes.Boxes()[0].text, QString::fromUtf8("0 による浮動小数点数除算."));
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.Boxes()[0].title, ApplicationTitle());
    EXPECT_EQ(Picture(), before);
    window->ScrollBar3->setValue(99); // the program goes on
    EXPECT_EQ(boxes.Boxes().size(), 1U);
    ExpectPictureOf(Picture(), {0, 0, 99, 550}, 512);
}

TEST(MainWindowErrors, StopTheRepeatOfAHeldScrollBarSoThatOneErrorShowsOneBox) {
    ResetStarImageState();
    test::MessageBoxCatcher boxes(kReadingMilliseconds);
    const auto window = CreateMainPanel();
    window->show();
    window->CheckBox1->setChecked(false);
    window->ScrollBar3->setValue(100); // from here on no wavelength lets light through
    window->CheckBox1->setChecked(true);
    const QPoint trough(window->ScrollBar4->width() - 20, window->ScrollBar4->height() / 2);
    QTest::mousePress(window->ScrollBar4, Qt::LeftButton, {}, trough); // returns once the box is closed
    QTest::qWait(kReadingMilliseconds); // a repeating bar would step on and fail again meanwhile
    QTest::mouseRelease(window->ScrollBar4, Qt::LeftButton, {}, trough);
    EXPECT_EQ(boxes.Boxes().size(), 1U);
    EXPECT_EQ(window->ScrollBar4->value(), 650) << "one page step";
    ResetStarImageState();
}

TEST_F(MainWindowTest, ToldOfShortMemoryDuringAComputationStaysUsable) {
    SetAllocationFailureFilter([](std::size_t) { return true; });
    window->RadioButton3->click();
    window->Button1->click();
    ASSERT_EQ(boxes.Boxes().size(), 1U);
    EXPECT_EQ(boxes.Boxes()[0].text, QString::fromUtf8(kMemoryShortText));
    EXPECT_EQ(boxes.Boxes()[0].icon, QMessageBox::NoIcon);
    SetAllocationFailureFilter({});
    window->RadioButton2->click();
    window->ScrollBar2->setValue(-10);
    EXPECT_EQ(boxes.Boxes().size(), 1U);
    ExpectPictureOf(Picture(), {0, -10, 0, 550}, 512);
}

// Records the values the progress bar shows whenever it is painted.
class PaintedValues : public QObject {
  public:
    explicit PaintedValues(QProgressBar *bar) : bar_(bar) { bar->installEventFilter(this); }
    std::vector<int> values;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == bar_ && event->type() == QEvent::Paint) {
            values.push_back(bar_->value());
        }
        return false;
    }

  private:
    QProgressBar *bar_;
};

TEST_F(MainWindowTest, MovesTheProgressBarVisiblyDuringTheTransformAndEndsAtZero) {
    window->show();
    QTest::qWait(50); // the last repaint lies well in the past
    PaintedValues painted(window->ProgressBar1);
    window->ComputeStarImage();
    const bool movedWhileComputing =
        std::any_of(painted.values.begin(), painted.values.end(), [](int v) { return v > 0 && v < 100; });
    EXPECT_TRUE(movedWhileComputing);
    EXPECT_EQ(window->ProgressBar1->value(), 0);
}

} // namespace
} // namespace diffrascope::ui
