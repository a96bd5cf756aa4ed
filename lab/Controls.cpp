#include "Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "DecimalSpinBox.h"
#include "FigureControls.h"
#include "Limits.h"
#include "OptionNames.h"
#include "SkyControls.h"
#include "SeeingControls.h"

namespace diffrascope::lab {
namespace {

namespace option = frontend::name;

constexpr const char *kVisual = "visual";
constexpr const char *kLog = "log";
constexpr const char *kLinear = "linear";
constexpr const char *kZero = "0";
constexpr int kWavesUnit = 0; // the unit boxes' entries
constexpr int kMmUnit = 1;
enum SpectrumSource { kEye, kRange, kFile };
constexpr int kZernikeRows = 4;        // table rows visible without scrolling
constexpr int kZernikeColumnWidth = 90; // pixels of the table's columns
constexpr int kPanelStep = 32;          // pixels per arrow step of the panel size
constexpr int kDefaultZernike = 9;      // Noll's primary spherical term, a new row's start
constexpr const char *kDefaultRange = "400:700:10";
constexpr const char *kDefaultAperture = "200"; // mm, an 8-inch mirror's, a new aperture's start

QString Latin(const char *text) { return QLatin1String(text); }

// A field and its unit in one row; the field takes the label's mnemonic.
QWidget *WithUnit(QWidget *field, const QString &unit, QWidget *parent) {
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

// An amount and its angle: "WAVES λ at DEG °".
QWidget *AmountAtAngle(QWidget *amount, QWidget *angle, QWidget *parent) {
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(amount);
    layout->addWidget(new QLabel(Controls::tr("λ at"), row));
    layout->addWidget(angle);
    layout->addWidget(new QLabel(Controls::tr("°"), row));
    layout->addStretch();
    row->setFocusProxy(amount);
    return row;
}

QComboBox *UnitBox(QWidget *parent) {
    auto *box = new QComboBox(parent);
    box->addItem(Controls::tr("waves"));
    box->addItem(Controls::tr("mm"));
    box->setToolTip(Controls::tr("Waves of defocus W020 at the pupil's edge, or mm of focuser travel "
                                 "(W = travel / (8 F² λ); needs the f-ratio)."));
    return box;
}

// "WAVES[@DEG]" when the amount is not 0.
QString Angled(const QString &waves, const QString &degrees) {
    if (waves == QLatin1String(kZero)) {
        return {};
    }
    return degrees == QLatin1String(kZero) ? waves : waves + QLatin1Char('@') + degrees;
}

// The parts of "A<separator>B"; B empty without the separator.
QStringList SplitOnce(const QString &text, QChar separator) {
    const qsizetype at = text.indexOf(separator);
    return at < 0 ? QStringList{text, QString()} : QStringList{text.left(at), text.mid(at + 1)};
}

} // namespace

Controls::Controls(QWidget *parent) : QWidget(parent) {
    auto *column = new QVBoxLayout(this);
    column->addWidget(BuildTelescope());
    column->addWidget(BuildAberrations());
    figure_ = new FigureControls(this);
    column->addWidget(figure_);
    column->addWidget(BuildFocus());
    column->addWidget(BuildLight());
    column->addWidget(seeing_ = new SeeingControls(this));
    column->addWidget(sky_ = new SkyControls(this));
    column->addWidget(BuildDisplay());
    column->addStretch();
    PointMnemonicsAtFields();
    ConnectHandlers();
    Enable();
}

// A label's mnemonic focuses its buddy only when the buddy takes focus itself:
// a row of a field and its unit hands the mnemonic on to the field.
void Controls::PointMnemonicsAtFields() {
    for (QLabel *label : findChildren<QLabel *>()) {
        QWidget *buddy = label->buddy();
        if (buddy != nullptr && buddy->focusPolicy() == Qt::NoFocus && buddy->focusProxy() != nullptr) {
            label->setBuddy(buddy->focusProxy());
        }
    }
}

QGroupBox *Controls::BuildTelescope() {
    auto *group = new QGroupBox(tr("Telescope"), this);
    auto *form = new QFormLayout(group);
    obstruction_ = new DecimalSpinBox(optics::kObstructionLimit, QStringLiteral("1"), Latin(kZero), group);
    obstruction_->setToolTip(tr("Central obstruction, in percent of the aperture's diameter (--obstruction)."));
    form->addRow(tr("O&bstruction"), WithUnit(obstruction_, tr("%"), group));

    auto *spider = new QWidget(group);
    auto *row = new QHBoxLayout(spider);
    row->setContentsMargins(0, 0, 0, 0);
    vanes_ = new QSpinBox(spider);
    vanes_->setRange(0, optics::kMaxVanes);
    vanes_->setSpecialValueText(tr("none"));
    vaneWidth_ = new DecimalSpinBox(optics::kVaneWidthLimit, QStringLiteral("0.1"), QStringLiteral("1"), spider);
    vaneAngle_ = new DecimalSpinBox(optics::kAngleLimit, QStringLiteral("5"), Latin(kZero), spider);
    row->addWidget(vanes_);
    row->addWidget(new QLabel(tr("×"), spider));
    row->addWidget(vaneWidth_);
    row->addWidget(new QLabel(tr("% at"), spider));
    row->addWidget(vaneAngle_);
    row->addWidget(new QLabel(tr("°"), spider));
    row->addStretch();
    spider->setFocusProxy(vanes_);
    spider->setToolTip(tr("Spider: vanes from the centre to the rim, evenly spaced, each this wide in percent of "
                          "the diameter, the first at this angle, counterclockwise from the picture's +x axis "
                          "(--spider)."));
    form->addRow(tr("Sp&ider"), spider);

    apertureOn_ = new QCheckBox(tr("Aperture"), group);
    aperture_ = new DecimalSpinBox(optics::kApertureLimit, QStringLiteral("10"), Latin(kDefaultAperture), group);
    aperture_->setToolTip(tr("The aperture's diameter: the exported metrics add the pixel scale, FWHM, EE50 and "
                             "EE80 in arcseconds and, with the f-ratio, the focal length; exported FITS files add "
                             "DIAM and PIXELSCL (--aperture-mm)."));
    form->addRow(apertureOn_, WithUnit(aperture_, tr("mm"), group));

    fRatioOn_ = new QCheckBox(tr("f-&ratio"), group);
    fRatio_ = new DecimalSpinBox(optics::kFRatioLimit, QStringLiteral("0.1"), QStringLiteral("5"), group);
    fRatio_->setToolTip(tr("Focal ratio: labels the defocus in mm of focuser travel, and lets focus be given in mm "
                           "(--f-ratio)."));
    form->addRow(fRatioOn_, WithUnit(fRatio_, QString(), group));
    return group;
}

QGroupBox *Controls::BuildAberrations() {
    auto *group = new QGroupBox(tr("Aberrations"), this);
    auto *form = new QFormLayout(group);
    spherical_ = new DecimalSpinBox(optics::kSphericalLimit, QStringLiteral("0.05"), Latin(kZero), group);
    spherical_->setToolTip(tr("Spherical aberration W040 at the pupil's edge, in waves; positive is under-correction, "
                              "whose intrafocal image has the bright outer ring (--spherical)."));
    form->addRow(tr("&Spherical aberration"), WithUnit(spherical_, tr("λ"), group));

    struct Angled {
        const char *label;
        const optics::Limit &limit;
        DecimalSpinBox **amount;
        DecimalSpinBox **angle;
        QString tip;
    };
    for (const Angled &term :
         {Angled{QT_TR_NOOP("&Coma"), optics::kComaLimit, &coma_, &comaAngle_,
                 tr("Coma W131 u³ cos(θ − angle), in waves; its tail points along the angle, counterclockwise from "
                    "the picture's +x axis (--coma).")},
          Angled{QT_TR_NOOP("&Astigmatism"), optics::kAstigmatismLimit, &astigmatism_, &astigmatismAngle_,
                 tr("Astigmatism W222 u² cos²(θ − angle), in waves; at focus 0 its line lies along the angle "
                    "(--astigmatism).")}}) {
        *term.amount = new DecimalSpinBox(term.limit, QStringLiteral("0.05"), Latin(kZero), group);
        *term.angle = new DecimalSpinBox(optics::kAngleLimit, QStringLiteral("5"), Latin(kZero), group);
        QWidget *row = AmountAtAngle(*term.amount, *term.angle, group);
        row->setToolTip(term.tip);
        form->addRow(tr(term.label), row);
    }
    form->addRow(tr("Zer&nike terms"), BuildZernikeTable());
    return group;
}

QWidget *Controls::BuildZernikeTable() {
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    zernike_ = new QTableWidget(0, 2, box);
    zernike_->setHorizontalHeaderLabels({tr("Noll J"), tr("waves RMS")});
    zernike_->verticalHeader()->setVisible(false);
    zernike_->horizontalHeader()->setDefaultSectionSize(kZernikeColumnWidth);
    zernike_->setSelectionBehavior(QAbstractItemView::SelectRows);
    zernike_->setToolTip(tr("Zernike terms by Noll's index J (2 to 37), in waves RMS over the unobstructed pupil; "
                            "J = 4 and 11 overlap focus and spherical aberration (--zernike)."));
    const int rowHeight = zernike_->verticalHeader()->defaultSectionSize();
    zernike_->setFixedHeight(zernike_->horizontalHeader()->sizeHint().height() + kZernikeRows * rowHeight +
                             2 * zernike_->frameWidth());
    zernike_->setFixedWidth(2 * kZernikeColumnWidth + 2 * zernike_->frameWidth());
    auto *buttons = new QHBoxLayout;
    addTerm_ = new QPushButton(tr("Add term"), box);
    removeTerm_ = new QPushButton(tr("Remove"), box);
    buttons->addWidget(addTerm_);
    buttons->addWidget(removeTerm_);
    buttons->addStretch();
    layout->addWidget(zernike_);
    layout->addLayout(buttons);
    box->setFocusProxy(zernike_);
    return box;
}

QGroupBox *Controls::BuildFocus() {
    auto *group = new QGroupBox(tr("Focus"), this);
    auto *form = new QFormLayout(group);
    focus_ = new DecimalSpinBox(optics::kFocusLimit, QStringLiteral("0.1"), Latin(kZero), group);
    focusUnit_ = UnitBox(group);
    focus_->setToolTip(tr("Defocus of the middle panel; positive is extrafocal, the eyepiece racked outward "
                          "(--focus in waves, --defocus-mm in mm)."));
    auto *focusRow = WithUnit(focus_, QString(), group);
    qobject_cast<QHBoxLayout *>(focusRow->layout())->insertWidget(1, focusUnit_);
    form->addRow(tr("F&ocus"), focusRow);
    starTest_ = new DecimalSpinBox(optics::kStarTestLimit, QStringLiteral("1"), QStringLiteral("8"), group);
    starTestUnit_ = UnitBox(group);
    starTest_->setToolTip(tr("The star test's defocus either side of focus: the intrafocal and extrafocal panels "
                             "(--startest in waves, --startest-mm in mm)."));
    auto *starRow = WithUnit(starTest_, QString(), group);
    qobject_cast<QHBoxLayout *>(starRow->layout())->insertWidget(1, starTestUnit_);
    form->addRow(tr("Star-test &defocus"), starRow);
    return group;
}

QGroupBox *Controls::BuildLight() {
    auto *group = new QGroupBox(tr("Light"), this);
    auto *form = new QFormLayout(group);
    wavelength_ = new DecimalSpinBox(optics::kWavelengthLimit, QStringLiteral("10"), QStringLiteral("550"), group);
    wavelength_->setToolTip(tr("Wavelength in nm: the reference at which every aberration is given, and the light "
                               "itself unless white light is on (--wavelength)."));
    form->addRow(tr("&Wavelength"), WithUnit(wavelength_, tr("nm"), group));
    white_ = new QCheckBox(tr("White li&ght"), group);
    whiteSource_ = new QComboBox(group);
    whiteSource_->addItem(tr("the eye's response"));
    whiteSource_->addItem(tr("equal energy, FROM:TO:STEP nm"));
    whiteSource_->addItem(tr("spectrum file"));
    whiteSource_->setToolTip(tr("White light: the eye's photopic response V(λ), every STEP nm with equal energy, or "
                                "a file of \"nm weight\" lines; aberrations keep their optical path (--spectrum)."));
    form->addRow(white_, whiteSource_);
    auto *text = new QWidget(group);
    auto *row = new QHBoxLayout(text);
    row->setContentsMargins(0, 0, 0, 0);
    whiteText_ = new QLineEdit(QLatin1String(kDefaultRange), text);
    browse_ = new QToolButton(text);
    browse_->setText(tr("…"));
    browse_->setToolTip(tr("Choose a spectrum file"));
    row->addWidget(whiteText_);
    row->addWidget(browse_);
    form->addRow(QString(), text);
    return group;
}

QGroupBox *Controls::BuildDisplay() {
    auto *group = new QGroupBox(tr("Display"), this);
    auto *form = new QFormLayout(group);
    log_ = new QCheckBox(tr("&Log scale"), group);
    log_->setToolTip(tr("Grey level 255 (1 + log10(I/Imax) / decades), to show the faint rings; off: the amplitude "
                        "scale, 300 × the normalised amplitude (--display)."));
    decades_ = new DecimalSpinBox(optics::kDecadesLimit, QStringLiteral("1"), QStringLiteral("4"), group);
    decades_->setToolTip(tr("Decades of intensity the log scale shows (--decades)."));
    form->addRow(log_, WithUnit(decades_, tr("decades"), group));
    linear_ = new QCheckBox(tr("Linear scale"), group);
    linear_->setToolTip(tr("Grey level 255 I/Imax, to show an extended object's brightness in proportion "
                           "(--display linear)."));
    form->addRow(linear_);
    panel_ = new QSpinBox(group);
    panel_->setRange(optics::kMinPanelSide, optics::kMaxPanelSide);
    panel_->setSingleStep(kPanelStep);
    panel_->setValue(optics::kDefaultPanelSide);
    panel_->setToolTip(tr("Pixels along each side of a panel; drawn one to one on the screen (--panel)."));
    form->addRow(tr("Panel si&ze"), WithUnit(panel_, tr("px"), group));
    fieldOn_ = new QCheckBox(tr("Field wid&th"), group);
    field_ = new DecimalSpinBox(optics::kFieldLimit, QStringLiteral("10"), QStringLiteral("100"), group);
    field_->setToolTip(tr("The width every panel shows, in λ/D, in whole grid pixels; off: the largest blur disc "
                          "with a margin (--field)."));
    form->addRow(fieldOn_, WithUnit(field_, tr("λ/D"), group));
    grid_ = new QComboBox(group);
    grid_->addItem(tr("automatic"));
    for (std::int32_t size : optics::kGridSizes) {
        grid_->addItem(QString::number(size));
    }
    grid_->setToolTip(tr("Grid points per side; automatic: the smallest that samples the pupil and holds the field. "
                         "One grid pixel is 110/λ λ/D at any size (--grid)."));
    form->addRow(tr("Comp&utation grid"), WithUnit(grid_, QString(), group));
    zoom_ = new QCheckBox(tr("Zoo&m focus"), group);
    focusField_ = new DecimalSpinBox(optics::kFocusFieldLimit, QStringLiteral("5"), QStringLiteral("20"), group);
    zoom_->setToolTip(tr("Shows the focus panel at a field of its own, in whole grid pixels: the focus image is far "
                         "smaller than the defocused discs (--focus-field)."));
    form->addRow(zoom_, WithUnit(focusField_, tr("λ/D"), group));
    return group;
}

void Controls::ConnectHandlers() {
    for (DecimalSpinBox *box : {obstruction_, vaneWidth_, vaneAngle_, aperture_, fRatio_, spherical_, coma_, comaAngle_,
                                astigmatism_, astigmatismAngle_, focus_, starTest_, wavelength_, decades_, field_,
                                focusField_}) {
        connect(box, &DecimalSpinBox::ValueChanged, this, &Controls::Changing);
    }
    for (QSpinBox *box : {vanes_, panel_}) {
        connect(box, &QSpinBox::valueChanged, this, &Controls::Changing);
    }
    for (QCheckBox *box : {apertureOn_, fRatioOn_, white_, log_, linear_, fieldOn_, zoom_}) {
        connect(box, &QCheckBox::toggled, this, &Controls::Changing);
    }
    // One scale at a time: checking one unchecks the other (neither is the amplitude scale).
    connect(log_, &QCheckBox::toggled, this, [this](bool on) { linear_->setChecked(linear_->isChecked() && !on); });
    connect(linear_, &QCheckBox::toggled, this, [this](bool on) { log_->setChecked(log_->isChecked() && !on); });
    for (QComboBox *box : {whiteSource_, grid_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &Controls::Changing);
    }
    connect(focusUnit_, &QComboBox::currentIndexChanged, this, [this](int unit) {
        focus_->SetLimit(unit == kMmUnit ? optics::kTravelLimit : optics::kFocusLimit);
        Changing();
    });
    connect(starTestUnit_, &QComboBox::currentIndexChanged, this, [this](int unit) {
        starTest_->SetLimit(unit == kMmUnit ? optics::kStarTestTravelLimit : optics::kStarTestLimit);
        Changing();
    });
    connect(figure_, &FigureControls::Changed, this, &Controls::Changing);
    connect(whiteText_, &QLineEdit::editingFinished, this, &Controls::Changing);
    connect(sky_, &SkyControls::Changed, this, &Controls::Changing);
    connect(seeing_, &SeeingControls::Changed, this, &Controls::Changing);
    connect(browse_, &QToolButton::clicked, this, &Controls::BrowseSpectrum);
    connect(addTerm_, &QPushButton::clicked, this, [this] {
        AddZernikeRow(kDefaultZernike, QLatin1String(kZero));
        zernike_->setCurrentCell(zernike_->rowCount() - 1, 0);
        zernike_->cellWidget(zernike_->rowCount() - 1, 0)->setFocus();
    });
    connect(removeTerm_, &QPushButton::clicked, this, [this] {
        const int row = zernike_->currentRow() >= 0 ? zernike_->currentRow() : zernike_->rowCount() - 1;
        if (row >= 0) {
            zernike_->removeRow(row);
            Changing();
        }
    });
}

void Controls::Changing() {
    Enable();
    if (!loading_) {
        emit Changed();
    }
}

void Controls::Enable() {
    vaneWidth_->setEnabled(vanes_->value() > 0);
    vaneAngle_->setEnabled(vanes_->value() > 0);
    aperture_->setEnabled(apertureOn_->isChecked());
    fRatio_->setEnabled(fRatioOn_->isChecked());
    whiteSource_->setEnabled(white_->isChecked());
    const bool text = white_->isChecked() && whiteSource_->currentIndex() != kEye;
    whiteText_->setEnabled(text);
    browse_->setEnabled(white_->isChecked() && whiteSource_->currentIndex() == kFile);
    decades_->setEnabled(log_->isChecked());
    field_->setEnabled(fieldOn_->isChecked());
    focusField_->setEnabled(zoom_->isChecked());
    removeTerm_->setEnabled(zernike_->rowCount() > 0);
}

void Controls::AddZernikeRow(int noll, const QString &waves) {
    const int row = zernike_->rowCount();
    zernike_->insertRow(row);
    auto *index = new QSpinBox(zernike_);
    index->setRange(optics::kFirstZernike, optics::kLastZernike);
    index->setValue(noll);
    auto *amount = new DecimalSpinBox(optics::kZernikeLimit, QStringLiteral("0.01"), waves, zernike_);
    zernike_->setCellWidget(row, 0, index);
    zernike_->setCellWidget(row, 1, amount);
    connect(index, &QSpinBox::valueChanged, this, &Controls::Changing);
    connect(amount, &DecimalSpinBox::ValueChanged, this, &Controls::Changing);
    Changing();
}

QString Controls::ZernikeTerms() const {
    QStringList terms;
    for (int row = 0; row < zernike_->rowCount(); ++row) {
        const auto *index = qobject_cast<QSpinBox *>(zernike_->cellWidget(row, 0));
        const auto *amount = qobject_cast<DecimalSpinBox *>(zernike_->cellWidget(row, 1));
        if (amount->Value() != QLatin1String(kZero)) {
            terms << QString::number(index->value()) + QLatin1Char('=') + amount->Value();
        }
    }
    return terms.join(QLatin1Char(','));
}

void Controls::ShowZernike(const QString &terms) {
    zernike_->setRowCount(0);
    if (terms.isEmpty()) {
        return;
    }
    for (const QString &term : terms.split(QLatin1Char(','))) {
        const QStringList parts = SplitOnce(term, QLatin1Char('='));
        AddZernikeRow(parts[0].toInt(), parts[1]);
    }
}

QString Controls::Spectrum() const {
    if (!white_->isChecked()) {
        return {};
    }
    return whiteSource_->currentIndex() == kEye ? QLatin1String(kVisual) : whiteText_->text().trimmed();
}

void Controls::ShowSpectrum(const QString &spectrum) {
    white_->setChecked(!spectrum.isEmpty());
    if (spectrum.isEmpty()) {
        return;
    }
    if (spectrum == QLatin1String(kVisual)) {
        whiteSource_->setCurrentIndex(kEye);
        return;
    }
    // As the renderer tells them apart: FROM:TO:STEP unless a file has that name.
    const bool range = spectrum.count(QLatin1Char(':')) == 2 && !QFileInfo::exists(spectrum);
    whiteSource_->setCurrentIndex(range ? kRange : kFile);
    whiteText_->setText(spectrum);
}

void Controls::BrowseSpectrum() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Spectrum file"), whiteText_->text(),
                                                      tr("Spectra (*.txt *.dat *.csv);;All files (*)"));
    if (!file.isEmpty()) {
        whiteText_->setText(file);
        Changing();
    }
}

LabState Controls::State() const {
    LabState state;
    state.Set(Latin(option::kObstruction), obstruction_->Value());
    if (vanes_->value() > 0) {
        state.Set(Latin(option::kSpider), QString::number(vanes_->value()) + QLatin1Char(',') +
                                              vaneWidth_->Value() +
                                              (vaneAngle_->Value() == QLatin1String(kZero)
                                                   ? QString()
                                                   : QLatin1Char('@') + vaneAngle_->Value()));
    }
    state.Set(Latin(option::kAperture), apertureOn_->isChecked() ? aperture_->Value() : QString());
    state.Set(Latin(option::kFRatio), fRatioOn_->isChecked() ? fRatio_->Value() : QString());
    state.Set(Latin(option::kSpherical), spherical_->Value());
    state.Set(Latin(option::kComa), Angled(coma_->Value(), comaAngle_->Value()));
    state.Set(Latin(option::kAstigmatism), Angled(astigmatism_->Value(), astigmatismAngle_->Value()));
    state.Set(Latin(option::kZernike), ZernikeTerms());
    figure_->WriteTo(state);
    const bool focusMm = focusUnit_->currentIndex() == kMmUnit;
    state.Set(Latin(focusMm ? option::kDefocusMm : option::kFocus), focus_->Value());
    const bool starMm = starTestUnit_->currentIndex() == kMmUnit;
    state.Set(Latin(starMm ? option::kStarTestMm : option::kStarTest), starTest_->Value());
    state.Set(Latin(option::kWavelength), wavelength_->Value());
    state.Set(Latin(option::kSpectrum), Spectrum());
    state.Set(Latin(option::kDisplay), log_->isChecked() ? Latin(kLog) : linear_->isChecked() ? Latin(kLinear) : QString());
    state.Set(Latin(option::kDecades), log_->isChecked() ? decades_->Value() : QString());
    state.Set(Latin(option::kPanel), QString::number(panel_->value()));
    state.Set(Latin(option::kField), fieldOn_->isChecked() ? field_->Value() : QString());
    state.Set(Latin(option::kGrid), grid_->currentIndex() > 0 ? grid_->currentText() : QString());
    state.Set(Latin(option::kFocusField), zoom_->isChecked() ? focusField_->Value() : QString());
    sky_->Fill(state);
    seeing_->Fill(state);
    return state;
}

void Controls::SetState(const LabState &state) {
    loading_ = true;
    auto value = [&](const char *name) { return state.Value(Latin(name)); };
    auto valueOr = [&](const char *name, const QString &otherwise) {
        return state.Has(Latin(name)) ? value(name) : otherwise;
    };
    const QString zero = Latin(kZero);
    obstruction_->SetValue(valueOr(option::kObstruction, zero));
    const QStringList spider = SplitOnce(value(option::kSpider), QLatin1Char(','));
    const QStringList vane = SplitOnce(spider[1], QLatin1Char('@'));
    vanes_->setValue(spider[0].toInt());
    if (!vane[0].isEmpty()) {
        vaneWidth_->SetValue(vane[0]);
    }
    vaneAngle_->SetValue(vane[1].isEmpty() ? zero : vane[1]);
    apertureOn_->setChecked(state.Has(Latin(option::kAperture)));
    aperture_->SetValue(value(option::kAperture));
    fRatioOn_->setChecked(state.Has(Latin(option::kFRatio)));
    fRatio_->SetValue(value(option::kFRatio));
    spherical_->SetValue(valueOr(option::kSpherical, zero));
    for (auto [name, amount, angle] : {std::tuple{option::kComa, coma_, comaAngle_},
                                       std::tuple{option::kAstigmatism, astigmatism_, astigmatismAngle_}}) {
        const QStringList parts = SplitOnce(valueOr(name, zero), QLatin1Char('@'));
        amount->SetValue(parts[0]);
        angle->SetValue(parts[1].isEmpty() ? zero : parts[1]);
    }
    ShowZernike(value(option::kZernike));
    figure_->Show(state);
    const bool focusMm = state.Has(Latin(option::kDefocusMm));
    focusUnit_->setCurrentIndex(focusMm ? kMmUnit : kWavesUnit);
    focus_->SetValue(focusMm ? value(option::kDefocusMm) : valueOr(option::kFocus, zero));
    const bool starMm = state.Has(Latin(option::kStarTestMm));
    starTestUnit_->setCurrentIndex(starMm ? kMmUnit : kWavesUnit);
    starTest_->SetValue(value(starMm ? option::kStarTestMm : option::kStarTest));
    wavelength_->SetValue(valueOr(option::kWavelength, DefaultValue(Latin(option::kWavelength))));
    ShowSpectrum(value(option::kSpectrum));
    log_->setChecked(value(option::kDisplay) == QLatin1String(kLog));
    linear_->setChecked(value(option::kDisplay) == QLatin1String(kLinear));
    decades_->SetValue(valueOr(option::kDecades, DefaultValue(Latin(option::kDecades))));
    panel_->setValue(valueOr(option::kPanel, DefaultValue(Latin(option::kPanel))).toInt());
    fieldOn_->setChecked(state.Has(Latin(option::kField)));
    field_->SetValue(value(option::kField));
    const int grid = grid_->findText(value(option::kGrid));
    grid_->setCurrentIndex(grid > 0 ? grid : 0);
    zoom_->setChecked(state.Has(Latin(option::kFocusField)));
    focusField_->SetValue(value(option::kFocusField));
    sky_->Show(state);
    seeing_->Show(state);
    loading_ = false;
    Changing();
}

} // namespace diffrascope::lab
