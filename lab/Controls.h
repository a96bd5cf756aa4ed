#pragma once
// The controls, grouped as a star tester works: the telescope, its errors,
// the focus, the light, the display. Each writes one of the renderer's
// options as the renderer reads it; State() gathers them, SetState() shows a
// state, and Changed() says that the options may differ.

#include <QWidget>

#include "LabState.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QToolButton;

namespace diffrascope::lab {

class DecimalSpinBox;
class FigureControls;
class SkyControls;
class SeeingControls;

class Controls : public QWidget {
    Q_OBJECT

  public:
    explicit Controls(QWidget *parent = nullptr);

    LabState State() const;
    void SetState(const LabState &state);

    // Test seams: the controls a person reaches by their mnemonics.
    DecimalSpinBox *Spherical() const { return spherical_; }
    DecimalSpinBox *Focus() const { return focus_; }
    DecimalSpinBox *Obstruction() const { return obstruction_; }
    DecimalSpinBox *Wavelength() const { return wavelength_; }
    DecimalSpinBox *StarTest() const { return starTest_; }
    QCheckBox *LogScale() const { return log_; }
    QCheckBox *ZoomFocus() const { return zoom_; }
    QTableWidget *Zernike() const { return zernike_; }
    FigureControls *Figure() const { return figure_; }

  signals:
    void Changed();

  private:
    QGroupBox *BuildTelescope();
    QGroupBox *BuildAberrations();
    QGroupBox *BuildFocus();
    QGroupBox *BuildLight();
    QGroupBox *BuildDisplay();
    QWidget *BuildZernikeTable();
    void PointMnemonicsAtFields();
    void ConnectHandlers();
    void Enable();
    void Changing();
    void AddZernikeRow(int noll, const QString &waves);
    void ShowZernike(const QString &terms);
    QString ZernikeTerms() const;
    void ShowSpectrum(const QString &spectrum);
    QString Spectrum() const;
    void BrowseSpectrum();

    bool loading_ = false; // SetState is filling the controls: one Changed at the end
    DecimalSpinBox *obstruction_ = nullptr;
    QSpinBox *vanes_ = nullptr;
    DecimalSpinBox *vaneWidth_ = nullptr;
    DecimalSpinBox *vaneAngle_ = nullptr;
    QCheckBox *apertureOn_ = nullptr;
    DecimalSpinBox *aperture_ = nullptr;
    QCheckBox *fRatioOn_ = nullptr;
    DecimalSpinBox *fRatio_ = nullptr;
    DecimalSpinBox *spherical_ = nullptr;
    DecimalSpinBox *coma_ = nullptr;
    DecimalSpinBox *comaAngle_ = nullptr;
    DecimalSpinBox *astigmatism_ = nullptr;
    DecimalSpinBox *astigmatismAngle_ = nullptr;
    QTableWidget *zernike_ = nullptr;
    QPushButton *addTerm_ = nullptr;
    QPushButton *removeTerm_ = nullptr;
    FigureControls *figure_ = nullptr;
    DecimalSpinBox *focus_ = nullptr;
    QComboBox *focusUnit_ = nullptr;
    DecimalSpinBox *starTest_ = nullptr;
    QComboBox *starTestUnit_ = nullptr;
    DecimalSpinBox *wavelength_ = nullptr;
    QCheckBox *white_ = nullptr;
    QComboBox *whiteSource_ = nullptr;
    QLineEdit *whiteText_ = nullptr;
    QToolButton *browse_ = nullptr;
    QCheckBox *log_ = nullptr;
    QCheckBox *linear_ = nullptr;
    DecimalSpinBox *decades_ = nullptr;
    QSpinBox *panel_ = nullptr;
    QCheckBox *fieldOn_ = nullptr;
    DecimalSpinBox *field_ = nullptr;
    QComboBox *grid_ = nullptr;
    QCheckBox *zoom_ = nullptr;
    DecimalSpinBox *focusField_ = nullptr;
    SkyControls *sky_ = nullptr;
    SeeingControls *seeing_ = nullptr;
};

} // namespace diffrascope::lab
