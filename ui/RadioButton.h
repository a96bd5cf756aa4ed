#pragma once
// TRadioButton: one choice of a group of mutually exclusive choices (the
// radio buttons of one parent), worked from the keyboard as desktop radio
// groups are: Tab reaches the group on its selected choice only, and the
// arrow keys move the selection through the group's enabled choices.

#include <QList>
#include <QRadioButton>

class QFocusEvent;
class QKeyEvent;

namespace diffrascope::ui {

class TRadioButton : public QRadioButton {
    Q_OBJECT

  public:
    explicit TRadioButton(const QString &text, QWidget *parent = nullptr);

  protected:
    // Down and Right select the next choice in tab order, Up and Left the
    // previous one, wrapping round; disabled and hidden choices are passed over.
    void keyPressEvent(QKeyEvent *event) override;
    // Whichever choice takes the focus, the Tab stop stays on the selected one.
    void focusInEvent(QFocusEvent *event) override;

  private:
    QList<TRadioButton *> Group() const;
    // The selected choice is the group's one Tab stop; with none selected, every choice is one.
    void KeepTabStopOnSelection() const;
    TRadioButton *Neighbour(bool forward) const;
};

} // namespace diffrascope::ui
