#include "config/storage.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <utility>

#include "config/number_text.h"
#include "config/options.h"
#include "config/profile.h"
#include "config/sets.h"
#include "hw/hardware.h"
#include "hw/streaming.h"
#include "tools/logger.h"
#include "zplatform/paths.h"

TStoregeClass* StoregeObject = nullptr;

namespace {

constexpr const char* kOptions = "Options";

using KeyValues = std::vector<std::pair<std::string, std::string>>;

TZorvanHWClass& Hw() {
    if (!ZorvanHWObject) throw std::logic_error("The hardware object does not exist.");
    return *ZorvanHWObject;
}

// The file an operation works on: a relative name is taken in the program's directory.
std::string StoredFile(const std::string& FileName) {
    if (FileName.empty() || zplatform::pathFromUtf8(FileName).is_absolute()) return FileName;
    return AppDir + FileName;
}

// A set file's directory, made when it is missing (a first start has no User directory yet); one that
// cannot be made shows in the write's own failure.
void CreateDirectoryOf(const std::string& file) {
    std::error_code ignored;
    std::filesystem::create_directories(zplatform::pathFromUtf8(file).parent_path(), ignored);
}

// One open file of the operation in progress, read key by key.
class TIniReader {
 public:
    TIniReader(std::string file, std::string section)
        : file_(std::move(file)), section_(std::move(section)) {}

    std::string String(const char* key, const std::string& fallback) const {
        return profile::ReadString(file_, section_, key, fallback);
    }
    std::int32_t Integer(const char* key, std::int32_t fallback) const {
        return TryStrToInt(String(key, "")).value_or(fallback);
    }
    std::uint8_t Byte(const char* key, std::uint8_t fallback) const {
        return static_cast<std::uint8_t>(Integer(key, fallback) & 0xFF);
    }
    bool Bool(const char* key, bool fallback) const { return Integer(key, fallback ? 1 : 0) != 0; }
    double Float(const char* key, double fallback) const {
        return TryStrToFloat(String(key, "")).value_or(fallback);
    }

 private:
    std::string file_;
    std::string section_;
};

const char* BoolText(bool value) {
    return value ? "1" : "0";
}

void Write(const std::string& file, const std::string& section, const KeyValues& values) {
    if (!profile::WriteStrings(file, section, values)) throw EStorageError("Unable to write to " + file);
}

// The set file of the default CurrentSetFile, as the list lookup compares it: relative to AppDir.
std::string RelativeSetFile(const std::string& entry) {
    return zplatform::nativePath("", "User/") + entry + ".cfg";
}

}  // namespace

TStoregeClass::TStoregeClass(TStorageHost& host, TCommandConfiguration& Commands) : host_(host) {
    LoadConfig(AppPath("Config.ini"));
    if (UseDebugLog) DebugLogger.Enable(AppPath("logs/"));
    host_.ReadCfgFiles();

    Commands.Valid = false;
    if (!Commands.ConfFile.empty() && !Commands.ConfName.empty()) {
        const TIniReader reader(SetDirectory() + Commands.ConfFile, Commands.ConfName);
        Commands.Valid = reader.Float("Carrier", 0) != 0;
    }
    if (Commands.Valid) CurrentSetFile = SetDirectory() + Commands.ConfFile;

    const std::vector<std::string> entries = host_.SetEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (SetFilePath(entries[i]) == CurrentSetFile || RelativeSetFile(entries[i]) == CurrentSetFile) {
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
        ShowMsgBox(error.what(), TMsgKind::Error, TMsgButtons::Ok);
    }
}

void TStoregeClass::SaveAtExit() {
    if (savedAtExit_) return;
    savedAtExit_ = true;
    std::exception_ptr failure;
    try {
        SaveConfig(AppPath("Config.ini"));
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        // A fresh installation may not have its set directory yet; the Default set is saved all the same.
        std::error_code ignored;
        std::filesystem::create_directories(zplatform::pathFromUtf8(SetDirectory()), ignored);
        SaveUserConfig("Default", SetFilePath("Default"));
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    if (failure) std::rethrow_exception(failure);
}

void TStoregeClass::LoadConfig(const std::string& FileName_ini) {
    const TIniReader ini(StoredFile(FileName_ini), kOptions);
    const std::int32_t top = ini.Integer("Top", 0);
    const std::int32_t left = ini.Integer("Left", 0);
    host_.MoveWindow(top, left);
    // The interface knows English (0) and Russian (1); any other value would leave every message
    // empty, so it reads as English.
    current_language = ini.Integer("Language", 0) == 1 ? 1 : 0;
    const std::string setFile = ini.String("CurrentSetFile", "");
    CurrentSetFile = NativeStoredPath(setFile.empty() ? "User\\Default.cfg" : setFile);
    Hw().TxDisableOnExit = ini.Bool("TxDisableOnExit", true);
    UseDebugLog = ini.Bool("UseDebugLog", false);
    BuffersLogging = ini.Bool("BuffersLogging", false);
    DrvBuffEx = ini.Bool("DrvBuffEx", false);
}

void TStoregeClass::SaveConfig(const std::string& FileName_ini) {
    const bool txDisable = Hw().TxDisableOnExit;
    Write(StoredFile(FileName_ini), kOptions,
          {{"Top", std::to_string(host_.WindowTop())},
           {"Left", std::to_string(host_.WindowLeft())},
           {"Language", std::to_string(current_language)},
           {"CurrentSetFile", CurrentSetFile},
           {"CurrentSetName", CurrentSetName},
           {"TxDisableOnExit", BoolText(txDisable)},
           {"UseDebugLog", BoolText(UseDebugLog)},
           {"BuffersLogging", BoolText(BuffersLogging)},
           {"DrvBuffEx", BoolText(DrvBuffEx)}});
}

void TStoregeClass::LoadUserConfig(const std::string& GroupName, const std::string& FileName_ini) {
    TZorvanHWClass& hw = Hw();
    const TIniReader ini(StoredFile(FileName_ini), GroupName);
    hw.F_N = ini.Float("Carrier", 1000);
    hw.F_TI = ini.Float("Clock", 1000);
    hw.ModKind = ini.Byte("ModKind", 3);
    _SetModKind(hw.DevNum, hw.ModKind);
    hw.FreqStep = ini.Float("FreqSteep", 1);
    hw.AttVH = ini.Float("AttVH", 20);
    hw.AttNH = ini.Float("AttNH", 2);
    hw.Filter = ini.Byte("Filter", 0);
    _SetFilterType(hw.DevNum, hw.Filter);
    hw.Samples = ini.Byte("Samples", 4);
    hw.Noise = ini.Byte("PomehaON", 0);
    hw.Pomeha = ini.Float("Pomeha", 0);
    hw.Scram320 = ini.Byte("Scram320", 0);
    hw.Diff1 = ini.Byte("Diff1", 0);
    hw.Code = ini.Byte("Code", 0);
    hw.Diff2 = ini.Byte("Diff2", 0);
    hw.SpectrInv = ini.Byte("SpectrInv", 0);
    _SetSpectrInv(hw.DevNum, hw.SpectrInv);
    hw.SourceKind = ini.Byte("SourceKind", 0);
    hw.IstSig = ini.Byte("IstSig", 0);
    hw.SourceCode = ini.Byte("SourceCode", 0);
    hw.SourceFile = NativeStoredPath(ini.String("SourceFile", "Signals\\IBS256.BIN"));
    SineSettings.FreqOtstr = ini.Float("FreqOtstr", 1000);
    SineSettings.OtnosLevel = ini.Float("OtnosLevel", 0);
    SweepSettings.IntervPerest = ini.Float("IntervPerest", 1000);
    SweepSettings.PerestTime = static_cast<std::uint32_t>(ini.Integer("PerestTime", 1));
    SweepSettings.PerestReg = static_cast<std::uint8_t>(ini.Integer("PerestReg", 0) & 0xFF);
    hw.packing_bit = ini.Integer("PackingBit", 0);
    hw.packing_byte = ini.Integer("PackingByte", 0);
    SineSettings.NeedToStartSine = ini.Bool("Sine", false);
    SweepSettings.NeedToStartSweep = ini.Bool("Sweep", false);
}

void TStoregeClass::SaveUserConfig(const std::string& GroupName, const std::string& FileName_ini) {
    const TZorvanHWClass& hw = Hw();
    const auto number = [](auto value) { return std::to_string(value); };
    const auto real = [](double value) { return FloatToStr(value); };
    CreateDirectoryOf(StoredFile(FileName_ini));
    Write(StoredFile(FileName_ini), GroupName,
          {{"Carrier", real(hw.F_N)},
           {"Clock", real(hw.F_TI)},
           {"ModKind", number(hw.ModKind)},
           {"FreqSteep", real(hw.FreqStep)},
           {"AttVH", real(hw.AttVH)},
           {"AttNH", real(hw.AttNH)},
           {"Filter", number(hw.Filter)},
           {"Samples", number(hw.Samples)},
           {"PomehaON", number(hw.Noise)},
           {"Pomeha", real(hw.Pomeha)},
           {"Scram320", number(hw.Scram320)},
           {"Diff1", number(hw.Diff1)},
           {"Code", number(hw.Code)},
           {"Diff2", number(hw.Diff2)},
           {"SpectrInv", number(hw.SpectrInv)},
           {"SourceKind", number(hw.SourceKind)},
           {"IstSig", number(hw.IstSig)},
           {"SourceCode", number(hw.SourceCode)},
           {"SourceFile", hw.SourceFile},
           {"FreqOtstr", real(SineSettings.FreqOtstr)},
           {"OtnosLevel", real(SineSettings.OtnosLevel)},
           {"IntervPerest", real(SweepSettings.IntervPerest)},
           {"PerestTime", number(SweepSettings.PerestTime)},
           {"PerestReg", number(SweepSettings.PerestReg)},
           {"PackingBit", number(hw.packing_bit)},
           {"PackingByte", number(hw.packing_byte)},
           {"Sine", BoolText(SineSettings.SineIsWork)},
           {"Sweep", BoolText(SweepSettings.SweepIsWork)}});
}

std::vector<std::string> TStoregeClass::ReadAllINISections(const std::string& FileName_ini) {
    std::vector<std::string> names = profile::ReadSectionNames(StoredFile(FileName_ini));
    if (names.empty()) names.push_back("Default");
    for (auto it = names.begin(); it != names.end(); ++it) {
        if (*it == kOptions) {
            names.erase(it);
            break;
        }
    }
    return names;
}

void TStoregeClass::SaveNameLastSet(const std::string& FileName_ini, const std::string& SetName) {
    CreateDirectoryOf(StoredFile(FileName_ini));
    Write(StoredFile(FileName_ini), kOptions, {{"LastSet", SetName}});
}

std::string TStoregeClass::ReadNameLastSet(const std::string& FileName_ini) {
    return TIniReader(StoredFile(FileName_ini), kOptions).String("LastSet", "Default");
}
