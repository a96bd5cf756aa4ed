// The window: the panels it draws are the renderer's, pixel for pixel; the
// latest change wins; the sampling guard speaks in the status bar; the state
// is kept between runs and a reset returns to the defaults.

#include <gtest/gtest.h>

#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

#include "Controls.h"
#include "DecimalSpinBox.h"
#include "LabWindow.h"
#include "PanelStrip.h"
#include "FitsOutput.h"
#include "SheetPicture.h"
#include "Translation.h"

namespace diffrascope::lab {
namespace {

constexpr int kWaitMs = 60000; // a white-light sheet on a slow machine

LabState StateOf(const QStringList &arguments) {
    return ReadCommandLine(QStringList{QLatin1String(kProgram)} + arguments).state;
}

// Waits until the window shows what its controls say.
bool ShowsItsControls(LabWindow &window) {
    return QTest::qWaitFor(
        [&] { return !window.Computing() && window.ShownState() == window.GetControls()->State(); }, kWaitMs);
}

// The renderer's own result for the options, through its parser and the library.
optics::Result RendererResult(const LabState &state) {
    const frontend::CommandLineOutcome outcome = frontend::ParseCommandLine(
        QStringList{QLatin1String(kRenderer)} + state.Arguments() + QStringList{"--output", kSheetFile});
    return optics::Compute(optics::MakePlan(outcome.request.job));
}

TEST(LabWindow, DrawsTheRenderersPanelsPixelForPixel) {
    LabWindow window(StateOf({"--obstruction", "33", "--spider", "4,1", "--coma", "0.3@30", "--focus-field", "20"}));
    window.show();
    ASSERT_TRUE(ShowsItsControls(window));
    const optics::Result expected = RendererResult(window.ShownState());
    const std::vector<PanelImage *> &images = window.Panels()->Images();
    ASSERT_EQ(expected.panels.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const QImage drawn = images[k]->grab().toImage().convertToFormat(QImage::Format_Grayscale8);
        EXPECT_EQ(drawn, PanelPicture(expected.panels[k])) << "panel " << k;
    }
}

TEST(LabWindow, ShowsTheLatestOfManyQuickChanges) {
    LabWindow window(LabState::Defaults());
    QSignalSpy shown(&window, &LabWindow::ResultShown);
    for (const char *spherical : {"0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8"}) {
        window.GetControls()->Spherical()->SetValue(QLatin1String(spherical));
    }
    ASSERT_TRUE(ShowsItsControls(window));
    EXPECT_EQ(window.ShownState().Value("spherical"), "0.8");
    EXPECT_EQ(window.ShownResult()->job.system.aberrations.spherical, 0.8);
    EXPECT_LT(shown.count(), 9); // the start and at most every change, never a stale one after the last
}

TEST(LabWindow, SaysTheSamplingGuardsWarningsAndTheRenderersRefusalsInTheStatusBar) {
    LabWindow window(StateOf({"--grid", "256", "--startest", "20"}));
    ASSERT_TRUE(ShowsItsControls(window));
    EXPECT_TRUE(window.StatusText().contains("undersamples the wavefront")) << window.StatusText().toStdString();
    window.GetControls()->Focus()->SetValue("40"); // 40 + 20 waves lies beyond the focus range
    EXPECT_TRUE(window.StatusText().startsWith("diffrascope-lab: --startest '20' takes the focus beyond"))
        << window.StatusText().toStdString();
    EXPECT_FALSE(window.Computing());
}

TEST(LabWindow, KeepsItsStateBetweenRunsAndResetsToTheDefaults) {
    const LabState suiter = StateOf({"--spherical", "0.25", "--obstruction", "33", "--display", "log"});
    {
        LabWindow window(suiter);
        window.show();
        window.close();
    }
    EXPECT_EQ(SavedState(), suiter);
    LabWindow window(SavedState());
    window.ResetToDefaults();
    EXPECT_EQ(window.GetControls()->State(), LabState::Defaults());
    SaveState(LabState::Defaults());
}

TEST(LabWindow, ExportsTheRenderersOwnSheetAndFitsFile) {
    LabWindow window(
        StateOf({"--spherical", "0.25", "--obstruction", "33", "--f-ratio", "4.8", "--focus-field", "20"}));
    ASSERT_TRUE(ShowsItsControls(window));
    QTemporaryDir folder;
    for (const QString name : {"sheet.pgm", "sheet.fits"}) {
        ASSERT_FALSE(window.ExportSheetTo(folder.filePath(name)).has_value()) << name.toStdString();
        const frontend::CommandLineOutcome renderer = frontend::ParseCommandLine(
            QStringList{QLatin1String(kRenderer)} + window.ShownState().Arguments() + QStringList{"--output", name});
        const optics::Result result = optics::Compute(optics::MakePlan(renderer.request.job));
        QString error;
        const std::optional<frontend::FitsBytes> fits = frontend::EncodeFits(result, error);
        ASSERT_TRUE(fits) << error.toStdString();
        const QByteArray expected =
            name.endsWith(".fits") ? fits->View() : EncodePicture(SheetPicture(result), PictureFormat::Pgm);
        QFile exported(folder.filePath(name));
        ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
        const QByteArray written = exported.readAll();
        ASSERT_EQ(written.size(), expected.size()) << name.toStdString();
        EXPECT_EQ(written, expected) << name.toStdString();
    }
}

TEST(Controls, ZernikeTermsAreAddedAndRemovedWithTheTablesButtons) {
    Controls controls;
    const QList<QPushButton *> buttons = controls.Zernike()->parentWidget()->findChildren<QPushButton *>(); // Add term, Remove
    ASSERT_EQ(buttons.size(), 2);
    QTest::mouseClick(buttons[0], Qt::LeftButton); // Add term: J = 9, 0 waves, not yet an option
    EXPECT_FALSE(controls.State().Has("zernike"));
    qobject_cast<DecimalSpinBox *>(controls.Zernike()->cellWidget(0, 1))->SetValue("0.07");
    EXPECT_EQ(controls.State().Value("zernike"), "9=0.07");
    QTest::mouseClick(buttons[1], Qt::LeftButton); // Remove
    EXPECT_FALSE(controls.State().Has("zernike"));
}

TEST(Translation, FollowsTheSystemLocaleIntoJapanese) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    InstallTranslators(*QCoreApplication::instance());
    const Controls controls;
    QStringList groups;
    for (const QGroupBox *group : controls.findChildren<QGroupBox *>()) {
        groups << group->title();
    }
    EXPECT_EQ(groups, (QStringList{"望遠鏡", "収差", "鏡面の形状誤差", "焦点", "光", "シーイング", "空", "表示"}));
    for (QTranslator *translator : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    QLocale::setDefault(before);
}

} // namespace
} // namespace diffrascope::lab
