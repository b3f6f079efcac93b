// The configuration layer: number text in both regional forms, the profile files and their atomic
// writes, the field checks, the command line and the storage of options and configurations.
#include <sys/stat.h>

#include "config/check.h"
#include "config/command_line.h"
#include "config/number_text.h"
#include "config/options.h"
#include "config/profile.h"
#include "config/sets.h"
#include "config/storage.h"
#include "program_fixture.h"

namespace program_test {
namespace {

// ---- Number text ------------------------------------------------------------------------------------

TEST(NumberText, FloatToStrForms) {
    const std::pair<double, const char*> cases[] = {
        {2200, "2200"},      {0.5, "0.5"},           {-40, "-40"},         {1e-6, "1E-6"},
        {0.00001, "1E-5"},   {0.0001, "0.0001"},     {1.5e-5, "1.5E-5"},   {1e15, "1E15"},
        {999999999999999, "999999999999999"},        {-2.5e20, "-2.5E20"}, {-0.0, "0"},
        {0.1 + 0.2, "0.3"},  {1000.123456789012345, "1000.12345678901"}, {12.5, "12.5"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FloatToStr(value, '.'), text) << value;
    EXPECT_EQ(FloatToStr(0.5, ','), "0,5");
    EXPECT_EQ(FloatToStr(1.5e-5, ','), "1,5E-5");
}

TEST(NumberText, ParsingFollowsTheSeparator) {
    EXPECT_EQ(TryStrToFloat("0,5", ','), 0.5);
    EXPECT_EQ(TryStrToFloat("0.5", ','), std::nullopt);  // the other separator is not a number
    EXPECT_EQ(TryStrToFloat(" -1.5E3 ", '.'), -1500.0);
    EXPECT_EQ(TryStrToFloat("1E-6", '.'), 1e-6);
    for (const char* bad : {"", "abc", "1..2", "1-2", "-", ".", "1E", "inf", "nan", "1e999", "12 3", "0x10"})
        EXPECT_EQ(TryStrToFloat(bad, '.'), std::nullopt) << bad;
    EXPECT_THROW(StrToFloat("abc", '.'), EConvertError);
}

TEST(NumberText, IntegerForms) {
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        {"300", 300},   {"-5", -5},       {"$A", 10},         {"0x13", 19},         {"0X13", 19},
        {"$FFFFFFFF", -1}, {"-$10", -16}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},     {"$100000000", std::nullopt}, {"12x", std::nullopt},
        {"", std::nullopt}, {"$", std::nullopt}, {"1 ", std::nullopt}, {" 7", 7}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(TryStrToInt(text), value) << text;
}

TEST(NumberText, RoundingAndFixedForms) {
    EXPECT_EQ(RoundHalfEven(116.5), 116);
    EXPECT_EQ(RoundHalfEven(117.5), 118);
    EXPECT_EQ(RoundHalfEven(-537.18), -537);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(FormatFixed2(1.0, ','), "1,00");
    EXPECT_EQ(FormatThousands(1234567, ' '), "1 234 567");
    EXPECT_EQ(FormatThousands(0, ','), "0");
    EXPECT_EQ(FormatThousands(999, ','), "999");
}

// ---- Profile files ----------------------------------------------------------------------------------

class ProfileTest : public ::testing::Test {
 protected:
    std::string file() const { return dir.file("test.ini"); }
    void write(const std::string& text) const { std::ofstream(file(), std::ios::binary) << text; }
    std::string text() const { return ReadText(file()); }
    TempDir dir;
};

TEST_F(ProfileTest, ReadingFollowsTheWindowsRules) {
    write("; comment\n[Options]\nKey = value \nquoted=\"  spaced  \"\nsingle='x'\nnoequals\nKEY=second\n"
          "[options]\nOther=1\n[Two]\r\nA=1\r\nlast=no line end");
    EXPECT_EQ(profile::ReadString(file(), "OPTIONS", "key", "d"), "value");  // names without regard to case
    EXPECT_EQ(profile::ReadString(file(), "Options", "quoted", "d"), "  spaced  ");
    EXPECT_EQ(profile::ReadString(file(), "Options", "single", "d"), "x");
    EXPECT_EQ(profile::ReadString(file(), "Options", "noequals", "d"), "d");
    EXPECT_EQ(profile::ReadString(file(), "Options", "Other", "d"), "d");  // the first section of a name wins
    EXPECT_EQ(profile::ReadString(file(), "Two", "last", "d"), "no line end");
    EXPECT_EQ(profile::ReadString(file(), "Two", "A", "d"), "1");
    EXPECT_EQ(profile::ReadSectionNames(file()), (std::vector<std::string>{"Options", "Two"}));
    EXPECT_EQ(profile::ReadString(dir.file("missing.ini"), "A", "B", "d"), "d");
    EXPECT_TRUE(profile::ReadSectionNames(dir.file("missing.ini")).empty());

    write("[S]\nLong=" + std::string(3000, 'v') + "\n");
    EXPECT_EQ(profile::ReadString(file(), "S", "Long", "").size(), profile::kMaxValueLength);
    write("\xEF\xBB\xBF[S]\nName=\xD0\x96\n");  // UTF-8 with its byte-order mark
    EXPECT_EQ(profile::ReadString(file(), "s", "name", ""), "\xD0\x96");
}

TEST_F(ProfileTest, WritesReplaceInPlaceAndKeepEverythingElse) {
    write("; keep me\n[A]\nX=1\n\n[B]\nkey=old\nY=2\n");
    ASSERT_TRUE(profile::WriteString(file(), "b", "KEY", "new"));
    EXPECT_EQ(text(), "; keep me\n[A]\nX=1\n\n[B]\nkey=new\nY=2\n");  // in place, the key keeps its spelling
    ASSERT_TRUE(profile::WriteString(file(), "A", "Z", "3"));
    EXPECT_EQ(text(), "; keep me\n[A]\nX=1\nZ=3\r\n\n[B]\nkey=new\nY=2\n");  // after the section's last key
    ASSERT_TRUE(profile::WriteString(file(), "C", "Q", "4"));
    EXPECT_EQ(profile::ReadString(file(), "C", "Q", ""), "4");
    EXPECT_EQ(text(), "; keep me\n[A]\nX=1\nZ=3\r\n\n[B]\nkey=new\nY=2\n\r\n[C]\r\nQ=4\r\n");
    ASSERT_TRUE(profile::EraseSection(file(), "b"));
    EXPECT_EQ(profile::ReadSectionNames(file()), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(profile::ReadString(file(), "A", "X", ""), "1");
}

TEST_F(ProfileTest, WritesCreateTheFileAndReadBack) {
    ASSERT_TRUE(profile::WriteStrings(file(), "Default", {{"Carrier", "1000"}, {"SourceFile", "Signals\\IBS256.BIN"}}));
    EXPECT_EQ(text(), "[Default]\r\nCarrier=1000\r\nSourceFile=Signals\\IBS256.BIN\r\n");
    write("[S]\nlast=1");  // no line end on the last line
    ASSERT_TRUE(profile::WriteString(file(), "S", "next", "2"));
    EXPECT_EQ(text(), "[S]\nlast=1\r\nnext=2\r\n");
}

TEST_F(ProfileTest, RefusedWritesChangeNothing) {
    EXPECT_FALSE(profile::WriteString(dir.file("no/such/dir/x.ini"), "S", "K", "V"));
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    write("[S]\nK=old\n");
    chmod(dir.path().c_str(), 0555);
    EXPECT_FALSE(profile::WriteString(file(), "S", "K", "new"));
    EXPECT_FALSE(profile::EraseSection(file(), "S"));
    chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(text(), "[S]\nK=old\n");
}

TEST_F(ProfileTest, AWriteNeverLeavesATemporaryBehind) {
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(profile::WriteString(file(), "S", "K" + std::to_string(i), "v"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

// ---- Field checks -----------------------------------------------------------------------------------

class CheckTest : public ::testing::Test {
 protected:
    void SetUp() override {
        InstallMessageBoxes(&ui);
        CreateWarning(0);
        LocaleDecimalChar = '.';
    }
    void TearDown() override {
        InstallMessageBoxes(nullptr);
        LocaleDecimalChar = '.';
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const auto& box : ui.boxes())
            all.push_back(box.text);
        return all;
    }
    RecordingUi ui;
    TCheckClass check;
};

TEST_F(CheckTest, KeyFilters) {
    struct Case {
        char16_t key;
        char separator;
        bool intAdmits, hexAdmits;
    };
    for (const Case& c : {Case{'5', '.', true, true}, Case{'-', '.', true, false}, Case{'x', '.', false, false},
                          Case{'F', '.', false, true}, Case{'f', '.', false, true}, Case{'.', '.', true, true},
                          Case{'.', ',', false, false}, Case{',', ',', true, true}, Case{8, '.', true, true},
                          Case{13, '.', true, true}, Case{22, '.', true, true}, Case{u'ж', '.', false, false},
                          Case{0x12C, '.', false, false} /* low byte ',' must not count */}) {
        LocaleDecimalChar = c.separator;
        ui.clear();
        char16_t key = c.key;
        EXPECT_EQ(check.CheckInt(key), c.intAdmits) << int(c.key);
        EXPECT_EQ(key, c.intAdmits ? c.key : 0);
        key = c.key;
        EXPECT_EQ(check.CheckHex(key), c.hexAdmits) << int(c.key);
        EXPECT_EQ(ui.boxes().size(), std::size_t(!c.intAdmits) + std::size_t(!c.hexAdmits));
    }
}

TEST_F(CheckTest, RangeChecks) {
    EXPECT_EQ(check.CheckRangeDouble(true, "2200", 1000, 800, 2200), 2200);
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(check.CheckRangeDouble(true, "2200.5", 1000, 800, 2200), 1000);
    EXPECT_EQ(check.CheckRangeDouble(true, "", 1000, 800, 2200), 1000);
    EXPECT_EQ(check.CheckRangeDouble(true, "1-2", 1000, 800, 2200), 1000);
    EXPECT_EQ(check.CheckRangeDouble2(true, "0.00001", 1, 0.0001, 1000), 1);
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Value for the field above the maximum : 2200. Value will be set by default.",
                           "Entered an invalid value. Value will be set by default.",
                           "Entered an invalid value. Value will be set by default.",
                           "Value for the field below the minimum : 0.0001. Value will be set by default."}));
    for (const auto& box : ui.boxes())
        EXPECT_EQ(box.kind, TMsgKind::Warning);
    // Without reading the field there is nothing to check: the default, without a box.
    ui.clear();
    EXPECT_EQ(check.CheckRangeDouble(false, "5000", 1000, 800, 2200), 1000);
    EXPECT_EQ(check.CheckRangeHex(false, "1", "7F", "0", "FF"), 0x7Fu);
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(CheckTest, IntegerHexAndEmptyChecks) {
    EXPECT_EQ(check.CheckRangeInt(true, "$10", 0, 0, 100), 16);
    EXPECT_EQ(check.CheckRangeInt(true, "101", 5, 0, 100), 5);
    EXPECT_EQ(check.CheckRangeHex(true, "1G", "0", "0", "FF"), 0u);
    EXPECT_EQ(check.CheckRangeHex(true, "100", "7", "0", "FF"), 7u);
    EXPECT_EQ(check.CheckRangeHex(true, "ff", "7", "0", "FF"), 0xFFu);
    EXPECT_EQ(check.CheckRangeHex(true, "1FFFFFFFF", "0", "0", "FFFFFFFFFF"), 0xFFFFFFFFu);  // the low 32 bits
    EXPECT_FALSE(check.CheckRangeEmpty(""));
    EXPECT_TRUE(check.CheckRangeEmpty("x"));
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Value for the field above the maximum : 100. Value will be set by default.",
                           "Entered an invalid value. Value will be set by default.",
                           "Value for the field above the maximum : 0xFF. Value will be set by default.",
                           "The field is empty."}));
}

TEST_F(CheckTest, ClockCheckKeepsValuesAboveItsMaximum) {
    EXPECT_EQ(CheckClkFreq("250000", 220000, 0.5, 1000), 250000);
    EXPECT_EQ(CheckClkFreq("0.1", 220000, 0.5, 1000), 1000);
    EXPECT_EQ(CheckClkFreq("x", 220000, 0.5, 1000), 1000);
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Value for the field above the maximum : 220000. Correct work is not guaranteed.",
                           "Value for the field below the minimum : 0.5. Value will be set by default.",
                           "Entered an invalid value. Value will be set by default."}));
}

// ---- Command line -----------------------------------------------------------------------------------

TEST_F(CheckTest, CommandLine) {
    struct Case {
        std::vector<std::string> arguments;
        std::uint8_t device;
        std::string file, name;
        std::size_t boxes;
    };
    const Case cases[] = {
        {{}, 0, "", "", 0},
        {{"-d", "2", "-cf", "Lab.cfg", "-cn", "Test"}, 2, "Lab.cfg", "Test", 0},
        {{"-d", "x"}, 0, "", "", 1},
        {{"-d"}, 0, "", "", 1},
        {{"-d", "3", "-d", "x"}, 3, "", "", 1},  // an earlier -d keeps its value
        {{"-d", "300"}, 44, "", "", 0},
        {{"-d", "$A"}, 10, "", "", 0},
        {{"-x", "5", "-d", "1"}, 1, "", "", 0},
        {{"-D", "1"}, 0, "", "", 0},
        {{"-cf", "Lab.cfg"}, 0, "Lab.cfg", "", 0},
        {{"-cf", "A.cfg", "", "-d", "4"}, 0, "A.cfg", "", 0},  // an empty argument ends the reading
    };
    for (const Case& c : cases) {
        ui.clear();
        const TCommandLine line = ReadCommandLine(c.arguments);
        EXPECT_EQ(line.DeviceNum, c.device) << ::testing::PrintToString(c.arguments);
        EXPECT_EQ(line.ConfFile, c.file);
        EXPECT_EQ(line.ConfName, c.name);
        ASSERT_EQ(ui.boxes().size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(ui.boxes().front().text, "Cmd line param [-d] must be numerical! Example : Zorvanl.exe -d 0");
        }
    }
}

// ---- Storage ----------------------------------------------------------------------------------------

// The windows' side of the storage, recorded.
class FakeHost final : public TStorageHost {
 public:
    int WindowTop() const override { return 40; }
    int WindowLeft() const override { return 70; }
    void MoveWindow(int top, int left) override { moved = {top, left}; }
    void ReadCfgFiles() override { sets = ListSetNames(); }
    std::vector<std::string> SetEntries() const override { return sets; }
    void ChooseSet(TStoregeClass& storage, int index) override {
        chosen = sets[static_cast<std::size_t>(index)];
        CurrentSetFile = SetFilePath(chosen);
        CurrentSetName = storage.ReadNameLastSet(CurrentSetFile);
    }
    void ApplyLanguage() override { ++languageApplied; }

    std::vector<std::string> sets;
    std::string chosen;
    std::pair<int, int> moved{-1, -1};
    int languageApplied = 0;
};

class StorageTest : public ProgramTest {
 protected:
    void SetUp() override {
        ProgramTest::SetUp();
        AppDir = dir.path().string() + "/";
        LocaleDecimalChar = '.';
    }
    void TearDown() override {
        LocaleDecimalChar = '.';
        ProgramTest::TearDown();
    }
    void write(const std::string& relative, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(relative)).parent_path());
        std::ofstream(dir.file(relative), std::ios::binary) << text;
    }
    FakeHost host;
};

TEST_F(StorageTest, FirstStartWithoutFilesTakesEveryDefault) {
    hw->F_N = 5;
    TCommandConfiguration commands;
    {
        TStoregeClass storage(host, commands);
        EXPECT_EQ(host.moved, std::make_pair(0, 0));
        EXPECT_EQ(current_language, 0);
        EXPECT_TRUE(hw->TxDisableOnExit);
        EXPECT_EQ(CurrentSetFile, "User/Default.cfg");
        EXPECT_EQ(CurrentSetName, "Default");
        EXPECT_EQ(hw->F_N, 1000);
        EXPECT_EQ(hw->ModKind, 3);
        EXPECT_EQ(hw->AttVH, 20);
        EXPECT_EQ(hw->AttNH, 2);
        EXPECT_EQ(hw->Samples, 4);
        EXPECT_EQ(hw->SourceFile, "Signals/IBS256.BIN");
        EXPECT_EQ(host.languageApplied, 1);
        EXPECT_EQ(TStoregeClass::ReadAllINISections(dir.file("User/Default.cfg")), std::vector<std::string>{"Default"});
    }
    // The exit saved the nine options and the 28 keys of the configuration in force.
    const std::string options = ReadText(dir.file("Config.ini"));
    EXPECT_EQ(options,
              "[Options]\r\nTop=40\r\nLeft=70\r\nLanguage=0\r\nCurrentSetFile=User/Default.cfg\r\n"
              "CurrentSetName=Default\r\nTxDisableOnExit=1\r\nUseDebugLog=0\r\nBuffersLogging=0\r\nDrvBuffEx=0\r\n");
    const profile::Snapshot set = profile::Snapshot::Load(dir.file("User/Default.cfg"));
    for (const char* key : kConfigurationKeys)
        EXPECT_NE(set.Read("Default", key, "<none>"), "<none>") << key;
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(StorageTest, ValueFormsAndTheirDefaults) {
    write("User/Default.cfg",
          "[Options]\nLastSet=Odd\n[Odd]\nCarrier=abc\nModKind=0x13\nSine=2\nFreqSteep=0,5\nFilter=259\n"
          "PerestReg=$101\nClock=1E3\nSourceFile=Signals\\prbs15.bin\nPomeha=-12.5\nSweep=x\n");
    TCommandConfiguration commands;
    TStoregeClass storage(host, commands);
    EXPECT_EQ(host.chosen, "Default");
    EXPECT_EQ(CurrentSetName, "Odd");
    EXPECT_EQ(hw->F_N, 1000);     // not a number: the default
    EXPECT_EQ(hw->ModKind, 19);   // hexadecimal
    EXPECT_TRUE(SineSettings.NeedToStartSine);  // non-zero is true
    EXPECT_FALSE(SweepSettings.NeedToStartSweep);
    EXPECT_EQ(hw->FreqStep, 1);   // written under ',' and read under '.'
    EXPECT_EQ(hw->Filter, 3);     // the low 8 bits of 259
    EXPECT_EQ(SweepSettings.PerestReg, 1);
    EXPECT_EQ(hw->F_TI, 1000);
    EXPECT_EQ(hw->Pomeha, -12.5);
    EXPECT_EQ(hw->SourceFile, "Signals/prbs15.bin");  // a path written by the Windows program
}

TEST_F(StorageTest, RoundTripUnderACommaLocale) {
    LocaleDecimalChar = ',';
    TCommandConfiguration commands;
    TStoregeClass storage(host, commands);
    hw->F_N = 1234.5;
    hw->FreqStep = 0.00001;
    hw->packing_bit = 1;
    SweepSettings.SweepIsWork = true;
    storage.SaveUserConfig("Lab", dir.file("User/Lab.cfg"));
    EXPECT_EQ(profile::ReadString(dir.file("User/Lab.cfg"), "Lab", "Carrier", ""), "1234,5");
    EXPECT_EQ(profile::ReadString(dir.file("User/Lab.cfg"), "Lab", "FreqSteep", ""), "1E-5");
    hw->F_N = 0;
    storage.LoadUserConfig("lab", dir.file("User/Lab.cfg"));
    EXPECT_EQ(hw->F_N, 1234.5);
    EXPECT_EQ(hw->FreqStep, 0.00001);
    EXPECT_EQ(hw->packing_bit, 1);
    EXPECT_TRUE(SweepSettings.NeedToStartSweep);
    SweepSettings = {};
}

TEST_F(StorageTest, SectionListsOfSetFiles) {
    write("User/OnlyOptions.cfg", "[Options]\nLastSet=X\n");
    write("User/Empty.cfg", "");
    write("User/Two.cfg", "[B]\n[Options]\n[A]\n[options]\n");
    EXPECT_TRUE(TStoregeClass::ReadAllINISections(dir.file("User/OnlyOptions.cfg")).empty());
    EXPECT_EQ(TStoregeClass::ReadAllINISections(dir.file("User/Empty.cfg")), std::vector<std::string>{"Default"});
    EXPECT_EQ(TStoregeClass::ReadAllINISections(dir.file("User/Missing.cfg")), std::vector<std::string>{"Default"});
    EXPECT_EQ(TStoregeClass::ReadAllINISections(dir.file("User/Two.cfg")), (std::vector<std::string>{"B", "A"}));
    write("User/x.CFG", "");
    write("User/b.cfg.bak", "");
    EXPECT_EQ(ListSetNames(), (std::vector<std::string>{"Empty", "OnlyOptions", "Two", "x.CFG"}));
}

TEST_F(StorageTest, CommandLineConfiguration) {
    write("User/Lab.cfg", "[Options]\nLastSet=Other\n[Test]\nCarrier=1500\n[Zero]\nCarrier=0\n");
    write("User/Default.cfg", "[Options]\nLastSet=Default\n");
    TCommandConfiguration valid{"Lab.cfg", "Test", false};
    {
        TStoregeClass storage(host, valid);
        EXPECT_TRUE(valid.Valid);
        EXPECT_EQ(host.chosen, "Lab");
        EXPECT_EQ(CurrentSetName, "Test");
        EXPECT_EQ(hw->F_N, 1500);
    }
    for (TCommandConfiguration ignored : {TCommandConfiguration{"Lab.cfg", "Zero", false},
                                          TCommandConfiguration{"Lab.cfg", "", false},
                                          TCommandConfiguration{"Nope.cfg", "Test", false}}) {
        std::filesystem::remove(dir.file("Config.ini"));
        TStoregeClass storage(host, ignored);
        EXPECT_FALSE(ignored.Valid) << ignored.ConfFile << " " << ignored.ConfName;
        EXPECT_EQ(host.chosen, "Default");
    }
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(StorageTest, ARefusedWriteNamesTheFile) {
    TCommandConfiguration commands;
    TStoregeClass storage(host, commands);
    std::filesystem::create_directories(dir.file("Blocked.cfg"));  // a directory where the file should be
    try {
        storage.SaveUserConfig("X", dir.file("Blocked.cfg"));
        FAIL() << "no error";
    } catch (const EStorageError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + dir.file("Blocked.cfg"));
    }
    EXPECT_THROW(storage.SaveNameLastSet(dir.file("Blocked.cfg"), "X"), EStorageError);
}

}  // namespace
}  // namespace program_test
