#include "storage.h"

#include <filesystem>

#include "hw/hardware.h"
#include "hw/streaming.h"
#include "number_text.h"
#include "options.h"
#include "profile.h"
#include "tools/logger.h"
#include "zplatform/paths.h"

TStoregeClass* StoregeObject = nullptr;

namespace {

constexpr const char* kOptions = "Options";

// Typed reads of one section, with the value forms of the files.
class Reader {
 public:
    Reader(const std::string& file, std::string section)
        : snapshot_(profile::Snapshot::Load(file)), section_(std::move(section)) {}

    std::string Text(const char* key, const std::string& fallback) const {
        return snapshot_.Read(section_, key, fallback);
    }
    std::int32_t Integer(const char* key, std::int32_t fallback) const {
        return TryStrToInt(Text(key, "")).value_or(fallback);
    }
    std::uint8_t Byte(const char* key, std::uint8_t fallback) const {
        return static_cast<std::uint8_t>(Integer(key, fallback));
    }
    bool Boolean(const char* key, bool fallback) const {
        const auto value = TryStrToInt(Text(key, ""));
        return value ? *value != 0 : fallback;
    }
    double Float(const char* key, double fallback) const {
        return TryStrToFloat(Text(key, ""), LocaleDecimalChar).value_or(fallback);
    }

 private:
    profile::Snapshot snapshot_;
    std::string section_;
};

using KeyValues = std::vector<std::pair<std::string, std::string>>;

std::string Flag(bool on) {
    return on ? "1" : "0";
}

void Write(const std::string& file, const std::string& section, const KeyValues& values) {
    if (!profile::WriteStrings(file, section, values)) throw EStorageError("Unable to write to " + file);
}

void CreateDirectoryOf(const std::string& file) {
    std::error_code ignored;  // a directory that cannot be made shows in the write's own failure
    std::filesystem::create_directories(zplatform::pathFromUtf8(file).parent_path(), ignored);
}

}  // namespace

TStoregeClass::TStoregeClass(TStorageHost& host, TCommandConfiguration& Commands) : host_(host) {
    LoadConfig(AppPath("Config.ini"));
    if (UseDebugLog) DebugLogger.Enable(AppPath("logs/"));
    host_.ReadCfgFiles();

    Commands.Valid = false;
    if (!Commands.ConfFile.empty() && !Commands.ConfName.empty()) {
        const Reader section(AppPath("User/" + Commands.ConfFile), Commands.ConfName);
        Commands.Valid = section.Float("Carrier", 0) != 0;
    }
    if (Commands.Valid) CurrentSetFile = AppPath("User/" + Commands.ConfFile);

    const std::vector<std::string> sets = host_.SetEntries();
    for (std::size_t i = 0; i < sets.size(); ++i) {
        if (AppPath("User/" + sets[i] + ".cfg") == CurrentSetFile ||
            NativeStoredPath("User\\" + sets[i] + ".cfg") == CurrentSetFile) {
            host_.ChooseSet(*this, static_cast<int>(i));
            break;
        }
    }
    CurrentSetName = ReadNameLastSet(CurrentSetFile);
    if (Commands.Valid) CurrentSetName = Commands.ConfName;
    LoadUserConfig(CurrentSetName, CurrentSetFile);
    host_.ApplyLanguage();
}

TStoregeClass::~TStoregeClass() {
    try {
        SaveAtExit();
    } catch (const std::exception& error) {
        ShowProgramError(error);
    }
}

void TStoregeClass::SaveAtExit() {
    if (savedAtExit_) return;
    savedAtExit_ = true;
    std::exception_ptr first;
    try {
        SaveConfig(AppPath("Config.ini"));
    } catch (const EStorageError&) {
        first = std::current_exception();
    }
    SaveUserConfig("Default", AppPath("User/Default.cfg"));
    if (first) std::rethrow_exception(first);
}

void TStoregeClass::LoadConfig(const std::string& FileName_ini) {
    const Reader options(FileName_ini, kOptions);
    host_.MoveWindow(options.Integer("Top", 0), options.Integer("Left", 0));
    current_language = static_cast<std::uint8_t>(options.Integer("Language", 0));
    CurrentSetFile = NativeStoredPath(options.Text("CurrentSetFile", "User\\Default.cfg"));
    ZorvanHWObject->TxDisableOnExit = options.Boolean("TxDisableOnExit", true);
    UseDebugLog = options.Boolean("UseDebugLog", false);
    BuffersLogging = options.Boolean("BuffersLogging", false);
    DrvBuffEx = options.Boolean("DrvBuffEx", false);
}

void TStoregeClass::SaveConfig(const std::string& FileName_ini) {
    Write(FileName_ini, kOptions,
          {{"Top", std::to_string(host_.WindowTop())},
           {"Left", std::to_string(host_.WindowLeft())},
           {"Language", std::to_string(current_language)},
           {"CurrentSetFile", CurrentSetFile},
           {"CurrentSetName", CurrentSetName},
           {"TxDisableOnExit", Flag(ZorvanHWObject->TxDisableOnExit)},
           {"UseDebugLog", Flag(UseDebugLog)},
           {"BuffersLogging", Flag(BuffersLogging)},
           {"DrvBuffEx", Flag(DrvBuffEx)}});
}

void TStoregeClass::LoadUserConfig(const std::string& GroupName, const std::string& FileName_ini) {
    TZorvanHWClass& hw = *ZorvanHWObject;
    const Reader c(FileName_ini, GroupName);
    hw.F_N = c.Float("Carrier", 1000);
    hw.F_TI = c.Float("Clock", 1000);
    hw.ModKind = c.Byte("ModKind", 3);
    _SetModKind(hw.DevNum, hw.ModKind);
    hw.FreqStep = c.Float("FreqSteep", 1);
    hw.AttVH = c.Float("AttVH", 20);
    hw.AttNH = c.Float("AttNH", 2);
    hw.Filter = c.Byte("Filter", 0);
    _SetFilterType(hw.DevNum, hw.Filter);
    hw.Samples = c.Byte("Samples", 4);
    hw.Noise = c.Byte("PomehaON", 0);
    hw.Pomeha = c.Float("Pomeha", 0);
    hw.Scram320 = c.Byte("Scram320", 0);
    hw.Diff1 = c.Byte("Diff1", 0);
    hw.Code = c.Byte("Code", 0);
    hw.Diff2 = c.Byte("Diff2", 0);
    hw.SpectrInv = c.Byte("SpectrInv", 0);
    _SetSpectrInv(hw.DevNum, hw.SpectrInv);
    hw.SourceKind = c.Byte("SourceKind", 0);
    hw.IstSig = c.Byte("IstSig", 0);
    hw.SourceCode = c.Byte("SourceCode", 0);
    hw.SourceFile = NativeStoredPath(c.Text("SourceFile", "Signals\\IBS256.BIN"));
    SineSettings.FreqOtstr = c.Float("FreqOtstr", 1000);
    SineSettings.OtnosLevel = c.Float("OtnosLevel", 0);
    SweepSettings.IntervPerest = c.Float("IntervPerest", 1000);
    SweepSettings.PerestTime = static_cast<std::uint32_t>(c.Integer("PerestTime", 1));
    SweepSettings.PerestReg = static_cast<std::uint8_t>(c.Integer("PerestReg", 0));
    hw.packing_bit = c.Integer("PackingBit", 0);
    hw.packing_byte = c.Integer("PackingByte", 0);
    SineSettings.NeedToStartSine = c.Boolean("Sine", false);
    SweepSettings.NeedToStartSweep = c.Boolean("Sweep", false);
}

void TStoregeClass::SaveUserConfig(const std::string& GroupName, const std::string& FileName_ini) {
    const TZorvanHWClass& hw = *ZorvanHWObject;
    const auto number = [](double value) { return FloatToStr(value); };
    const auto byte = [](std::uint8_t value) { return std::to_string(value); };
    CreateDirectoryOf(FileName_ini);
    Write(FileName_ini, GroupName,
          {{"Carrier", number(hw.F_N)},
           {"Clock", number(hw.F_TI)},
           {"ModKind", byte(hw.ModKind)},
           {"FreqSteep", number(hw.FreqStep)},
           {"AttVH", number(hw.AttVH)},
           {"AttNH", number(hw.AttNH)},
           {"Filter", byte(hw.Filter)},
           {"Samples", byte(hw.Samples)},
           {"PomehaON", byte(hw.Noise)},
           {"Pomeha", number(hw.Pomeha)},
           {"Scram320", byte(hw.Scram320)},
           {"Diff1", byte(hw.Diff1)},
           {"Code", byte(hw.Code)},
           {"Diff2", byte(hw.Diff2)},
           {"SpectrInv", byte(hw.SpectrInv)},
           {"SourceKind", byte(hw.SourceKind)},
           {"IstSig", byte(hw.IstSig)},
           {"SourceCode", byte(hw.SourceCode)},
           {"SourceFile", hw.SourceFile},
           {"FreqOtstr", number(SineSettings.FreqOtstr)},
           {"OtnosLevel", number(SineSettings.OtnosLevel)},
           {"IntervPerest", number(SweepSettings.IntervPerest)},
           {"PerestTime", std::to_string(SweepSettings.PerestTime)},
           {"PerestReg", byte(SweepSettings.PerestReg)},
           {"PackingBit", std::to_string(hw.packing_bit)},
           {"PackingByte", std::to_string(hw.packing_byte)},
           {"Sine", Flag(SineSettings.SineIsWork)},
           {"Sweep", Flag(SweepSettings.SweepIsWork)}});
}

std::vector<std::string> TStoregeClass::ReadAllINISections(const std::string& FileName_ini) {
    std::vector<std::string> names = profile::ReadSectionNames(FileName_ini);
    if (names.empty()) names.push_back("Default");
    for (auto it = names.begin(); it != names.end(); ++it)
        if (*it == kOptions) {
            names.erase(it);
            break;
        }
    return names;
}

void TStoregeClass::SaveNameLastSet(const std::string& FileName_ini, const std::string& SetName) {
    CreateDirectoryOf(FileName_ini);
    Write(FileName_ini, kOptions, {{"LastSet", SetName}});
}

std::string TStoregeClass::ReadNameLastSet(const std::string& FileName_ini) {
    return Reader(FileName_ini, kOptions).Text("LastSet", "Default");
}
