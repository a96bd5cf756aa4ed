// The program's pipeline against the literal reference, grey level for grey
// level, over a spread of parameters that includes the extremes.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "LiteralPipeline.h"
#include "StarImage.h"

namespace diffrascope {
namespace {

struct ExactnessCase {
    std::int32_t n;
    ScrollPositions positions;
};

std::string CaseName(const testing::TestParamInfo<ExactnessCase> &info) {
    const ScrollPositions &p = info.param.positions;
    auto signedText = [](std::int32_t v) { return (v < 0 ? "m" : "") + std::to_string(v < 0 ? -v : v); };
    return "N" + std::to_string(info.param.n) + "_sa" + signedText(p.spherical) + "_f" + signedText(p.focus) +
           "_ob" + std::to_string(p.obstruction) + "_wl" + std::to_string(p.wavelength);
}

std::vector<std::int32_t> ProgramStarImage(const ScrollPositions &positions, std::int32_t n) {
    std::vector<std::int32_t> grey;
    GridSize = n;
    SizeChanged = 1;
    ComputeStarImage(positions, {}, [&](const std::int32_t *const *levels, std::int32_t size) {
        for (std::int32_t i = 0; i < size; ++i) {
            grey.insert(grey.end(), levels[i], levels[i] + size);
        }
    });
    return grey;
}

class Exactness : public testing::TestWithParam<ExactnessCase> {
  protected:
    void TearDown() override { ResetStarImageState(); }
};

TEST_P(Exactness, GreyLevelsEqualTheLiteralReadingBitForBit) {
    const ExactnessCase &c = GetParam();
    const std::vector<std::int32_t> expected = reference::LiteralStarImage(c.positions, c.n);
    const std::vector<std::int32_t> actual = ProgramStarImage(c.positions, c.n);
    ASSERT_EQ(actual.size(), expected.size());
    std::int32_t mismatches = 0;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        if (actual[k] != expected[k] && ++mismatches <= 5) {
            ADD_FAILURE() << "grey level at [" << k / c.n << "][" << k % c.n << "] is " << actual[k]
                          << ", the literal reading gives " << expected[k];
        }
    }
    EXPECT_EQ(mismatches, 0);
}

std::vector<ExactnessCase> Cases() {
    const std::vector<ScrollPositions> spread = {
        {0, 0, 0, 550},       // start values
        {-100, 0, 0, 550},    // strongest negative spherical aberration
        {100, -500, 0, 300},  // extremes of both phase terms, largest pupil
        {35, 120, 33, 640},   // a typical obstructed telescope, slightly out of focus
        {0, 500, 99, 1000},   // thinnest annulus, smallest pupil
        {-47, -230, 100, 440}, // only the pupil rim passes at N = 512
        {7, 3, 60, 300},
    };
    std::vector<ExactnessCase> cases;
    for (std::int32_t n : {256, 512, 1024}) {
        for (const ScrollPositions &p : spread) {
            if (p.obstruction == 100 && n != 512) {
                continue; // no grid point lies on the rim at these sizes: no light
            }
            cases.push_back({n, p});
        }
    }
    cases.push_back({2048, {20, -60, 25, 700}});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllGridSizes, Exactness, testing::ValuesIn(Cases()), CaseName);

} // namespace
} // namespace diffrascope
