// The About window's version history and the Linux rule of the administrator check.
#include <gtest/gtest.h>

#include <algorithm>

#include "tools/admin_check.h"
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

}  // namespace
