// The About window's version history, the Linux rule of the administrator check and the service
// window's hexadecimal texts.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/admin_check.h"
#include "tools/hex_text.h"
#include "tools/version_history.h"

namespace {

TEST(VersionHistory, NewestFirstWithAnEmptyLineBetweenVersions) {
    for (int lang : {0, 1}) {
        const std::vector<std::string> lines = VersionHistoryLines(lang);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.front(), lang == 0 ? "Version 2.16:" : "Версия 2.16:");
        EXPECT_FALSE(lines.back().empty()) << "no empty line after the last version";
        EXPECT_EQ(lines[lines.size() - 7], lang == 0 ? "Version 2.0:" : "Версия 2.0:");
        for (std::size_t i = 1; i < lines.size(); ++i)
            if (lines[i].rfind(lang == 0 ? "Version " : "Версия ", 0) == 0) {
                EXPECT_EQ(lines[i - 1], "") << i;
            }
    }
    // The English history has no entry for 2.06.1; the Russian one has.
    const auto has = [](int lang, const std::string& heading) {
        const auto lines = VersionHistoryLines(lang);
        return std::find(lines.begin(), lines.end(), heading) != lines.end();
    };
    EXPECT_FALSE(has(0, "Version 2.06.1:"));
    EXPECT_TRUE(has(1, "Версия 2.06.1:"));
    EXPECT_TRUE(has(0, "  Ctrl + \"x\" : enable/disable configuration remove"));
    EXPECT_TRUE(VersionHistoryLines(2).empty());
}

TEST(AdministratorCheck, LinuxRuleFollowsTheRightsTheBoardNeeds) {
    EXPECT_TRUE(HasBoardRights({true, false, {}}));               // root
    EXPECT_TRUE(HasBoardRights({false, true, {}}));               // the emulated board needs none
    EXPECT_TRUE(HasBoardRights({false, false, {true, true}}));    // every device node usable
    EXPECT_FALSE(HasBoardRights({false, false, {true, false}}));  // one node refused
    EXPECT_FALSE(HasBoardRights({false, false, {}}));             // no driver at all
}

TEST(HexText, ValuesModulo2To32AndTheCharacterBeforeForNonDigits) {
    const struct {
        const char* text;
        std::uint32_t value;
        bool hex;
    } cases[] = {
        {"", 0, true},
        {"10", 16, true},  // a register index, never multiplied by 4
        {"ff", 255, true},
        {"FF", 255, true},
        {"FFFFFFFF", 4294967295u, true},
        {"1FFFFFFFF", 4294967295u, true},  // only the last eight digits count
        {"123456789", 0x23456789u, true},
        {"1G", 0x11, false},  // G takes the value of the 1 before it
        {"G1", 0x01, false},  // 0 at the start
        {"0x10", 0x0010, false},
        {" 5", 0x05, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HexStrToCardinal(c.text), c.value) << c.text;
        EXPECT_EQ(IsHexText(c.text), c.hex) << c.text;
    }
}

TEST(HexText, BinaryGroupsMostSignificantFirstAtMost80Characters) {
    EXPECT_EQ(HexToBinStr("00000005"), "00000000000000000000000000000101");
    EXPECT_EQ(HexToBinStr("A"), "1010");
    EXPECT_EQ(HexToBinStr("F0"), "11110000");
    EXPECT_EQ(HexToBinStr(""), "");
    EXPECT_EQ(HexToBinStr("1Z"), "00010001");  // Z repeats the group before it
    EXPECT_EQ(HexToBinStr(std::string(25, 'F')), std::string(80, '1'));
}

}  // namespace
