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
// The slope is that of the whole wavefront: the analytic terms' gradient
// (aberrations, turned edge, zones; finely across each zone), and for
// roughness and a measured map the finite differences of their own sampling
// on a square of up to 1025 x 1025 points (eight points to a cycle of the
// roughness's highest frequency, or the map's own pixel spacing).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Control.h"
#include "Display.h"
#include "Light.h"
#include "OpticalSystem.h"

namespace diffrascope::optics {

// The steepest slope of the wavefront over the annulus, in waves per pupil
// radius, at the reference wavelength; sampled on 49 circles of 360 points
// (and more across the zones, and the irregular errors' own square sampling).
double SteepestSlope(const OpticalSystem &system);

// Radius of the geometric blur disc, in lambda/D at the reference wavelength.
double BlurRadius(const OpticalSystem &system);

// What one system at several focus settings (a sheet's panels) asks of a
// grid: the wavefront's gradient without the focus is sampled once, and each
// focus adds its own 2 F (x, y).
class SamplingNeeds {
  public:
    SamplingNeeds(const OpticalSystem &system, const std::vector<double> &focus, const Spectrum &spectrum,
                  const Checkpoint &checkpoint = Checkpoint());
    // The system at its own focus.
    explicit SamplingNeeds(const OpticalSystem &system, const Spectrum &spectrum = Spectrum());

    double Slope() const { return slope_; } // the steepest of all, waves per pupil radius
    double Reference() const { return reference_; }
    double Longest() const { return longest_; } // the spectrum's longest wavelength, nm
    // How far roughness scatters light, lambda/D of the reference: its highest
    // frequency at the longest wavelength; 0 without roughness.
    double Halo() const { return frequency_ * longest_ / reference_; }

    // The smallest grid from 256 to 4096 that samples the wavefront, draws
    // the vanes at least a grid step wide and gives roughness's highest
    // frequency two grid steps to a cycle; nothing if none does.
    std::optional<std::int32_t> SmallestGrid() const;
    // Why a grid does not (the phase, the blur disc, the vanes, roughness), with the
    // smallest grid that would; empty when it does.
    std::vector<std::string> Warnings(std::int32_t n) const;
    // The grid size that would do, not yet a power of two.
    double GridNeeded() const { return grid_; }

  private:
    void Settle(const OpticalSystem &system, const Spectrum &spectrum);

    double slope_ = 0;
    double reference_ = 550;
    double longest_ = 550;
    double vaneWidth_ = 0; // fraction of the diameter; 0 without vanes
    std::int32_t frequency_ = 0; // roughness's highest, cycles per diameter; 0 without roughness
    double grid_ = 0;
};

struct FieldRequest {
    std::optional<std::int32_t> grid; // else the smallest that samples the pupils and holds the field
    std::int32_t side = 256;          // panel pixels
    std::optional<double> width;      // lambda/D; else the largest blur disc with a margin
    std::optional<double> focusWidth; // lambda/D the focus panel shows, when it has a field of its own
};

struct FieldPlan {
    std::int32_t grid = 0;
    PanelView view;
    double pixelScale = 0; // lambda/D per grid pixel, at the reference wavelength
    double width = 0;      // lambda/D the panels show: side x bin x pixelScale
    std::optional<PanelView> focusView; // the focus panel's own, with FieldRequest::focusWidth
    double focusWidth = 0;
    std::vector<std::string> warnings;
};

// Grid pixels along each side of a panel pixel for a panel of `side` pixels
// to show at least `width` lambda/D; at least 1.
std::int32_t BinOfField(double width, std::int32_t side, double pixelScale);

// Panels that show the largest blur disc with a margin (a fifth of its
// radius), or roughness's halo if it reaches further, and eight lambda/D of
// the longest wavelength for the rings beyond, averaging blocks of grid pixels where the field has more pixels
// than the panel. Throws ParameterError when a given grid is smaller than the panel.
FieldPlan PlanPanels(const SamplingNeeds &needs, const FieldRequest &request);

} // namespace diffrascope::optics
