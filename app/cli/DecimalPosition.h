#pragma once
// Exact reading of decimal text as a scroll-bar position: "0.3" with one
// fraction digit is position 3, "0.25" is no position at all. No binary
// floating point is involved, so no value is ever rounded into range.

#include <cstdint>
#include <string_view>

namespace diffrascope::cli {

enum class PositionStatus {
    Whole,          // the text names a whole position
    NotANumber,     // not plain decimal text: empty, "nan", "1e3", " 1", "1x"
    BetweenSteps,   // a number, but not a whole multiple of the step
    TooLarge,       // a number whose position does not fit 32 bits
};

struct PositionReading {
    PositionStatus status = PositionStatus::NotANumber;
    std::int32_t position = 0; // valid when status is Whole
};

// Reads [+-]digits[.digits] (".5" and "5." too) as value x 10^fractionDigits.
// fractionDigits is 0 (whole units) or 1 (tenths).
PositionReading ReadPosition(std::string_view text, int fractionDigits);

} // namespace diffrascope::cli
