// The field checks and the number texts under both decimal separators. The first byte picks the
// separator and the limits; the rest is the field's text. Properties: a range check returns a value
// inside its limits or the default; a number's shortest text reads back as the same number.
#include <cmath>

#include "config/check.h"
#include "config/number_text.h"
#include "fuzz_common.h"
#include "silent_boxes.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::InstallSilentBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return -1;
    const char decimal = data[0] & 1 ? ',' : '.';
    LocaleDecimalChar = decimal;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    TCheckClass check;

    if (const auto value = TryStrToFloat(text, decimal)) {
        FUZZ_CHECK(std::isfinite(*value), text);
        const std::string shortest = FloatToStr(*value, decimal);
        const auto again = TryStrToFloat(shortest, decimal);
        FUZZ_CHECK(again.has_value(), shortest);
        FUZZ_CHECK(std::fabs(*again - *value) <= std::fabs(*value) * 1e-14, shortest);
        (void)FormatFixed2(*value, decimal);
    } else {
        bool threw = false;
        try {
            (void)StrToFloat(text, decimal);
        } catch (const EConvertError&) {
            threw = true;
        }
        FUZZ_CHECK(threw, text);
    }
    if (const auto integer = TryStrToInt(text)) FUZZ_CHECK(StrToInt(text) == *integer, text);

    const double low = (data[0] & 2) ? -100.5 : 0.0, high = (data[0] & 4) ? 1e6 : 220000.0;
    const double checked = check.CheckRangeDouble(true, text, 7.0, low, high);
    FUZZ_CHECK(checked == 7.0 || (checked >= low && checked <= high), text);
    const std::int32_t lowInt = (data[0] & 8) ? INT32_MIN : -5, highInt = (data[0] & 16) ? INT32_MAX : 1000;
    const std::int32_t checkedInt = check.CheckRangeInt(true, text, 3, lowInt, highInt);
    FUZZ_CHECK(checkedInt == 3 || (checkedInt >= lowInt && checkedInt <= highInt), text);
    (void)check.CheckRangeHex(true, text, "10", "0", "FFFFFFFF");
    (void)check.CheckRangeHex(true, "0", text, text, text);
    (void)CheckClkFreq(text, 220000.0, 1.0, 1000.0);
    (void)check.CheckRangeEmpty(text);
    for (const char c : text) {
        char16_t key = static_cast<unsigned char>(c), hex = key;
        if (!check.CheckInt(key)) FUZZ_CHECK(key == 0, text);
        if (!check.CheckHex(hex)) FUZZ_CHECK(hex == 0, text);
    }
    LocaleDecimalChar = '.';
    return 0;
}
