#pragma once
// A spin box whose value is the decimal text the user typed ("0.125",
// "-7.7"), read exactly as the renderer reads it: any decimal within the
// limit, no rounding to a fixed number of places. The arrows and Page
// Up/Down step by an exact decimal step and stop at the limit's ends.

#include <QAbstractSpinBox>
#include <QString>

#include "Decimal.h"
#include "Limits.h"

namespace diffrascope::lab {

class DecimalSpinBox : public QAbstractSpinBox {
    Q_OBJECT

  public:
    // step: the arrows' exact step, as text ("0.1"); value: the start.
    DecimalSpinBox(const optics::Limit &limit, const QString &step, const QString &value, QWidget *parent = nullptr);

    // The value as the renderer reads it, shortest form ("0.25", "8").
    QString Value() const { return value_; }
    // Takes a value within the limit (in any decimal form); ignores anything else.
    void SetValue(const QString &text);
    // A new range; a value outside it moves to its nearest end.
    void SetLimit(const optics::Limit &limit);

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void ValueChanged(const QString &value);

  protected:
    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    StepEnabled stepEnabled() const override;

  private:
    std::optional<optics::Decimal> Admitted(const QString &text) const;
    void Take(const optics::Decimal &value);
    void TypedText(const QString &text);

    optics::Limit limit_;
    optics::Decimal step_;
    QString value_;
};

} // namespace diffrascope::lab
