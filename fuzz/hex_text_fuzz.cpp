// The service window's hexadecimal texts. Properties: a valid text of up to eight digits reads as
// strtoul reads it; the binary text holds four binary digits per hexadecimal digit, at most 80.
#include <cstdlib>

#include "fuzz_common.h"
#include "tools/hex_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::uint32_t value = HexStrToCardinal(text);
    if (IsHexText(text) && !text.empty() && text.size() <= 8)
        FUZZ_CHECK(value == std::strtoul(text.c_str(), nullptr, 16), text);
    const std::string bits = HexToBinStr(text);
    FUZZ_CHECK(bits.size() <= 80 && bits.size() % 4 == 0, bits);
    FUZZ_CHECK(bits.size() == std::min<std::size_t>(80, 4 * text.size()), bits);
    FUZZ_CHECK(bits.find_first_not_of("01") == std::string::npos, bits);
    return 0;
}
