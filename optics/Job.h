#pragma once
// A star-image job as a program describes it: the optical system, the light,
// which panels (a single image, a star test or a through-focus range), how
// much of the field each shows, the display scale and what to measure. The
// library checks it once, against the limits of Limits.h, when a plan is made;
// everything after that trusts it.

#include <cstdint>
#include <optional>
#include <vector>

#include "Display.h"
#include "Light.h"
#include "OpticalSystem.h"
#include "Sky.h"
#include "Seeing.h"
#include "StarTest.h"

namespace diffrascope::optics {

enum class Layout {
    Crop,   // the window's 256 x 256 centre of the grid
    Full,   // the whole grid
    Panels, // panels showing a field chosen for the blur disc (or given)
};

struct Job {
    // Spherical aberration and focus as typed, in waves (WindowWaves reads
    // them); the obstruction and vane width as fractions of the diameter
    // (FractionOfPercent); the focus is the single image's or the star
    // test's middle, unless `panels` gives it as focuser travel.
    OpticalSystem system;
    Spectrum light; // no line: the system's reference wavelength alone
    // The aperture's diameter in mm: gives the picture an angular scale
    // (lambda/D in arcseconds) and, with a focal ratio, a focal length.
    std::optional<double> apertureMm;
    // Turbulence over the aperture (needs apertureMm): the long exposure or short exposures.
    std::optional<Seeing> seeing;
    Panels panels;
    Layout layout = Layout::Crop;
    std::optional<std::int32_t> grid; // Crop and Full: else the window's 512; Panels: else the smallest that serves
    std::int32_t side = kDefaultPanelSide; // Panels: pixels along each side of a panel
    std::optional<double> field;           // Panels: lambda/D a panel shows; else the largest blur disc with a margin
    std::optional<double> focusField;      // star test: lambda/D its focus panel shows; else the sheet's field
    DisplayScale display;
    bool metrics = false;
    bool curves = false; // the focus panel's encircled energy and MTF, with the perfect aperture's
    std::vector<double> encircledRadii; // lambda/D, measured beyond the Airy dark rings
    bool keepIntensities = false;       // each panel's normalised intensities besides its grey levels
    std::int32_t threads = 0;           // 0: DIFFRASCOPE_THREADS, else every core (at most 64)
    // Companions, or an object, laid over the star image (they need
    // apertureMm), and the intensities' normalisation.
    Sky sky;
    bool scaleBar = false; // pictures carry a scale bar, in arcseconds with apertureMm, else lambda/D
};

// Throws ParameterError, naming the first parameter outside its limits or
// two that do not go together. The panels' focus is checked when they are
// planned (FocusOfPanels).
void Validate(const Job &job);

} // namespace diffrascope::optics
