// The code-page conversions: whatever the bytes, the way into UTF-8 gives valid UTF-8 of one character
// per byte of an 8-bit page, and the way out gives one byte per character.
#include "fuzz_common.h"
#include "zplatform/codepage.h"

namespace {
// Characters of valid UTF-8 (no overlong forms, surrogates or code points above U+10FFFF); -1 for
// malformed text.
long utf8Characters(const std::string& s) {
    long count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return -1;
        std::uint32_t code = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80) return -1;
            code = code << 6 | (next & 0x3F);
        }
        static const std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
        i += n;
    }
    return count;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace cp = zplatform::codepage;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const long bytes = static_cast<long>(size);
    FUZZ_CHECK(utf8Characters(cp::windows1251ToUtf8(text)) == bytes, "1251");
    for (const char* page : {"CP1251", "ISO-8859-1", "ANSI_X3.4-1968"}) {
        const std::string utf8 = cp::codePageToUtf8(text, page);
        FUZZ_CHECK(utf8Characters(utf8) == bytes, page);
        const std::string back = cp::utf8ToCodePage(utf8, page);
        FUZZ_CHECK(static_cast<long>(back.size()) == bytes, page);
    }
    const std::string fromUtf8 = cp::utf8ToCodePage(text, "CP1251");
    if (const long characters = utf8Characters(text); characters >= 0)
        FUZZ_CHECK(static_cast<long>(fromUtf8.size()) == characters, "to 1251");
    FUZZ_CHECK(utf8Characters(cp::codePageToUtf8(text, "UTF-8")) >= 0, "utf-8");
    (void)cp::ansiToUtf8(text);
    (void)cp::utf8ToAnsi(text);
    return 0;
}
