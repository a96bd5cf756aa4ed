// Spectrum files: what they accept, and the line that is wrong.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "Light.h"

namespace diffrascope::optics {
namespace {

TEST(SpectrumFile, ReadsPairsSkippingCommentsAndBlankLines) {
    const auto read = ParseSpectrumText("# Hydrogen and sodium\n\n486.1 0.3\n  589.0\t1  # D lines\r\n656.3 2e-1\n");
    ASSERT_TRUE(std::holds_alternative<Spectrum>(read));
    const Spectrum &spectrum = std::get<Spectrum>(read);
    ASSERT_EQ(spectrum.lines.size(), 3u);
    EXPECT_DOUBLE_EQ(spectrum.lines[0].nanometres, 486.1);
    EXPECT_DOUBLE_EQ(spectrum.lines[1].weight, 1);
    EXPECT_DOUBLE_EQ(spectrum.lines[2].weight, 0.2);
}

struct BadFile {
    const char *text;
    std::int32_t line;
    const char *reason;
};

class BadSpectrumFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadSpectrumFile, IsRefusedWithTheLineAndTheReason) {
    const auto read = ParseSpectrumText(GetParam().text);
    ASSERT_TRUE(std::holds_alternative<SpectrumError>(read));
    const SpectrumError &error = std::get<SpectrumError>(read);
    EXPECT_EQ(error.line, GetParam().line);
    EXPECT_NE(error.reason.find(GetParam().reason), std::string::npos) << error.reason;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadSpectrumFile,
    ::testing::Values(BadFile{"500 1\n600\n", 2, "a wavelength in nm and a weight"},
                      BadFile{"500 1\nabc 1\n", 2, "not a number"}, BadFile{"500 one\n", 1, "not a number"},
                      BadFile{"500 1 2\n", 1, "not a number"}, BadFile{"# x\n299.9 1\n", 2, "outside 300 to 1000"},
                      BadFile{"1000.5 1\n", 1, "outside"}, BadFile{"500 -1\n", 1, "negative"},
                      BadFile{"500 nan\n", 1, "not a number"}, BadFile{"inf 1\n", 1, "not a number"},
                      BadFile{"500 1\n500.0 2\n", 2, "twice"}, BadFile{"", 0, "no wavelength"},
                      BadFile{"# only a comment\n", 0, "no wavelength"}, BadFile{"500 0\n600 0\n", 0, "every weight is 0"}));

TEST(PhotopicSpectrum, CoversTheEyesBandAndPeaksAtTheGreen) {
    const Spectrum visual = PhotopicSpectrum();
    ASSERT_EQ(visual.lines.size(), 41u);
    EXPECT_EQ(visual.lines.front().nanometres, 380);
    EXPECT_EQ(visual.lines.back().nanometres, 780);
    const auto peak = std::max_element(visual.lines.begin(), visual.lines.end(),
                                       [](const SpectralLine &a, const SpectralLine &b) { return a.weight < b.weight; });
    EXPECT_EQ(peak->nanometres, 560); // V(555 nm) = 1 lies between 550 and 560
}

} // namespace
} // namespace diffrascope::optics
