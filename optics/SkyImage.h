#pragma once
// The sky seen through the optics, on the grid: what a panel shows once the
// star image is computed. Companions add moved copies of the star image; an
// object replaces it by their convolution. Then the panel's intensities are
// normalised, to the brightest pixel or to the flux.

#include <complex>
#include <optional>
#include <string>
#include <vector>

#include "Control.h"
#include "Display.h"
#include "Fourier.h"
#include "Imager.h"
#include "Sky.h"

namespace diffrascope::optics {

// Arcseconds per grid pixel: lambda/D in arcseconds times the grid's pixel
// scale in lambda/D; nothing without an aperture.
std::optional<double> GridArcseconds(std::optional<double> apertureMm, double wavelength, double pixelScale);

class SkyImager {
  public:
    // threads for the transforms: 0, DIFFRASCOPE_THREADS, else every core.
    explicit SkyImager(std::int32_t threads = 0) : threads_(threads) {}

    // The grid intensities the panels show: the star image itself when the
    // sky holds nothing more, else the sky seen through it (kept until the
    // next call). gridArcseconds is needed when it does.
    const IntensityImage &Apply(const IntensityImage &star, const Sky &sky, std::optional<double> gridArcseconds,
                                const Checkpoint &checkpoint = Checkpoint());

    // The grid intensity that is one unit of flux in the last image: the
    // sum of the star's and its companions' light, or 1 for an object (the
    // convolution is in the object's own units).
    double FluxUnit() const { return fluxUnit_; }

  private:
    ImageTransform &TransformOf(std::int32_t n);

    // The object's spectrum, kept while the object and the grid stay the same.
    struct ObjectKey {
        std::shared_ptr<const ObjectImage> image; // held, so that its address stays its own
        double arcsecondsPerPixel = 0;
        double gridArcseconds = 0;
        std::int32_t n = 0;

        bool operator==(const ObjectKey &) const = default;
    };
    const std::vector<std::complex<double>> &ObjectSpectrumOf(const SkyObject &object, double gridArcseconds,
                                                             std::int32_t n, const Checkpoint &checkpoint);

    std::int32_t threads_;
    IntensityImage image_;
    std::optional<ImageTransform> transform_;
    std::optional<ObjectKey> objectKey_;
    std::vector<std::complex<double>> objectSpectrum_;
    double fluxUnit_ = 1;
};

// A panel's intensities as fractions of the flux: each the light in its
// pixel (its block's sum of grid intensities) over the flux unit. Its grey
// levels stay as they are, the brightest white.
void NormalizeToFlux(Panel &panel, double fluxUnit);

// Warnings for what the panels cannot show: a companion outside the field
// of `width` lambda/D, an object larger than it.
std::vector<std::string> SkyWarnings(const Sky &sky, double lambdaOverDArcseconds, double width);

} // namespace diffrascope::optics
