#pragma once
// FormStyle: the platform's style with the looks the window definition
// assumes: a scroll-bar thumb is a square of the bar's height, a group box
// has its caption on the frame's top line, and a scroll bar with the keyboard
// focus wears a frame in the highlight colour.

#include <QProxyStyle>

namespace diffrascope::ui {

class FormStyle : public QProxyStyle {
    Q_OBJECT

  public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                         const QWidget *widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override;
};

// The one form style, owned by the application; scroll bars and group boxes use it.
QStyle *TheFormStyle();

} // namespace diffrascope::ui
