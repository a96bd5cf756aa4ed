#pragma once
// Seeing: the star image through Kolmogorov turbulence.
//
// Conventions, as the user meets them:
//  - r0, the Fried parameter, is given in cm at 500 nm and scales as
//    lambda^(6/5): r0(lambda) = r0 (lambda / 500)^(6/5). The turbulence's
//    optical path is the same at every wavelength, so a screen's phase in
//    waves scales as lambda_ref / lambda, as the aberrations' does;
//  - the long exposure's transfer function is the telescope's times
//    exp(-3.44 (nu D / r0)^(5/3)), nu the spatial frequency in units of the
//    cut-off D / lambda and r0 that of the wavelength;
//  - a short exposure looks through one phase screen over the pupil: phase
//    with the power spectrum 0.023 r0^(-5/3) f^(-11/3) (f in cycles per unit
//    length), drawn by the Fourier transform of weighted normal draws on a
//    square twice the pupil's box, plus levels of 3 x 3 subharmonics that
//    put back the low frequencies a finite square misses; the same seed
//    gives the same screens everywhere.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Fourier.h"
#include "Random.h"

namespace diffrascope::optics {

struct Job;
struct OpticalSystem;
struct PanelFocus;
struct Spectrum;
struct IntensityImage;
class Imager;
class Checkpoint;
class WavefrontMap;

struct Seeing {
    double r0 = 10;          // cm at 500 nm
    std::int32_t frames = 0; // 0: the long exposure; else this many short exposures
    bool average = false;    // the frames' mean, else a sheet of the first frames
    std::uint32_t seed = 1;

    bool operator==(const Seeing &) const = default;
};

inline constexpr double kSeeingReference = 500;       // nm at which r0 is given
inline constexpr double kStructureCoefficient = 6.88; // D(r) = 6.88 (r / r0)^(5/3) rad^2
inline constexpr double kLongExposureCoefficient = 3.44;
inline constexpr double kSeeingFwhm = 0.98; // the long exposure's FWHM in lambda / r0, when D >> r0

// r0 in cm at `wavelength` (nm) from r0 in cm at 500 nm.
double FriedParameter(double r0At500, double wavelength);

// exp(-3.44 (nu D / r0)^(5/3)): the atmosphere's long-exposure transfer at
// frequency nu, units of the cut-off D / lambda.
double SeeingTransfer(double nu, double diameterOverR0);

// Kolmogorov phase screens of side x side samples, in radians, one after
// another from the seed; r0 in samples. Element [i][j] at i side + j. The
// transforms take `threads` (0: DIFFRASCOPE_THREADS, else every core); the
// screens are the same for any count.
class PhaseScreens {
  public:
    PhaseScreens(std::int32_t side, double r0, std::uint64_t seed, std::int32_t threads = 0);

    std::int32_t Side() const { return side_; }
    std::vector<double> Next();

  private:
    void AddHighFrequencies(std::vector<double> &screen);
    void AddLowFrequencies(std::vector<double> &screen);
    double Spectrum(double fu, double fv) const; // the phase's power spectrum, rad^2 per (cycle per sample)^2
    double CellVariance(double fu, double fv, double step) const;

    std::int32_t side_;
    std::int32_t square_; // of the transform, a power of two at least twice the side
    double r0_;
    Draws draws_;
    ImageTransform transform_;
    std::vector<double> amplitudes_;    // of the square's frequencies, radians, [u M + v]
    std::vector<double> subharmonics_;  // of each level's 3 x 3 frequencies, radians
};

// The screens of a system's frames as wavefront maps over its pupil on the
// grid of side n: waves at the system's reference wavelength, one map pixel
// per grid step there, the pupil's centre on a pixel.
class FrameScreens {
  public:
    FrameScreens(const OpticalSystem &system, const Seeing &seeing, double apertureMm, std::int32_t n,
                 std::int32_t threads = 0);

    std::shared_ptr<const WavefrontMap> Next();
    double R0Steps() const { return r0Steps_; } // r0 at the reference wavelength in grid steps

  private:
    std::int32_t half_; // map pixels either side of the centre
    double radius_;     // the pupil's, grid steps
    double r0Steps_;
    PhaseScreens screens_;
};

// Blurs one wavelength's intensities on the grid of side n by the long
// exposure's transfer function (Imager's LineFilter).
class LongExposure {
  public:
    LongExposure(std::int32_t n, double r0At500, double apertureMm, std::int32_t threads = 0);
    void operator()(double wavelength, std::vector<double> &values);

  private:
    ImageTransform transform_;
    double r0At500_;
    double diameterCm_;
};

// Throws ParameterError for r0 outside its limit, seeing without the
// aperture's diameter, frames outside their limit, a mean without frames, or
// a sheet of frames asked of a star test or through-focus range.
void ValidateSeeing(const Job &job);

// The panels of a job: its own, or for a sheet of frames one panel per frame
// shown ("frame 1", "frame 2", ...), at most kMaxPanels.
std::vector<PanelFocus> SeeingPanels(const Job &job, std::vector<PanelFocus> panels);

// Why a grid of side n does not serve the job's seeing: its r0 at the
// shortest wavelength spans too few grid steps for the screens' phase and
// the field to hold the seeing disc, or the panels' field (lambda/D) is
// narrower than the disc; empty when it does or without seeing.
std::vector<std::string> SeeingWarnings(const Job &job, std::int32_t n, double width);
// The smallest grid size at which r0 spans enough grid steps; nothing beyond the largest.
std::optional<std::int32_t> SeeingGrid(const Job &job);
// The least field (lambda/D) that holds the seeing disc: two of its FWHMs.
double SeeingField(const Job &job);

// The images of a job's panels through its seeing, one panel after another:
// the long exposure, the mean of the frames, or the next frame of a sheet.
class SeeingImages {
  public:
    SeeingImages(const Job &job, std::int32_t n, std::int32_t threads);
    ~SeeingImages();

    // Far fields each panel takes per line of the light.
    std::int32_t FramesPerPanel() const;
    // The system (its focus set for the panel) into `image`.
    void Compute(Imager &imager, const OpticalSystem &system, const Spectrum &light, IntensityImage &image,
                 Checkpoint &checkpoint);
    // The first frame's screen, for the wavefront the result samples; null without frames.
    std::shared_ptr<const WavefrontMap> FirstScreen() const { return first_; }

  private:
    std::shared_ptr<const WavefrontMap> Frame(FrameScreens &screens);

    const Job &job_;
    std::int32_t n_;
    std::int32_t threads_;
    std::optional<LongExposure> longExposure_;
    std::optional<FrameScreens> sheet_; // a sheet's frames, drawn panel by panel
    std::shared_ptr<const WavefrontMap> first_;
    std::vector<double> sum_;
};

} // namespace diffrascope::optics
