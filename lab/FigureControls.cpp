#include "FigureControls.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>

#include "Decimal.h"
#include "DecimalSpinBox.h"
#include "Limits.h"
#include "OpticalSystem.h"
#include "OptionNames.h"

namespace diffrascope::lab {
namespace {

namespace option = frontend::name;

constexpr const char *kZero = "0";
constexpr int kZoneColumns = 3;          // radius, height, width
constexpr int kZoneRows = 3;             // table rows visible without scrolling
constexpr int kZoneColumnWidth = 80;     // pixels of the table's columns
constexpr const char *kNewZoneRadius = "0.5"; // a new row's start: mid-radius,
constexpr const char *kNewZoneWidth = "0.1";  // a tenth of the radius wide, and no height yet
constexpr int kSeedDigits = 10;          // of kMaxSeed, 4294967295
constexpr int kSeedRoom = 2;             // digits' width more for the line edit's frame

QString Latin(const char *text) { return QLatin1String(text); }

QString DecimalText(double value) { return QString::fromStdString(optics::ToText(*optics::DecimalOf(value))); }

// The parts of "A<separator>B"; B empty without the separator.
QStringList SplitOnce(const QString &text, QChar separator) {
    const qsizetype at = text.indexOf(separator);
    return at < 0 ? QStringList{text, QString()} : QStringList{text.left(at), text.mid(at + 1)};
}

// Widgets in one row; the first takes the row's label mnemonic.
QWidget *Row(QWidget *parent, std::initializer_list<QWidget *> widgets) {
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *widget : widgets) {
        widget->setParent(row);
        layout->addWidget(widget);
    }
    layout->addStretch();
    row->setFocusProxy(*widgets.begin());
    return row;
}

QLabel *Text(const QString &text) { return new QLabel(text); }

// The renderer's seeds: whole numbers from 0 to kMaxSeed.
class SeedValidator : public QValidator {
  public:
    using QValidator::QValidator;

    State validate(QString &input, int & /*pos*/) const override {
        if (input.isEmpty()) {
            return Intermediate;
        }
        const bool digits = input.size() <= kSeedDigits &&
                            std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        return digits && input.toULongLong() <= optics::kMaxSeed ? Acceptable : Invalid;
    }
};

} // namespace

FigureControls::FigureControls(QWidget *parent) : QGroupBox(tr("Figure errors"), parent) {
    setCheckable(true);
    setChecked(false);
    setToolTip(tr("Errors of the mirror's figure beyond the aberrations, in waves at the wavelength; unchecked, "
                  "none of them."));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0); // the form's own margins, so that folded the group is its title
    body_ = new QWidget(this);
    layout->addWidget(body_);
    auto *form = new QFormLayout(body_);
    form->addRow(tr("Turned edge"), BuildEdge(body_));
    form->addRow(tr("Zones"), BuildZones(body_));
    roughness_ = new DecimalSpinBox(optics::kRoughnessLimit, QStringLiteral("0.01"), Latin(kZero), body_);
    roughness_->setToolTip(tr("A rough surface: a random wavefront of this RMS about its mean over the pupil "
                              "(--roughness)."));
    form->addRow(tr("Roughness"), Row(body_, {roughness_, Text(tr("λ RMS"))}));
    form->addRow(tr("Frequencies"), BuildBand(body_));
    seed_ = new QLineEdit(DefaultValue(Latin(option::kSeed)), body_);
    seed_->setValidator(new SeedValidator(seed_));
    seed_->setToolTip(tr("The roughness's random seed, 0 to %1: the same seed gives the same surface on every "
                         "machine (--seed).")
                          .arg(optics::kMaxSeed));
    seed_->setMaximumWidth(seed_->fontMetrics().horizontalAdvance(QString(kSeedDigits + kSeedRoom, u'0')));
    form->addRow(tr("Seed"), Row(body_, {seed_}));
    form->addRow(tr("Measured wa&vefront"), BuildWavefront(body_));
    body_->setVisible(false);
    ConnectHandlers();
    Enable();
}

QSize FigureControls::sizeHint() const { return Unfolded(QGroupBox::sizeHint()); }

QSize FigureControls::minimumSizeHint() const { return Unfolded(QGroupBox::minimumSizeHint()); }

QSize FigureControls::Unfolded(QSize folded) const {
    const QMargins margins = contentsMargins() + layout()->contentsMargins();
    return {std::max(folded.width(), body_->sizeHint().width() + margins.left() + margins.right()), folded.height()};
}

QWidget *FigureControls::BuildEdge(QWidget *parent) {
    const optics::TurnedEdge none;
    edgeDepth_ = new DecimalSpinBox(optics::kEdgeDepthLimit, QStringLiteral("0.05"), Latin(kZero));
    edgeStart_ = new DecimalSpinBox(optics::kEdgeStartLimit, QStringLiteral("0.01"), DecimalText(none.start));
    QWidget *row = Row(parent, {edgeDepth_, Text(tr("λ from")), edgeStart_, Text(tr("of the radius"))});
    row->setToolTip(tr("A turned edge: DEPTH ((u − START)/(1 − START))² waves beyond the fraction START of the "
                       "pupil's radius; a turned-down edge is negative, its rim focusing long (--turned-edge)."));
    return row;
}

QWidget *FigureControls::BuildZones(QWidget *parent) {
    auto *box = new QWidget(parent);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    zones_ = new QTableWidget(0, kZoneColumns, box);
    zones_->setHorizontalHeaderLabels({tr("radius"), tr("height λ"), tr("width")});
    zones_->verticalHeader()->setVisible(false);
    zones_->horizontalHeader()->setDefaultSectionSize(kZoneColumnWidth);
    zones_->setSelectionBehavior(QAbstractItemView::SelectRows);
    zones_->setToolTip(tr("Zones, each HEIGHT exp(−((u − RADIUS)/WIDTH)²) waves: a raised ring, or a trough below 0; "
                          "radius and width in units of the pupil's radius; up to %1 (--zone, once per zone).")
                           .arg(optics::kMaxZones));
    const int rowHeight = zones_->verticalHeader()->defaultSectionSize();
    zones_->setFixedHeight(zones_->horizontalHeader()->sizeHint().height() + kZoneRows * rowHeight +
                           2 * zones_->frameWidth());
    zones_->setFixedWidth(kZoneColumns * kZoneColumnWidth + 2 * zones_->frameWidth());
    auto *buttons = new QHBoxLayout;
    addZone_ = new QPushButton(tr("Add zone"), box);
    removeZone_ = new QPushButton(tr("Remove"), box);
    buttons->addWidget(addZone_);
    buttons->addWidget(removeZone_);
    buttons->addStretch();
    layout->addWidget(zones_);
    layout->addLayout(buttons);
    box->setFocusProxy(zones_);
    return box;
}

QWidget *FigureControls::BuildBand(QWidget *parent) {
    const optics::Roughness none;
    from_ = new QSpinBox;
    to_ = new QSpinBox;
    for (auto [box, value] : {std::pair{from_, none.from}, std::pair{to_, none.to}}) {
        box->setRange(optics::kMinRoughnessFrequency, optics::kMaxRoughnessFrequency);
        box->setValue(value);
    }
    QWidget *row = Row(parent, {from_, Text(tr("to")), to_, Text(tr("cycles per diameter"))});
    row->setToolTip(tr("The band of the roughness's spatial frequencies, whole cycles per diameter: they scatter "
                       "light into a halo at the same radii in λ/D (--roughness RMS@FROM:TO)."));
    return row;
}

QWidget *FigureControls::BuildWavefront(QWidget *parent) {
    wavefront_ = new QLineEdit;
    browse_ = new QToolButton;
    browse_->setText(tr("…"));
    browse_->setToolTip(tr("Choose a wavefront file"));
    QWidget *row = Row(parent, {wavefront_, browse_});
    row->setToolTip(tr("A measured wavefront added to the other terms: a 2-D FITS image in waves at the wavelength, "
                       "NaN outside the aperture, its width spanning the pupil (--wavefront)."));
    return row;
}

void FigureControls::ConnectHandlers() {
    connect(this, &QGroupBox::toggled, body_, &QWidget::setVisible);
    connect(this, &QGroupBox::toggled, this, &FigureControls::Changing);
    for (DecimalSpinBox *box : {edgeDepth_, edgeStart_, roughness_}) {
        connect(box, &DecimalSpinBox::ValueChanged, this, &FigureControls::Changing);
    }
    for (QSpinBox *box : {from_, to_}) {
        connect(box, &QSpinBox::valueChanged, this, &FigureControls::Changing);
    }
    connect(seed_, &QLineEdit::textChanged, this, &FigureControls::Changing); // an empty seed is the default
    connect(wavefront_, &QLineEdit::editingFinished, this, &FigureControls::Changing); // a whole file name
    connect(browse_, &QToolButton::clicked, this, &FigureControls::BrowseWavefront);
    connect(addZone_, &QPushButton::clicked, this, [this] {
        AddZoneRow({Latin(kNewZoneRadius), Latin(kZero), Latin(kNewZoneWidth)});
        zones_->setCurrentCell(zones_->rowCount() - 1, 1);
        zones_->cellWidget(zones_->rowCount() - 1, 1)->setFocus(); // the height, which makes it a zone
    });
    connect(removeZone_, &QPushButton::clicked, this, [this] {
        const int row = zones_->currentRow() >= 0 ? zones_->currentRow() : zones_->rowCount() - 1;
        if (row >= 0) {
            zones_->removeRow(row);
            Changing();
        }
    });
}

void FigureControls::Changing() {
    Enable();
    emit Changed();
}

void FigureControls::Enable() {
    edgeStart_->setEnabled(edgeDepth_->Value() != QLatin1String(kZero));
    const bool rough = roughness_->Value() != QLatin1String(kZero);
    from_->setEnabled(rough);
    to_->setEnabled(rough);
    seed_->setEnabled(rough);
    addZone_->setEnabled(zones_->rowCount() < optics::kMaxZones);
    removeZone_->setEnabled(zones_->rowCount() > 0);
}

void FigureControls::AddZoneRow(const QStringList &zone) {
    const optics::Limit *limits[kZoneColumns] = {&optics::kZoneRadiusLimit, &optics::kZoneHeightLimit,
                                                 &optics::kZoneWidthLimit};
    const char *steps[kZoneColumns] = {"0.05", "0.01", "0.01"};
    const int row = zones_->rowCount();
    zones_->insertRow(row);
    for (int column = 0; column < kZoneColumns; ++column) {
        auto *cell = new DecimalSpinBox(*limits[column], Latin(steps[column]), zone.value(column), zones_);
        zones_->setCellWidget(row, column, cell);
        connect(cell, &DecimalSpinBox::ValueChanged, this, &FigureControls::Changing);
    }
    Changing();
}

// "RADIUS,HEIGHT,WIDTH" of each row with a height.
QStringList FigureControls::Zones() const {
    QStringList zones;
    for (int row = 0; row < zones_->rowCount(); ++row) {
        QStringList fields;
        for (int column = 0; column < kZoneColumns; ++column) {
            fields << qobject_cast<DecimalSpinBox *>(zones_->cellWidget(row, column))->Value();
        }
        if (fields[1] != QLatin1String(kZero)) {
            zones << fields.join(QLatin1Char(','));
        }
    }
    return zones;
}

void FigureControls::ShowZones(const QStringList &zones) {
    zones_->setRowCount(0);
    for (const QString &zone : zones) {
        AddZoneRow(zone.split(QLatin1Char(',')));
    }
}

// "DEPTH[@START]", the start left out where it is the renderer's.
QString FigureControls::Edge() const {
    if (edgeDepth_->Value() == QLatin1String(kZero)) {
        return {};
    }
    const bool usual = edgeStart_->Value() == DecimalText(optics::TurnedEdge{}.start);
    return usual ? edgeDepth_->Value() : edgeDepth_->Value() + QLatin1Char('@') + edgeStart_->Value();
}

void FigureControls::ShowEdge(const QString &edge) {
    const QStringList parts = SplitOnce(edge, QLatin1Char('@'));
    edgeDepth_->SetValue(parts[0].isEmpty() ? Latin(kZero) : parts[0]);
    edgeStart_->SetValue(parts[1].isEmpty() ? DecimalText(optics::TurnedEdge{}.start) : parts[1]);
}

// "RMS[@FROM:TO]", the band left out where it is the renderer's.
QString FigureControls::Roughness() const {
    if (roughness_->Value() == QLatin1String(kZero)) {
        return {};
    }
    const optics::Roughness usual;
    if (from_->value() == usual.from && to_->value() == usual.to) {
        return roughness_->Value();
    }
    return roughness_->Value() + QStringLiteral("@%1:%2").arg(from_->value()).arg(to_->value());
}

void FigureControls::ShowRoughness(const QString &roughness, const QString &seed) {
    const optics::Roughness usual;
    const QStringList parts = SplitOnce(roughness, QLatin1Char('@'));
    const QStringList band = SplitOnce(parts[1], QLatin1Char(':'));
    roughness_->SetValue(parts[0].isEmpty() ? Latin(kZero) : parts[0]);
    from_->setValue(band[0].isEmpty() ? usual.from : band[0].toInt());
    to_->setValue(band[1].isEmpty() ? usual.to : band[1].toInt());
    seed_->setText(seed.isEmpty() ? DefaultValue(Latin(option::kSeed)) : seed);
}

void FigureControls::BrowseWavefront() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Measured wavefront"), wavefront_->text(),
                                                      tr("FITS images (*.fits *.fit *.fts);;All files (*)"));
    if (!file.isEmpty()) {
        wavefront_->setText(file);
        Changing();
    }
}

void FigureControls::WriteTo(LabState &state) const {
    if (!isChecked()) {
        return;
    }
    const QString roughness = Roughness();
    state.Set(Latin(option::kTurnedEdge), Edge());
    state.SetValues(Latin(option::kZone), Zones());
    state.Set(Latin(option::kRoughness), roughness);
    state.Set(Latin(option::kSeed), roughness.isEmpty() ? QString() : seed_->text());
    state.Set(Latin(option::kWavefront), wavefront_->text().trimmed());
}

void FigureControls::Show(const LabState &state) {
    auto value = [&](const char *name) { return state.Value(Latin(name)); };
    bool any = false;
    for (const char *name : {option::kTurnedEdge, option::kZone, option::kRoughness, option::kSeed, option::kWavefront}) {
        any = any || state.Has(Latin(name));
    }
    setChecked(any);
    ShowEdge(value(option::kTurnedEdge));
    ShowZones(state.Values(Latin(option::kZone)));
    ShowRoughness(value(option::kRoughness), value(option::kSeed));
    wavefront_->setText(value(option::kWavefront));
    Enable();
}

} // namespace diffrascope::lab
