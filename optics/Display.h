#pragma once
// From intensities to what a picture shows: a square panel of the field,
// centred on the optical axis, where each picture pixel may average a block of
// grid pixels (a detector pixel integrates the light that falls on it); the
// panel normalised to the brightest block of the whole field; and the grey
// scales: the window's amplitude scale or a logarithmic one for faint rings.

#include <cstdint>
#include <vector>

#include "Imager.h"

namespace diffrascope::optics {

struct PanelView {
    std::int32_t side = 256; // picture pixels along each axis
    std::int32_t bin = 1;    // grid pixels per picture pixel along each axis
    std::int32_t first = 0;  // first grid row and column shown
};

// The view of side x side pixels of bin x bin grid pixels centred on grid
// point (n/2, n/2); side 256 and bin 1 is the window's crop, side n the whole
// grid. The block holding (n/2, n/2) has it in its middle (odd bins) or just
// past it, unless the view fills the grid. Throws ParameterError when the
// view does not fit the grid.
PanelView CentredView(std::int32_t n, std::int32_t side, std::int32_t bin);

enum class Scale { Amplitude, Log, Linear };

struct DisplayScale {
    Scale scale = Scale::Amplitude;
    double decades = 4; // Log: the faintest level shown is 10^-decades of the peak
};

inline constexpr double kMinDecades = 1;
inline constexpr double kMaxDecades = 10;

// Normalised intensity v (0 .. 1) to grey: Amplitude min(trunc(300 sqrt(v)), 255),
// the window's scale; Log trunc(255 (1 + log10(v) / decades)), clamped to 0 .. 255;
// Linear trunc(255 v), for extended objects, whose brightness it keeps in proportion.
std::int32_t GreyLevel(double v, const DisplayScale &scale);

struct Panel {
    PanelView view;
    // The picture, row-major with the top row first: pixel (x, y) at
    // y side + x, where picture column x is grid row first + x bin and
    // picture row y grid column first + y bin.
    std::vector<std::uint8_t> grey;
    // Block means divided by the brightest block of the whole field (so the
    // brightest is 1), row-major with the picture's bottom row first (+y up,
    // as FITS and astronomers' plots have it): pixel (x, y) at
    // (side - 1 - y) side + x. Empty unless asked for.
    std::vector<double> values;
    double brightest = 0; // the grid intensity of the brightest block, which `values` are divided by
};

enum class Keep { GreyLevels, Intensities };

// Fills the panel, reusing its memory. Throws NoLightError when the field
// holds no light at all.
void MakePanel(const IntensityImage &image, const PanelView &view, const DisplayScale &scale, Keep keep,
               Panel &panel);
// The same, grey levels and intensities, in a new panel.
Panel MakePanel(const IntensityImage &image, const PanelView &view, const DisplayScale &scale);

} // namespace diffrascope::optics
