#pragma once
// What lies in the sky besides the star on the axis: fainter companions,
// or an extended object in place of the star; and how the intensities of
// every output are normalised. The star image of the optics is computed
// first; the sky is laid over it on the grid, before the panels are cut.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace diffrascope::optics {

// Another star: SEP arcseconds from the axis, DMAG magnitudes fainter, at a
// position angle counted as astronomers do, from north (the picture's +y)
// through east (the picture's -x).
struct Companion {
    double separation = 0;     // arcseconds
    double magnitudes = 0;     // fainter than the star on the axis
    double positionAngle = 90; // degrees

    bool operator==(const Companion &) const = default;
};

// A grey picture of an object, row-major with the top row first, as PNG and
// PGM hold it (north up, east left).
struct ObjectImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<double> values; // brightness, any unit, at least 0
    std::string name;           // the file it came from, for messages

    double At(std::int32_t column, std::int32_t row) const {
        return values[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + column];
    }
};

struct SkyObject {
    std::shared_ptr<const ObjectImage> image;
    double arcsecondsPerPixel = 0;
};

enum class Normalization {
    Peak, // the brightest pixel of the field is 1
    Flux, // the pixels add up to 1 (an object: to the sum of its own pixels)
};

struct Sky {
    std::vector<Companion> companions;
    std::optional<SkyObject> object;
    Normalization normalization = Normalization::Peak;

    bool Empty() const { return companions.empty() && !object; }
};

} // namespace diffrascope::optics
