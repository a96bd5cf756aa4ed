#pragma once
// Watches for modal message boxes while it lives: records what each shows
// and presses its button, so that a test never waits on a box.

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QTimer>

#include <vector>

namespace diffrascope::ui::test {

struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QStringList buttons;
    Qt::WindowModality modality;
    QRect frame;
    QSize screen;
};

class MessageBoxCatcher {
  public:
    MessageBoxCatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { CatchActiveBox(); });
        timer_.start(kPollMilliseconds);
    }

    const std::vector<ShownBox> &Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

  private:
    static constexpr int kPollMilliseconds = 5;

    void CatchActiveBox() {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        QStringList buttons;
        for (QAbstractButton *button : box->buttons()) {
            buttons << button->text();
        }
        boxes_.push_back({box->windowTitle(), box->text(), box->icon(), buttons, box->windowModality(),
                          box->frameGeometry(), QGuiApplication::primaryScreen()->geometry().size()});
        box->buttons().front()->click();
    }

    QTimer timer_;
    std::vector<ShownBox> boxes_;
};

} // namespace diffrascope::ui::test
