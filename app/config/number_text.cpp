#include "config/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

char LocaleDecimalChar = '.';

namespace {

// A finite, non-zero value as at most 15 significant decimal digits (no trailing zeros) and the
// exponent of the first digit: value = d1.d2d3... x 10^exponent. The rounding to 15 digits is the
// exact one of std::to_chars, the same on every platform.
struct Decimal15 {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal15 ToDecimal15(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    Decimal15 decimal;
    std::size_t i = 0;
    if (text[i] == '-') {
        decimal.negative = true;
        ++i;
    }
    const std::size_t e = text.find('e');
    for (; i < e; ++i)
        if (text[i] != '.') decimal.digits += text[i];
    while (decimal.digits.size() > 1 && decimal.digits.back() == '0')
        decimal.digits.pop_back();
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    decimal.exponent);
    return decimal;
}

const char* NonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value > 0 ? "INF" : "-INF";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string FloatToStr(double value, char decimal) {
    if (!std::isfinite(value)) return NonFinite(value);
    if (value == 0) return "0";  // negative zero too
    const Decimal15 d = ToDecimal15(value);
    std::string text = d.negative ? "-" : "";
    // With the value written as 0.d1d2... x 10^E, E = exponent + 1: fixed for -3 <= E <= 15.
    if (d.exponent < -4 || d.exponent > 14) {
        text += d.digits[0];
        if (d.digits.size() > 1) {
            text += decimal;
            text.append(d.digits, 1);
        }
        return text + "E" + std::to_string(d.exponent);
    }
    if (d.exponent < 0) {
        text += '0';
        text += decimal;
        text.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        return text + d.digits;
    }
    const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
    if (d.digits.size() <= integerDigits)
        return text + d.digits + std::string(integerDigits - d.digits.size(), '0');
    return text + d.digits.substr(0, integerDigits) + decimal + d.digits.substr(integerDigits);
}

std::optional<double> TryStrToFloat(std::string_view text, char decimal) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // The mantissa's digits without the separator, and how many of them stand before it.
    std::string digits;
    std::size_t integerDigits = 0;
    bool separator = false;
    for (; i < n; ++i) {
        if (IsDigit(text[i])) {
            digits += text[i];
            if (!separator) ++integerDigits;
        } else if (text[i] == decimal && !separator) {
            separator = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return std::nullopt;
    long long exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
        if (i == n || !IsDigit(text[i])) return std::nullopt;
        for (; i < n && IsDigit(text[i]); ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 1'000'000'000LL);  // saturates: far beyond
        if (negativeExponent) exponent = -exponent;
    }
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n) return std::nullopt;

    // Drop leading zeros: the position of the first significant digit tells overflow from underflow.
    std::size_t first = 0;
    while (first < digits.size() && digits[first] == '0')
        ++first;
    if (first == digits.size()) return negative ? -0.0 : 0.0;
    const long long magnitude =
        static_cast<long long>(integerDigits) - static_cast<long long>(first) - 1 + exponent;
    if (magnitude > 400) return std::nullopt;
    if (magnitude < -400) return negative ? -0.0 : 0.0;

    const std::string normal =
        digits.substr(first) + "e" +
        std::to_string(exponent - static_cast<long long>(digits.size() - integerDigits));
    double value = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitude > 0) return std::nullopt;  // beyond the double range
        value = 0;                               // below the smallest subnormal: zero
    } else if (result.ec != std::errc()) {
        return std::nullopt;
    }
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

double StrToFloat(std::string_view text, char decimal) {
    if (const auto value = TryStrToFloat(text, decimal)) return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    bool hex = false;
    if (i < n && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const int digit = hex ? HexDigit(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (value > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return std::nullopt;
    }
    if (hex) {
        // The 32 bits as given; a sign negates them in two's complement ("-$1" is -1).
        const auto bits = static_cast<std::uint32_t>(value);
        return static_cast<std::int32_t>(negative ? 0u - bits : bits);
    }
    if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    if (value > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
    if (const auto value = TryStrToInt(text)) return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5) return lower;
    if (fraction > 0.5) return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

std::string FormatFixed2(double value, char decimal) {
    if (!std::isfinite(value)) return NonFinite(value);
    // As the operator reads the number: its 15-digit decimal form, rounded half away from zero at the
    // second decimal (1.005 -> "1.01", which the binary value 1.00499999999999989... would not give).
    std::string digits = "0";
    bool negative = false;
    if (value != 0) {
        const Decimal15 d = ToDecimal15(value);
        negative = d.negative;
        // Scaled by 100, the integer part is what is shown; the next digit decides the rounding.
        std::string all = d.digits;
        long long shown = d.exponent + 3;  // integer digits of value x 100
        if (shown < 0) {
            all.insert(0, static_cast<std::size_t>(-shown), '0');
            shown = 0;
        }
        const auto cut = static_cast<std::size_t>(shown);
        if (all.size() < cut + 1) all.append(cut + 1 - all.size(), '0');
        digits = all.substr(0, cut);
        if (all[cut] >= '5') {
            std::size_t pos = digits.size();
            while (pos > 0 && digits[pos - 1] == '9')
                digits[--pos] = '0';
            if (pos == 0)
                digits.insert(digits.begin(), '1');
            else
                ++digits[pos - 1];
        }
        if (digits.empty()) digits = "0";
    }
    while (digits.size() < 3)
        digits.insert(digits.begin(), '0');
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    std::string text = (negative && !zero) ? "-" : "";
    text += digits.substr(0, digits.size() - 2);
    text += decimal;
    return text + digits.substr(digits.size() - 2);
}

std::string FormatThousands(std::uint64_t value, char separator) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += separator;
        text += digits[i];
    }
    return text;
}
