#include "WindowBench.h"

#include <QCoreApplication>
#include <QRadioButton>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Mainp.h"
#include "StarImage.h"
#include "SystemMemory.h"

namespace diffrascope::bench {
namespace {

constexpr std::uint64_t kPlentyOfBytes = 8'000'000'000; // no memory warning box in the way

struct WindowGrid {
    std::int32_t n;
    QRadioButton *ui::TMainPanel::*choice; // the grid-size button a user would select
};

const WindowGrid kWindowGrids[] = {
    {256, &ui::TMainPanel::RadioButton1},
    {512, &ui::TMainPanel::RadioButton2},
    {1024, &ui::TMainPanel::RadioButton3},
};

// The spherical aberration bar swept back and forth, one position per change,
// as a thumb dragged across it.
class Sweep {
  public:
    explicit Sweep(const QScrollBar &bar) : min_(bar.minimum()), max_(bar.maximum()), position_(bar.value()) {}
    int Next() {
        if (position_ + step_ > max_ || position_ + step_ < min_) {
            step_ = -step_;
        }
        position_ += step_;
        return position_;
    }

  private:
    int min_;
    int max_;
    int position_;
    int step_ = 1;
};

// Each iteration is one scroll-bar change in real-time mode: the handler
// recomputes and draws the star image, then the event loop repaints the
// window as it does after every change.
void WindowRealTimeBench(benchmark::State &state, WindowGrid grid) {
    ResetStarImageState();
    ui::SetAvailableBytesSource([] { return kPlentyOfBytes; });
    {
        const std::unique_ptr<ui::TMainPanel> window = ui::CreateMainPanel();
        window->show();
        (window.get()->*grid.choice)->setChecked(true);
        Sweep sweep(*window->ScrollBar1);
        window->ScrollBar1->setValue(sweep.Next()); // the first computation at this size allocates
        QCoreApplication::processEvents();
        for (auto _ : state) {
            window->ScrollBar1->setValue(sweep.Next());
            QCoreApplication::processEvents();
        }
        state.SetItemsProcessed(state.iterations()); // items per second: changes handled per second
        state.SetLabel("threads=" + std::to_string(ComputationThreads()));
        if (AllocatedSize != grid.n) {
            state.SkipWithError("the window computed at another grid size");
        }
    }
    ui::SetAvailableBytesSource({});
    ResetStarImageState();
}

} // namespace

void RegisterWindowBenchmarks() {
    for (const WindowGrid &grid : kWindowGrids) {
        benchmark::RegisterBenchmark(("BM_WindowRealTime/" + std::to_string(grid.n)).c_str(), WindowRealTimeBench,
                                     grid)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

} // namespace diffrascope::bench
