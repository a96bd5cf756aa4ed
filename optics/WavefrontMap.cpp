#include "WavefrontMap.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "Limits.h"
#include "OpticsError.h"
#include "Roughness.h"

namespace diffrascope::optics {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr double kEdgeTolerance = 1e-6;    // pixels: a pupil that ends on the map's outer pixel edge fits
constexpr double kApertureMargin = 1e-9;   // pupil radii: pixels this close to a rim may hold NaN
constexpr std::int32_t kAnyGrid = 64;      // a sampler's grid for the aperture's test alone
constexpr double kSamplesPerCycle = 8;     // of roughness's highest frequency, for its slope
constexpr std::int32_t kMaxSlopeSide = 1025; // points along each side of the slope's sampling

std::string Text(double value) { return std::to_string(value); }

// Every non-finite pixel next to finite ones takes their mean, ring by ring outward.
std::vector<double> Filled(std::int32_t width, std::int32_t height, const std::vector<double> &values) {
    std::vector<double> filled(values.size());
    std::transform(values.begin(), values.end(), filled.begin(),
                   [](double v) { return std::isfinite(v) ? v : kNoValue; });
    const std::size_t count = filled.size();
    std::vector<std::uint8_t> queued(count, 0);
    // Calls visit(neighbour index) for the eight neighbours of pixel k that lie on the map.
    auto forNeighbours = [&](std::size_t k, auto visit) {
        const std::int32_t i = static_cast<std::int32_t>(k % width);
        const std::int32_t j = static_cast<std::int32_t>(k / width);
        for (std::int32_t nj = std::max(j - 1, 0); nj <= std::min(j + 1, height - 1); ++nj) {
            for (std::int32_t ni = std::max(i - 1, 0); ni <= std::min(i + 1, width - 1); ++ni) {
                if (ni != i || nj != j) {
                    visit(static_cast<std::size_t>(nj) * width + ni);
                }
            }
        }
    };
    std::vector<std::size_t> ring;
    for (std::size_t k = 0; k < count; ++k) {
        if (!std::isnan(filled[k])) {
            forNeighbours(k, [&](std::size_t n) {
                if (std::isnan(filled[n]) && !queued[n]) {
                    queued[n] = 1;
                    ring.push_back(n);
                }
            });
        }
    }
    std::vector<double> means;
    std::vector<std::size_t> next;
    while (!ring.empty()) {
        means.clear();
        for (std::size_t k : ring) { // from the rings before this one only
            double sum = 0;
            std::int32_t finite = 0;
            forNeighbours(k, [&](std::size_t n) {
                if (!std::isnan(filled[n])) {
                    sum += filled[n];
                    ++finite;
                }
            });
            means.push_back(sum / finite);
        }
        next.clear();
        for (std::size_t m = 0; m < ring.size(); ++m) {
            filled[ring[m]] = means[m];
        }
        for (std::size_t k : ring) {
            forNeighbours(k, [&](std::size_t n) {
                if (std::isnan(filled[n]) && !queued[n]) {
                    queued[n] = 1;
                    next.push_back(n);
                }
            });
        }
        ring.swap(next);
    }
    return filled;
}

bool Finite(const MapGeometry &g) {
    return std::isfinite(g.centreX) && std::isfinite(g.centreY) && std::isfinite(g.radius) && g.radius > 0;
}

// The pupil's circle lies on the map: within the outer edges of its outer pixels.
bool PupilOnMap(const MapGeometry &g, std::int32_t width, std::int32_t height) {
    const double low = -0.5 - kEdgeTolerance;
    return g.centreX - g.radius >= low && g.centreY - g.radius >= low &&
           g.centreX + g.radius <= width - 1 + 0.5 + kEdgeTolerance &&
           g.centreY + g.radius <= height - 1 + 0.5 + kEdgeTolerance;
}

OpticalSystem ApertureOf(const OpticalSystem &system) {
    OpticalSystem bare;
    bare.aperture = system.aperture;
    bare.wavelength = system.wavelength;
    return bare;
}

// Values on the square sampling xs x xs, row r at x = xs[r], column c at y = xs[c].
std::vector<double> IrregularOnSquare(const OpticalSystem &system, const std::vector<double> &xs,
                                      const PupilSampler &aperture) {
    const std::size_t side = xs.size();
    std::vector<double> values(side * side, 0.0);
    const std::vector<ColumnSpan> spans(side, ColumnSpan{0, static_cast<std::int32_t>(side) - 1});
    if (system.figure.HasRoughness()) {
        RoughnessModes(system.figure.roughness).Evaluate(xs, xs, spans, values);
        // scaled to its RMS about the mean over the lit points of this sampling
        double sum = 0;
        double squares = 0;
        std::int64_t lit = 0;
        for (std::size_t r = 0; r < side; ++r) {
            for (std::size_t c = 0; c < side; ++c) {
                if (aperture.Transmits(xs[r], xs[c])) {
                    sum += values[r * side + c];
                    squares += values[r * side + c] * values[r * side + c];
                    ++lit;
                }
            }
        }
        const double mean = lit > 0 ? sum / static_cast<double>(lit) : 0;
        const double variance = lit > 0 ? squares / static_cast<double>(lit) - mean * mean : 0;
        const double scale = variance > 0 ? system.figure.roughness.rms / std::sqrt(variance) : 0;
        for (double &v : values) {
            v = v * scale;
        }
    }
    if (system.figure.measured) {
        const WavefrontMap &map = *system.figure.measured;
        const MapGeometry &g = map.Geometry();
        const double perUnit = map.WavesPerUnit(system.wavelength, system.wavelength);
        for (std::size_t r = 0; r < side; ++r) {
            for (std::size_t c = 0; c < side; ++c) {
                values[r * side + c] += perUnit * map.Interpolated(g.centreX + xs[r] * g.radius, g.centreY + xs[c] * g.radius);
            }
        }
    }
    return values;
}

} // namespace

MapGeometry SpanningGeometry(std::int32_t width, std::int32_t height) {
    return {(width - 1) / 2.0, (height - 1) / 2.0, width / 2.0};
}

WavefrontMap::WavefrontMap(std::int32_t width, std::int32_t height, std::vector<double> values, WavefrontUnit unit,
                           const MapGeometry &geometry, std::string source)
    : width_(width), height_(height), values_(std::move(values)), unit_(unit), geometry_(geometry),
      source_(std::move(source)) {
    const std::string sides = std::to_string(kMinWavefrontSide) + " to " + std::to_string(kMaxWavefrontSide);
    if (width < kMinWavefrontSide || width > kMaxWavefrontSide || height < kMinWavefrontSide ||
        height > kMaxWavefrontSide) {
        throw ParameterError("wavefront", "a map of " + std::to_string(width) + " x " + std::to_string(height) +
                                              " pixels; each side must be " + sides + " pixels");
    }
    if (values_.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        throw ParameterError("wavefront", std::to_string(values_.size()) + " values for a map of " +
                                              std::to_string(width) + " x " + std::to_string(height) + " pixels");
    }
    if (!Finite(geometry_)) {
        throw ParameterError("wavefront", "the pupil's centre and radius must be finite, the radius above 0");
    }
    if (!PupilOnMap(geometry_, width, height)) {
        throw ParameterError("wavefront", "the pupil of radius " + Text(geometry_.radius) + " pixels about (" +
                                              Text(geometry_.centreX) + ", " + Text(geometry_.centreY) +
                                              ") reaches beyond the map's " + std::to_string(width) + " x " +
                                              std::to_string(height) + " pixels");
    }
    filled_ = Filled(width, height, values_);
    if (std::isnan(filled_.front())) {
        throw ParameterError("wavefront", "the map holds no finite value");
    }
}

double WavefrontMap::Interpolated(double column, double row) const {
    column = std::clamp(column, 0.0, static_cast<double>(width_ - 1));
    row = std::clamp(row, 0.0, static_cast<double>(height_ - 1));
    const std::int32_t i = std::min(static_cast<std::int32_t>(column), width_ - 2);
    const std::int32_t j = std::min(static_cast<std::int32_t>(row), height_ - 2);
    const double fx = column - i;
    const double fy = row - j;
    const double *below = filled_.data() + static_cast<std::size_t>(j) * width_ + i;
    const double *above = below + width_;
    // (1 - f) a + f b: a pixel centre gives its own value exactly
    const double lower = (1 - fx) * below[0] + fx * below[1];
    const double upper = (1 - fx) * above[0] + fx * above[1];
    return (1 - fy) * lower + fy * upper;
}

double WavefrontMap::WavesPerUnit(double reference, double wavelength) const {
    return unit_ == WavefrontUnit::Nanometres ? 1 / wavelength : reference / wavelength;
}

void CheckMapCovers(const WavefrontMap &map, const OpticalSystem &system) {
    const PupilSampler aperture(ApertureOf(system), kAnyGrid, system.wavelength);
    const MapGeometry &g = map.Geometry();
    std::int64_t inside = 0;
    for (std::int32_t j = 0; j < map.Height(); ++j) {
        for (std::int32_t i = 0; i < map.Width(); ++i) {
            const double x = (i - g.centreX) / g.radius;
            const double y = (j - g.centreY) / g.radius;
            if (!aperture.Transmits(x, y, kApertureMargin)) {
                continue;
            }
            if (!std::isfinite(map.Value(i, j))) {
                throw ParameterError("wavefront", "the map is not finite inside the aperture, at pixel (" +
                                                      std::to_string(i + 1) + ", " + std::to_string(j + 1) +
                                                      ") counted from 1 as FITS counts (the aperture is the "
                                                      "obstruction's and the spider's, not the map's)");
            }
            ++inside;
        }
    }
    if (inside == 0) {
        throw ParameterError("wavefront", "no pixel of the map lies inside the aperture");
    }
}

WavefrontMap SampledWavefront(const OpticalSystem &system, std::int32_t n) {
    const PupilSampler pupil(system, n, system.wavelength);
    const std::int32_t radius = pupil.Radius();
    const std::int32_t centre = radius + 1; // one pixel of NaN around the box
    const std::int32_t side = 2 * centre + 1;
    std::vector<double> values(static_cast<std::size_t>(side) * side);
    for (std::int32_t j = 0; j < side; ++j) {
        for (std::int32_t i = 0; i < side; ++i) {
            // column i lies at x = -a / R: a = centre - i; row j at y = b / R: b = j - centre
            values[static_cast<std::size_t>(j) * side + i] = pupil.Sampled(centre - i, j - centre);
        }
    }
    return WavefrontMap(side, side, std::move(values), WavefrontUnit::Waves,
                        {static_cast<double>(centre), static_cast<double>(centre), pupil.GridRadius()});
}

std::vector<SlopeSample> IrregularSlopes(const OpticalSystem &system) {
    const Figure &figure = system.figure;
    if (figure.Radial()) {
        return {};
    }
    // the finer of roughness's and the map's own spacing, at most kMaxSlopeSide points along a side
    double wanted = 1;
    if (figure.HasRoughness()) {
        wanted = std::min(wanted, 2 / (kSamplesPerCycle * figure.roughness.to));
    }
    if (figure.measured) {
        wanted = std::min(wanted, 1 / figure.measured->Geometry().radius);
    }
    const double step = std::max(wanted, 2.0 / (kMaxSlopeSide - 1));
    const std::int32_t side = static_cast<std::int32_t>(std::ceil(2 / step)) + 1;
    const double h = 2.0 / (side - 1);
    std::vector<double> xs(static_cast<std::size_t>(side));
    for (std::int32_t k = 0; k < side; ++k) {
        xs[k] = -1 + k * h;
    }
    const PupilSampler aperture(ApertureOf(system), kAnyGrid, system.wavelength);
    const std::vector<double> w = IrregularOnSquare(system, xs, aperture);
    auto at = [&](std::int32_t r, std::int32_t c) { return w[static_cast<std::size_t>(r) * side + c]; };
    std::vector<SlopeSample> slopes;
    for (std::int32_t r = 0; r + 1 < side; ++r) {
        for (std::int32_t c = 0; c + 1 < side; ++c) {
            const Vector2 centre{xs[r] + h / 2, xs[c] + h / 2};
            if (!aperture.Transmits(centre.x, centre.y)) {
                continue;
            }
            // the cell's mean differences along x (rows) and y (columns)
            const double gx = ((at(r + 1, c) - at(r, c)) + (at(r + 1, c + 1) - at(r, c + 1))) / (2 * h);
            const double gy = ((at(r, c + 1) - at(r, c)) + (at(r + 1, c + 1) - at(r + 1, c))) / (2 * h);
            slopes.push_back({centre, {gx, gy}});
        }
    }
    return slopes;
}

} // namespace diffrascope::optics
