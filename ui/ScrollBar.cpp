#include "ScrollBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimerEvent>

namespace diffrascope::ui {

namespace {

QAbstractSlider::SliderAction ActionOfKey(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up: return QAbstractSlider::SliderSingleStepSub;
    case Qt::Key_Right:
    case Qt::Key_Down: return QAbstractSlider::SliderSingleStepAdd;
    case Qt::Key_PageUp: return QAbstractSlider::SliderPageStepSub;
    case Qt::Key_PageDown: return QAbstractSlider::SliderPageStepAdd;
    case Qt::Key_Home: return QAbstractSlider::SliderToMinimum;
    case Qt::Key_End: return QAbstractSlider::SliderToMaximum;
    default: return QAbstractSlider::SliderNoAction;
    }
}

} // namespace

TScrollBar::TScrollBar(QWidget *parent) : QScrollBar(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setTracking(true); // every position of a dragged thumb counts as a change
}

void TScrollBar::keyPressEvent(QKeyEvent *event) {
    const SliderAction action = ActionOfKey(event->key());
    if (action == SliderNoAction || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QScrollBar::keyPressEvent(event);
        return;
    }
    triggerAction(action);
    event->accept();
}

void TScrollBar::timerEvent(QTimerEvent *event) {
    const QWidget *modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != window()) {
        // The button's release goes to the box, so the bar would repeat forever.
        setRepeatAction(SliderNoAction);
        setSliderDown(false);
        return;
    }
    QScrollBar::timerEvent(event);
}

} // namespace diffrascope::ui
