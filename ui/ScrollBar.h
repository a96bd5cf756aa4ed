#pragma once
// TScrollBar: a horizontal scroll bar that takes the keyboard focus and moves
// with the keys the way a desktop scroll bar does.

#include <QScrollBar>

class QKeyEvent;
class QTimerEvent;

namespace diffrascope::ui {

class TScrollBar : public QScrollBar {
    Q_OBJECT

  public:
    explicit TScrollBar(QWidget *parent = nullptr);

  protected:
    // Left and Up step down, Right and Down step up, Page Up and Page Down
    // move by the page step, Home and End go to the ends.
    void keyPressEvent(QKeyEvent *event) override;
    // A held button repeats its step; once a modal box has taken over the
    // screen (an error of the last step) the repetition stops for good.
    void timerEvent(QTimerEvent *event) override;
};

} // namespace diffrascope::ui
