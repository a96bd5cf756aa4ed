#pragma once
// Every limit of a star-image description, in one place: the renderer's
// option parser, the lab window's controls, the Python module and the
// library's own validation all take their ranges from here.

#include <array>
#include <cstdint>

#include "StarImage.h" // the window's grid sizes and crop

namespace diffrascope::optics {

// A closed range of one parameter (open at its minimum where aboveMin, at
// its maximum where belowMax), named by the renderer's option and described
// as its messages say it.
struct Limit {
    const char *parameter;
    double min;
    double max;
    bool aboveMin; // the minimum itself is not accepted
    const char *text;
    bool belowMax = false; // the maximum itself is not accepted

    // False for NaN, as for anything outside.
    constexpr bool Admits(double value) const {
        return (aboveMin ? value > min : value >= min) && (belowMax ? value < max : value <= max);
    }
};

inline constexpr Limit kSphericalLimit{"spherical", -10, 10, false, "-10 to 10 waves"};
inline constexpr Limit kFocusLimit{"focus", -50, 50, false, "-50 to 50 waves"};
inline constexpr Limit kObstructionLimit{"obstruction", 0, 100, false, "0 to 100 percent"};
inline constexpr Limit kWavelengthLimit{"wavelength", 300, 1000, false, "300 to 1000 nm"};
inline constexpr Limit kComaLimit{"coma", -10, 10, false, "-10 to 10 waves"};
inline constexpr Limit kAstigmatismLimit{"astigmatism", -10, 10, false, "-10 to 10 waves"};
inline constexpr Limit kAngleLimit{"angle", -360, 360, false, "-360 to 360 degrees"};
inline constexpr Limit kZernikeLimit{"zernike", -5, 5, false, "-5 to 5 waves RMS"};
inline constexpr Limit kVaneWidthLimit{"spider", 0, 20, true, "more than 0 and at most 20 percent"};
inline constexpr Limit kFRatioLimit{"f-ratio", 0.5, 100, false, "0.5 to 100"};
inline constexpr Limit kTravelLimit{"defocus-mm", -100, 100, false, "-100 to 100 mm"};
inline constexpr Limit kStarTestLimit{"startest", 0, 50, true, "more than 0 and at most 50 waves"};
inline constexpr Limit kStarTestTravelLimit{"startest-mm", 0, 100, true, "more than 0 and at most 100 mm"};
inline constexpr Limit kFieldLimit{"field", 0, 10000, true, "more than 0 and at most 10000 lambda/D"};
inline constexpr Limit kApertureLimit{"aperture-mm", 10, 10000, false, "10 to 10000 mm"};
inline constexpr Limit kFocusFieldLimit{"focus-field", 0, 10000, true, "more than 0 and at most 10000 lambda/D"};
inline constexpr Limit kDecadesLimit{"decades", 1, 10, false, "1 to 10"};
inline constexpr Limit kRadiusLimit{"ee-radii", 0, 1000, true, "more than 0 and at most 1000 lambda/D"};
// What the sky adds: a companion's separation in arcseconds and how many
// magnitudes it is fainter; an extended object's pixel scale in arcseconds.
inline constexpr Limit kCompanionSeparationLimit{"companion", 0, 3600, true, "more than 0 and at most 3600 arcseconds"};
inline constexpr Limit kCompanionMagnitudeLimit{"companion", 0, 20, false, "0 to 20 magnitudes"};
inline constexpr Limit kObjectScaleLimit{"object-scale", 0, 3600, true,
                                         "more than 0 and at most 3600 arcseconds per pixel"};
inline constexpr std::int32_t kMaxCompanions = 8;
inline constexpr std::int32_t kMaxObjectSide = 4096; // pixels along either side of an object's picture
// Errors of the figure: waves at the reference wavelength, radii and widths in units of the pupil radius.
inline constexpr Limit kEdgeDepthLimit{"turned-edge", -10, 10, false, "-10 to 10 waves"};
inline constexpr Limit kEdgeStartLimit{"turned-edge", 0, 1, false, "0 to less than 1", true};
inline constexpr Limit kZoneRadiusLimit{"zone", 0, 1, false, "0 to 1"};
inline constexpr Limit kZoneHeightLimit{"zone", -10, 10, false, "-10 to 10 waves"};
inline constexpr Limit kZoneWidthLimit{"zone", 0.01, 0.5, false, "0.01 to 0.5"};
inline constexpr Limit kRoughnessLimit{"roughness", 0, 1, false, "0 to 1 wave RMS"};
// Seeing: the Fried parameter r0 in cm at 500 nm, and the short exposures drawn.
inline constexpr Limit kSeeingLimit{"seeing", 1, 1000, false, "1 to 1000 cm"};
inline constexpr Limit kSeeingFramesLimit{"seeing-frames", 1, 1000, false, "1 to 1000"};

// Wavelengths the model covers, nm (kWavelengthLimit).
inline constexpr double kShortestWavelength = kWavelengthLimit.min;
inline constexpr double kLongestWavelength = kWavelengthLimit.max;
inline constexpr std::int32_t kMaxSpectralLines = 701; // every nanometre from 300 to 1000

inline constexpr std::int32_t kMaxVanes = 8;
inline constexpr std::int32_t kMaxZones = 8;
// Roughness's band, whole cycles per diameter: a ripple of k cycles per
// diameter has k cycles across the 2 R grid steps of the pupil's diameter, so
// higher frequencies would alias on the grids offered.
inline constexpr std::int32_t kMinRoughnessFrequency = 1;
inline constexpr std::int32_t kMaxRoughnessFrequency = 100;
inline constexpr std::uint32_t kMaxSeed = 4294967295u; // 2^32 - 1
// A measured wavefront map: at least 2 pixels for interpolation, at most the largest grid.
inline constexpr std::int32_t kMinWavefrontSide = 2;
inline constexpr std::int32_t kMaxWavefrontSide = 4096;
// Zernike terms by Noll's index; J = 1 (piston) changes nothing and is not offered.
inline constexpr std::int32_t kFirstZernike = 2;
inline constexpr std::int32_t kLastZernike = 37;
inline constexpr std::int32_t kMaxRadii = 16;  // encircled-energy radii beyond the Airy dark rings
inline constexpr std::int32_t kMaxPanels = 64; // of a through-focus sheet or a sheet of frames
// r0 spans at least this many grid steps: the phase between neighbouring
// points stays below 1.4 radians RMS and the grid's field holds about four seeing discs.
inline constexpr double kMinR0Steps = 4;
inline constexpr std::int32_t kMinPanelSide = 32;
inline constexpr std::int32_t kMaxPanelSide = 2048;
inline constexpr std::int32_t kDefaultPanelSide = 256;

// Grid sizes a description may ask for; the window's own are 256 to 1024.
inline constexpr std::array<std::int32_t, 5> kGridSizes{256, 512, 1024, 2048, 4096};
inline constexpr std::int32_t kSmallestGrid = kGridSizes.front();
inline constexpr std::int32_t kLargestGrid = kGridSizes.back();
inline constexpr std::int32_t kWindowGrid = kStartGridSize; // for the window's crop and full views
static_assert(kLargestGrid <= kMaxGridSize, "the transform takes every grid size offered");

constexpr bool IsGridSize(std::int32_t n) {
    for (std::int32_t size : kGridSizes) {
        if (size == n) {
            return true;
        }
    }
    return false;
}

} // namespace diffrascope::optics
