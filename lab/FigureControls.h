#pragma once
// The errors of the mirror's figure beyond the aberrations: a turned edge,
// zones, a rough surface and its seed, and a measured wavefront. A checkable
// group: unchecked, it folds away and gives none of its options; checked, each
// control writes its option as the renderer reads it (a zone per table row,
// each its own --zone).

#include <QGroupBox>
#include <QStringList>

#include "LabState.h"

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QToolButton;

namespace diffrascope::lab {

class DecimalSpinBox;

class FigureControls : public QGroupBox {
    Q_OBJECT

  public:
    explicit FigureControls(QWidget *parent = nullptr);

    // Adds the figure's options to the state.
    void WriteTo(LabState &state) const;
    // Shows the state's figure, checking the group when it has any of it.
    void Show(const LabState &state);

    // Test seams: the zones' table and its Add button.
    QTableWidget *ZoneTable() const { return zones_; }
    QPushButton *AddZone() const { return addZone_; }

    // As wide folded as unfolded: the controls' column keeps room for the figure.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    void Changed();

  private:
    QSize Unfolded(QSize folded) const;
    QWidget *BuildEdge(QWidget *parent);
    QWidget *BuildZones(QWidget *parent);
    QWidget *BuildBand(QWidget *parent);
    QWidget *BuildWavefront(QWidget *parent);
    void ConnectHandlers();
    void Enable();
    void Changing();
    void AddZoneRow(const QStringList &zone);
    QStringList Zones() const;
    QString Edge() const;
    QString Roughness() const;
    void ShowEdge(const QString &edge);
    void ShowZones(const QStringList &zones);
    void ShowRoughness(const QString &roughness, const QString &seed);
    void BrowseWavefront();

    QWidget *body_ = nullptr; // folds away with the group's check box
    DecimalSpinBox *edgeDepth_ = nullptr;
    DecimalSpinBox *edgeStart_ = nullptr;
    QTableWidget *zones_ = nullptr;
    QPushButton *addZone_ = nullptr;
    QPushButton *removeZone_ = nullptr;
    DecimalSpinBox *roughness_ = nullptr;
    QSpinBox *from_ = nullptr;
    QSpinBox *to_ = nullptr;
    QLineEdit *seed_ = nullptr;
    QLineEdit *wavefront_ = nullptr;
    QToolButton *browse_ = nullptr;
};

} // namespace diffrascope::lab
