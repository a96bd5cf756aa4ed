// What the user sees of the controls: every value whole in its edit, the
// group captions on their frames, marks and labels clear of the frames and of
// each other, and the scroll bar that holds the keyboard focus.

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

#include <gtest/gtest.h>

#include <vector>

#include "MainWindowFixture.h"
#include "WindowDefinition.h"

namespace diffrascope::ui {
namespace {

using test::MainWindowTest;

// The smallest box around the pixels in which two pictures of the same size differ.
QRect DifferingPixels(const QImage &a, const QImage &b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

QImage Drawn(QWidget *control) { return control->grab().toImage(); }

struct EditCase {
    QScrollBar *TMainPanel::*bar;
    QLineEdit *TMainPanel::*edit;
    int position;
    const char *text;
};

TEST_F(MainWindowTest, ShowsEveryValueWholeInItsEditWithoutScrollingAndClearOfTheFrame) {
    window->CheckBox1->setChecked(false); // display only
    window->show();
    // The widest value of each edit at both ends of its bar, and the start values.
    const EditCase cases[] = {
        {&TMainPanel::ScrollBar1, &TMainPanel::Edit1, -100, "-10.0"},
        {&TMainPanel::ScrollBar1, &TMainPanel::Edit1, 100, "10.0"},
        {&TMainPanel::ScrollBar2, &TMainPanel::Edit2, -500, "-50.0"},
        {&TMainPanel::ScrollBar2, &TMainPanel::Edit2, 500, "50.0"},
        {&TMainPanel::ScrollBar3, &TMainPanel::Edit3, 0, "0.0"},
        {&TMainPanel::ScrollBar3, &TMainPanel::Edit3, 100, "100.0"},
        {&TMainPanel::ScrollBar4, &TMainPanel::Edit4, 300, "300.0"},
        {&TMainPanel::ScrollBar4, &TMainPanel::Edit4, 550, "550.0"},
        {&TMainPanel::ScrollBar4, &TMainPanel::Edit4, 1000, "1000.0"},
    };
    for (const EditCase &c : cases) {
        SCOPED_TRACE(c.text);
        QLineEdit *edit = window.get()->*c.edit;
        (window.get()->*c.bar)->setValue(c.position);
        ASSERT_EQ(edit->text(), QString::fromUtf8(c.text));
        ASSERT_EQ(edit->size(), QSize(36, 20)) << "the defined size";
        const QImage shown = Drawn(edit);
        // A text wider than the box scrolls to bring its end into view.
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
        EXPECT_EQ(Drawn(edit), shown) << "the edit scrolls: part of the value is hidden";
        edit->setCursorPosition(0);
        edit->clear();
        const QRect ink = DifferingPixels(shown, Drawn(edit));
        edit->setText(QString::fromUtf8(c.text));
        const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        EXPECT_FALSE(ink.isEmpty());
        EXPECT_TRUE(edit->rect().adjusted(frame + 1, frame + 1, -frame - 1, -frame - 1).contains(ink))
            << "the text comes within a pixel of the frame: " << ink.left() << ".." << ink.right();
    }
}

QStyleOptionGroupBox GroupBoxOption(const QGroupBox *box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    return option;
}

// Count of pixels in rows first to last (inclusive) of the area that differ from the background.
int InkPixels(const QImage &picture, const QRect &area, int first, int last, QRgb background) {
    int count = 0;
    for (int y = first; y <= last; ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += picture.pixel(x, y) != background ? 1 : 0;
        }
    }
    return count;
}

TEST_F(MainWindowTest, DrawsEachGroupCaptionAcrossTheTopLineOfItsFrame) {
    window->show();
    for (QGroupBox *box : {window->GroupBox1, window->GroupBox2}) {
        SCOPED_TRACE(box->objectName().toStdString());
        const QStyleOptionGroupBox option = GroupBoxOption(box);
        const QRect frame = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
        const QRect caption = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        EXPECT_LT(caption.top(), frame.top());
        EXPECT_GT(caption.bottom(), frame.top());
        // As drawn: the caption's characters reach above and below the line, and the line runs on beside it.
        const QImage drawn = Drawn(box);
        const QRgb background = box->palette().color(QPalette::Window).rgb();
        EXPECT_GT(InkPixels(drawn, caption, caption.top(), frame.top() - 1, background), 0);
        EXPECT_GT(InkPixels(drawn, caption, frame.top() + 1, caption.bottom(), background), 0);
        EXPECT_NE(drawn.pixel(caption.right() + 4, frame.top()), background) << "the frame's top line";
        EXPECT_NE(drawn.pixel(frame.left(), frame.center().y()), background) << "the frame's left line";
    }
}

// Where a control puts its ink in the group: a radio button's mark, a label's
// text, any other control's whole box.
QRect DrawnArea(const QWidget *control) {
    if (const auto *button = qobject_cast<const QRadioButton *>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return control->style()
            ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button)
            .translated(control->pos());
    }
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        const QFontMetrics metrics = label->fontMetrics();
        return QRect(control->pos(), QSize(metrics.horizontalAdvance(label->text()), metrics.height()));
    }
    return control->geometry();
}

constexpr int kClearPixels = 2; // between two marks or texts, so that they read as separate at a glance

bool Touch(const QRect &a, const QRect &b) {
    return a.adjusted(-kClearPixels, -kClearPixels, kClearPixels, kClearPixels).intersects(b);
}

TEST_F(MainWindowTest, WritesEachGridSizeWithinItsDefinedLabel) {
    // The definition leaves 6 pixels a digit ("256" 18 pixels, "1024" 24) and
    // a gap of 8 or more between a label and the next mark.
    for (const ControlRow &row : MainPanelControls()) {
        if (QString::fromUtf8(row.parent) != QStringLiteral("GroupBox2") || row.kind != ControlKind::Label) {
            continue;
        }
        const auto *label = window->findChild<QLabel *>(QString::fromUtf8(row.name));
        ASSERT_NE(label, nullptr);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), row.bounds.width) << row.text;
    }
}

TEST_F(MainWindowTest, KeepsEveryMarkAndLabelInsideItsFrameBelowTheCaptionAndClearOfItsNeighbours) {
    window->show();
    for (QGroupBox *box : {window->GroupBox1, window->GroupBox2}) {
        const QStyleOptionGroupBox option = GroupBoxOption(box);
        const QRect frame = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
        const QRect caption = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        const QRect inside = frame.adjusted(kClearPixels, kClearPixels, -kClearPixels, -kClearPixels);
        std::vector<std::pair<QString, QRect>> marksAndLabels;
        for (const QWidget *control : box->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (control->isHidden()) {
                continue;
            }
            const QString name = control->objectName();
            const QRect drawn = DrawnArea(control);
            EXPECT_TRUE(inside.contains(drawn)) << name.toStdString() << " touches the frame of " << box->objectName().toStdString();
            EXPECT_FALSE(Touch(drawn, caption)) << name.toStdString() << " touches the caption";
            if (qobject_cast<const QRadioButton *>(control) || qobject_cast<const QLabel *>(control)) {
                marksAndLabels.emplace_back(name, drawn);
            }
        }
        for (std::size_t i = 0; i < marksAndLabels.size(); ++i) {
            for (std::size_t j = i + 1; j < marksAndLabels.size(); ++j) {
                EXPECT_FALSE(Touch(marksAndLabels[i].second, marksAndLabels[j].second))
                    << marksAndLabels[i].first.toStdString() << " and " << marksAndLabels[j].first.toStdString();
            }
        }
    }
}

// The pixels of the outermost ring of a picture that are not of the colour.
int RingPixelsNotOf(const QImage &picture, QColor colour) {
    int count = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool ring = x == 0 || y == 0 || x == picture.width() - 1 || y == picture.height() - 1;
            count += ring && picture.pixelColor(x, y) != colour ? 1 : 0;
        }
    }
    return count;
}

TEST_F(MainWindowTest, FramesTheScrollBarThatHoldsTheKeyboardFocusInTheHighlightColour) {
    ShowActive();
    for (QScrollBar *bar : {window->ScrollBar1, window->ScrollBar2, window->ScrollBar3, window->ScrollBar4}) {
        SCOPED_TRACE(bar->objectName().toStdString());
        const QColor highlight = bar->palette().color(QPalette::Highlight);
        window->Edit1->setFocus();
        const QImage without = Drawn(bar);
        bar->setFocus();
        ASSERT_TRUE(bar->hasFocus());
        EXPECT_EQ(RingPixelsNotOf(Drawn(bar), highlight), 0);
        EXPECT_GT(RingPixelsNotOf(without, highlight), 0) << "the frame shows the focus only";
    }
}

} // namespace
} // namespace diffrascope::ui
