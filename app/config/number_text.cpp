#include "number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

char LocaleDecimalChar = '.';

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigit(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view SkipBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

}  // namespace

std::string FloatToStr(double value, char decimal) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    // 15 significant digits, d.dddddddddddddde±x, without the locale's influence.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::abs(value), std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const auto e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e))
        if (IsDigit(c)) digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exponent);

    std::string out = value < 0 ? "-" : "";
    // value = d1.d2d3... x 10^exponent; fixed notation while 10^-4 <= value < 10^15.
    if (exponent >= -4 && exponent <= 14) {
        if (exponent >= 0) {
            const auto whole = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= whole) {
                out += digits + std::string(whole - digits.size(), '0');
            } else {
                out += digits.substr(0, whole) + decimal + digits.substr(whole);
            }
        } else {
            out += std::string("0") + decimal + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        }
        return out;
    }
    out += digits.substr(0, 1);
    if (digits.size() > 1) out += decimal + digits.substr(1);
    out += "E" + std::to_string(exponent);
    return out;
}

std::optional<double> TryStrToFloat(std::string_view text, char decimal) {
    std::string_view s = SkipBlanks(text);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    // Checked here by the operator's rules, then converted in the C form ('.' separator).
    std::string normal;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) normal += s[i++];
    bool digits = false, separator = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            digits = true;
            normal += s[i];
        } else if (s[i] == decimal && !separator) {
            separator = true;
            normal += '.';
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < s.size() && (s[i] == '-' || s[i] == '+')) normal += s[i++];
        bool exponentDigits = false;
        for (; i < s.size() && IsDigit(s[i]); ++i) {
            exponentDigits = true;
            normal += s[i];
        }
        if (!exponentDigits) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    const char* first = normal.data() + (normal.front() == '+' ? 1 : 0);
    double value = 0;
    const auto result = std::from_chars(first, normal.data() + normal.size(), value);
    if (result.ec != std::errc() || result.ptr != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double StrToFloat(std::string_view text, char decimal) {
    if (const auto value = TryStrToFloat(text, decimal)) return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    std::string_view s = SkipBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    if (s.front() == '$' || (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))) {
        s.remove_prefix(s.front() == '$' ? 1 : 2);
        if (s.empty() || s.size() > 8) return std::nullopt;
        std::uint32_t bits = 0;
        for (char c : s) {
            const int digit = HexDigit(c);
            if (digit < 0) return std::nullopt;
            bits = (bits << 4) | static_cast<std::uint32_t>(digit);
        }
        if (negative) bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    std::int64_t value = 0;
    for (char c : s) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
    if (const auto value = TryStrToInt(text)) return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5) return floor + 1;
    if (fraction < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::string FormatFixed2(double value, char decimal) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c == '.') c = decimal;
    return text;
}

std::string FormatThousands(std::uint64_t value, char separator) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return out;
}
