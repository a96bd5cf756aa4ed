#pragma once
// Companions of the star on the axis. Over this small field the optics are
// isoplanatic: a star off the axis gives the same image, moved. The grid
// intensities of the star image fit their grid (their spectrum, the pupil's
// autocorrelation, ends well inside the grid's frequencies), so a shift by a
// phase ramp on the spectrum moves the image exactly, by any fraction of a pixel.

#include <vector>

#include "Control.h"
#include "Fourier.h"
#include "Imager.h"
#include "Sky.h"

namespace diffrascope::optics {

// Grid pixels from the axis to a companion: along grid rows i (the picture's
// x, right) and grid columns j (the picture's y, down).
struct GridOffset {
    double i = 0;
    double j = 0;
};

// The companion's place for a grid pixel of the given arcseconds.
GridOffset CompanionOffset(const Companion &companion, double arcsecondsPerPixel);

// The light of a companion relative to the star: 10^(-0.4 DMAG).
double CompanionBrightness(const Companion &companion);

// Adds to the image a copy of itself for each companion, moved to its place
// and scaled to its brightness; the transform is of the image's side. The
// light that leaves one edge of the grid comes back at the other, as the
// star image's own far field does.
void AddCompanions(IntensityImage &image, const std::vector<Companion> &companions, double arcsecondsPerPixel,
                   ImageTransform &transform, const Checkpoint &checkpoint = Checkpoint());

} // namespace diffrascope::optics
