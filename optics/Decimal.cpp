#include "Decimal.h"

#include <charconv>
#include <cmath>

namespace diffrascope::optics {
namespace {

constexpr std::int64_t kDigitsLimit = 999'999'999'999'999'999; // 18 nines

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::int64_t> PowerOfTen(std::int32_t exponent) {
    std::int64_t power = 1;
    for (std::int32_t k = 0; k < exponent; ++k) {
        if (power > kDigitsLimit / 10) {
            return std::nullopt;
        }
        power *= 10;
    }
    return power;
}

// a times 10^exponent, within the digits limit.
std::optional<std::int64_t> Scaled(std::int64_t a, std::int32_t exponent) {
    const std::optional<std::int64_t> power = PowerOfTen(exponent);
    if (!power || (a != 0 && (a > kDigitsLimit / *power || a < -kDigitsLimit / *power))) {
        return std::nullopt;
    }
    return a * *power;
}

Decimal Normalised(std::int64_t digits, std::int32_t scale) {
    while (scale > 0 && digits % 10 == 0) {
        digits /= 10;
        --scale;
    }
    return {digits, scale};
}

// Both values with the larger of their scales.
bool Align(const Decimal &a, const Decimal &b, std::int64_t &x, std::int64_t &y, std::int32_t &scale) {
    scale = a.scale > b.scale ? a.scale : b.scale;
    const std::optional<std::int64_t> sx = Scaled(a.digits, scale - a.scale);
    const std::optional<std::int64_t> sy = Scaled(b.digits, scale - b.scale);
    if (!sx || !sy) {
        return false;
    }
    x = *sx;
    y = *sy;
    return true;
}

} // namespace

DecimalReading ReadDecimal(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty() && fraction.empty()) {
        return {DecimalStatus::NotANumber, {}};
    }
    std::int64_t digits = 0;
    std::int32_t scale = 0;
    std::int32_t significant = 0;
    auto take = [&](char c) {
        if (digits != 0 || c != '0') {
            ++significant;
        }
        if (significant <= kMaxDecimalDigits) {
            digits = digits * 10 + (c - '0');
        }
    };
    for (char c : whole) {
        if (!IsDigit(c)) {
            return {DecimalStatus::NotANumber, {}};
        }
        take(c);
    }
    // trailing zeros of the fraction carry nothing
    std::string_view kept = fraction.substr(0, fraction.find_last_not_of('0') + 1);
    for (char c : fraction) {
        if (!IsDigit(c)) {
            return {DecimalStatus::NotANumber, {}};
        }
    }
    for (char c : kept) {
        take(c);
        ++scale;
    }
    if (significant > kMaxDecimalDigits) {
        return {DecimalStatus::TooManyDigits, {}};
    }
    return {DecimalStatus::Read, Normalised(negative ? -digits : digits, scale)};
}

int Compare(const Decimal &a, const Decimal &b) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int32_t scale = 0;
    if (!Align(a, b, x, y, scale)) {
        const double da = ToDouble(a);
        const double db = ToDouble(b); // far apart in magnitude: doubles order them right
        return da < db ? -1 : da > db ? 1 : 0;
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

std::optional<Decimal> AddMultiple(const Decimal &a, std::int64_t k, const Decimal &b) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int32_t scale = 0;
    if (!Align(a, b, x, y, scale)) {
        return std::nullopt;
    }
    if (k != 0 && (y > kDigitsLimit / (k < 0 ? -k : k) || y < -kDigitsLimit / (k < 0 ? -k : k))) {
        return std::nullopt;
    }
    const std::int64_t sum = x + k * y;
    if (sum > kDigitsLimit || sum < -kDigitsLimit) {
        return std::nullopt;
    }
    return Normalised(sum, scale);
}

std::optional<Decimal> Add(const Decimal &a, const Decimal &b) { return AddMultiple(a, 1, b); }
std::optional<Decimal> Subtract(const Decimal &a, const Decimal &b) { return AddMultiple(a, -1, b); }

std::optional<std::int64_t> WholeQuotient(const Decimal &a, const Decimal &b) {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int32_t scale = 0;
    if (!Align(a, b, x, y, scale) || y == 0 || x % y != 0) {
        return std::nullopt;
    }
    return x / y;
}

std::optional<std::int64_t> ScaledWhole(const Decimal &value, std::int32_t fractionDigits) {
    if (value.scale > fractionDigits) {
        return std::nullopt;
    }
    return Scaled(value.digits, fractionDigits - value.scale);
}

// from_chars rounds correctly and, unlike strtod, ignores the locale's decimal separator.
double ToDouble(const Decimal &value) {
    const std::string text = ToText(value);
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

std::optional<Decimal> DecimalOf(double value) {
    char text[400]; // the longest fixed notation of a double
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (error != std::errc() || !std::isfinite(value)) {
        return std::nullopt;
    }
    const DecimalReading reading = ReadDecimal(std::string_view(text, static_cast<std::size_t>(end - text)));
    if (reading.status != DecimalStatus::Read) {
        return std::nullopt;
    }
    return reading.value;
}

std::string ToText(const Decimal &value) {
    const bool negative = value.digits < 0;
    std::string digits = std::to_string(negative ? -value.digits : value.digits);
    const auto scale = static_cast<std::size_t>(value.scale);
    if (scale > 0) {
        if (digits.size() <= scale) {
            digits = std::string(scale + 1 - digits.size(), '0') + digits; // "5" with scale 2 is "005": 0.05
        }
        const std::size_t point = digits.size() - scale;
        digits = digits.substr(0, point) + "." + digits.substr(point);
    }
    return negative ? "-" + digits : digits;
}

} // namespace diffrascope::optics
