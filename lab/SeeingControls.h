#pragma once
// The seeing's controls: the Fried parameter r0 (the long exposure), short
// exposures through their own phase screens, and their mean. Each writes one
// of the renderer's options as the renderer reads it.

#include <QGroupBox>

#include "LabState.h"

class QCheckBox;
class QSpinBox;

namespace diffrascope::lab {

class DecimalSpinBox;

class SeeingControls : public QGroupBox {
    Q_OBJECT

  public:
    explicit SeeingControls(QWidget *parent = nullptr);

    // Writes the group's options into the state; shows a state's.
    void Fill(LabState &state) const;
    void Show(const LabState &state);

  signals:
    void Changed();

  private:
    void Enable();

    QCheckBox *seeingOn_ = nullptr;
    DecimalSpinBox *r0_ = nullptr;
    QCheckBox *framesOn_ = nullptr;
    QSpinBox *frames_ = nullptr;
    QCheckBox *average_ = nullptr;
};

} // namespace diffrascope::lab
