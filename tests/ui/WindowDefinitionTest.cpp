// The main and secondary windows as built, checked against their definitions.

#include <QAction>
#include <QCheckBox>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "Application.h"
#include "MainWindowFixture.h"
#include "Resultp.h"
#include "WindowDefinition.h"

namespace diffrascope::ui {
namespace {

using test::MainWindowTest;

QString Utf8(const char *text) { return QString::fromUtf8(text); }

bool IsOfKind(const QWidget *control, ControlKind kind) {
    switch (kind) {
    case ControlKind::Panel: return qobject_cast<const QFrame *>(control) != nullptr;
    case ControlKind::Label: return qobject_cast<const QLabel *>(control) != nullptr;
    case ControlKind::Edit: return qobject_cast<const QLineEdit *>(control) != nullptr;
    case ControlKind::ScrollBar: return qobject_cast<const QScrollBar *>(control) != nullptr;
    case ControlKind::GroupBox: return qobject_cast<const QGroupBox *>(control) != nullptr;
    case ControlKind::CheckBox: return qobject_cast<const QCheckBox *>(control) != nullptr;
    case ControlKind::Button: return qobject_cast<const QPushButton *>(control) != nullptr;
    case ControlKind::RadioButton: return qobject_cast<const QRadioButton *>(control) != nullptr;
    case ControlKind::ProgressBar: return qobject_cast<const QProgressBar *>(control) != nullptr;
    case ControlKind::Image: return qobject_cast<const TImage *>(control) != nullptr;
    }
    return false;
}

QString TextOf(const QWidget *control) {
    if (const auto *label = qobject_cast<const QLabel *>(control)) return label->text();
    if (const auto *edit = qobject_cast<const QLineEdit *>(control)) return edit->text();
    if (const auto *box = qobject_cast<const QGroupBox *>(control)) return box->title();
    if (const auto *button = qobject_cast<const QAbstractButton *>(control)) return button->text();
    return {};
}

// Labels size themselves to their text: the defined size, or more where the stand-in face is wider.
// The start-up computation has already resized the hidden full picture.
QSize ExpectedSize(const ControlRow &row, const QWidget *control) {
    const QSize defined(row.bounds.width, row.bounds.height);
    if (qobject_cast<const TImage *>(control) != nullptr && control->isHidden()) {
        return {kFullPictureSide, kFullPictureSide}; // the hidden full picture, resized by every computation
    }
    return row.kind == ControlKind::Label ? defined.expandedTo(control->sizeHint()) : defined;
}

void ExpectRange(const ControlRow &row, const QWidget *control) {
    if (const auto *bar = qobject_cast<const QScrollBar *>(control)) {
        EXPECT_EQ(bar->orientation(), Qt::Horizontal);
        EXPECT_EQ(bar->minimum(), row.range.min);
        EXPECT_EQ(bar->maximum(), row.range.max);
        EXPECT_EQ(bar->value(), row.range.position);
        EXPECT_EQ(bar->singleStep(), row.range.smallChange);
        EXPECT_EQ(bar->pageStep(), row.range.largeChange);
        EXPECT_TRUE(bar->hasTracking()) << "a dragged thumb reports every position";
        EXPECT_TRUE(bar->focusPolicy() & Qt::TabFocus) << "arrows and page keys reach it";
    }
    if (const auto *progress = qobject_cast<const QProgressBar *>(control)) {
        EXPECT_EQ(progress->minimum(), row.range.min);
        EXPECT_EQ(progress->maximum(), row.range.max);
        EXPECT_EQ(progress->value(), row.range.position);
        EXPECT_FALSE(progress->isTextVisible());
    }
}

void ExpectState(const ControlRow &row, const QWidget *control) {
    EXPECT_EQ(!control->isHidden(), row.visible);
    EXPECT_EQ(control->isEnabled(), row.enabled);
    if (const auto *button = qobject_cast<const QAbstractButton *>(control); button && button->isCheckable()) {
        EXPECT_EQ(button->isChecked(), row.checked);
    }
    if (const auto *edit = qobject_cast<const QLineEdit *>(control)) {
        EXPECT_TRUE(edit->isReadOnly());
    }
    if (const auto *button = qobject_cast<const QPushButton *>(control)) {
        EXPECT_FALSE(button->isDefault()) << "no button is the window's default";
    }
}

void ExpectControlsAsDefined(const QWidget *client, std::span<const ControlRow> rows) {
    for (const ControlRow &row : rows) {
        SCOPED_TRACE(row.name);
        const auto *control = client->findChild<QWidget *>(Utf8(row.name));
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsOfKind(control, row.kind));
        const QWidget *parent = Utf8(row.parent).isEmpty() ? client : client->findChild<QWidget *>(Utf8(row.parent));
        EXPECT_EQ(control->parentWidget(), parent);
        EXPECT_EQ(control->pos(), QPoint(row.bounds.left, row.bounds.top));
        EXPECT_EQ(control->size(), ExpectedSize(row, control));
        EXPECT_EQ(TextOf(control), Utf8(row.text));
        ExpectRange(row, control);
        ExpectState(row, control);
    }
}

TEST_F(MainWindowTest, BuildsEveryControlWithThePositionSizeTextRangeAndStateOfItsDefinition) {
    ExpectControlsAsDefined(window->centralWidget(), MainPanelControls());
}

// What the focus lands on after each key, by name.
QStringList FocusAfterKeys(QWidget *window, Qt::Key key, Qt::KeyboardModifiers modifiers, int count) {
    QStringList landed;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(window->focusWidget(), key, modifiers);
        landed << window->focusWidget()->objectName();
    }
    return landed;
}

TEST_F(MainWindowTest, TabVisitsTheElevenStopsInTheDefinedOrderEnteringTheGridSizesOnTheSelectedOne) {
    ShowActive();
    window->Edit1->setFocus();
    // The grid-size group is one stop: "512", the selected choice. Button2 and Button3 stay hidden.
    const QStringList forward = {"ScrollBar1", "ScrollBar2", "Edit2",        "Edit3",   "ScrollBar3", "ScrollBar4",
                                 "Edit4",      "RadioButton2", "Button1", "CheckBox1", "Edit1"};
    EXPECT_EQ(FocusAfterKeys(window.get(), Qt::Key_Tab, Qt::NoModifier, 11), forward);
    window->Button1->setFocus();
    EXPECT_EQ(FocusAfterKeys(window.get(), Qt::Key_Tab, Qt::ShiftModifier, 2),
              (QStringList{"RadioButton2", "Edit4"}));
}

TEST_F(MainWindowTest, HasTheDefinedMenuWithItsAccelerators) {
    const QList<QAction *> bar = window->MainMenu1->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->menu(), window->File1);
    EXPECT_EQ(bar[1]->menu(), window->V1);
    EXPECT_EQ(window->File1->title(), QString::fromUtf8("ファイル(&F)"));
    EXPECT_EQ(window->V1->title(), QString::fromUtf8("バージョン(&V)"));
    EXPECT_EQ(window->File1->actions(), QList<QAction *>{window->Exit1});
    EXPECT_EQ(window->V1->actions(), QList<QAction *>{window->V2});
    EXPECT_EQ(window->Exit1->text(), QString::fromUtf8("終了(&X)"));
    EXPECT_EQ(window->V2->text(), QString::fromUtf8("バージョン情報(&V) ")) << "with its trailing blank";
}

TEST_F(MainWindowTest, FitsTheWindowToPanel1BelowTheMenuBarAndCaptionsIt) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Diffrascope"));
    const QWidget *client = window->centralWidget();
    EXPECT_EQ(client->size(), QSize(561, 329));
    EXPECT_EQ(client->pos(), QPoint(0, window->MainMenu1->height()));
    EXPECT_EQ(window->size(), QSize(561, 329 + window->MainMenu1->height()));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the window keeps the size of its content";
    EXPECT_FALSE(window->isVisible()) << "built hidden; the program shows it";
}

TEST_F(MainWindowTest, CentresItselfOnThePrimaryScreenWhileItIsBuilt) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(window->frameGeometry().topLeft(), CentredPosition(screen, window->frameGeometry().size()));
}

TEST_F(MainWindowTest, CoversLabel12WithPanel1AndKeepsTheHiddenControlsHidden) {
    const QWidget *client = window->centralWidget();
    const QWidget *onTop = client->childAt(70, 70);
    EXPECT_TRUE(onTop == window->Panel1 || window->Panel1->isAncestorOf(onTop));
    EXPECT_TRUE(window->Image2->isHidden());
    EXPECT_TRUE(window->Button2->isHidden());
    EXPECT_TRUE(window->Button3->isHidden());
    window->show();
    EXPECT_NE(client->childAt(70, 70), window->Label12);
    EXPECT_FALSE(window->Image2->isVisible());
    EXPECT_FALSE(window->Button2->isVisible());
    EXPECT_FALSE(window->Button3->isVisible());
}

TEST_F(MainWindowTest, UsesTheFormFontEverywhereAndTheTitleFontForLabel2) {
    const QFontInfo form(window->Label1->font());
    EXPECT_EQ(form.pixelSize(), 12);
    EXPECT_EQ(form.family(), QStringLiteral("IPAPGothic")) << "the stand-in for the form font";
    EXPECT_EQ(window->ScrollBar1->font(), window->Label1->font());
    EXPECT_EQ(QFontInfo(window->Edit4->font()).family(), form.family()) << "condensed for the figures";
    EXPECT_EQ(window->Edit4->font(), window->Label15->font());
    const QFontInfo title(window->Label2->font());
    EXPECT_TRUE(title.family().startsWith(QStringLiteral("Nimbus Roman"))) << title.family().toStdString();
    EXPECT_EQ(title.pixelSize(), 37);
    EXPECT_TRUE(title.bold());
    EXPECT_TRUE(title.italic());
}

TEST_F(MainWindowTest, CarriesTheStarImageIconWithItsPaleGreenCentreOnBlackAndRedLettering) {
    const QImage icon(QStringLiteral(":/MAINICON"));
    ASSERT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.depth(), 32);
    const QColor centre = icon.pixelColor(16, 14);
    EXPECT_GT(centre.green(), 200);
    EXPECT_GT(centre.red(), 150);
    EXPECT_GT(centre.green(), centre.red()) << "pale green";
    EXPECT_EQ(icon.pixelColor(0, 0), QColor(Qt::black));
    int red = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor c = icon.pixelColor(x, y);
            red += (c.red() > 150 && c.green() < 80) ? 1 : 0;
        }
    }
    EXPECT_GT(red, 20) << "red lettering crosses the picture";
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST(SecondaryWindow, IsBuiltHiddenWithItsPanelAndFiveTwelveSquarePicture) {
    const auto result = CreateResult();
    EXPECT_EQ(Result, result.get());
    EXPECT_EQ(result->windowTitle(), QStringLiteral("Result"));
    EXPECT_EQ(result->size(), QSize(700, 700));
    EXPECT_EQ(result->pos(), QPoint(301, 159));
    EXPECT_FALSE(result->isVisible());
    ExpectControlsAsDefined(result.get(), ResultControls());
    EXPECT_EQ(result->Image1->size(), QSize(512, 512));
}

} // namespace
} // namespace diffrascope::ui
