#include "RadioButton.h"

#include <QKeyEvent>

#include <algorithm>

namespace diffrascope::ui {

namespace {

constexpr Qt::FocusPolicy kTabStop = Qt::StrongFocus;
constexpr Qt::FocusPolicy kNoTabStop = Qt::ClickFocus; // still takes the focus from the mouse and the arrow keys

bool AnySelected(const QList<TRadioButton *> &group) {
    return std::ranges::any_of(group, [](const TRadioButton *choice) { return choice->isChecked(); });
}

} // namespace

TRadioButton::TRadioButton(const QString &text, QWidget *parent) : QRadioButton(text, parent) {
    // A choice that joins a group with a selection is no Tab stop of its own.
    setFocusPolicy(AnySelected(Group()) ? kNoTabStop : kTabStop);
    connect(this, &QAbstractButton::toggled, this, [this](bool selected) {
        if (selected) {
            KeepTabStopOnSelection();
        }
    });
}

QList<TRadioButton *> TRadioButton::Group() const {
    if (parentWidget() == nullptr) {
        return {const_cast<TRadioButton *>(this)};
    }
    return parentWidget()->findChildren<TRadioButton *>(Qt::FindDirectChildrenOnly);
}

void TRadioButton::KeepTabStopOnSelection() const {
    const QList<TRadioButton *> group = Group();
    const bool anySelected = AnySelected(group);
    for (TRadioButton *choice : group) {
        choice->setFocusPolicy(!anySelected || choice->isChecked() ? kTabStop : kNoTabStop);
    }
}

// The tab order runs through the whole window and round, so the walk ends at
// the next choice of the group or back at this one.
TRadioButton *TRadioButton::Neighbour(bool forward) const {
    const auto step = [forward](const QWidget *widget) {
        return forward ? widget->nextInFocusChain() : widget->previousInFocusChain();
    };
    for (QWidget *widget = step(this); widget != this; widget = step(widget)) {
        auto *choice = qobject_cast<TRadioButton *>(widget);
        if (choice != nullptr && choice->parentWidget() == parentWidget() && choice->isEnabled() &&
            !choice->isHidden()) {
            return choice;
        }
    }
    return nullptr;
}

void TRadioButton::keyPressEvent(QKeyEvent *event) {
    bool forward = false;
    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Right: forward = true; break;
    case Qt::Key_Up:
    case Qt::Key_Left: forward = false; break;
    default: QRadioButton::keyPressEvent(event); return;
    }
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QRadioButton::keyPressEvent(event);
        return;
    }
    event->accept();
    if (TRadioButton *next = Neighbour(forward)) {
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        next->click(); // selects it: its handler runs once
    }
}

void TRadioButton::focusInEvent(QFocusEvent *event) {
    QRadioButton::focusInEvent(event);
    KeepTabStopOnSelection();
}

} // namespace diffrascope::ui
