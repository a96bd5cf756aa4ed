#include "LabWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

#include "Controls.h"
#include "Limits.h"
#include "CurvePanel.h"
#include "FileOutput.h"
#include "FitsOutput.h"
#include "MetricsOutput.h"
#include "PanelStrip.h"
#include "Presets.h"
#include "SheetPicture.h"

namespace diffrascope::lab {
namespace {

constexpr const char *kStateKey = "state/arguments";
constexpr const char *kGeometryKey = "window/geometry";
// Test hook: a file that names the options and the panels' places of what is on screen.
constexpr const char *kReportVariable = "DIFFRASCOPE_LAB_REPORT";
constexpr int kSectionSpacing = 12; // pixels between the panels and the curves
constexpr int kStartPanels = 3;     // the star test's, for the first size of the window
constexpr double kLargestShare = 0.95; // of the screen the first size may take

} // namespace

LabState SavedState() {
    const QSettings settings;
    const QStringList arguments = settings.value(QLatin1String(kStateKey)).toStringList();
    if (arguments.isEmpty()) {
        return LabState::Defaults();
    }
    const StartOutcome saved = ReadCommandLine(QStringList{QLatin1String(kProgram)} + arguments);
    return saved.action == frontend::CommandLineOutcome::Action::Render ? saved.state : LabState::Defaults();
}

void SaveState(const LabState &state) {
    QSettings settings;
    settings.setValue(QLatin1String(kStateKey), state.Arguments());
}

LabWindow::LabWindow(const LabState &start, QWidget *parent) : QMainWindow(parent) {
    setWindowTitle(tr("Diffrascope Lab"));
    computer_ = new Computer(0, this);
    BuildCentre();
    BuildMenus();
    ConnectHandlers();
    if (!restoreGeometry(QSettings().value(QLatin1String(kGeometryKey)).toByteArray())) {
        resize(StartSize());
    }
    controls_->SetState(start);
}

LabWindow::~LabWindow() = default;

void LabWindow::BuildCentre() {
    auto *centre = new QWidget(this);
    auto *row = new QHBoxLayout(centre);
    auto *left = new QScrollArea(centre);
    controlsArea_ = left;
    controls_ = new Controls(left);
    left->setWidget(controls_);
    left->setWidgetResizable(true);
    left->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    left->setMinimumWidth(controls_->sizeHint().width() + left->verticalScrollBar()->sizeHint().width() +
                          2 * left->frameWidth());
    auto *right = new QScrollArea(centre);
    auto *results = new QWidget(right);
    auto *column = new QVBoxLayout(results);
    column->setSpacing(kSectionSpacing);
    panels_ = new PanelStrip(results);
    curves_ = new CurvePanel(results);
    column->addWidget(panels_);
    column->addWidget(curves_);
    column->addStretch();
    right->setWidget(results);
    right->setWidgetResizable(true);
    row->addWidget(left);
    row->addWidget(right, 1);
    setCentralWidget(centre);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    statusBar()->addWidget(status_, 1);
}

// Room for the controls, three panels of the default size over the curves,
// and the scroll areas' frames; never more than the screen holds.
QSize LabWindow::StartSize() const {
    const int panels = kStartPanels * optics::kDefaultPanelSide + (kStartPanels - 1) * PanelStrip::kPanelGap;
    const int results = std::max(panels, curves_->sizeHint().width());
    // The margins of the window, the row and both scroll areas, their frames, a scroll bar.
    const int chrome = 4 * style()->pixelMetric(QStyle::PM_LayoutLeftMargin) +
                       4 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize content(controlsArea_->minimumWidth() + results + chrome,
                        controls_->sizeHint().height() + menuBar()->sizeHint().height() +
                            statusBar()->sizeHint().height() + chrome);
    return content.boundedTo(screen()->availableGeometry().size() * kLargestShare);
}

void LabWindow::BuildMenus() {
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *exportSheet = file->addAction(tr("&Export sheet…"), this, &LabWindow::ExportSheet);
    exportSheet->setShortcut(QKeySequence::Save);
    file->addAction(tr("Export &metrics…"), this, &LabWindow::ExportMetrics);
    file->addSeparator();
    QAction *quit = file->addAction(tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    QAction *copy = edit->addAction(tr("&Copy as command"), this, &LabWindow::CopyCommand);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    edit->addAction(tr("&Reset to defaults"), this, &LabWindow::ResetToDefaults);

    QMenu *presets = menuBar()->addMenu(tr("&Presets"));
    for (const Preset &preset : Presets()) {
        presets->addAction(preset.name, this, [this, arguments = preset.arguments] { ApplyPreset(arguments); });
    }
    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&About Diffrascope Lab"), this, &LabWindow::ShowAbout);
}

void LabWindow::ConnectHandlers() {
    connect(controls_, &Controls::Changed, this, &LabWindow::Recompute);
    connect(computer_, &Computer::Computed, this, &LabWindow::ShowResult);
    connect(computer_, &Computer::Failed, this, &LabWindow::ShowFailure);
}

// The controls' options through the renderer's parser; a refusal stays in the status bar.
void LabWindow::Recompute() {
    const LabState state = controls_->State();
    const frontend::CommandLineOutcome outcome = state.Parse();
    if (outcome.action != frontend::CommandLineOutcome::Action::Render) {
        computer_->Cancel();
        latest_ = 0; // whatever is still computing is no longer wanted
        computing_ = false;
        SetStatus(outcome.text);
        return;
    }
    optics::Job job = outcome.request.job;
    job.metrics = true;
    job.curves = true;
    job.keepIntensities = true; // for the FITS export
    submitted_ = state;
    computing_ = true;
    latest_ = computer_->Submit(std::move(job));
    SetStatus(tr("Computing…"));
}

void LabWindow::ShowResult(const std::shared_ptr<const optics::Result> &result, Generation generation) {
    if (generation != latest_) {
        return; // a newer change is on its way
    }
    computing_ = false;
    result_ = result;
    shown_ = submitted_;
    panels_->Show(result);
    curves_->Show(*result);
    QStringList lines{tr("Grid %1, %2 λ/D per pixel.").arg(result->grid).arg(result->pixelScale)};
    for (const std::string &warning : result->warnings) {
        lines << tr("Warning: %1.").arg(QString::fromStdString(warning));
    }
    SetStatus(lines.join(QLatin1Char(' ')));
    QTimer::singleShot(0, this, &LabWindow::WriteReport); // once the layout has placed the new panels
    emit ResultShown();
}

void LabWindow::ShowFailure(const QString &message, Generation generation) {
    if (generation == latest_) {
        computing_ = false;
        SetStatus(message);
    }
}

void LabWindow::SetStatus(const QString &text) { status_->setText(text); }

QString LabWindow::StatusText() const { return status_->text(); }

void LabWindow::CopyCommand() {
    const QString command = shown_.RenderCommand();
    QGuiApplication::clipboard()->setText(command);
    SetStatus(tr("Copied: %1").arg(command));
}

void LabWindow::ApplyPreset(const QStringList &arguments) {
    const StartOutcome preset = ReadCommandLine(QStringList{QLatin1String(kProgram)} + arguments);
    Q_ASSERT(preset.action == frontend::CommandLineOutcome::Action::Render);
    controls_->SetState(preset.state);
}

void LabWindow::ResetToDefaults() { controls_->SetState(LabState::Defaults()); }

void LabWindow::ExportSheet() {
    if (!result_) {
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Export sheet"), QStringLiteral("sheet.png"),
        tr("PNG picture (*.png);;PGM picture (*.pgm);;FITS intensities (*.fits)"));
    if (path.isEmpty()) {
        return;
    }
    if (const std::optional<QString> failure = ExportSheetTo(path)) {
        QMessageBox::warning(this, tr("Export sheet"), tr("The sheet was not written: %1.").arg(*failure));
    }
}

std::optional<QString> LabWindow::ExportSheetTo(const QString &path) const {
    if (!result_) {
        return tr("nothing is on screen yet");
    }
    std::optional<QByteArray> bytes;
    std::optional<frontend::FitsBytes> fits; // what a FITS file's bytes view
    QString error;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("fits")) {
        fits = frontend::EncodeFits(*result_, error);
        if (fits) {
            bytes = fits->View();
        }
    } else {
        const PictureFormat format = suffix == QLatin1String("pgm") ? PictureFormat::Pgm : PictureFormat::Png;
        bytes = EncodePicture(SheetPicture(*result_), format);
        if (bytes->isEmpty()) {
            bytes.reset();
            error = tr("the picture could not be encoded");
        }
    }
    return bytes ? frontend::WriteFileWhole(path, *bytes) : error;
}

void LabWindow::ExportMetrics() {
    if (!result_) {
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, tr("Export metrics"), QStringLiteral("metrics.json"),
                                                      tr("JSON (*.json)"));
    if (path.isEmpty()) {
        return;
    }
    if (const std::optional<QString> failure = frontend::WriteFileWhole(path, frontend::MetricsJson(*result_))) {
        QMessageBox::warning(this, tr("Export metrics"), tr("The metrics were not written: %1.").arg(*failure));
    }
}

void LabWindow::ShowAbout() {
    QMessageBox::about(this, tr("About Diffrascope Lab"),
                       tr("<p><b>Diffrascope Lab</b> %1</p><p>The star test of a telescope with a circular, possibly "
                          "obstructed aperture: the images inside, at and outside focus, with the focus image's "
                          "numbers and curves. Edit &gt; Copy as command gives the diffrascope-render command that "
                          "draws the same sheet.</p>")
                           .arg(QCoreApplication::applicationVersion()));
}

void LabWindow::closeEvent(QCloseEvent *event) {
    SaveState(controls_->State());
    QSettings().setValue(QLatin1String(kGeometryKey), saveGeometry());
    event->accept();
}

void LabWindow::WriteReport() const {
    const QString path = qEnvironmentVariable(kReportVariable);
    if (path.isEmpty()) {
        return;
    }
    QString report = QStringLiteral("command %1\n").arg(shown_.RenderCommand());
    for (const QRect &area : panels_->PanelAreas()) {
        const QPoint at = panels_->mapTo(this, area.topLeft());
        report += QStringLiteral("panel %1 %2 %3\n").arg(at.x()).arg(at.y()).arg(area.width());
    }
    QSaveFile file(path); // whole or not at all: the test reads it while the window writes
    if (file.open(QIODevice::WriteOnly)) {
        file.write(report.toUtf8());
        file.commit();
    }
}

} // namespace diffrascope::lab
