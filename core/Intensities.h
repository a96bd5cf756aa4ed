#pragma once
// From the outputs of a batched transform to intensities and grey levels: the
// same operations for the window's pipeline and the renderer's far field.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Lanes.h"

namespace diffrascope::intensities {

using lanes::Lanes;

inline constexpr double kGreyScale = 300; // amplitude 1/300 is one grey level
inline constexpr std::int32_t kWhite = 255;
// Below this normalised intensity v the grey level is 0 without a square
// root: sqrt(v) < 0.003317 and 300 sqrt(v) < 0.996, far from the first level.
inline constexpr double kDarkBound = 1.1e-5;

// The intensities y^2 + x^2 of lanes::kCount outputs of lanes::kCount lines
// (x[u] and y[u] hold output u of every line), each lane's running maximum
// kept in `maximum`, stored as one vector per line at rows[l] + column.
inline void StoreOutputs(const Lanes *x, const Lanes *y, Lanes &maximum, double *const *rows, std::int32_t column) {
    Lanes values[lanes::kCount];
    for (std::int32_t u = 0; u < lanes::kCount; ++u) {
        values[u] = y[u] * y[u] + x[u] * x[u];
        maximum = values[u] >= maximum ? values[u] : maximum;
    }
    lanes::Transpose(values);
    for (std::int32_t l = 0; l < lanes::kCount; ++l) {
        std::memcpy(rows[l] + column, &values[l], sizeof values[l]);
    }
}

// The largest lane of `maximum` kept in `largest`.
inline void KeepLargest(const Lanes &maximum, double &largest) {
    for (std::int32_t l = 0; l < lanes::kCount; ++l) {
        largest = maximum[l] >= largest ? maximum[l] : largest;
    }
}

// The window's grey level of a normalised intensity: min(trunc(300 sqrt(v)), 255).
inline std::int32_t AmplitudeGrey(double v) {
    if (v < kDarkBound) {
        return 0;
    }
    const auto level = static_cast<std::int32_t>(std::sqrt(v) * kGreyScale);
    return level >= kWhite ? kWhite : level;
}

// Grey levels of factor x intensity[j] for j < count, lanes::kCount at a time
// (where every lane is dark the square root is skipped), each lane as
// AmplitudeGrey; `values`, when given, receives factor x intensity[j].
inline void MapAmplitudeRow(double factor, const double *intensity, std::int32_t count, std::int32_t *grey,
                            double *values = nullptr) {
    const Lanes darkBound = lanes::Broadcast(kDarkBound);
    const lanes::IntLanes white = lanes::IntLanes{} + kWhite;
    std::int32_t j = 0;
    for (; j + lanes::kCount <= count; j += lanes::kCount) {
        const Lanes v = factor * lanes::LoadUnaligned(intensity + j);
        if (values != nullptr) {
            lanes::StoreUnaligned(values + j, v);
        }
        lanes::IntLanes level{};
        if (!lanes::AllBelow(v, darkBound)) {
            level = lanes::TruncateToInt(lanes::Sqrt(v) * kGreyScale);
            level = level >= white ? white : level;
        }
        std::memcpy(grey + j, &level, sizeof level);
    }
    for (; j < count; ++j) {
        const double v = factor * intensity[j];
        if (values != nullptr) {
            values[j] = v;
        }
        grey[j] = AmplitudeGrey(v);
    }
}

} // namespace diffrascope::intensities
