#pragma once
// TResult: the secondary window with a 512 x 512 picture control. It is
// created at start-up and never shown.

#include <QWidget>

#include <memory>

class QFrame;

namespace diffrascope::ui {

class TImage;

class TResult : public QWidget {
    Q_OBJECT

  public:
    explicit TResult(QWidget *parent = nullptr);
    ~TResult() override;

    QFrame *Panel1 = nullptr;
    TImage *Image1 = nullptr;
};

// The one secondary window; null once it is gone.
extern TResult *Result;

std::unique_ptr<TResult> CreateResult();

} // namespace diffrascope::ui
