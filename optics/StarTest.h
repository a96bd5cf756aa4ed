#pragma once
// Which images of a system a job draws, and how each is named: a single
// image, a star test (the same system at focus -W, F and +W) or a
// through-focus range. Focus is in waves of W020 at the pupil edge, or in mm
// of focuser travel with a focal ratio; positive is extrafocal (outward).
//
// Focus values are added as the decimals the user typed (0.3 + 8 is 8.3,
// not the nearest double of 0.3 plus 8), and a sum that names a whole tenth
// of a wave is read the window's way (WindowWaves), so a sheet's panel is the
// single image of its focus typed alone.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace diffrascope::optics {

enum class Role { Intrafocal, Focus, Extrafocal };

// "intrafocal", "focus", "extrafocal".
const char *RoleName(Role role);

enum class FocusUnit { Waves, Millimetres };

struct Panels {
    enum class Kind { Single, StarTest, ThroughFocus };
    Kind kind = Kind::Single;
    // The focus of the single image or of the star test's middle panel as
    // focuser travel (mm, needs fRatio); else the system's focus in waves.
    std::optional<double> focusTravel;
    // StarTest: the defocus either side, more than 0.
    double defocus = 0;
    FocusUnit defocusUnit = FocusUnit::Waves;
    // ThroughFocus: from `from` to `to` waves, `step` apart, both ends included.
    double from = 0;
    double to = 0;
    double step = 0;
    // Labels the defocus in mm of focuser travel as well.
    std::optional<double> fRatio;

    bool IsSheet() const { return kind != Kind::Single; }
};

struct PanelFocus {
    double waves = 0; // W020 of the panel, as computed
    Role role = Role::Focus;
    std::string defocus; // "-8 waves", or "+7.7 waves, +0.977 mm" with a focal ratio
    std::string title;   // a short exposure's "frame 1"; empty: the role's name

    // The label's first line: the title, else the role's name.
    std::string Title() const;
    // "intrafocal, -8 waves, -1.014 mm"
    std::string Label() const;
};

// The focus of every panel, in order; one for a single image. systemFocus is
// the focus in waves as typed, wavelength the reference in nm. Throws
// ParameterError for a focus beyond the focus limits, a star test or range
// that reaches beyond them, a range that does not reach `to` in whole steps or
// holds more than kMaxPanels panels, and travel without a focal ratio.
std::vector<PanelFocus> FocusOfPanels(double systemFocus, double wavelength, const Panels &panels);

} // namespace diffrascope::optics
