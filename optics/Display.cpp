#include "Display.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "Errors.h"
#include "Intensities.h"

namespace diffrascope::optics {
namespace {

constexpr double kLogScale = 255;
constexpr std::int32_t kWhite = 255;
constexpr std::int32_t kBlack = 0;

// The mean of the bin x bin block whose first grid row and column are given;
// a single pixel is its own intensity, exactly.
double BlockMean(const IntensityImage &image, std::int32_t row, std::int32_t column, std::int32_t bin) {
    double sum = 0;
    for (std::int32_t i = row; i < row + bin; ++i) {
        const double *line = image.values.data() + static_cast<std::ptrdiff_t>(i) * image.n;
        for (std::int32_t j = column; j < column + bin; ++j) {
            sum += line[j];
        }
    }
    return sum / (static_cast<double>(bin) * bin);
}

// The brightest block of the whole grid, tiled as the view tiles it.
double BrightestBlock(const IntensityImage &image, const PanelView &view) {
    if (view.bin == 1) {
        return image.maximum;
    }
    double brightest = 0;
    const std::int32_t origin = view.first % view.bin;
    for (std::int32_t row = origin; row + view.bin <= image.n; row += view.bin) {
        for (std::int32_t column = origin; column + view.bin <= image.n; column += view.bin) {
            const double mean = BlockMean(image, row, column, view.bin);
            brightest = mean >= brightest ? mean : brightest;
        }
    }
    return brightest;
}

} // namespace

PanelView CentredView(std::int32_t n, std::int32_t side, std::int32_t bin) {
    PanelView view{side, bin, n / 2 - (side / 2) * bin - (bin - 1) / 2};
    if (side < 1 || bin < 1 || static_cast<std::int64_t>(side) * bin > n) {
        throw InvalidInputError("a panel of " + std::to_string(side) + " pixels of " + std::to_string(bin) + " x " +
                                std::to_string(bin) + " grid pixels does not fit a grid of " + std::to_string(n));
    }
    // A view as large as the grid starts at its edge, the centre a pixel off its block's middle.
    view.first = std::clamp(view.first, 0, n - side * bin);
    return view;
}

std::int32_t GreyLevel(double v, const DisplayScale &scale) {
    if (scale.scale == Scale::Amplitude) {
        return intensities::AmplitudeGrey(v);
    }
    double level = 0;
    if (v > 0) {
        level = kLogScale * (1 + std::log10(v) / scale.decades);
    }
    if (!(level > 0)) {
        return kBlack;
    }
    const auto grey = static_cast<std::int32_t>(level < kWhite + 1 ? level : kWhite + 1); // truncation toward zero
    return grey >= kWhite ? kWhite : grey;
}

void MakePanel(const IntensityImage &image, const PanelView &view, const DisplayScale &scale, Keep keep,
               Panel &panel) {
    const double peak = BrightestBlock(image, view);
    if (peak == 0) {
        throw ZeroDivisionError();
    }
    const double factor = 1 / peak;
    const std::size_t count = static_cast<std::size_t>(view.side) * view.side;
    panel.view = view;
    panel.values.resize(keep == Keep::Intensities ? count : 0);
    panel.grey.resize(count);
    double *values = panel.values.empty() ? nullptr : panel.values.data();
    for (std::int32_t x = 0; x < view.side; ++x) {
        const std::size_t k = static_cast<std::size_t>(x) * view.side;
        if (view.bin == 1 && scale.scale == Scale::Amplitude) {
            const double *row = image.values.data() + static_cast<std::ptrdiff_t>(view.first + x) * image.n + view.first;
            intensities::MapAmplitudeRow(factor, row, view.side, panel.grey.data() + k,
                                         values == nullptr ? nullptr : values + k);
            continue;
        }
        for (std::int32_t y = 0; y < view.side; ++y) {
            const double v =
                factor * BlockMean(image, view.first + x * view.bin, view.first + y * view.bin, view.bin);
            if (values != nullptr) {
                values[k + y] = v;
            }
            panel.grey[k + y] = GreyLevel(v, scale);
        }
    }
}

Panel MakePanel(const IntensityImage &image, const PanelView &view, const DisplayScale &scale) {
    Panel panel;
    MakePanel(image, view, scale, Keep::Intensities, panel);
    return panel;
}

} // namespace diffrascope::optics
