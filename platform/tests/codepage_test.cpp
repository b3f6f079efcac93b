#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "zplatform/codepage.h"

namespace cp = zplatform::codepage;

namespace {

// One byte of a code page through the C library's own converter; empty when it has none or the byte
// is undefined there.
std::string iconvToUtf8(unsigned char byte, const char* codePage) {
    const iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof(out);
    const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) return {};
    return std::string(out, sizeof(out) - outLeft);
}

}  // namespace

TEST(Windows1251, LibraryRussianTextsBecomeUtf8) {
    // The library's text for -6 ("cannot open the file") and for -5, as it returns them.
    EXPECT_EQ(cp::windows1251ToUtf8("\xCD\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xEE\xF2\xEA\xF0\xFB\xF2\xFC "
                                    "\xF4\xE0\xE9\xEB. "),
              "Невозможно открыть файл. ");
    EXPECT_EQ(cp::windows1251ToUtf8("\xCE\xF8\xE8\xE1\xEA\xE0 PLL. "), "Ошибка PLL. ");
    EXPECT_EQ(cp::windows1251ToUtf8("\xC0\xDF\xE0\xFF\xA8\xB8"), "АЯаяЁё");
    EXPECT_EQ(cp::windows1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(cp::windows1251ToUtf8(""), "");
}

TEST(Windows1251, EveryByteAgreesWithTheSystemConverter) {
    if (iconvToUtf8('A', "CP1251").empty()) GTEST_SKIP() << "no CP1251 converter on this system";
    for (int byte = 0x01; byte <= 0xFF; ++byte) {
        const std::string expected = iconvToUtf8(static_cast<unsigned char>(byte), "CP1251");
        const std::string text(1, static_cast<char>(byte));
        // The one undefined byte (0x98) becomes the replacement character.
        EXPECT_EQ(cp::windows1251ToUtf8(text), expected.empty() ? "?" : expected)
            << "byte 0x" << std::hex << byte;
    }
}

TEST(CodePage, CharactersOutsideTheTargetBecomeQuestionMarks) {
    EXPECT_EQ(cp::utf8ToCodePage("Aé€Ж z", "ANSI_X3.4-1968"), "A??? z");
    EXPECT_EQ(cp::utf8ToCodePage("Ж€ёé", "CP1251"), "\xC6\x88\xB8?");
    EXPECT_EQ(cp::utf8ToCodePage("é€Ж", "CP1252"), "\xE9\x80?");
    // A character of four bytes is still one character: one mark.
    EXPECT_EQ(cp::utf8ToCodePage("a\xF0\x9F\x98\x80"
                                 "b",
                                 "CP1252"),
              "a?b");
}

TEST(CodePage, MalformedUtf8BecomesQuestionMarksAndTheRestSurvives) {
    EXPECT_EQ(cp::utf8ToCodePage("A\xFF"
                                 "B",
                                 "CP1251"),
              "A?B");
    EXPECT_EQ(cp::utf8ToCodePage("A\xD0", "CP1251"), "A?");  // cut short at the end
    EXPECT_EQ(cp::utf8ToCodePage("\xD0"
                                 "A",
                                 "CP1251"),
              "?A");                                                    // cut short before ASCII
    EXPECT_EQ(cp::utf8ToCodePage("\xC0\xAF", "ANSI_X3.4-1968"), "??");  // overlong '/'
    EXPECT_EQ(cp::utf8ToCodePage("\xED\xA0\x80", "UTF-8"), "???");      // a surrogate
    EXPECT_EQ(cp::utf8ToCodePage("x\xE2\x82", "UTF-8"), "x?");          // cut short
    EXPECT_EQ(cp::utf8ToCodePage("ok Жж €", "UTF-8"), "ok Жж €");
}

TEST(CodePage, TextRoundTripsThroughACodePageThatHoldsIt) {
    const std::string russian = "Ошибка записи в синтезатор. Ёё №5";
    const std::string bytes = cp::utf8ToCodePage(russian, "CP1251");
    EXPECT_EQ(bytes.size(), 33u);  // one byte per character
    EXPECT_EQ(cp::codePageToUtf8(bytes, "CP1251"), russian);
    EXPECT_EQ(cp::windows1251ToUtf8(bytes), russian);
    EXPECT_EQ(cp::codePageToUtf8("\xE9t\xE9", "CP1252"), "été");
}

TEST(CodePage, BytesUndefinedInTheSourceBecomeQuestionMarks) {
    EXPECT_EQ(cp::codePageToUtf8("a\x98z", "CP1251"), "a?z");
    EXPECT_EQ(cp::codePageToUtf8("a\xE9z", "ANSI_X3.4-1968"), "a?z");
}

TEST(CodePage, UnknownCodePageLetsOnlyAsciiThrough) {
    EXPECT_EQ(cp::utf8ToCodePage("abc Ж", "NO-SUCH-CODEPAGE"), "abc ?");
    EXPECT_EQ(cp::codePageToUtf8("abc \xC6", "NO-SUCH-CODEPAGE"), "abc ?");
}

TEST(CodePage, AnsiFollowsTheEnvironmentsLocale) {
    // The test runs with LC_ALL=C, whose code set is ASCII.
    ASSERT_EQ(cp::ansiCodePageName(), "ANSI_X3.4-1968");
    EXPECT_EQ(cp::utf8ToAnsi("Zorvan сигналов 2.16"), "Zorvan ???????? 2.16");
    EXPECT_EQ(cp::ansiToUtf8("plain \xE9"), "plain ?");
}
