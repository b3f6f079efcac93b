// Profile files: the reading and writing rules of the Windows profile functions, and writes that never
// leave a half-written file.
#include "config/profile.h"

#include <signal.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "program_fixture.h"
#include "zplatform/codepage.h"

namespace program_test {
namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
 protected:
    std::string file(const std::string& content, const std::string& name = "test.ini") {
        const std::string path = dir.file(name);
        WriteFile(path, std::vector<std::uint8_t>(content.begin(), content.end()));
        return path;
    }
    // What the directory holds besides the named files: a left-over temporary file would show here.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TempDir dir;
};

// While it lives, the file system checks this thread's accesses as an ordinary user's even when the
// tests run as the super-user, so that permissions take effect.
class OrdinaryUser {
 public:
    OrdinaryUser() {
        if (::geteuid() == 0) {
            ::setfsuid(65534);
            active_ = true;
        }
    }
    ~OrdinaryUser() {
        if (active_) ::setfsuid(0);
    }
    OrdinaryUser(const OrdinaryUser&) = delete;
    OrdinaryUser& operator=(const OrdinaryUser&) = delete;

 private:
    bool active_ = false;
};

TEST_F(ProfileTest, ReadsFollowTheWindowsLookupRules) {
    struct Case {
        const char* what;
        std::string content;
        const char* section;
        const char* key;
        const char* fallback;
        std::string value;
    };
    const Case cases[] = {
        {"names without regard to case", "[Options]\r\nTop=5\r\n", "oPTIONS", "TOP", "d", "5"},
        {"blanks around names and values", "  [ Options ]  \r\n \t Top  =  5 6 \t\r\n", "Options", " Top ",
         "d", "5 6"},
        {"double quotes", "[A]\nK=\"  quoted value \"\n", "A", "K", "d", "  quoted value "},
        {"single quotes", "[A]\nK='single'\n", "A", "K", "d", "single"},
        {"an inner quote stays", "[A]\nK=\"a\" b \"c\"\n", "A", "K", "d", "a\" b \"c"},
        {"unbalanced quotes stay", "[A]\nK=\"open\nL='x\"\n", "A", "K", "d", "\"open"},
        {"a lone quote stays", "[A]\nK=\"\n", "A", "K", "d", "\""},
        {"empty quotes", "[A]\nK=\"\"\n", "A", "K", "d", ""},
        {"an empty value is a value", "[A]\nK=\n", "A", "K", "d", ""},
        {"a comment is no key", "[A]\n;K=1\n  ; K=3\nK=2\n", "A", "K", "d", "2"},
        {"only a comment", "[A]\n;K=1\n", "A", "K", "d", "d"},
        {"no inline comments", "[A]\nK=1 ; note\n", "A", "K", "d", "1 ; note"},
        {"the first key wins", "[A]\nK=1\nk=2\n", "A", "K", "d", "1"},
        {"the first section wins", "[A]\nK=1\n[a]\nK=2\nL=3\n", "A", "K", "d", "1"},
        {"a later section of the name is not seen", "[A]\nK=1\n[a]\nL=3\n", "A", "L", "d", "d"},
        {"LF only", "[A]\nX=0\nK=lf\n", "A", "K", "d", "lf"},
        {"CR LF", "[A]\r\nK=crlf\r\n[B]\r\n", "A", "K", "d", "crlf"},
        {"no final line end", "[A]\r\nK=last", "A", "K", "d", "last"},
        {"a key without '='", "[A]\nK\n", "A", "K", "d", "d"},
        {"a missing key", "[A]\nK=1\n", "A", "L", "d", "d"},
        {"a missing section", "[A]\nK=1\n", "B", "K", "d", "d"},
        {"a key of the next section", "[A]\n[B]\nK=1\n", "A", "K", "d", "d"},
        {"keys before any section", "K=1\n[A]\nX=2\n", "A", "K", "d", "d"},
        {"a header without ']'", "[A\nK=1\n", "A", "K", "d", "d"},
        {"the name runs to the last ']'", "[a]b] \nK=1\n", "A]B", "K", "d", "1"},
        {"'=' in the value", "[A]\nK=x=y\n", "A", "K", "d", "x=y"},
        {"the default loses trailing spaces", "[A]\n", "A", "K", "abc  ", "abc"},
        {"the default keeps leading spaces", "", "A", "K", "  abc", "  abc"},
        {"an empty file", "", "A", "K", "d", "d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(profile::ReadString(file(c.content), c.section, c.key, c.fallback), c.value) << c.what;
    EXPECT_EQ(profile::ReadString(dir.file("missing.ini"), "A", "K", "d"), "d");
    EXPECT_EQ(profile::ReadString(dir.path().string(), "A", "K", "d"), "d");  // a directory
}

TEST_F(ProfileTest, AValueIsReadUpTo2047Characters) {
    const std::string x2047(2047, 'x');
    const std::string x3000(3000, 'x');
    EXPECT_EQ(profile::ReadString(file("[A]\nK=" + x3000 + "\n"), "A", "K", ""), x2047);
    EXPECT_EQ(profile::ReadString(file("[A]\nK=" + x2047 + "\n"), "A", "K", ""), x2047);
    EXPECT_EQ(profile::ReadString(file("[A]\nK=\"" + x2047 + "\"\n"), "A", "K", ""), x2047);
    EXPECT_EQ(profile::ReadString(file("[A]\n"), "A", "K", x3000), x2047);
    // In a UTF-8 file a character outside the Basic Multilingual Plane counts two and is not split.
    const std::string smile = "\xF0\x9F\x98\x80";
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(
        profile::ReadString(file(bom + "[A]\nK=" + std::string(2046, 'x') + smile + "\n"), "A", "K", ""),
        std::string(2046, 'x'));
    EXPECT_EQ(
        profile::ReadString(file(bom + "[A]\nK=" + std::string(2045, 'x') + smile + "y\n"), "A", "K", ""),
        std::string(2045, 'x') + smile);
    std::string cyrillic;
    for (int i = 0; i < 2100; ++i)
        cyrillic += "я";
    EXPECT_EQ(profile::ReadString(file(bom + "[A]\nK=" + cyrillic + "\n"), "A", "K", ""),
              cyrillic.substr(0, 2047 * 2));
}

TEST_F(ProfileTest, SectionNamesComeInFileOrderOnceEachInTheirFirstSpelling) {
    const std::string path = file("K=0\n[B]\nX=1\n[a]\n;[D]\n[A]\n[]\n [ C ] \n[b]\n[E\n");
    EXPECT_EQ(profile::ReadSectionNames(path), (std::vector<std::string>{"B", "a", "C"}));
    EXPECT_TRUE(profile::ReadSectionNames(dir.file("missing.ini")).empty());
    EXPECT_TRUE(profile::ReadSectionNames(file("")).empty());
}

TEST_F(ProfileTest, WritesChangeOnlyWhatTheyWrite) {
    struct Case {
        const char* what;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const Case cases[] = {
        {"in place, keeping every other byte",
         "; head\r\n\r\n[Options]\r\n  top = 1 ; c\r\nLeft=2\n\n[Other]\r\nX=1", "OPTIONS", "Top", "7",
         "; head\r\n\r\n[Options]\r\ntop=7\r\nLeft=2\n\n[Other]\r\nX=1"},
        {"in place on an LF line", "[A]\nK=1\nL=2\n", "a", "k", "new value", "[A]\nK=new value\nL=2\n"},
        {"in place on the last line without line end", "[A]\nK=1", "A", "K", "2", "[A]\nK=2"},
        {"a key without '=' becomes one", "[A]\nK\nL=1\n", "A", "K", "v", "[A]\nK=v\nL=1\n"},
        {"the first of duplicate keys", "[A]\nK=1\nK=2\n", "A", "K", "3", "[A]\nK=3\nK=2\n"},
        {"appended after the last line of the section", "[A]\r\nK=1\r\n\r\n[B]\r\nX=1\r\n", "A", "N", "2",
         "[A]\r\nK=1\r\nN=2\r\n\r\n[B]\r\nX=1\r\n"},
        {"appended after a comment of the section", "[A]\nK=1\n; note\n\n[B]\n", "A", "N", "2",
         "[A]\nK=1\n; note\nN=2\r\n\n[B]\n"},
        {"appended to an empty section", "[A]\n[B]\n", "A", "N", "2", "[A]\nN=2\r\n[B]\n"},
        {"appended to the first of duplicate sections", "[A]\nK=1\n[a]\nN=1\n", "A", "N", "2",
         "[A]\nK=1\nN=2\r\n[a]\nN=1\n"},
        {"appended to the last section without line end", "[A]\nK=1", "A", "N", "2", "[A]\nK=1\r\nN=2\r\n"},
        {"a new section at the end", "[A]\nK=1\n", "B", "X", "1", "[A]\nK=1\n[B]\r\nX=1\r\n"},
        {"a new section after a last line without end", "[A]\nK=1", "B", "X", "1",
         "[A]\nK=1\r\n[B]\r\nX=1\r\n"},
        {"a new section after a comment block", "; only a comment", "S", "K", "V",
         "; only a comment\r\n[S]\r\nK=V\r\n"},
        {"an empty file", "", "S", "K", "V", "[S]\r\nK=V\r\n"},
        {"names lose their blanks", "", " S ", " K ", " V", "[S]\r\nK= V\r\n"},
        {"a section whose header lacks ']' is no section", "[A\nK=1\n", "A", "K", "2",
         "[A\nK=1\n[A]\r\nK=2\r\n"},
    };
    for (const auto& c : cases) {
        const std::string path = file(c.before);
        EXPECT_TRUE(profile::WriteString(path, c.section, c.key, c.value)) << c.what;
        EXPECT_EQ(ReadText(path), c.after) << c.what;
        std::string value = c.value;
        value.erase(0, value.find_first_not_of(' '));
        EXPECT_EQ(profile::ReadString(path, c.section, c.key, "missing"), value) << c.what;
    }
    const std::string created = dir.file("created.ini");
    EXPECT_TRUE(profile::WriteString(created, "S", "K", "V"));
    EXPECT_EQ(ReadText(created), "[S]\r\nK=V\r\n");
    EXPECT_EQ(entries(), (std::vector<std::string>{"created.ini", "test.ini"}));  // no temporary file left
}

TEST_F(ProfileTest, SeveralKeysAtOnceGiveWhatWritingThemOneByOneGives) {
    const std::string start = "; c\n[A]\nK=1\n\n[B]\nX=1";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"K", "2"}, {"New", "a"}, {"X", "b"}, {"new", "c"}, {"", "empty key"}};
    const std::string together = file(start, "together.ini");
    const std::string single = file(start, "single.ini");
    EXPECT_TRUE(profile::WriteStrings(together, "A", values));
    for (const auto& [key, value] : values)
        EXPECT_TRUE(profile::WriteString(single, "A", key, value));
    EXPECT_EQ(ReadText(together), ReadText(single));
    EXPECT_EQ(ReadText(together), "; c\n[A]\nK=2\nNew=c\r\nX=b\r\n=empty key\r\n\n[B]\nX=1");
    const std::string fresh = dir.file("fresh.ini");
    EXPECT_TRUE(profile::WriteStrings(fresh, "A", {}));  // nothing to write: no file
    EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(ProfileTest, ALineBreakInANameOrValueRefusesTheWholeWrite) {
    const std::string path = file("[A]\nK=1\n");
    EXPECT_FALSE(profile::WriteString(path, "A", "K", "2\r\n[B]"));
    EXPECT_FALSE(profile::WriteStrings(path, "A", {{"K", "2"}, {"L", "x\ny"}}));
    EXPECT_FALSE(profile::WriteString(path, "A\n", "K", "2"));
    EXPECT_FALSE(profile::WriteString(path, "A", "K\r", "2"));
    EXPECT_FALSE(profile::WriteString(path, "A", "K", std::string("a\0b", 3)));
    EXPECT_EQ(ReadText(path), "[A]\nK=1\n");
}

TEST_F(ProfileTest, AWriteThatChangesNothingLeavesTheFileAlone) {
    const std::string path = file("[A]\nK=1\n");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    EXPECT_TRUE(profile::WriteString(path, "a", "k", "1"));
    EXPECT_TRUE(profile::EraseSection(path, "Missing"));
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(profile::WriteString(path, "a", "k", "2"));
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);  // replaced by a new file, never rewritten in place
}

TEST_F(ProfileTest, ErasingASectionRemovesEverySectionOfThatNameWithAllItsLines) {
    const std::string path =
        file("; top\r\n[A]\r\nK=1\r\n\r\n[B]\r\nX=1\r\n; c\r\n\r\n[C]\r\nY=1\r\n[b]\r\nZ=1");
    EXPECT_TRUE(profile::EraseSection(path, "b"));
    EXPECT_EQ(ReadText(path), "; top\r\n[A]\r\nK=1\r\n\r\n[C]\r\nY=1\r\n");
    EXPECT_TRUE(profile::EraseSection(path, "C"));
    EXPECT_EQ(ReadText(path), "; top\r\n[A]\r\nK=1\r\n\r\n");
    EXPECT_TRUE(profile::EraseSection(path, "A"));
    EXPECT_EQ(ReadText(path), "; top\r\n");
    EXPECT_TRUE(profile::EraseSection(path, "A"));
    const std::string missing = dir.file("missing.ini");
    EXPECT_TRUE(profile::EraseSection(missing, "A"));
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(ProfileTest, TextIsStoredInTheAnsiCodePageAndUntouchedBytesSurvive) {
    // A byte that is no character of the code page, in a line the program does not write.
    const std::string path = file("[A]\r\nRaw=\xC0\xFF\r\n");
    EXPECT_TRUE(profile::WriteString(path, "Тест", "Ключ", "Значение"));
    const std::string ansiSection = zplatform::codepage::utf8ToAnsi("Тест");
    const std::string ansiKey = zplatform::codepage::utf8ToAnsi("Ключ");
    const std::string ansiValue = zplatform::codepage::utf8ToAnsi("Значение");
    EXPECT_EQ(ReadText(path),
              "[A]\r\nRaw=\xC0\xFF\r\n[" + ansiSection + "]\r\n" + ansiKey + "=" + ansiValue + "\r\n");
    // The same names find what was written, as the ANSI functions convert them the same way.
    EXPECT_EQ(profile::ReadString(path, "Тест", "Ключ", ""), zplatform::codepage::ansiToUtf8(ansiValue));
    EXPECT_EQ(profile::ReadString(path, "A", "Raw", ""), zplatform::codepage::ansiToUtf8("\xC0\xFF"));
}

TEST_F(ProfileTest, FilesWithAByteOrderMarkKeepTheirEncoding) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string utf8 = file(bom + "[Опции]\r\nКлюч=Значение\r\n", "utf8.ini");
    EXPECT_EQ(profile::ReadString(utf8, "Опции", "Ключ", ""), "Значение");
    EXPECT_EQ(profile::ReadSectionNames(utf8), std::vector<std::string>{"Опции"});
    EXPECT_TRUE(profile::WriteString(utf8, "Опции", "Новый", "да"));
    EXPECT_EQ(ReadText(utf8), bom + "[Опции]\r\nКлюч=Значение\r\nНовый=да\r\n");

    // UTF-16 little-endian: "[Б]\r\nK=ж\r\n".
    const std::string le("\xFF\xFE[\0\x11\x04]\0\r\0\n\0K\0=\0\x36\x04\r\0\n\0", 22);
    const std::string utf16 = file(le, "utf16.ini");
    EXPECT_EQ(profile::ReadString(utf16, "Б", "K", ""), "ж");
    EXPECT_TRUE(profile::WriteString(utf16, "Б", "L", "1"));
    EXPECT_EQ(ReadText(utf16), le + std::string("L\0=\0"
                                                "1\0\r\0\n\0",
                                                10));
    // And big-endian.
    const std::string be("\xFE\xFF\0[\x04\x11\0]\0\n\0K\0=\0x", 16);
    EXPECT_EQ(profile::ReadString(file(be, "be.ini"), "Б", "K", ""), "x");
}

TEST_F(ProfileTest, AWriteIntoAMissingDirectoryFails) {
    const std::string path = dir.file("no/such/dir/test.ini");
    EXPECT_FALSE(profile::WriteString(path, "A", "K", "1"));
    EXPECT_FALSE(fs::exists(dir.path() / "no"));
}

TEST_F(ProfileTest, AReadOnlyDirectoryRefusesTheWriteAndKeepsTheOldFile) {
    const std::string before = "[A]\r\nK=1\r\n";
    const std::string path = file(before);
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    bool refused = false;
    {
        OrdinaryUser user;
        EXPECT_EQ(profile::ReadString(path, "A", "K", ""), "1");  // refused for the directory, not the file
        refused = !profile::WriteString(path, "A", "K", "2");
        EXPECT_FALSE(profile::WriteString(path, "B", "K", "2"));
        EXPECT_FALSE(profile::EraseSection(path, "A"));
    }
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_TRUE(refused);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(entries(), std::vector<std::string>{"test.ini"});
}

TEST_F(ProfileTest, AReadOnlyFileStaysAsItIs) {
    const std::string path = file("[A]\nK=1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(profile::WriteString(path, "A", "K", "2"));
    EXPECT_EQ(ReadText(path), "[A]\nK=1\n");
    EXPECT_EQ(profile::ReadString(path, "A", "K", ""), "1");
    EXPECT_EQ(entries(), std::vector<std::string>{"test.ini"});
}

TEST_F(ProfileTest, AFullDiskLeavesTheOldFileWhole) {
    const std::string before = "[A]\r\nK=1\r\n";
    const std::string path = file(before);
    // A file-size limit makes every write beyond 64 bytes fail, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = profile::WriteString(path, "A", "Long", std::string(500, 'v'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(entries(), std::vector<std::string>{"test.ini"});
    EXPECT_TRUE(profile::WriteString(path, "A", "Long", std::string(500, 'v')));  // with room again
}

TEST_F(ProfileTest, TheReplacementKeepsPermissionsAndSymbolicLinks) {
    const std::string path = file("[A]\nK=1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(profile::WriteString(path, "A", "K", "2"));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_directory(dir.path() / "real");
    const std::string target = dir.file("real/target.ini");
    WriteFile(target, {'[', 'A', ']', '\n'});
    const std::string link = dir.file("link.ini");
    fs::create_symlink(target, link);
    EXPECT_TRUE(profile::WriteString(link, "A", "K", "3"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(target), "[A]\nK=3\r\n");
    EXPECT_EQ(profile::ReadString(link, "A", "K", ""), "3");
}

TEST_F(ProfileTest, AFileThatCannotBeReadIsNeverReplaced) {
    fs::create_directory(dir.path() / "Config.ini");  // a directory where the file should be
    EXPECT_FALSE(profile::WriteString(dir.file("Config.ini"), "A", "K", "1"));
    EXPECT_FALSE(profile::EraseSection(dir.file("Config.ini"), "A"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "Config.ini"));
    EXPECT_TRUE(profile::ReadSectionNames(dir.file("Config.ini")).empty());
}

}  // namespace
}  // namespace program_test
