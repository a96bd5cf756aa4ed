#pragma once
// How fine a grid a pupil needs and how large a field a picture should show.
//
// A grid samples the wavefront when its phase turns by at most pi between
// neighbouring grid points: the pupil radius R in grid steps must be at
// least twice the wavefront's steepest slope (waves per pupil radius; for
// W = SA u^4 + F u^2 about 8 |SA| + 4 |F|). The same bound keeps the
// geometric blur disc, of radius twice that slope in lambda/D, inside the
// picture: where one fails, so does the other. Slopes scale as 1/lambda and R
// as 1/lambda too, so the bound is the same at every wavelength of a spectrum.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Display.h"
#include "PupilSampler.h"
#include "Light.h"

namespace diffrascope::optics {

inline constexpr std::int32_t kSmallestGrid = 256;
inline constexpr std::int32_t kLargestGrid = 4096;

// The steepest slope of the wavefront over the annulus, in waves per pupil
// radius, at the reference wavelength.
double SteepestSlope(const OpticalSystem &pupil);

// Radius of the geometric blur disc, in lambda/D at the reference wavelength.
double BlurRadius(const OpticalSystem &pupil);

// Why a grid does not sample the pupils (the phase, the blur disc, the
// vanes), with the smallest grid that would; empty when it does.
std::vector<std::string> SamplingWarnings(const std::vector<OpticalSystem> &pupils, const Spectrum &spectrum,
                                          std::int32_t n);

// The smallest grid from 256 to 4096 that samples every pupil; nothing if none does.
std::optional<std::int32_t> SmallestSampledGrid(const std::vector<OpticalSystem> &pupils, const Spectrum &spectrum);

struct FieldRequest {
    std::optional<std::int32_t> grid;     // else the smallest that samples the pupils and holds the field
    std::int32_t side = 256;              // panel pixels
    std::optional<double> width;          // lambda/D; else the largest blur disc with a margin
};

struct FieldPlan {
    std::int32_t grid = 0;
    PanelView view;
    double pixelScale = 0; // lambda/D per grid pixel, at the reference wavelength
    double width = 0;      // lambda/D the panels show: side x bin x pixelScale
    std::vector<std::string> warnings;
};

// Panels that show the largest blur disc of all the pupils with a margin (a
// fifth of its radius, and eight lambda/D of the longest wavelength for the
// rings beyond its edge), averaging blocks of grid pixels where the field has
// more pixels than the panel. Throws InvalidInputError when a given grid is
// smaller than the panel.
FieldPlan PlanPanels(const std::vector<OpticalSystem> &pupils, const Spectrum &spectrum, const FieldRequest &request);

} // namespace diffrascope::optics
