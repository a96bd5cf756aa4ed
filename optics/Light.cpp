#include "Light.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace diffrascope::optics {
namespace {

// CIE 1924 photopic luminous efficiency V(lambda), 380 .. 780 nm every 10 nm, as
// tabulated by the CIE (CIE 018.2 and ISO 23539:2005 / CIE S 010/E:2004, Table 1;
// the same values as the y-bar function of the CIE 1931 standard observer).
constexpr double kFirstPhotopic = 380;
constexpr double kPhotopicStep = 10;
constexpr double kPhotopic[] = {
    0.000039, 0.000120, 0.000396, 0.001210, 0.004000, 0.011600, 0.023000, 0.038000, 0.060000,
    0.090980, 0.139020, 0.208020, 0.323000, 0.503000, 0.710000, 0.862000, 0.954000, 0.994950,
    0.995000, 0.952000, 0.870000, 0.757000, 0.631000, 0.503000, 0.381000, 0.265000, 0.175000,
    0.107000, 0.061000, 0.032000, 0.017000, 0.008210, 0.004102, 0.002091, 0.001047, 0.000520,
    0.000249, 0.000120, 0.000060, 0.000030, 0.000015,
};

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// A finite number filling the whole field; plain or exponent notation.
bool ReadNumber(std::string_view field, double &value) {
    const char *begin = field.data();
    const char *end = field.data() + field.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end && std::isfinite(value);
}

std::string Shown(std::string_view field) { return "'" + std::string(field) + "'"; }

} // namespace

double Spectrum::Longest(double reference) const {
    double longest = lines.empty() ? reference : 0;
    for (const SpectralLine &line : lines) {
        longest = std::max(longest, line.nanometres);
    }
    return longest;
}

Spectrum PhotopicSpectrum() {
    Spectrum spectrum{{}, "visual"};
    for (std::size_t k = 0; k < std::size(kPhotopic); ++k) {
        spectrum.lines.push_back({kFirstPhotopic + kPhotopicStep * static_cast<double>(k), kPhotopic[k]});
    }
    return spectrum;
}

std::variant<Spectrum, SpectrumError> ParseSpectrumText(std::string_view text) {
    Spectrum spectrum;
    std::int32_t number = 0;
    while (!text.empty()) {
        ++number;
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        const auto gap = line.find_first_of(" \t");
        if (gap == std::string_view::npos) {
            return SpectrumError{number, "expected a wavelength in nm and a weight, found " + Shown(line)};
        }
        const std::string_view first = line.substr(0, gap);
        const std::string_view second = Trim(line.substr(gap));
        double nanometres = 0;
        double weight = 0;
        if (!ReadNumber(first, nanometres)) {
            return SpectrumError{number, "the wavelength " + Shown(first) + " is not a number"};
        }
        if (second.find_first_of(" \t") != std::string_view::npos || !ReadNumber(second, weight)) {
            return SpectrumError{number, "the weight " + Shown(second) + " is not a number"};
        }
        if (nanometres < kShortestWavelength || nanometres > kLongestWavelength) {
            return SpectrumError{number, "the wavelength " + Shown(first) + " lies outside 300 to 1000 nm"};
        }
        if (weight < 0) {
            return SpectrumError{number, "the weight " + Shown(second) + " is negative"};
        }
        for (const SpectralLine &earlier : spectrum.lines) {
            if (earlier.nanometres == nanometres) {
                return SpectrumError{number, "the wavelength " + Shown(first) + " is given twice"};
            }
        }
        if (static_cast<std::int32_t>(spectrum.lines.size()) == kMaxSpectralLines) {
            return SpectrumError{number, "more than " + std::to_string(kMaxSpectralLines) + " wavelengths"};
        }
        spectrum.lines.push_back({nanometres, weight});
    }
    const bool anyLight = std::any_of(spectrum.lines.begin(), spectrum.lines.end(),
                                      [](const SpectralLine &line) { return line.weight > 0; });
    if (!anyLight) {
        return SpectrumError{0, spectrum.lines.empty() ? "it holds no wavelength" : "every weight is 0"};
    }
    return spectrum;
}

} // namespace diffrascope::optics
