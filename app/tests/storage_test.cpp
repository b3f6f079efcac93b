// Configuration storage and the set directory: Config.ini and the set files, the start-up load and the
// exit save. The hardware object stands on a device number without a board: the library's set calls
// reach no board, and this test program stands in front of them to see what they are given.
#include "config/storage.h"

#include <functional>
#include <sstream>

#include "config/number_text.h"
#include "config/options.h"
#include "config/profile.h"
#include "config/sets.h"
#include "hw/streaming.h"
#include "program_fixture.h"
#include "tools/logger.h"

namespace {
std::vector<std::string> libraryCalls;
}
extern "C" void _SetModKind(uint8_t dev, uint8_t kind) {
    libraryCalls.push_back("SetModKind " + std::to_string(dev) + " " + std::to_string(kind));
}
extern "C" void _SetFilterType(uint8_t dev, uint8_t type) {
    libraryCalls.push_back("SetFilterType " + std::to_string(dev) + " " + std::to_string(type));
}
extern "C" void _SetSpectrInv(uint8_t dev, uint8_t inv) {
    libraryCalls.push_back("SetSpectrInv " + std::to_string(dev) + " " + std::to_string(inv));
}

namespace program_test {
namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t kNoBoard = 9;

// The windows' part of the start-up load: records what it is asked, and chooses a set as the main
// window does (its configuration list, LastSet, the configuration loaded and LastSet written back).
class FakeHost final : public TStorageHost {
 public:
    int WindowTop() const override { return top; }
    int WindowLeft() const override { return left; }
    void MoveWindow(int Top, int Left) override {
        calls.push_back("MoveWindow " + std::to_string(Top) + " " + std::to_string(Left));
        top = Top;
        left = Left;
    }
    void ReadCfgFiles() override {
        calls.push_back("ReadCfgFiles");
        entries = ListSetNames();
    }
    std::vector<std::string> SetEntries() const override { return entries; }
    void ChooseSet(TStoregeClass& storage, int index) override {
        calls.push_back("ChooseSet " + entries.at(static_cast<std::size_t>(index)));
        chosenBy = &storage;
        const std::string file = SetFilePath(entries.at(static_cast<std::size_t>(index)));
        CurrentSetFile = file;
        const std::string last = storage.ReadNameLastSet(file);
        std::string name;
        for (const auto& section : TStoregeClass::ReadAllINISections(file))
            if (SamePathIgnoreCase(section, last)) name = section;
        storage.LoadUserConfig(name, CurrentSetFile);
        CurrentSetName = name;
        storage.SaveNameLastSet(CurrentSetFile, CurrentSetName);
    }
    void ApplyLanguage() override { calls.push_back("ApplyLanguage " + std::to_string(current_language)); }

    int top = 0, left = 0;
    std::vector<std::string> calls;
    std::vector<std::string> entries;
    TStoregeClass* chosenBy = nullptr;
};

class StorageTest : public ::testing::Test {
 protected:
    void SetUp() override {
        InstallMessageBoxes(&ui);
        CreateWarning(0);
        AppDir = dir.path().string() + "/";
        LocaleDecimalChar = '.';
        CurrentSetFile.clear();
        CurrentSetName.clear();
        UseDebugLog = false;
        DrvBuffEx = false;
        BuffersLogging = false;
        current_language = 0;
        SweepSettings = {};
        SineSettings = {};
        libraryCalls.clear();
        hw = std::make_unique<TZorvanHWClass>(kNoBoard);
        ZorvanHWObject = hw.get();
    }
    void TearDown() override {
        DebugLogger.Disable();
        ZorvanHWObject = nullptr;
        hw.reset();
        InstallMessageBoxes(nullptr);
        LocaleDecimalChar = '.';
    }
    std::string user(const std::string& name) const { return AppDir + "User/" + name; }
    void write(const std::string& path, const std::string& content) {
        fs::create_directories(fs::path(path).parent_path());
        WriteFile(path, std::vector<std::uint8_t>(content.begin(), content.end()));
    }
    std::unique_ptr<TStoregeClass> start(TCommandConfiguration given = {}) {
        commands = given;
        return std::make_unique<TStoregeClass>(host, commands);
    }
    // The key names of a section in file order.
    static std::vector<std::string> keysOf(const std::string& path, const std::string& section) {
        std::vector<std::string> keys;
        bool inside = false;
        std::istringstream in(ReadText(path));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line.front() == '[') {
                inside = line == "[" + section + "]";
            } else if (inside && line.find('=') != std::string::npos) {
                keys.push_back(line.substr(0, line.find('=')));
            }
        }
        return keys;
    }

    RecordingUi ui;
    TempDir dir;
    FakeHost host;
    TCommandConfiguration commands;
    std::unique_ptr<TZorvanHWClass> hw;
};

// Every value a configuration holds, as text, to compare whole configurations.
std::vector<std::string> ConfigurationState(const TZorvanHWClass& hw) {
    const auto n = [](auto value) { return std::to_string(value); };
    const auto d = [](double value) { return FloatToStr(value, '.'); };
    return {d(hw.F_N),
            d(hw.F_TI),
            n(hw.ModKind),
            d(hw.FreqStep),
            d(hw.AttVH),
            d(hw.AttNH),
            n(hw.Filter),
            n(hw.Samples),
            n(hw.Noise),
            d(hw.Pomeha),
            n(hw.Scram320),
            n(hw.Diff1),
            n(hw.Code),
            n(hw.Diff2),
            n(hw.SpectrInv),
            n(hw.SourceKind),
            n(hw.IstSig),
            n(hw.SourceCode),
            hw.SourceFile,
            d(SineSettings.FreqOtstr),
            d(SineSettings.OtnosLevel),
            d(SweepSettings.IntervPerest),
            n(SweepSettings.PerestTime),
            n(SweepSettings.PerestReg),
            n(hw.packing_bit),
            n(hw.packing_byte),
            n(SineSettings.NeedToStartSine),
            n(SweepSettings.NeedToStartSweep)};
}

const std::vector<std::string> kDefaults = {"1000",
                                            "1000",
                                            "3",
                                            "1",
                                            "20",
                                            "2",
                                            "0",
                                            "4",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "Signals/IBS256.BIN",
                                            "1000",
                                            "0",
                                            "1000",
                                            "1",
                                            "0",
                                            "0",
                                            "0",
                                            "0",
                                            "0"};

TEST_F(StorageTest, AFirstStartWithoutAnyFileTakesEveryDefault) {
    hw->F_N = 5;  // something the load must replace
    auto storage = start();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"MoveWindow 0 0", "ReadCfgFiles", "ApplyLanguage 0"}));
    EXPECT_EQ(current_language, 0);
    EXPECT_TRUE(hw->TxDisableOnExit);
    EXPECT_FALSE(UseDebugLog);
    EXPECT_FALSE(DrvBuffEx);
    EXPECT_FALSE(BuffersLogging);
    EXPECT_FALSE(DebugLogger.LogEnabled);
    EXPECT_EQ(CurrentSetFile, "User/Default.cfg");
    EXPECT_EQ(CurrentSetName, "Default");
    EXPECT_EQ(ConfigurationState(*hw), kDefaults);
    EXPECT_EQ(TStoregeClass::ReadAllINISections(CurrentSetFile), std::vector<std::string>{"Default"});
    EXPECT_EQ(libraryCalls,
              (std::vector<std::string>{"SetModKind 9 3", "SetFilterType 9 0", "SetSpectrInv 9 0"}));
    EXPECT_FALSE(commands.Valid);
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(StorageTest, AFirstStartWithTheDefaultSetChoosesItWithTheObjectBeingCreated) {
    write(user("Default.cfg"),
          "[Options]\r\nLastSet=Lab\r\n[Default]\r\nCarrier=900\r\n[Lab]\r\nCarrier=1500\r\n");
    write(user("Alpha.cfg"), "[Default]\r\nCarrier=1100\r\n");
    auto storage = start();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"MoveWindow 0 0", "ReadCfgFiles", "ChooseSet Default",
                                                    "ApplyLanguage 0"}));
    EXPECT_EQ(host.chosenBy, storage.get());
    EXPECT_EQ(CurrentSetFile, user("Default.cfg"));
    EXPECT_EQ(CurrentSetName, "Lab");
    EXPECT_EQ(hw->F_N, 1500);
}

TEST_F(StorageTest, ExitThenStartKeepsOptionsAndTheConfigurationInForceInTheDefaultSet) {
    write(user("Lab.cfg"), "[Options]\r\nLastSet=Test\r\n[Test]\r\nCarrier=1200\r\n");
    write(AppDir + "Config.ini", "[Options]\r\nCurrentSetFile=" + user("Lab.cfg") + "\r\n");
    auto storage = start();
    ASSERT_EQ(CurrentSetName, "Test");
    // A configuration far from every default.
    hw->F_N = 1234.5;
    hw->F_TI = 0.00001;
    hw->ModKind = 19;
    hw->FreqStep = 0.25;
    hw->AttVH = 31;
    hw->AttNH = 0;
    hw->Filter = 5;
    hw->Samples = 2;
    hw->Noise = 1;
    hw->Pomeha = -40;
    hw->Scram320 = 1;
    hw->Diff1 = 1;
    hw->Code = 7;
    hw->Diff2 = 1;
    hw->SpectrInv = 1;
    hw->SourceKind = 2;
    hw->IstSig = 4;
    hw->SourceCode = 1;
    hw->SourceFile = "/data/my signal.bin";
    SineSettings.FreqOtstr = 12.5;
    SineSettings.OtnosLevel = -3;
    SineSettings.SineIsWork = true;
    SweepSettings.IntervPerest = 2500;
    SweepSettings.PerestTime = 60;
    SweepSettings.PerestReg = 1;
    SweepSettings.SweepIsWork = true;
    hw->packing_bit = 1;
    hw->packing_byte = 1;
    hw->TxDisableOnExit = false;
    host.top = 120;
    host.left = -8;
    current_language = 1;
    UseDebugLog = true;
    BuffersLogging = true;
    DrvBuffEx = true;
    fs::remove(AppDir + "Config.ini");  // a fresh file shows the order of the keys
    storage.reset();                    // the exit save
    EXPECT_TRUE(ui.boxes().empty());

    EXPECT_EQ(keysOf(AppDir + "Config.ini", "Options"),
              (std::vector<std::string>{"Top", "Left", "Language", "CurrentSetFile", "CurrentSetName",
                                        "TxDisableOnExit", "UseDebugLog", "BuffersLogging", "DrvBuffEx"}));
    EXPECT_EQ(profile::ReadString(AppDir + "Config.ini", "Options", "CurrentSetName", ""), "Test");
    EXPECT_EQ(keysOf(user("Default.cfg"), "Default"),
              std::vector<std::string>(kConfigurationKeys.begin(), kConfigurationKeys.end()));
    EXPECT_EQ(profile::ReadString(user("Default.cfg"), "Default", "Clock", ""), "1E-5");
    EXPECT_EQ(profile::ReadString(user("Lab.cfg"), "Test", "Carrier", ""),
              "1200");  // the set in use untouched

    const auto saved = ConfigurationState(*hw);
    hw = std::make_unique<TZorvanHWClass>(kNoBoard);
    ZorvanHWObject = hw.get();
    SineSettings = {};
    SweepSettings = {};
    current_language = 0;
    UseDebugLog = false;
    BuffersLogging = false;
    DrvBuffEx = false;
    host = FakeHost();
    storage = start();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"MoveWindow 120 -8", "ReadCfgFiles", "ChooseSet Lab",
                                                    "ApplyLanguage 1"}));
    EXPECT_FALSE(hw->TxDisableOnExit);
    EXPECT_TRUE(UseDebugLog && BuffersLogging && DrvBuffEx);
    EXPECT_TRUE(DebugLogger.LogEnabled);
    EXPECT_EQ(DebugLogger.FileName().rfind(AppDir + "logs/", 0), 0u) << DebugLogger.FileName();
    EXPECT_EQ(CurrentSetFile, user("Lab.cfg"));
    EXPECT_EQ(CurrentSetName, "Test");
    EXPECT_EQ(hw->F_N, 1200);
    // The configuration that was in force, every key of it, from the Default set.
    storage->LoadUserConfig("Default", user("Default.cfg"));
    auto expected = saved;
    expected[26] = expected[27] = "1";  // Sine and Sweep were on: they arm the start
    EXPECT_EQ(ConfigurationState(*hw), expected);
}

TEST_F(StorageTest, ValuesThatDoNotParseTakeTheirDefaultsAndIntegersTheirLowBits) {
    struct Case {
        const char* line;
        char decimal;
        std::function<std::string(const TZorvanHWClass&)> field;
        std::string value;
    };
    const auto d = [](double value) { return FloatToStr(value, '.'); };
    const Case cases[] = {
        {"Carrier=abc", '.', [&](const TZorvanHWClass& h) { return d(h.F_N); }, "1000"},
        {"Carrier=", '.', [&](const TZorvanHWClass& h) { return d(h.F_N); }, "1000"},
        {"Carrier=\"1500\"", '.', [&](const TZorvanHWClass& h) { return d(h.F_N); }, "1500"},
        {"Carrier=1,5E3", ',', [&](const TZorvanHWClass& h) { return d(h.F_N); }, "1500"},
        {"ModKind=0x13", '.', [](const TZorvanHWClass& h) { return std::to_string(h.ModKind); }, "19"},
        {"ModKind=$FF", '.', [](const TZorvanHWClass& h) { return std::to_string(h.ModKind); }, "255"},
        {"ModKind=259", '.', [](const TZorvanHWClass& h) { return std::to_string(h.ModKind); }, "3"},
        {"ModKind=-1", '.', [](const TZorvanHWClass& h) { return std::to_string(h.ModKind); }, "255"},
        {"ModKind=1.0", '.', [](const TZorvanHWClass& h) { return std::to_string(h.ModKind); }, "3"},
        {"Samples=x", '.', [](const TZorvanHWClass& h) { return std::to_string(h.Samples); }, "4"},
        {"Sine=2", '.', [](const TZorvanHWClass&) { return std::to_string(SineSettings.NeedToStartSine); },
         "1"},
        {"Sine=abc", '.', [](const TZorvanHWClass&) { return std::to_string(SineSettings.NeedToStartSine); },
         "0"},
        {"Sweep=0x10", '.',
         [](const TZorvanHWClass&) { return std::to_string(SweepSettings.NeedToStartSweep); }, "1"},
        {"FreqSteep=0,5", '.', [&](const TZorvanHWClass& h) { return d(h.FreqStep); }, "1"},
        {"FreqSteep=0,5", ',', [&](const TZorvanHWClass& h) { return d(h.FreqStep); }, "0.5"},
        {"FreqSteep=0.5", ',', [&](const TZorvanHWClass& h) { return d(h.FreqStep); }, "1"},
        {"PerestReg=257", '.', [](const TZorvanHWClass&) { return std::to_string(SweepSettings.PerestReg); },
         "1"},
        {"PerestTime=$10", '.',
         [](const TZorvanHWClass&) { return std::to_string(SweepSettings.PerestTime); }, "16"},
        {"PackingBit=0x10", '.', [](const TZorvanHWClass& h) { return std::to_string(h.packing_bit); }, "16"},
        {"PackingByte=-2", '.', [](const TZorvanHWClass& h) { return std::to_string(h.packing_byte); }, "-2"},
        {"SourceFile=Signals\\Other.bin", '.', [](const TZorvanHWClass& h) { return h.SourceFile; },
         "Signals/Other.bin"},
        {"AttVH=1e400", '.', [&](const TZorvanHWClass& h) { return d(h.AttVH); }, "20"},
    };
    auto storage = start();
    for (const auto& c : cases) {
        LocaleDecimalChar = c.decimal;
        write(user("Set.cfg"), std::string("[Conf]\r\n") + c.line + "\r\n");
        storage->LoadUserConfig("conf", user("Set.cfg"));
        EXPECT_EQ(c.field(*hw), c.value) << c.line << " under '" << c.decimal << "'";
    }
    libraryCalls.clear();
    write(user("Set.cfg"), "[Conf]\r\nModKind=0x13\r\nFilter=258\r\nSpectrInv=1\r\n");
    storage->LoadUserConfig("Conf", user("Set.cfg"));
    EXPECT_EQ(libraryCalls,
              (std::vector<std::string>{"SetModKind 9 19", "SetFilterType 9 2", "SetSpectrInv 9 1"}));
}

TEST_F(StorageTest, FloatingPointValuesAreWrittenWithTheLocaleSeparator) {
    auto storage = start();
    fs::create_directories(AppDir + "User");
    LocaleDecimalChar = ',';
    hw->FreqStep = 0.5;
    hw->F_TI = 1e-6;
    hw->F_N = 2200;
    storage->SaveUserConfig("Comma", user("Set.cfg"));
    EXPECT_EQ(profile::ReadString(user("Set.cfg"), "Comma", "FreqSteep", ""), "0,5");
    EXPECT_EQ(profile::ReadString(user("Set.cfg"), "Comma", "Clock", ""), "1E-6");
    EXPECT_EQ(profile::ReadString(user("Set.cfg"), "Comma", "Carrier", ""), "2200");
    LocaleDecimalChar = '.';
    storage->LoadUserConfig("Comma", user("Set.cfg"));
    EXPECT_EQ(hw->FreqStep, 1);  // written under ',', read under '.'
    EXPECT_EQ(hw->F_TI, 1e-6);
}

TEST_F(StorageTest, TheConfigurationListOfASetFile) {
    struct Case {
        const char* content;  // nullptr: no file
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"[Options]\r\nLastSet=Default\r\n", {}},
        {"", {"Default"}},
        {"; nothing but a comment\r\n", {"Default"}},
        {nullptr, {"Default"}},
        {"[B]\r\n[Options]\r\n[A]\r\n", {"B", "A"}},
        {"[options]\r\n[B]\r\n", {"options", "B"}},    // only "Options" exactly is removed
        {"[Zeta]\r\n[alpha]\r\n", {"Zeta", "alpha"}},  // file order: the list sorts itself
    };
    for (const auto& c : cases) {
        const std::string path = user("List.cfg");
        fs::remove(path);
        if (c.content) write(path, c.content);
        EXPECT_EQ(TStoregeClass::ReadAllINISections(path), c.names) << (c.content ? c.content : "no file");
    }
}

TEST_F(StorageTest, TheCommandLineConfigurationCountsOnlyWithANonZeroCarrier) {
    write(user("Default.cfg"), "[Options]\r\nLastSet=Main\r\n[Main]\r\nCarrier=950\r\n");
    write(user("Lab.cfg"),
          "[Options]\r\nLastSet=Other\r\n[Other]\r\nCarrier=1100\r\n[Test]\r\nCarrier=1234\r\n"
          "[Zero]\r\nCarrier=0\r\n");
    struct Case {
        TCommandConfiguration commands;
        bool valid;
        std::string setFile;
        std::string name;
        double carrier;
    };
    const Case cases[] = {
        {{"Lab.cfg", "Test"}, true, user("Lab.cfg"), "Test", 1234},
        {{"Lab.cfg", "Zero"}, false, user("Default.cfg"), "Main", 950},
        {{"Lab.cfg", "Missing"}, false, user("Default.cfg"), "Main", 950},
        {{"Nope.cfg", "Test"}, false, user("Default.cfg"), "Main", 950},
        {{"Lab.cfg", ""}, false, user("Default.cfg"), "Main", 950},  // -cf alone
        {{"", "Test"}, false, user("Default.cfg"), "Main", 950},
    };
    for (const auto& c : cases) {
        host = FakeHost();
        auto storage = start(c.commands);
        EXPECT_EQ(commands.Valid, c.valid) << c.commands.ConfFile << " " << c.commands.ConfName;
        EXPECT_EQ(CurrentSetFile, c.setFile) << c.commands.ConfFile << " " << c.commands.ConfName;
        EXPECT_EQ(CurrentSetName, c.name) << c.commands.ConfFile << " " << c.commands.ConfName;
        EXPECT_EQ(hw->F_N, c.carrier) << c.commands.ConfFile << " " << c.commands.ConfName;
        storage.reset();
        fs::remove(AppDir + "Config.ini");  // the exit save named the set in use
    }
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(StorageTest, OptionsReadFromConfigIni) {
    write(AppDir + "Config.ini",
          "[Options]\r\nTop=$10\r\nLeft=-5\r\nLanguage=1\r\nCurrentSetFile=User\\Lab.cfg\r\nTxDisableOnExit="
          "0\r\n"
          "BuffersLogging=7\r\nDrvBuffEx=1\r\n");
    write(user("Lab.cfg"), "[Options]\r\nLastSet=Test\r\n[Test]\r\nCarrier=1300\r\n");
    {
        auto storage = start();
        EXPECT_EQ(host.calls, (std::vector<std::string>{"MoveWindow 16 -5", "ReadCfgFiles", "ChooseSet Lab",
                                                        "ApplyLanguage 1"}));
        EXPECT_FALSE(hw->TxDisableOnExit);
        EXPECT_TRUE(BuffersLogging);
        EXPECT_TRUE(DrvBuffEx);
        EXPECT_FALSE(UseDebugLog);
        EXPECT_EQ(CurrentSetFile, user("Lab.cfg"));  // the Windows form of the relative default matched
        EXPECT_EQ(hw->F_N, 1300);
    }
    // The interface has two languages; an empty set file name is its default (the Default set, which
    // the exit save above created).
    for (const auto& [text, language] :
         std::vector<std::pair<std::string, int>>{{"5", 0}, {"-1", 0}, {"1", 1}}) {
        write(AppDir + "Config.ini", "[Options]\r\nLanguage=" + text + "\r\nCurrentSetFile=\r\n");
        host = FakeHost();
        auto storage = start();
        EXPECT_EQ(current_language, language) << text;
        EXPECT_EQ(host.calls.back(), "ApplyLanguage " + std::to_string(language));
        EXPECT_EQ(CurrentSetFile, user("Default.cfg"));
    }
}

TEST_F(StorageTest, ARelativeSetFileNamesAFileInTheProgramDirectory) {
    auto storage = start();
    ASSERT_EQ(CurrentSetFile, "User/Default.cfg");
    fs::create_directories(AppDir + "User");
    const fs::path cwd = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    storage->SaveNameLastSet(CurrentSetFile, "Chosen");
    const std::string read = storage->ReadNameLastSet(CurrentSetFile);
    fs::current_path(cwd);
    EXPECT_EQ(read, "Chosen");
    EXPECT_EQ(profile::ReadString(user("Default.cfg"), "Options", "LastSet", ""), "Chosen");
    EXPECT_FALSE(fs::exists(fs::temp_directory_path() / "User" / "Default.cfg"));
    EXPECT_EQ(storage->ReadNameLastSet(user("Missing.cfg")), "Default");
}

TEST_F(StorageTest, ARefusedWriteThrowsAndTheExitSaveStillSavesTheDefaultSet) {
    auto storage = start();
    // A set file whose directory cannot exist: a plain file stands where the directory should be.
    { std::ofstream(AppDir + "plain") << "x"; }
    try {
        storage->SaveUserConfig("C", AppDir + "plain/Set.cfg");
        FAIL() << "no exception";
    } catch (const EStorageError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + AppDir + "plain/Set.cfg");
    }
    EXPECT_THROW(storage->SaveNameLastSet(AppDir + "plain/Set.cfg", "x"), EStorageError);
    // A missing set directory is made.
    storage->SaveNameLastSet(AppDir + "missing/Set.cfg", "x");
    EXPECT_EQ(profile::ReadString(AppDir + "missing/Set.cfg", "Options", "LastSet", ""), "x");

    fs::create_directory(AppDir + "Config.ini");  // a directory: the options cannot be written
    hw->F_N = 777;
    ASSERT_FALSE(fs::exists(AppDir + "User"));
    EXPECT_THROW(storage->SaveAtExit(), EStorageError);
    EXPECT_EQ(profile::ReadString(user("Default.cfg"), "Default", "Carrier", ""),
              "777");  // User/ was created
    hw->F_N = 778;
    storage.reset();  // the close saved already: the destruction does not save again
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(profile::ReadString(user("Default.cfg"), "Default", "Carrier", ""), "777");

    storage = start();  // an object destroyed without the close saves, and reports its failure
    storage.reset();
    const auto boxes = ui.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Unable to write to " + AppDir + "Config.ini");
    EXPECT_EQ(boxes[0].kind, TMsgKind::Error);
}

TEST_F(StorageTest, TheSetListHoldsEveryCfgFileSortedWithoutRegardToCase) {
    EXPECT_TRUE(ListSetNames().empty());  // no User directory
    for (const char* name : {"b.cfg", "A.CFG", "a.cfg.cfg", "Zeta.Cfg", "c.txt", "cfg", ".cfg", "Ёлка.cfg",
                             "яблоко.cfg", "Апрель.cfg", "апрель.cfg"})
        write(user(name), "");
    fs::create_directories(user("folder.cfg"));
    EXPECT_EQ(ListSetNames(), (std::vector<std::string>{"", "A.CFG", "a.cfg", "b", "Zeta.Cfg", "Апрель",
                                                        "апрель", "яблоко", "Ёлка"}));
    EXPECT_EQ(SetDirectory(), AppDir + "User/");
    EXPECT_EQ(SetFilePath("Lab"), AppDir + "User/Lab.cfg");
}

TEST_F(StorageTest, PathsCompareWithoutRegardToCaseAndStoredPathsBecomeNative) {
    EXPECT_TRUE(SamePathIgnoreCase("/x/User/Lab.cfg", "/X/user/LAB.CFG"));
    EXPECT_TRUE(SamePathIgnoreCase("/x/User/Тест.cfg", "/x/user/тЕСТ.cfg"));
    EXPECT_TRUE(SamePathIgnoreCase("Ёж", "ёЖ"));
    EXPECT_FALSE(SamePathIgnoreCase("/x/User/Lab.cfg", "/x/User/Lab.cf"));
    EXPECT_FALSE(SamePathIgnoreCase("Еж", "Ёж"));
    EXPECT_EQ(NativeStoredPath("User\\Default.cfg"), "User/Default.cfg");
    EXPECT_EQ(NativeStoredPath("Signals/IBS256.BIN"), "Signals/IBS256.BIN");
}

}  // namespace
}  // namespace program_test
