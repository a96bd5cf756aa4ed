#pragma once
// The sky's controls (they need the telescope's aperture for their scale):
// companions of the star, an extended object in its place, the intensities'
// normalisation and the scale bar. Each writes one of the renderer's options
// as the renderer reads it.

#include <QGroupBox>

#include "LabState.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace diffrascope::lab {

class DecimalSpinBox;

class SkyControls : public QGroupBox {
    Q_OBJECT

  public:
    explicit SkyControls(QWidget *parent = nullptr);

    // Writes the group's options into the state; shows a state's.
    void Fill(LabState &state) const;
    void Show(const LabState &state);

  signals:
    void Changed();

  private:
    void Enable();
    void BrowseObject();
    QStringList Companions() const;

    QLineEdit *companions_ = nullptr;
    QCheckBox *objectOn_ = nullptr;
    QLineEdit *object_ = nullptr;
    QToolButton *browse_ = nullptr;
    DecimalSpinBox *objectScale_ = nullptr;
    QComboBox *normalize_ = nullptr;
    QCheckBox *scaleBar_ = nullptr;
};

} // namespace diffrascope::lab
