// Numbers as the operator reads and types them.
#include "config/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FloatToStr, ShortestTextOfFifteenDigitsWithTheFixedAndExponentForms) {
    struct Case {
        double value;
        char decimal;
        const char* text;
    };
    const Case cases[] = {
        {2200, '.', "2200"},
        {0.5, '.', "0.5"},
        {-40, '.', "-40"},
        {0.5, ',', "0,5"},
        {1234.25, ',', "1234,25"},
        {1e-6, '.', "1E-6"},
        {0.00001, '.', "1E-5"},   // 0.1 x 10^-4: exponent form
        {0.0001, '.', "0.0001"},  // 0.1 x 10^-3: still fixed
        {1.5e-5, ',', "1,5E-5"},
        {0.00012345, '.', "0.00012345"},
        {1e15, '.', "1E15"},                          // 0.1 x 10^16
        {999999999999999.0, '.', "999999999999999"},  // 15 digits, 0.9... x 10^15
        {123456789012345.6, '.', "123456789012346"},  // rounded to 15 digits
        {9999999999999999.0, '.', "1E16"},            // rounding carries into the exponent
        {-2.5e20, '.', "-2.5E20"},
        {0.1 + 0.2, '.', "0.3"},  // 0.30000000000000004: the 17th digit is gone
        {1.0 / 3, '.', "0.333333333333333"},
        {2.0 / 3, '.', "0.666666666666667"},
        {122000.5, '.', "122000.5"},
        {100, '.', "100"},
        {1e-300, '.', "1E-300"},
        {5e-324, '.', "4.94065645841247E-324"},
        {std::numeric_limits<double>::max(), '.', "1.79769313486232E308"},
        {0.0, '.', "0"},
        {-0.0, '.', "0"},
        {kNaN, '.', "NAN"},
        {kInf, '.', "INF"},
        {-kInf, ',', "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStr(c.value, c.decimal), c.text) << c.text;
}

TEST(FloatToStr, UsesTheLocaleSeparatorByDefault) {
    const char saved = LocaleDecimalChar;
    LocaleDecimalChar = ',';
    EXPECT_EQ(FloatToStr(0.25), "0,25");
    EXPECT_EQ(TryStrToFloat("0,25"), 0.25);
    EXPECT_FALSE(TryStrToFloat("0.25"));
    LocaleDecimalChar = saved;
}

TEST(TryStrToFloat, AcceptsOnlyDecimalTextWithTheGivenSeparator) {
    struct Case {
        const char* text;
        char decimal;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"0.5", '.', 0.5},
        {"0,5", ',', 0.5},
        {"2200,5", ',', 2200.5},
        {"0,5", '.', std::nullopt},  // the other separator
        {"0.5", ',', std::nullopt},
        {"", '.', std::nullopt},
        {"   ", '.', std::nullopt},
        {"abc", '.', std::nullopt},
        {"1-2", '.', std::nullopt},  // a misplaced '-'
        {"--1", '.', std::nullopt},
        {"1.2.3", '.', std::nullopt},  // a second separator
        {"12a", '.', std::nullopt},
        {"1 2", '.', std::nullopt},
        {"0x10", '.', std::nullopt},
        {"-1", '.', -1},
        {"+1", '.', 1},
        {"  12.5  ", '.', 12.5},
        {".5", '.', 0.5},
        {"5.", '.', 5},
        {".", '.', std::nullopt},
        {"-", '.', std::nullopt},
        {"1e3", '.', 1000},
        {"1E-6", '.', 1e-6},
        {"2,5E+2", ',', 250},
        {"1e", '.', std::nullopt},
        {"1e+", '.', std::nullopt},
        {"e5", '.', std::nullopt},
        {"inf", '.', std::nullopt},
        {"nan", '.', std::nullopt},
        {"1e400", '.', std::nullopt},  // beyond the double range
        {"1e-400", '.', 0.0},          // below the smallest subnormal
        {"0.000000000000000000001e-310", '.', 0.0},
        {"1e99999999999999999999", '.', std::nullopt},
        {"000123.4500", '.', 123.45},
        {"1.7976931348623157e308", '.', std::numeric_limits<double>::max()},
        {"1.7976931348623159e308", '.', std::nullopt},  // rounds beyond the largest double
    };
    for (const auto& c : cases)
        EXPECT_EQ(TryStrToFloat(c.text, c.decimal), c.value) << '"' << c.text << '"';
}

TEST(TryStrToFloat, ReadsBackEveryTextFloatToStrWrites) {
    const double values[] = {1000, 0.5, 1e-6,        0.00001, 1.5e-5,   122000.125,
                             -40,  15,  2199.999999, 1e15,    3.25e-200};
    for (const char decimal : {'.', ','})
        for (const double value : values)
            EXPECT_EQ(TryStrToFloat(FloatToStr(value, decimal), decimal), value)
                << FloatToStr(value, decimal);
}

TEST(StrToFloat, ThrowsTheConversionErrorWithTheText) {
    EXPECT_EQ(StrToFloat("1,5", ','), 1.5);
    try {
        StrToFloat("abc", '.');
        FAIL() << "no exception";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid floating point value");
    }
}

TEST(TryStrToInt, DecimalOrHexadecimalThirtyTwoBitIntegers) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"19", 19},
        {"0x13", 19},
        {"0X1f", 31},
        {"$13", 19},
        {"$a", 10},
        {"+7", 7},
        {"-0", 0},
        {"  5", 5},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$FFFFFFFF", -1},  // hexadecimal takes the 32 bits as given
        {"$80000000", std::numeric_limits<std::int32_t>::min()},
        {"-$1", -1},
        {"$000000001", 1},
        {"$100000000", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"5 ", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"abc", std::nullopt},
        {"1.5", std::nullopt},
        {"$1G", std::nullopt},
        {"- 5", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TryStrToInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(StrToInt, ThrowsTheConversionErrorWithTheText) {
    EXPECT_EQ(StrToInt("$A"), 10);
    try {
        StrToInt("x");
        FAIL() << "no exception";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "'x' is not a valid integer value");
    }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {
        {116.5, 116},
        {117.5, 118},
        {0.5, 0},
        {1.5, 2},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {2.4, 2},
        {2.6, 3},
        {-2.6, -3},
        {0.49999999999999994, 0},
        {4503599627370497.0, 4503599627370497.0},
        {7, 7},
    };
    for (const auto& [value, rounded] : cases)
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    EXPECT_TRUE(std::isnan(RoundHalfEven(kNaN)));
}

TEST(FormatFixed2, TwoDecimalsOfTheNumberAsTheOperatorReadsIt) {
    struct Case {
        double value;
        char decimal;
        const char* text;
    };
    const Case cases[] = {
        {1, '.', "1.00"},
        {12.34, ',', "12,34"},
        {12.345, '.', "12.35"},
        {1.005, '.', "1.01"},  // its binary value lies just below 1.005
        {99.995, '.', "100.00"},
        {-1.5, '.', "-1.50"},
        {-0.001, '.', "0.00"},
        {0.005, '.', "0.01"},
        {0.004, '.', "0.00"},
        {0.0001, '.', "0.00"},
        {0, '.', "0.00"},
        {1234567.891, '.', "1234567.89"},
        {1e20, '.', "100000000000000000000.00"},
        {kInf, '.', "INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed2(c.value, c.decimal), c.text) << c.text;
}

TEST(FormatThousands, GroupsOfThreeDigits) {
    EXPECT_EQ(FormatThousands(0, ','), "0");
    EXPECT_EQ(FormatThousands(999, ','), "999");
    EXPECT_EQ(FormatThousands(1000, ','), "1,000");
    EXPECT_EQ(FormatThousands(1234567, ','), "1,234,567");
    EXPECT_EQ(FormatThousands(123456, ' '), "123 456");
    EXPECT_EQ(FormatThousands(std::numeric_limits<std::uint64_t>::max(), '.'), "18.446.744.073.709.551.615");
}

}  // namespace
