#include "FormStyle.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>

namespace diffrascope::ui {

namespace {

constexpr int kCaptionIndent = 8; // from the frame's left edge to the caption's gap
constexpr int kCaptionGap = 2;    // the frame line stops this far before and after the caption
constexpr int kFrameLines = 2;    // the etched frame: a shadow line and a light line
constexpr int kFocusFrameWidth = 1;

// The caption's box, gaps included; its middle lies on the frame's top line.
QRect CaptionRect(const QStyleOptionGroupBox &box) {
    if (box.text.isEmpty()) {
        return {};
    }
    const int textWidth = box.fontMetrics.size(Qt::TextShowMnemonic, box.text).width();
    return {box.rect.left() + kCaptionIndent, box.rect.top(), textWidth + 2 * kCaptionGap, box.fontMetrics.height()};
}

// The frame's top line runs through the middle of the caption.
QRect FrameRect(const QStyleOptionGroupBox &box) {
    QRect frame = box.rect;
    if (!box.text.isEmpty()) {
        frame.setTop(box.rect.top() + box.fontMetrics.height() / 2);
    }
    return frame;
}

// What lies inside the frame and below the caption.
QRect ContentsRect(const QStyleOptionGroupBox &box) {
    QRect contents = FrameRect(box).adjusted(kFrameLines, kFrameLines, -kFrameLines, -kFrameLines);
    contents.setTop(std::max(contents.top(), box.rect.top() + box.fontMetrics.height()));
    return contents;
}

void DrawGroupBox(const QStyle &style, const QStyleOptionGroupBox &box, QPainter *painter) {
    const QRect caption = CaptionRect(box);
    painter->save();
    if (caption.isValid()) {
        painter->setClipRegion(QRegion(box.rect).subtracted(caption)); // the line breaks for the caption
    }
    qDrawShadeRect(painter, FrameRect(box), box.palette, true, 1, 0); // etched in
    painter->restore();
    if (caption.isValid()) {
        const QPalette::ColorRole role = QPalette::WindowText;
        QPalette palette = box.palette;
        if (box.textColor.isValid()) {
            palette.setColor(role, box.textColor);
        }
        style.drawItemText(painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette,
                           box.state & QStyle::State_Enabled, box.text, role);
    }
}

void DrawFocusFrame(const QStyleOption &option, QPainter *painter) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(option.palette.color(QPalette::Highlight), kFocusFrameWidth));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -kFocusFrameWidth, -kFocusFrameWidth));
    painter->restore();
}

} // namespace

// A bar without a page size draws its thumb as a square of its height, whatever the range.
int FormStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const {
    if (metric == PM_ScrollBarSliderMin && widget != nullptr) {
        return widget->height();
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QRect FormStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                                const QWidget *widget) const {
    if (control == CC_GroupBox) {
        if (const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option)) {
            switch (subControl) {
            case SC_GroupBoxFrame: return FrameRect(*box);
            case SC_GroupBoxLabel: return CaptionRect(*box);
            case SC_GroupBoxContents: return ContentsRect(*box);
            default: break;
            }
        }
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

void FormStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                   const QWidget *widget) const {
    if (control == CC_GroupBox) {
        if (const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option)) {
            DrawGroupBox(*this, *box, painter);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control == CC_ScrollBar && (option->state & State_HasFocus)) {
        DrawFocusFrame(*option, painter);
    }
}

QStyle *TheFormStyle() {
    static QPointer<FormStyle> style;
    if (style.isNull()) {
        style = new FormStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

} // namespace diffrascope::ui
