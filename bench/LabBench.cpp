#include "LabBench.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>

#include <string>

#include "Controls.h"
#include "DecimalSpinBox.h"
#include "LabWindow.h"
#include "PanelStrip.h"

namespace diffrascope::bench {
namespace {

// The mis-collimated, slightly astigmatic Newtonian of the optics benchmarks
// (a pupil without symmetry) in a star test of +-8 waves on a 512 grid.
const QStringList kGeneralPupil{"--coma", "0.3", "--astigmatism", "0.2", "--obstruction", "33", "--spider", "4,1",
                                "--startest", "8", "--grid", "512"};
constexpr int kFocusSteps = 10; // focus from 0 to 0.9 waves in tenths, then again

// Each iteration is one change of focus as a person makes it, up to the three
// new panels painted in the window (off screen): the worker computes the
// sheet with its metrics and curves, the window shows them.
void LabUpdateBench(benchmark::State &state, const QStringList &light) {
    lab::LabWindow window(lab::ReadCommandLine(QStringList{lab::kProgram} + kGeneralPupil + light).state);
    window.show();
    QEventLoop loop;
    QObject::connect(&window, &lab::LabWindow::ResultShown, &loop, &QEventLoop::quit);
    loop.exec(); // the start: buffers allocated, the reference computed
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % kFocusSteps;
        window.GetControls()->Focus()->SetValue(QString::number(step / 10.0, 'f', 1));
        loop.exec();
        window.Panels()->repaint(); // the panels drawn now, not at the next idle moment
    }
    state.SetItemsProcessed(state.iterations()); // items per second: updates on screen per second
    if (window.ShownResult() == nullptr || window.ShownResult()->grid != 512) {
        state.SkipWithError("the lab computed on another grid");
    }
}

} // namespace

void RegisterLabBenchmarks() {
    benchmark::RegisterBenchmark("BM_LabUpdate/512", LabUpdateBench, QStringList{})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LabUpdate/512/visual", LabUpdateBench,
                                 QStringList{"--spectrum", "visual"})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace diffrascope::bench
