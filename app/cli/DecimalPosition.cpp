#include "DecimalPosition.h"

#include <algorithm>

namespace diffrascope::cli {
namespace {

constexpr std::int64_t kPositionLimit = INT32_MAX; // magnitudes above this are TooLarge

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
    for (char c : text) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return true;
}

bool AllZeros(std::string_view text) { return text.find_first_not_of('0') == std::string_view::npos; }

// Splits off a leading sign; true for '-'.
bool TakeSign(std::string_view &text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        bool negative = text.front() == '-';
        text.remove_prefix(1);
        return negative;
    }
    return false;
}

// Accumulates the digits of a whole number; false when it passes the limit.
bool AccumulateDigits(std::string_view digits, std::int64_t &value) {
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > kPositionLimit) {
            return false;
        }
    }
    return true;
}

} // namespace

PositionReading ReadPosition(std::string_view text, int fractionDigits) {
    bool negative = TakeSign(text);
    std::string_view::size_type point = text.find('.');
    std::string_view integerPart = text.substr(0, point);
    std::string_view fractionPart = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (integerPart.empty() && fractionPart.empty()) {
        return {PositionStatus::NotANumber};
    }
    if (!AllDigits(integerPart) || !AllDigits(fractionPart)) {
        return {PositionStatus::NotANumber};
    }

    // The digits that make up the position; any further digit must be 0.
    std::string_view::size_type kept = static_cast<std::string_view::size_type>(fractionDigits);
    std::string_view keptFraction = fractionPart.substr(0, kept);
    if (!AllZeros(fractionPart.substr(std::min(kept, fractionPart.size())))) {
        return {PositionStatus::BetweenSteps};
    }

    std::int64_t magnitude = 0;
    if (!AccumulateDigits(integerPart, magnitude) || !AccumulateDigits(keptFraction, magnitude)) {
        return {PositionStatus::TooLarge};
    }
    for (std::string_view::size_type missing = keptFraction.size(); missing < kept; ++missing) {
        magnitude *= 10; // "5" with one fraction digit is position 50
        if (magnitude > kPositionLimit) {
            return {PositionStatus::TooLarge};
        }
    }
    auto position = static_cast<std::int32_t>(magnitude);
    return {PositionStatus::Whole, negative ? -position : position};
}

} // namespace diffrascope::cli
