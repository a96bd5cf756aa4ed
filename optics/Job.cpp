#include "Job.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "Limits.h"
#include "OpticsError.h"
#include "Units.h"
#include "WavefrontMap.h"
#include "WorkerPool.h" // kMaxThreads

namespace diffrascope::optics {
namespace {

std::string Number(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

void Check(const Limit &limit, double value) {
    if (!limit.Admits(value)) {
        throw ParameterError(limit.parameter, Number(value) + " lies outside " + limit.text);
    }
}

// A fraction of the diameter against a limit in percent, at the same ends as FractionOfPercent gives.
void CheckFraction(const Limit &limit, double fraction) {
    const bool above = limit.aboveMin ? fraction > FractionOfPercent(limit.min) : fraction >= FractionOfPercent(limit.min);
    if (!above || !(fraction <= FractionOfPercent(limit.max))) {
        throw ParameterError(limit.parameter, Number(fraction) + " of the diameter lies outside " + limit.text);
    }
}

// The angle of a term, named by the term's own parameter.
Limit AngleOf(const Limit &term) { return {term.parameter, kAngleLimit.min, kAngleLimit.max, false, kAngleLimit.text}; }

void CheckCount(const char *parameter, std::size_t count, std::int32_t most, const char *what) {
    if (count > static_cast<std::size_t>(most)) {
        throw ParameterError(parameter, "more than " + std::to_string(most) + " " + what);
    }
}

void CheckSystem(const OpticalSystem &system) {
    const Aberrations &ab = system.aberrations;
    Check(kSphericalLimit, ab.spherical);
    Check(kFocusLimit, ab.focus);
    CheckFraction(kObstructionLimit, system.aperture.obstruction);
    Check(kWavelengthLimit, system.wavelength);
    Check(kComaLimit, ab.coma.waves);
    Check(kAstigmatismLimit, ab.astigmatism.waves);
    Check(AngleOf(kComaLimit), ab.coma.degrees);
    Check(AngleOf(kAstigmatismLimit), ab.astigmatism.degrees);
    CheckCount(kZernikeLimit.parameter, ab.zernike.size(), kLastZernike - kFirstZernike + 1, "terms");
    for (std::size_t k = 0; k < ab.zernike.size(); ++k) {
        const ZernikeTerm &term = ab.zernike[k];
        if (term.noll < kFirstZernike || term.noll > kLastZernike) {
            throw ParameterError(kZernikeLimit.parameter, "the Noll index " + std::to_string(term.noll) +
                                                              " lies outside 2 to 37");
        }
        Check(kZernikeLimit, term.waves);
        for (std::size_t earlier = 0; earlier < k; ++earlier) {
            if (ab.zernike[earlier].noll == term.noll) {
                throw ParameterError(kZernikeLimit.parameter, "J = " + std::to_string(term.noll) + " is given twice");
            }
        }
    }
    const Spider &spider = system.aperture.spider;
    if (spider.vanes < 0 || spider.vanes > kMaxVanes) {
        throw ParameterError(kVaneWidthLimit.parameter, std::to_string(spider.vanes) + " vanes lie outside 0 to " +
                                                            std::to_string(kMaxVanes));
    }
    if (spider.vanes > 0) {
        CheckFraction(kVaneWidthLimit, spider.width);
        Check(AngleOf(kVaneWidthLimit), spider.degrees);
    }
}

void CheckFigure(const OpticalSystem &system) {
    const Figure &figure = system.figure;
    Check(kEdgeDepthLimit, figure.edge.depth);
    Check(kEdgeStartLimit, figure.edge.start);
    CheckCount(kZoneRadiusLimit.parameter, figure.zones.size(), kMaxZones, "zones");
    for (const Zone &zone : figure.zones) {
        Check(kZoneRadiusLimit, zone.radius);
        Check(kZoneHeightLimit, zone.height);
        Check(kZoneWidthLimit, zone.width);
    }
    const Roughness &roughness = figure.roughness;
    Check(kRoughnessLimit, roughness.rms);
    if (roughness.rms != 0 && (roughness.from < kMinRoughnessFrequency || roughness.to > kMaxRoughnessFrequency ||
        roughness.from >= roughness.to)) {
        throw ParameterError(kRoughnessLimit.parameter,
                             "the band " + std::to_string(roughness.from) + ":" + std::to_string(roughness.to) +
                                 " is not FROM:TO with " + std::to_string(kMinRoughnessFrequency) +
                                 " <= FROM < TO <= " + std::to_string(kMaxRoughnessFrequency) +
                                 " cycles per diameter");
    }
    if (figure.measured) {
        CheckMapCovers(*figure.measured, system);
    }
}

void CheckLight(const Spectrum &light) {
    CheckCount("spectrum", light.lines.size(), kMaxSpectralLines, "wavelengths");
    bool anyLight = light.lines.empty();
    for (std::size_t k = 0; k < light.lines.size(); ++k) {
        const SpectralLine &line = light.lines[k];
        Check({"spectrum", kWavelengthLimit.min, kWavelengthLimit.max, false, kWavelengthLimit.text}, line.nanometres);
        if (!(line.weight >= 0) || !std::isfinite(line.weight)) {
            throw ParameterError("spectrum", "the weight " + Number(line.weight) + " is not a finite number of at least 0");
        }
        for (std::size_t earlier = 0; earlier < k; ++earlier) {
            if (light.lines[earlier].nanometres == line.nanometres) {
                throw ParameterError("spectrum", "the wavelength " + Number(line.nanometres) + " nm is given twice");
            }
        }
        anyLight = anyLight || line.weight > 0;
    }
    if (!anyLight) {
        throw ParameterError("spectrum", "every weight is 0");
    }
}

void CheckLayout(const Job &job) {
    if (job.apertureMm) {
        Check(kApertureLimit, *job.apertureMm);
    }
    if (job.grid && !IsGridSize(*job.grid)) {
        throw ParameterError("grid", std::to_string(*job.grid) + " is not 256, 512, 1024, 2048 or 4096");
    }
    if (job.panels.IsSheet() && job.layout != Layout::Panels) {
        throw ParameterError("view", "a star test or through-focus sheet is drawn as panels, not as a view");
    }
    if (job.layout == Layout::Panels) {
        if (job.side < kMinPanelSide || job.side > kMaxPanelSide) {
            throw ParameterError("panel", std::to_string(job.side) + " pixels lie outside 32 to 2048");
        }
        if (job.grid && *job.grid < job.side) {
            throw ParameterError("panel", "a panel of " + std::to_string(job.side) +
                                              " pixels is larger than the grid of " + std::to_string(*job.grid));
        }
        if (job.field) {
            Check(kFieldLimit, *job.field);
        }
    }
    if (job.focusField) {
        if (job.panels.kind != Panels::Kind::StarTest) {
            throw ParameterError(kFocusFieldLimit.parameter, "only a star test has a focus panel of its own field");
        }
        Check(kFocusFieldLimit, *job.focusField);
    }
    Check(kDecadesLimit, job.display.decades);
    CheckCount(kRadiusLimit.parameter, job.encircledRadii.size(), kMaxRadii, "radii");
    for (double radius : job.encircledRadii) {
        Check(kRadiusLimit, radius);
    }
    if (job.threads < 0 || job.threads > kMaxThreads) {
        throw ParameterError("threads", std::to_string(job.threads) + " lies outside 0 to " +
                                            std::to_string(kMaxThreads));
    }
}

// Companions or an object, which need an angular scale, and not both.
void CheckSky(const Job &job) {
    const Sky &sky = job.sky;
    if (!sky.Empty() && !job.apertureMm) {
        throw ParameterError(sky.object ? kObjectScaleLimit.parameter : kCompanionSeparationLimit.parameter,
                             "needs the aperture's diameter (aperture-mm) for an angular scale");
    }
    if (sky.object && !sky.companions.empty()) {
        throw ParameterError(kCompanionSeparationLimit.parameter, "companions and an object cannot be shown together");
    }
    CheckCount(kCompanionSeparationLimit.parameter, sky.companions.size(), kMaxCompanions, "companions");
    for (const Companion &companion : sky.companions) {
        Check(kCompanionSeparationLimit, companion.separation);
        Check(kCompanionMagnitudeLimit, companion.magnitudes);
        Check(AngleOf(kCompanionSeparationLimit), companion.positionAngle);
    }
    if (sky.object) {
        Check(kObjectScaleLimit, sky.object->arcsecondsPerPixel);
        const ObjectImage *image = sky.object->image.get();
        if (image == nullptr || image->width < 1 || image->height < 1 || image->width > kMaxObjectSide ||
            image->height > kMaxObjectSide ||
            image->values.size() != static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height)) {
            throw ParameterError("object", "the picture is not 1 to " + std::to_string(kMaxObjectSide) +
                                               " pixels along each side");
        }
        for (double value : image->values) {
            if (!(value >= 0) || !std::isfinite(value)) {
                throw ParameterError("object", "a pixel's brightness " + Number(value) + " is not a finite number of at least 0");
            }
        }
    }
}

} // namespace

void Validate(const Job &job) {
    CheckSystem(job.system);
    CheckFigure(job.system);
    CheckLight(job.light);
    CheckLayout(job);
    CheckSky(job);
    ValidateSeeing(job);
}

} // namespace diffrascope::optics
