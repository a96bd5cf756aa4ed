#pragma once
// TImage: a picture control that keeps what was drawn on it and paints it.

#include <QImage>
#include <QWidget>

#include "StarBitmaps.h"

class QPaintEvent;

namespace diffrascope::ui {

class TImage : public QWidget, public PictureControl {
    Q_OBJECT

  public:
    explicit TImage(QWidget *parent = nullptr);

    // The drawing surface; made at first use as a white bitmap of the control's size.
    QImage &Canvas();
    // What has been drawn so far; null before the first drawing.
    const QImage &Picture() const { return picture_; }

    void SetControlSize(int width, int height) override;
    void Draw(int x, int y, const QImage &bitmap) override;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QImage picture_;
};

} // namespace diffrascope::ui
