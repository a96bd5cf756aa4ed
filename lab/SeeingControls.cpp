#include "SeeingControls.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>

#include "DecimalSpinBox.h"
#include "Limits.h"
#include "OptionNames.h"

namespace diffrascope::lab {
namespace {

namespace option = frontend::name;

constexpr const char *kOn = "on";          // a flag's value in the state
constexpr const char *kDefaultR0 = "10";   // cm at 500 nm: a seeing disc of about 1 arcsecond
constexpr int kDefaultFrames = 16;         // a sheet of four by four
constexpr const char *kR0Step = "1";       // cm per arrow step

QString Latin(const char *text) { return QLatin1String(text); }

// A field and its unit in one row; the field takes the label's mnemonic.
QWidget *Row(QWidget *field, const QString &unit, QWidget *parent) {
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    if (!unit.isEmpty()) {
        layout->addWidget(new QLabel(unit, row));
    }
    layout->addStretch();
    row->setFocusProxy(field);
    return row;
}

} // namespace

SeeingControls::SeeingControls(QWidget *parent) : QGroupBox(tr("Seeing"), parent) {
    auto *form = new QFormLayout(this);
    seeingOn_ = new QCheckBox(tr("Seeing, r&0"), this);
    r0_ = new DecimalSpinBox(optics::kSeeingLimit, Latin(kR0Step), Latin(kDefaultR0), this);
    r0_->setToolTip(tr("The Fried parameter r0 in cm at 500 nm, scaling as λ^(6/5): the long-exposure star image "
                       "through the atmosphere; needs the aperture's diameter (--seeing)."));
    form->addRow(seeingOn_, Row(r0_, tr("cm at 500 nm"), this));
    framesOn_ = new QCheckBox(tr("S&hort exposures"), this);
    frames_ = new QSpinBox(this);
    frames_->setRange(static_cast<int>(optics::kSeeingFramesLimit.min),
                      static_cast<int>(optics::kSeeingFramesLimit.max));
    frames_->setValue(kDefaultFrames);
    frames_->setToolTip(tr("Short exposures, each through its own Kolmogorov phase screen drawn from the seed: "
                           "a sheet of the first 64, or their mean (--seeing-frames)."));
    form->addRow(framesOn_, Row(frames_, tr("frames"), this));
    average_ = new QCheckBox(tr("A&verage the frames"), this);
    average_->setToolTip(tr("The mean of the frames, each star-test panel at its own focus (--average)."));
    form->addRow(average_);
    connect(r0_, &DecimalSpinBox::ValueChanged, this, &SeeingControls::Changed);
    connect(frames_, &QSpinBox::valueChanged, this, &SeeingControls::Changed);
    for (QCheckBox *box : {seeingOn_, framesOn_, average_}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            Enable();
            emit Changed();
        });
    }
    Enable();
}

void SeeingControls::Enable() {
    r0_->setEnabled(seeingOn_->isChecked());
    framesOn_->setEnabled(seeingOn_->isChecked());
    frames_->setEnabled(seeingOn_->isChecked() && framesOn_->isChecked());
    average_->setEnabled(seeingOn_->isChecked() && framesOn_->isChecked());
}

void SeeingControls::Fill(LabState &state) const {
    const bool seeing = seeingOn_->isChecked();
    const bool frames = seeing && framesOn_->isChecked();
    state.Set(Latin(option::kSeeing), seeing ? r0_->Value() : QString());
    state.Set(Latin(option::kSeeingFrames), frames ? QString::number(frames_->value()) : QString());
    state.Set(Latin(option::kAverage), frames && average_->isChecked() ? Latin(kOn) : QString());
}

void SeeingControls::Show(const LabState &state) {
    seeingOn_->setChecked(state.Has(Latin(option::kSeeing)));
    r0_->SetValue(state.Has(Latin(option::kSeeing)) ? state.Value(Latin(option::kSeeing)) : Latin(kDefaultR0));
    framesOn_->setChecked(state.Has(Latin(option::kSeeingFrames)));
    frames_->setValue(state.Has(Latin(option::kSeeingFrames)) ? state.Value(Latin(option::kSeeingFrames)).toInt()
                                                              : kDefaultFrames);
    average_->setChecked(state.Has(Latin(option::kAverage)));
    Enable();
}

} // namespace diffrascope::lab
