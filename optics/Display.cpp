#include "Display.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "HugePages.h"
#include "Intensities.h"
#include "OpticsError.h"

namespace diffrascope::optics {
namespace {

constexpr double kPeakLevel = 255; // the peak is white (log and linear scales)
constexpr std::int32_t kBlack = 0;
constexpr std::int32_t kRowsAtOnce = 32; // grid rows mapped together, then written across the picture
constexpr std::int32_t kLinesAtOnce = 64; // picture rows written together from them

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

// The field as the panel sees it: single grid pixels, or the means of the
// bin x bin blocks of the whole grid, tiled as the view tiles it, each worked
// out once.
class BinnedField {
  public:
    BinnedField(const IntensityImage &image, const PanelView &view) : image_(image), view_(view) {
        if (view.bin == 1) {
            brightest_ = image.maximum;
            return;
        }
        const std::int32_t origin = view.first % view.bin;
        side_ = (image.n - origin) / view.bin;
        skip_ = (view.first - origin) / view.bin;
        means_.resize(static_cast<std::size_t>(side_) * side_);
        for (std::int32_t x = 0; x < side_; ++x) {
            for (std::int32_t y = 0; y < side_; ++y) {
                const double mean = BlockMean(image, origin + x * view.bin, origin + y * view.bin, view.bin);
                means_[static_cast<std::size_t>(x) * side_ + y] = mean;
                brightest_ = mean >= brightest_ ? mean : brightest_;
            }
        }
    }

    // The brightest pixel or block of the whole field.
    double Brightest() const { return brightest_; }

    // The panel's row x: view.side values from its first column on.
    const double *Row(std::int32_t x) const {
        if (view_.bin == 1) {
            return image_.values.data() + static_cast<std::ptrdiff_t>(view_.first + x) * image_.n + view_.first;
        }
        return means_.data() + static_cast<std::ptrdiff_t>(skip_ + x) * side_ + skip_;
    }

  private:
    const IntensityImage &image_;
    PanelView view_;
    std::int32_t side_ = 0; // blocks along each side of the grid
    std::int32_t skip_ = 0; // blocks before the panel's first
    std::vector<double> means_;
    double brightest_ = 0;
};

} // namespace

PanelView CentredView(std::int32_t n, std::int32_t side, std::int32_t bin) {
    PanelView view{side, bin, n / 2 - (side / 2) * bin - (bin - 1) / 2};
    if (side < 1 || bin < 1 || static_cast<std::int64_t>(side) * bin > n) {
        throw ParameterError("panel", "a panel of " + std::to_string(side) + " pixels of " + std::to_string(bin) +
                                          " x " + std::to_string(bin) + " grid pixels does not fit a grid of " +
                                          std::to_string(n));
    }
    // A view as large as the grid starts at its edge, the centre a pixel off its block's middle.
    view.first = std::clamp(view.first, 0, n - side * bin);
    return view;
}

std::int32_t GreyLevel(double v, const DisplayScale &scale) {
    if (scale.scale == Scale::Amplitude) {
        return intensities::AmplitudeGrey(v);
    }
    if (scale.scale == Scale::Linear) {
        const double level = kPeakLevel * v;
        return level >= intensities::kWhite ? intensities::kWhite : level > 0 ? static_cast<std::int32_t>(level) : kBlack;
    }
    const double level = v > 0 ? kPeakLevel * (1 + std::log10(v) / scale.decades) : 0;
    if (!(level > 0)) {
        return kBlack;
    }
    return level >= intensities::kWhite ? intensities::kWhite : static_cast<std::int32_t>(level); // truncated
}

namespace {

// Grey levels (and normalised values) of one grid row of the panel, along the picture's column.
void MapRow(double factor, const double *row, std::int32_t side, const DisplayScale &scale, std::int32_t *grey,
            double *values) {
    if (scale.scale == Scale::Amplitude) {
        intensities::MapAmplitudeRow(factor, row, side, grey, values);
        return;
    }
    for (std::int32_t y = 0; y < side; ++y) {
        const double v = factor * row[y];
        if (values != nullptr) {
            values[y] = v;
        }
        grey[y] = GreyLevel(v, scale);
    }
}

} // namespace

void MakePanel(const IntensityImage &image, const PanelView &view, const DisplayScale &scale, Keep keep,
               Panel &panel) {
    const BinnedField field(image, view);
    if (field.Brightest() == 0) {
        throw NoLightError();
    }
    const double factor = 1 / field.Brightest();
    const std::int32_t side = view.side;
    const std::size_t count = static_cast<std::size_t>(side) * side;
    panel.view = view;
    panel.brightest = field.Brightest();
    ResizeLarge(panel.values, keep == Keep::Intensities ? count : 0);
    ResizeLarge(panel.grey, count);
    std::vector<std::int32_t> grey(static_cast<std::size_t>(kRowsAtOnce) * side);
    std::vector<double> values(panel.values.empty() ? 0 : grey.size());
    // A grid row is a picture column: map a few rows, then write them across
    // the picture's rows a tile at a time. The grey picture's top row is
    // picture row 0; the intensities' first row is the picture's bottom row.
    for (std::int32_t x0 = 0; x0 < side; x0 += kRowsAtOnce) {
        const std::int32_t rows = std::min(kRowsAtOnce, side - x0);
        for (std::int32_t r = 0; r < rows; ++r) {
            const std::size_t at = static_cast<std::size_t>(r) * side;
            MapRow(factor, field.Row(x0 + r), side, scale, grey.data() + at, values.empty() ? nullptr : values.data() + at);
        }
        for (std::int32_t y0 = 0; y0 < side; y0 += kLinesAtOnce) {
            const std::int32_t lines = std::min(kLinesAtOnce, side - y0);
            for (std::int32_t y = y0; y < y0 + lines; ++y) {
                std::uint8_t *to = panel.grey.data() + static_cast<std::size_t>(y) * side + x0;
                for (std::int32_t r = 0; r < rows; ++r) {
                    to[r] = static_cast<std::uint8_t>(grey[static_cast<std::size_t>(r) * side + y]);
                }
            }
            if (values.empty()) {
                continue;
            }
            for (std::int32_t y = y0; y < y0 + lines; ++y) {
                double *to = panel.values.data() + static_cast<std::size_t>(side - 1 - y) * side + x0;
                for (std::int32_t r = 0; r < rows; ++r) {
                    to[r] = values[static_cast<std::size_t>(r) * side + y];
                }
            }
        }
    }
}

Panel MakePanel(const IntensityImage &image, const PanelView &view, const DisplayScale &scale) {
    Panel panel;
    MakePanel(image, view, scale, Keep::Intensities, panel);
    return panel;
}

} // namespace diffrascope::optics
