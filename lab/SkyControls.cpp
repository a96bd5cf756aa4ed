#include "SkyControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "DecimalSpinBox.h"
#include "Limits.h"
#include "OptionNames.h"

namespace diffrascope::lab {
namespace {

namespace option = frontend::name;

constexpr const char *kFlux = "flux";
constexpr int kFluxEntry = 1; // the normalisation box's entries: peak, then flux
constexpr QChar kListSeparator = u';';   // between companions in the field

QString Latin(const char *text) { return QLatin1String(text); }

// A field, its unit and, where given, a button in one row; the field takes the label's mnemonic.
QWidget *Row(QWidget *field, const QString &unit, QWidget *button, QWidget *parent) {
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    if (!unit.isEmpty()) {
        layout->addWidget(new QLabel(unit, row));
    }
    if (button != nullptr) {
        layout->addWidget(button);
    }
    row->setFocusProxy(field);
    return row;
}

} // namespace

SkyControls::SkyControls(QWidget *parent) : QGroupBox(tr("Sky"), parent) {
    auto *form = new QFormLayout(this);
    companions_ = new QLineEdit(this);
    companions_->setPlaceholderText(tr("SEP,DMAG[@PA]; …"));
    companions_->setToolTip(tr("Companions, separated by ';': SEP arcseconds away, DMAG magnitudes fainter, at the "
                               "position angle PA in degrees from north (up) through east (left), 90 unless given; "
                               "up to 8 (--companion)."));
    auto *companionsLabel = new QLabel(tr("Companions"), this);
    companionsLabel->setBuddy(companions_);
    form->addRow(companionsLabel, companions_);
    objectOn_ = new QCheckBox(tr("Object"), this);
    object_ = new QLineEdit(this);
    object_->setToolTip(tr("A grey PNG, PGM or FITS picture seen through the telescope in place of the star "
                           "(--object)."));
    browse_ = new QToolButton(this);
    browse_->setText(tr("…"));
    browse_->setToolTip(tr("Choose an object's picture"));
    form->addRow(objectOn_, Row(object_, QString(), browse_, this));
    objectScale_ = new DecimalSpinBox(optics::kObjectScaleLimit, QStringLiteral("0.01"), QStringLiteral("0.1"), this);
    objectScale_->setToolTip(tr("The object's pixel in arcseconds (--object-scale)."));
    auto *scaleLabel = new QLabel(tr("Object's pi&xel"), this);
    scaleLabel->setBuddy(objectScale_);
    form->addRow(scaleLabel, Row(objectScale_, tr("″"), nullptr, this));
    normalize_ = new QComboBox(this);
    normalize_->addItem(tr("brightest pixel 1"));
    normalize_->addItem(tr("total flux 1"));
    normalize_->setToolTip(tr("The intensities' normalisation: the brightest pixel 1, or the pixels adding up to 1 "
                              "(an object: to its own pixels' sum); the grey levels still show the brightest white "
                              "(--normalize)."));
    auto *normalizeLabel = new QLabel(tr("Normalise"), this);
    normalizeLabel->setBuddy(normalize_);
    form->addRow(normalizeLabel, normalize_);
    scaleBar_ = new QCheckBox(tr("Scale bar"), this);
    scaleBar_->setToolTip(tr("A scale bar on each panel, in arcseconds with the aperture, else in λ/D "
                             "(--scale-bar)."));
    form->addRow(scaleBar_);
    connect(objectScale_, &DecimalSpinBox::ValueChanged, this, &SkyControls::Changed);
    for (QCheckBox *box : {objectOn_, scaleBar_}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            Enable();
            emit Changed();
        });
    }
    for (QLineEdit *field : {companions_, object_}) {
        connect(field, &QLineEdit::editingFinished, this, &SkyControls::Changed);
    }
    connect(normalize_, &QComboBox::currentIndexChanged, this, &SkyControls::Changed);
    connect(browse_, &QToolButton::clicked, this, &SkyControls::BrowseObject);
    Enable();
}

void SkyControls::Enable() {
    for (QWidget *widget : std::initializer_list<QWidget *>{object_, browse_, objectScale_}) {
        widget->setEnabled(objectOn_->isChecked());
    }
}

void SkyControls::BrowseObject() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Object's picture"), object_->text(),
                                                      tr("Grey pictures (*.png *.pgm *.fits *.fit *.fts)"));
    if (!file.isEmpty()) {
        object_->setText(file);
        objectOn_->setChecked(true);
        emit Changed();
    }
}

// The field's companions, each given as its own --companion.
QStringList SkyControls::Companions() const {
    QStringList companions;
    for (const QString &companion : companions_->text().split(kListSeparator, Qt::SkipEmptyParts)) {
        if (!companion.trimmed().isEmpty()) {
            companions << companion.trimmed();
        }
    }
    return companions;
}

void SkyControls::Fill(LabState &state) const {
    state.SetValues(Latin(option::kCompanion), Companions());
    const bool object = objectOn_->isChecked() && !object_->text().isEmpty();
    state.Set(Latin(option::kObject), object ? object_->text() : QString());
    state.Set(Latin(option::kObjectScale), object ? objectScale_->Value() : QString());
    state.Set(Latin(option::kNormalize), normalize_->currentIndex() == kFluxEntry ? Latin(kFlux) : QString());
    state.Set(Latin(option::kScaleBar), scaleBar_->isChecked() ? Latin(kFlagOn) : QString());
}

void SkyControls::Show(const LabState &state) {
    auto value = [&](const char *name) { return state.Value(Latin(name)); };
    companions_->setText(state.Values(Latin(option::kCompanion)).join(QStringLiteral("; ")));
    objectOn_->setChecked(state.Has(Latin(option::kObject)));
    object_->setText(value(option::kObject));
    objectScale_->SetValue(value(option::kObjectScale));
    normalize_->setCurrentIndex(value(option::kNormalize) == QLatin1String(kFlux) ? kFluxEntry : 0);
    scaleBar_->setChecked(state.Has(Latin(option::kScaleBar)));
    Enable();
}

} // namespace diffrascope::lab
