#pragma once
// The light of the star: one wavelength, or several with weights. Weights are
// energies per line; each line's image is normalised to unit total flux
// before it is weighted, so a white-light image is the eye's (or the
// detector's) sum of the monochromatic ones.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Limits.h"

namespace diffrascope::optics {

struct SpectralLine {
    double nanometres;
    double weight; // at least 0

    bool operator==(const SpectralLine &) const = default;
};

struct Spectrum {
    std::vector<SpectralLine> lines; // empty: the reference wavelength alone
    std::string name;                // how the user gave it, for the outputs' headers

    bool Monochromatic() const { return lines.size() <= 1; }
    double Longest(double reference) const;
};

// The eye's photopic response V(lambda) on an equal-energy source, 380 to 780 nm in 10 nm steps.
Spectrum PhotopicSpectrum();

// Reads "nm weight" pairs, one per line; "#" starts a comment, blank lines
// are skipped. Wavelengths lie in 300 .. 1000 nm, each once; weights are
// finite and at least 0, and one at least is above 0.
struct SpectrumError {
    std::int32_t line; // 1-based; 0 when the text as a whole is wrong
    std::string reason;
};
std::variant<Spectrum, SpectrumError> ParseSpectrumText(std::string_view text);

} // namespace diffrascope::optics
