// With none of the renderer's own terms, its pictures are the window's, grey
// level for grey level, at every grid size: the crop and the whole grid.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Engine.h"
#include "StarImage.h"

namespace diffrascope::optics {
namespace {

struct WindowCase {
    std::int32_t n;
    ScrollPositions positions;
    Layout layout;
};

std::string CaseName(const ::testing::TestParamInfo<WindowCase> &info) {
    const ScrollPositions &p = info.param.positions;
    auto text = [](std::int32_t v) { return (v < 0 ? "m" : "") + std::to_string(v < 0 ? -v : v); };
    return (info.param.layout == Layout::Full ? "full_N" : "crop_N") + std::to_string(info.param.n) + "_sa" +
           text(p.spherical) + "_f" + text(p.focus) + "_ob" + std::to_string(p.obstruction) + "_wl" +
           std::to_string(p.wavelength);
}

// The window's grey levels, element [i][j] at i n + j.
std::vector<std::int32_t> WindowGrey(const WindowCase &c) {
    GridSize = c.n;
    SizeChanged = 1;
    std::vector<std::int32_t> grey;
    ComputeStarImage(c.positions, {}, [&](const std::int32_t *const *levels, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i) {
            grey.insert(grey.end(), levels[i], levels[i] + n);
        }
    });
    ResetStarImageState();
    return grey;
}

// The pupil the window's scroll bars describe, by the window's own formulas.
OpticalSystem PupilOf(const ScrollPositions &p) {
    OpticalSystem system;
    system.aberrations.spherical = p.spherical * 0.1;
    system.aberrations.focus = p.focus * 0.1;
    system.aperture.obstruction = p.obstruction * 0.01;
    system.wavelength = p.wavelength;
    return system;
}

class WindowPicture : public ::testing::TestWithParam<WindowCase> {};

TEST_P(WindowPicture, GreyLevelsAreTheWindowsBitForBit) {
    const WindowCase &c = GetParam();
    Job job;
    job.system = PupilOf(c.positions);
    job.layout = c.layout;
    job.grid = c.n;
    const Result result = Compute(MakePlan(job));
    ASSERT_EQ(result.panels.size(), 1u);
    const PanelResult &panel = result.panels.front();
    const std::vector<std::int32_t> window = WindowGrey(c);
    const std::int32_t first = result.view.first;
    std::int32_t mismatches = 0;
    for (std::int32_t x = 0; x < panel.side; ++x) {
        for (std::int32_t y = 0; y < panel.side; ++y) {
            const std::int32_t expected = window[static_cast<std::size_t>(first + x) * c.n + first + y];
            const std::int32_t actual = panel.GreyAt(x, y);
            if (actual != expected && ++mismatches <= 5) {
                ADD_FAILURE() << "grey level at picture (" << x << ", " << y << ") is " << actual
                              << ", the window shows " << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

std::vector<WindowCase> Cases() {
    const std::vector<ScrollPositions> spread = {
        {0, 0, 0, 550}, {-100, 0, 0, 550}, {100, -500, 0, 300}, {35, 120, 33, 640}, {0, 500, 99, 1000},
        {-47, -230, 100, 440}, {3, -7, 25, 512},
    };
    std::vector<WindowCase> cases;
    for (std::int32_t n : {256, 512, 1024, 2048}) {
        for (const ScrollPositions &p : spread) {
            cases.push_back({n, p, Layout::Crop});
        }
    }
    cases.push_back({256, {25, -40, 30, 550}, Layout::Full});
    cases.push_back({512, {-3, 12, 0, 700}, Layout::Full});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllGridSizes, WindowPicture, ::testing::ValuesIn(Cases()), CaseName);

} // namespace
} // namespace diffrascope::optics
