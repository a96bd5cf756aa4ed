#include "Display.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Errors.h"
#include "Intensities.h"

namespace diffrascope::optics {
namespace {

constexpr double kLogScale = 255; // the peak is white
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
    const double level = v > 0 ? kLogScale * (1 + std::log10(v) / scale.decades) : 0;
    if (!(level > 0)) {
        return kBlack;
    }
    return level >= intensities::kWhite ? intensities::kWhite : static_cast<std::int32_t>(level); // truncated
}

void MakePanel(const IntensityImage &image, const PanelView &view, const DisplayScale &scale, Keep keep,
               Panel &panel) {
    const BinnedField field(image, view);
    if (field.Brightest() == 0) {
        throw ZeroDivisionError();
    }
    const double factor = 1 / field.Brightest();
    const std::size_t count = static_cast<std::size_t>(view.side) * view.side;
    panel.view = view;
    panel.values.resize(keep == Keep::Intensities ? count : 0);
    panel.grey.resize(count);
    double *values = panel.values.empty() ? nullptr : panel.values.data();
    for (std::int32_t x = 0; x < view.side; ++x) {
        const std::size_t k = static_cast<std::size_t>(x) * view.side;
        const double *row = field.Row(x);
        if (scale.scale == Scale::Amplitude) {
            intensities::MapAmplitudeRow(factor, row, view.side, panel.grey.data() + k,
                                         values == nullptr ? nullptr : values + k);
            continue;
        }
        for (std::int32_t y = 0; y < view.side; ++y) {
            const double v = factor * row[y];
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
