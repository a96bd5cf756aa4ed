// What the user sees of the controls: every value whole in its edit, each
// grid size within its label, the group captions on their frames.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyleOption>

#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "WindowDefinition.h"

namespace diffrascope::ui {
namespace {

using test::MainWindowTest;

QImage Drawn(QWidget *control) { return control->grab().toImage(); }

// The smallest box around the pixels in which two pictures of one size differ.
QRect DifferingPixels(const QImage &a, const QImage &b) {
    QRect box;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            box |= a.pixel(x, y) != b.pixel(x, y) ? QRect(x, y, 1, 1) : QRect();
        }
    }
    return box;
}

TEST_F(MainWindowTest, ShowsTheWidestValueOfEachEditWholeWithoutScrollingAndClearOfTheFrame) {
    window->CheckBox1->setChecked(false); // display only
    window->show();
    const std::pair<QScrollBar *, QLineEdit *> rows[] = {{window->ScrollBar1, window->Edit1},
        {window->ScrollBar2, window->Edit2}, {window->ScrollBar3, window->Edit3}, {window->ScrollBar4, window->Edit4}};
    for (const auto &[bar, edit] : rows) {
        for (const int position : {bar->minimum(), bar->maximum()}) { // "-10.0", "-50.0", "100.0", "1000.0" and more
            bar->setValue(position);
            const QString text = edit->text();
            SCOPED_TRACE(text.toStdString());
            ASSERT_EQ(edit->size(), QSize(36, 20));
            const QImage shown = Drawn(edit);
            edit->setCursorPosition(static_cast<int>(text.size())); // a text wider than the box scrolls to its end
            EXPECT_EQ(Drawn(edit), shown) << "part of the value is hidden";
            edit->clear();
            const QRect ink = DifferingPixels(shown, Drawn(edit));
            edit->setText(text);
            const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit) + 1;
            EXPECT_TRUE(!ink.isEmpty() && edit->rect().adjusted(frame, frame, -frame, -frame).contains(ink))
                << "the text reaches the frame: columns " << ink.left() << " to " << ink.right();
        }
    }
}

// The definition leaves 6 pixels a digit ("1024" 24) and 8 or more from a label to the next mark.
TEST_F(MainWindowTest, WritesEachGridSizeWithinItsDefinedLabel) {
    for (const ControlRow &row : MainPanelControls()) {
        if (row.kind == ControlKind::Label && QString::fromUtf8(row.parent) == QStringLiteral("GroupBox2")) {
            const auto *label = window->findChild<QLabel *>(QString::fromUtf8(row.name));
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), row.bounds.width) << row.text;
        }
    }
}

TEST_F(MainWindowTest, DrawsEachGroupCaptionAcrossTheTopLineOfItsFrame) {
    window->show();
    for (QGroupBox *box : {window->GroupBox1, window->GroupBox2}) {
        SCOPED_TRACE(box->objectName().toStdString());
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        const QStyle *style = box->style();
        const QRect frame = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
        const QRect caption = style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        // As drawn: the line runs on beside the caption, whose characters reach above and below it.
        const QImage drawn = Drawn(box);
        QImage plain(drawn.size(), drawn.format());
        plain.fill(box->palette().color(QPalette::Window));
        EXPECT_NE(drawn.pixel(caption.right() + 4, frame.top()), plain.pixel(0, 0)) << "the top line";
        const QRect ink = DifferingPixels(drawn.copy(caption), plain.copy(caption)).translated(caption.topLeft());
        EXPECT_LT(ink.top(), frame.top());
        EXPECT_GT(ink.bottom(), frame.top());
    }
}

} // namespace
} // namespace diffrascope::ui
