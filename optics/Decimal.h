#pragma once
// Exact decimal numbers as the user types them: "0.3", "-12.5", ".25", "8.".
// No binary floating point is involved until a value is wanted as a double,
// so ranges, steps and sums ("--startest 8" around "--focus 0.3") are exact.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace diffrascope::optics {

// At most this many significant digits: every value fits 64 bits exactly.
inline constexpr std::int32_t kMaxDecimalDigits = 18;

struct Decimal {
    std::int64_t digits = 0; // the value is digits / 10^scale
    std::int32_t scale = 0;  // fraction digits, trailing zeros dropped

    static Decimal Whole(std::int64_t value) { return {value, 0}; }
};

enum class DecimalStatus {
    Read,        // a plain decimal number
    NotANumber,  // empty, "nan", "1e3", " 1", "1x", "0,5"
    TooManyDigits,
};

struct DecimalReading {
    DecimalStatus status = DecimalStatus::NotANumber;
    Decimal value;
};

// [+-]digits[.digits], with digits on at least one side of the point.
DecimalReading ReadDecimal(std::string_view text);

// -1, 0 or 1 as a is below, equal to or above b.
int Compare(const Decimal &a, const Decimal &b);
// Exact sums and differences; nothing when they leave 18 digits.
std::optional<Decimal> Add(const Decimal &a, const Decimal &b);
std::optional<Decimal> Subtract(const Decimal &a, const Decimal &b);
// a + k b, exactly.
std::optional<Decimal> AddMultiple(const Decimal &a, std::int64_t k, const Decimal &b);
// a / b when it is a whole number.
std::optional<std::int64_t> WholeQuotient(const Decimal &a, const Decimal &b);
// The value times 10^fractionDigits when that is a whole number: "0.3" with one digit is 3.
std::optional<std::int64_t> ScaledWhole(const Decimal &value, std::int32_t fractionDigits);
// The nearest double (correctly rounded).
double ToDouble(const Decimal &value);
// The shortest decimal whose nearest double is `value`: 0.3 gives "0.3", so a
// number typed as a decimal and read into a double is that decimal again.
// Nothing for values that are not finite or need more than 18 digits.
std::optional<Decimal> DecimalOf(double value);
// Shortest text: "-0.25", "8", "0".
std::string ToText(const Decimal &value);

} // namespace diffrascope::optics
