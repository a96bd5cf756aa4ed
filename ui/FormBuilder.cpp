#include "FormBuilder.h"

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <vector>

#include "FormStyle.h"
#include "Image.h"
#include "RadioButton.h"
#include "ScrollBar.h"

namespace diffrascope::ui {

namespace {

constexpr int kPanelBevel = 1; // raised one-pixel bevel
// The narrow value edits keep the usual gap before the text and give the
// padding after it to the text: the widest value, "1000.0", ends a pixel
// before the frame.
constexpr int kEditLeftTextMargin = 0;
constexpr int kEditRightTextMargin = -2;

QString Text(const ControlRow &row) { return QString::fromUtf8(row.text); }

QWidget *MakePanel(QWidget *parent) {
    auto *panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(kPanelBevel);
    panel->setAutoFillBackground(true); // opaque: it covers whatever lies beneath
    return panel;
}

QWidget *MakeLabel(const ControlRow &row, QWidget *parent) {
    auto *label = new QLabel(Text(row), parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (row.font == ControlFont::Title) {
        label->setFont(TitleFont());
    } else if (row.font == ControlFont::Figures) {
        label->setFont(FiguresFont());
    }
    return label;
}

QWidget *MakeEdit(const ControlRow &row, QWidget *parent) {
    auto *edit = new QLineEdit(Text(row), parent);
    edit->setReadOnly(true); // every edit of the windows only shows a value
    edit->setFont(FiguresFont());
    edit->setTextMargins(kEditLeftTextMargin, 0, kEditRightTextMargin, 0);
    edit->setCursorPosition(0); // a value too long for the box shows its leading digits
    return edit;
}

QWidget *MakeScrollBar(const ControlRow &row, QWidget *parent) {
    auto *bar = new TScrollBar(parent);
    bar->setRange(row.range.min, row.range.max);
    bar->setValue(row.range.position);
    bar->setSingleStep(row.range.smallChange);
    bar->setPageStep(row.range.largeChange);
    bar->setStyle(TheFormStyle()); // square thumb, visible focus
    return bar;
}

QWidget *MakeButton(const ControlRow &row, QWidget *parent) {
    auto *button = new QPushButton(Text(row), parent);
    button->setAutoDefault(true); // Enter presses the button that has the focus
    button->setDefault(false);
    return button;
}

QWidget *MakeGroupBox(const ControlRow &row, QWidget *parent) {
    auto *box = new QGroupBox(Text(row), parent);
    box->setStyle(TheFormStyle()); // the caption on the frame's top line
    return box;
}

QWidget *MakeCheckBox(const ControlRow &row, QWidget *parent) {
    auto *box = new QCheckBox(Text(row), parent);
    box->setChecked(row.checked);
    return box;
}

QWidget *MakeRadioButton(const ControlRow &row, QWidget *parent) {
    auto *button = new TRadioButton(Text(row), parent); // exclusive among its siblings
    button->setChecked(row.checked);
    return button;
}

QWidget *MakeProgressBar(const ControlRow &row, QWidget *parent) {
    auto *bar = new QProgressBar(parent);
    bar->setRange(row.range.min, row.range.max);
    bar->setValue(row.range.position);
    bar->setTextVisible(false);
    return bar;
}

QWidget *MakeControl(const ControlRow &row, QWidget *parent) {
    switch (row.kind) {
    case ControlKind::Panel: return MakePanel(parent);
    case ControlKind::Label: return MakeLabel(row, parent);
    case ControlKind::Edit: return MakeEdit(row, parent);
    case ControlKind::ScrollBar: return MakeScrollBar(row, parent);
    case ControlKind::GroupBox: return MakeGroupBox(row, parent);
    case ControlKind::CheckBox: return MakeCheckBox(row, parent);
    case ControlKind::Button: return MakeButton(row, parent);
    case ControlKind::RadioButton: return MakeRadioButton(row, parent);
    case ControlKind::ProgressBar: return MakeProgressBar(row, parent);
    case ControlKind::Image: return new TImage(parent);
    }
    Q_ASSERT(false);
    return nullptr;
}

// Labels and pictures have no window of their own: they lie beneath the
// windowed controls of the same parent.
bool LiesBeneath(ControlKind kind) { return kind == ControlKind::Label || kind == ControlKind::Image; }

// A label sizes itself to its text: it keeps the defined size unless the
// stand-in face needs more room, so that no text is cut off.
void FitLabel(QWidget *label) { label->resize(label->size().expandedTo(label->sizeHint())); }

bool IsContainer(ControlKind kind) { return kind == ControlKind::Panel || kind == ControlKind::GroupBox; }

// The controls inside parent that take the keyboard focus, containers opened
// where they stand in the order. A choice of a radio group belongs here even
// when it is not the group's Tab stop: the arrow keys follow this order.
void AppendTabStops(const ControlMap &controls, std::span<const ControlRow> rows, const QString &parent,
                    QList<QWidget *> &sequence) {
    std::vector<const ControlRow *> children;
    for (const ControlRow &row : rows) {
        if (QString::fromUtf8(row.parent) == parent && row.tabOrder != kNoTabStop) {
            children.push_back(&row);
        }
    }
    std::ranges::stable_sort(children, {}, &ControlRow::tabOrder);
    for (const ControlRow *row : children) {
        const QString name = QString::fromUtf8(row->name);
        if (IsContainer(row->kind)) {
            AppendTabStops(controls, rows, name, sequence);
        } else if (controls.value(name)->focusPolicy() != Qt::NoFocus) {
            sequence.append(controls.value(name));
        }
    }
}

} // namespace

void RegisterFontSubstitutes() {
    QFont::insertSubstitution(QString::fromUtf8(kFormFontFamily), QString::fromUtf8(kFormFontSubstitute));
    QFont::insertSubstitution(QString::fromUtf8(kTitleFontFamily), QString::fromUtf8(kTitleFontSubstitute));
}

QFont FormFont() {
    QFont font(QString::fromUtf8(kFormFontFamily));
    font.setPixelSize(kFormFontPixels);
    return font;
}

QFont FiguresFont() {
    QFont font = FormFont();
    font.setStretch(kFiguresStretch);
    return font;
}

QFont TitleFont() {
    QFont font(QString::fromUtf8(kTitleFontFamily));
    font.setPixelSize(kTitleFontPixels);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

ControlMap BuildControls(QWidget *client, std::span<const ControlRow> rows) {
    ControlMap controls{{QString::fromUtf8(kClientArea), client}};
    for (const ControlRow &row : rows) {
        QWidget *parent = controls.value(QString::fromUtf8(row.parent));
        Q_ASSERT(parent != nullptr);
        QWidget *control = MakeControl(row, parent);
        control->setObjectName(QString::fromUtf8(row.name));
        control->setGeometry(row.bounds.left, row.bounds.top, row.bounds.width, row.bounds.height);
        control->setEnabled(row.enabled);
        if (!row.visible) {
            control->hide();
        }
        if (row.kind == ControlKind::Label) {
            FitLabel(control);
        }
        if (LiesBeneath(row.kind)) {
            control->lower();
        }
        controls.insert(control->objectName(), control);
    }
    const QList<QWidget *> sequence = TabSequence(controls, rows);
    for (qsizetype i = 1; i < sequence.size(); ++i) {
        QWidget::setTabOrder(sequence[i - 1], sequence[i]);
    }
    return controls;
}

QList<QWidget *> TabSequence(const ControlMap &controls, std::span<const ControlRow> rows) {
    QList<QWidget *> sequence;
    AppendTabStops(controls, rows, QString::fromUtf8(kClientArea), sequence);
    return sequence;
}

} // namespace diffrascope::ui
