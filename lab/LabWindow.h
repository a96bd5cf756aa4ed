#pragma once
// Diffrascope Lab's main window: the controls on the left, the star test's
// panels with the focus image's numbers and curves on the right, the
// sampling guard's warnings in the status bar. Every change of a control
// recomputes at once on the worker thread; the newest change wins.

#include <QMainWindow>

#include <memory>
#include <optional>

#include "Computer.h"
#include "LabState.h"

class QLabel;

namespace diffrascope::lab {

class Controls;
class CurvePanel;
class PanelStrip;

// The state kept between runs (QSettings), or the lab's defaults.
LabState SavedState();
void SaveState(const LabState &state);

class LabWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit LabWindow(const LabState &start, QWidget *parent = nullptr);
    ~LabWindow() override;

    Controls *GetControls() const { return controls_; }
    PanelStrip *Panels() const { return panels_; }
    CurvePanel *Curves() const { return curves_; }
    // The options of the panels on screen, and of the computation under way.
    const LabState &ShownState() const { return shown_; }
    bool Computing() const { return computing_; }
    QString StatusText() const;
    const optics::Result *ShownResult() const { return result_.get(); }

    void CopyCommand();
    // The sheet on screen as the renderer writes it: .png, .pgm or .fits by
    // the name; why not, when it was not written.
    std::optional<QString> ExportSheetTo(const QString &path) const;
    void ApplyPreset(const QStringList &arguments);
    void ResetToDefaults();

  signals:
    void ResultShown(); // a new result is on screen

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void BuildCentre();
    void BuildMenus();
    void ConnectHandlers();
    QSize StartSize() const;
    void Recompute();
    void ShowResult(const std::shared_ptr<const optics::Result> &result, Generation generation);
    void ShowFailure(const QString &message, Generation generation);
    void SetStatus(const QString &text);
    void ExportSheet();
    void ExportMetrics();
    void ShowAbout();
    void WriteReport() const;

    Computer *computer_ = nullptr;
    Controls *controls_ = nullptr;
    QWidget *controlsArea_ = nullptr;
    PanelStrip *panels_ = nullptr;
    CurvePanel *curves_ = nullptr;
    QLabel *status_ = nullptr;
    Generation latest_ = 0;
    LabState submitted_;
    LabState shown_;
    bool computing_ = false;
    std::shared_ptr<const optics::Result> result_;
};

} // namespace diffrascope::lab
