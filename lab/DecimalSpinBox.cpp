#include "DecimalSpinBox.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include <algorithm>

namespace diffrascope::lab {
namespace {

using optics::Compare;
using optics::Decimal;
using optics::DecimalStatus;

constexpr const char *kFractionRoom = ".000"; // room for the decimals people usually type

QString Text(const Decimal &value) { return QString::fromStdString(optics::ToText(value)); }

// Text on the way to a number: a sign or a point with no digit yet.
bool IsUnfinished(const QString &text) {
    static const QStringList unfinished{QString(), QStringLiteral("-"), QStringLiteral("+"), QStringLiteral("."),
                                        QStringLiteral("-."), QStringLiteral("+.")};
    return unfinished.contains(text);
}

Decimal Min(const optics::Limit &limit) { return *optics::DecimalOf(limit.min); }
Decimal Max(const optics::Limit &limit) { return *optics::DecimalOf(limit.max); }

} // namespace

DecimalSpinBox::DecimalSpinBox(const optics::Limit &limit, const QString &step, const QString &value, QWidget *parent)
    : QAbstractSpinBox(parent), limit_(limit), step_(optics::ReadDecimal(step.toStdString()).value) {
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    value_ = Text(*Admitted(value));
    lineEdit()->setText(value_);
    connect(lineEdit(), &QLineEdit::textEdited, this, &DecimalSpinBox::TypedText);
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] { lineEdit()->setText(value_); });
}

std::optional<Decimal> DecimalSpinBox::Admitted(const QString &text) const {
    const optics::DecimalReading reading = optics::ReadDecimal(text.trimmed().toStdString());
    if (reading.status != DecimalStatus::Read) {
        return std::nullopt;
    }
    const int low = Compare(reading.value, Min(limit_));
    const int high = Compare(reading.value, Max(limit_));
    if (low < 0 || (low == 0 && limit_.aboveMin) || high > 0 || (high == 0 && limit_.belowMax)) {
        return std::nullopt;
    }
    return reading.value;
}

void DecimalSpinBox::Take(const Decimal &value) {
    const QString text = Text(value);
    if (text == value_) {
        return;
    }
    value_ = text;
    emit ValueChanged(value_);
}

void DecimalSpinBox::TypedText(const QString &text) {
    if (const std::optional<Decimal> value = Admitted(text)) {
        Take(*value);
    }
}

void DecimalSpinBox::SetValue(const QString &text) {
    if (const std::optional<Decimal> value = Admitted(text)) {
        Take(*value);
        lineEdit()->setText(value_);
    }
}

void DecimalSpinBox::SetLimit(const optics::Limit &limit) {
    limit_ = limit;
    const Decimal value = optics::ReadDecimal(value_.toStdString()).value;
    if (Compare(value, Max(limit_)) > 0) {
        Take(Max(limit_));
    } else if (Compare(value, Min(limit_)) < 0 || (limit_.aboveMin && Compare(value, Min(limit_)) == 0)) {
        Take(limit_.aboveMin ? step_ : Min(limit_)); // a range open at its minimum starts one step above it
    }
    lineEdit()->setText(value_);
}

QValidator::State DecimalSpinBox::validate(QString &input, int & /*pos*/) const {
    if (IsUnfinished(input)) {
        return QValidator::Intermediate;
    }
    const optics::DecimalReading reading = optics::ReadDecimal(input.toStdString());
    if (reading.status != DecimalStatus::Read) {
        return QValidator::Invalid;
    }
    return Admitted(input) ? QValidator::Acceptable : QValidator::Intermediate;
}

void DecimalSpinBox::fixup(QString &input) const { input = value_; }

void DecimalSpinBox::stepBy(int steps) {
    const Decimal value = optics::ReadDecimal(value_.toStdString()).value;
    const std::optional<Decimal> next = optics::AddMultiple(value, steps, step_);
    if (!next) {
        return;
    }
    if (Admitted(Text(*next))) {
        Take(*next);
    } else if (Compare(*next, Max(limit_)) >= 0) {
        if (!limit_.belowMax) { // a range open at its maximum keeps its last step below it
            Take(Max(limit_));
        }
    } else if (!limit_.aboveMin) {
        Take(Min(limit_));
    }
    lineEdit()->setText(value_);
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled DecimalSpinBox::stepEnabled() const {
    const Decimal value = optics::ReadDecimal(value_.toStdString()).value;
    StepEnabled enabled = StepNone;
    const std::optional<Decimal> up = optics::AddMultiple(value, 1, step_);
    if (Compare(value, Max(limit_)) < 0 && (!limit_.belowMax || (up && Compare(*up, Max(limit_)) < 0))) {
        enabled |= StepUpEnabled;
    }
    const std::optional<Decimal> down = optics::AddMultiple(value, -1, step_);
    if (Compare(value, Min(limit_)) > 0 && (!limit_.aboveMin || (down && Compare(*down, Min(limit_)) > 0))) {
        enabled |= StepDownEnabled;
    }
    return enabled;
}

QSize DecimalSpinBox::sizeHint() const {
    ensurePolished();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QFontMetrics metrics(font());
    // As wide as the limit's widest end with a few decimals.
    const QString ends[] = {Text(Min(limit_)), Text(Max(limit_))};
    int widest = 0;
    for (const QString &end : ends) {
        widest = std::max(widest, metrics.horizontalAdvance(end + QLatin1String(kFractionRoom)));
    }
    const QSize text(widest, lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

QSize DecimalSpinBox::minimumSizeHint() const { return sizeHint(); }

} // namespace diffrascope::lab
