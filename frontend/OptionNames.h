#pragma once
// The renderer's option names, without their dashes: one list for the parser,
// the lab's controls and the Python module's keywords.

namespace diffrascope::frontend::name {
constexpr const char *kSpherical = "spherical";
constexpr const char *kFocus = "focus";
constexpr const char *kObstruction = "obstruction";
constexpr const char *kWavelength = "wavelength";
constexpr const char *kComa = "coma";
constexpr const char *kAstigmatism = "astigmatism";
constexpr const char *kZernike = "zernike";
constexpr const char *kSpider = "spider";
constexpr const char *kAperture = "aperture-mm";
constexpr const char *kTurnedEdge = "turned-edge";
constexpr const char *kZone = "zone";
constexpr const char *kRoughness = "roughness";
constexpr const char *kSeed = "seed";
constexpr const char *kWavefront = "wavefront";
constexpr const char *kWriteWavefront = "write-wavefront";
constexpr const char *kSeeing = "seeing";
constexpr const char *kSeeingFrames = "seeing-frames";
constexpr const char *kAverage = "average";
constexpr const char *kSpectrum = "spectrum";
constexpr const char *kFRatio = "f-ratio";
constexpr const char *kDefocusMm = "defocus-mm";
constexpr const char *kStarTest = "startest";
constexpr const char *kStarTestMm = "startest-mm";
constexpr const char *kThroughFocus = "through-focus";
constexpr const char *kPanel = "panel";
constexpr const char *kField = "field";
constexpr const char *kFocusField = "focus-field";
constexpr const char *kGrid = "grid";
constexpr const char *kView = "view";
constexpr const char *kDisplay = "display";
constexpr const char *kDecades = "decades";
constexpr const char *kStrict = "strict";
constexpr const char *kMetrics = "metrics";
constexpr const char *kEeRadii = "ee-radii";
constexpr const char *kMtf = "mtf";
constexpr const char *kOutput = "output";
constexpr const char *kCompanion = "companion";
constexpr const char *kObject = "object";
constexpr const char *kObjectScale = "object-scale";
constexpr const char *kNormalize = "normalize";
constexpr const char *kScaleBar = "scale-bar";
} // namespace diffrascope::frontend::name
