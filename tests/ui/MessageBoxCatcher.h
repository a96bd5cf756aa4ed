#pragma once
// Watches for modal message boxes while it lives: records what each shows
// and presses its button (at once, or after holding it open a while, as a
// user reading it would), so that a test never waits on a box.

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
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
    explicit MessageBoxCatcher(int holdMilliseconds = 0) : hold_(holdMilliseconds) {
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
        if (box != current_) {
            current_ = box;
            shown_.start();
            Record(*box);
        }
        if (shown_.hasExpired(hold_)) {
            box->buttons().front()->click();
        }
    }

    void Record(const QMessageBox &box) {
        QStringList buttons;
        for (QAbstractButton *button : box.buttons()) {
            buttons << button->text();
        }
        boxes_.push_back({box.windowTitle(), box.text(), box.icon(), buttons, box.windowModality(),
                          box.frameGeometry(), QGuiApplication::primaryScreen()->geometry().size()});
    }

    int hold_;
    QTimer timer_;
    QPointer<QMessageBox> current_;
    QElapsedTimer shown_;
    std::vector<ShownBox> boxes_;
};

} // namespace diffrascope::ui::test
