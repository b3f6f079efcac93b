// Numbers as the operator reads and types them: decimal text with the decimal separator of the
// operator's regional settings, and the integer forms of the program's fields and files.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// The decimal separator of the operator's regional settings, read once at start-up ('.' until then).
extern char LocaleDecimalChar;

// A conversion the operator's text does not allow; the message is what the program's general error
// report shows ("'abc' is not a valid floating point value").
class EConvertError : public std::runtime_error {
 public:
    using std::runtime_error::runtime_error;
};

// Shortest decimal text of up to 15 significant digits, no trailing zeros ("2200", "0.5", "-40").
// With the value written as 0.d1d2... x 10^E, fixed notation is used for -3 <= E <= 15 and the
// exponent form otherwise ("1E-6", "1.5E-5", "1E15", "-2.5E20": mantissa, "E", a sign only when
// negative, no leading zeros). Negative zero is "0"; NaN and infinities are "NAN", "INF", "-INF".
std::string FloatToStr(double value, char decimal);
inline std::string FloatToStr(double value) {
    return FloatToStr(value, LocaleDecimalChar);
}

// Decimal text with `decimal` as the only separator: optional blanks, an optional sign, digits with at
// most one separator (at least one digit), an optional exponent ("E"/"e", optional sign, digits) and
// optional blanks. Anything else (empty text, letters, a second separator, a misplaced '-', the other
// separator, "inf", "nan", a value beyond the double range) is nullopt.
std::optional<double> TryStrToFloat(std::string_view text, char decimal);
inline std::optional<double> TryStrToFloat(std::string_view text) {
    return TryStrToFloat(text, LocaleDecimalChar);
}
// As TryStrToFloat; throws EConvertError "'<text>' is not a valid floating point value".
double StrToFloat(std::string_view text, char decimal);
inline double StrToFloat(std::string_view text) {
    return StrToFloat(text, LocaleDecimalChar);
}

// A 32-bit integer: optional leading blanks, an optional sign, then decimal digits, or hexadecimal
// digits after "$" or "0x"/"0X". Hexadecimal text of up to 32 bits takes the bits as given
// ("$FFFFFFFF" is -1); decimal text must lie in the 32-bit range. Anything else (trailing blanks too)
// is nullopt.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
// As TryStrToInt; throws EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// The nearest integer, halves to the even neighbour (116.5 -> 116, 117.5 -> 118).
double RoundHalfEven(double value);

// Fixed notation with two decimals and the given separator ("1.00", "12,34").
std::string FormatFixed2(double value, char decimal);

// Whole number with a thousands separator every three digits ("1,234,567" with ','; "0" for 0).
std::string FormatThousands(std::uint64_t value, char separator);
