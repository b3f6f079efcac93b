// Configuration storage: the options file Config.ini in the program directory and the set files
// User/<set name>.cfg, each holding named signal configurations (profile.h gives the file format).
//
// Config.ini, section "Options", keys in the order written: Top, Left, Language, CurrentSetFile,
// CurrentSetName, TxDisableOnExit, UseDebugLog, BuffersLogging, DrvBuffEx.
// A set file: section "Options" with LastSet (the configuration last chosen in the set); every other
// section is one configuration with the 28 keys of kConfigurationKeys.
//
// Value forms. Integer: written in decimal; read as decimal or hexadecimal ("0x", "$"), anything else
// gives the default. Byte: an integer whose low 8 bits are kept ("259" reads as 3). Boolean: "1"/"0";
// read as an integer, non-zero is true. Floating point: FloatToStr with LocaleDecimalChar; read with
// the same separator (a file written under ',' falls back to the defaults under '.'). String: as is.
// A missing file, section or key, or a value that does not parse, gives the key's default, without a
// message. An empty CurrentSetFile reads as its default, and a Language other than 1 as 0 (English):
// the interface has no other language.
//
// File names are full paths; a relative one (the default CurrentSetFile "User\Default.cfg" while no
// set of that name was found) names a file in AppDir, never one in the process's current directory.
//
// A write that the file system refuses throws EStorageError "Unable to write to <file>"; the program's
// general error report shows it. A configuration or the options are written in one atomic replacement
// of the file (profile::WriteStrings): either all keys reach the file or none does.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

class TStoregeClass;

class EStorageError : public std::runtime_error {
 public:
    using std::runtime_error::runtime_error;
};

// What the storage needs of the windows during its start-up load.
class TStorageHost {
 public:
    virtual ~TStorageHost() = default;
    // The main window's top and left edges.
    virtual int WindowTop() const = 0;
    virtual int WindowLeft() const = 0;
    virtual void MoveWindow(int Top, int Left) = 0;
    // The set list: refill it from AppDir/User/*.cfg; its entries in list order.
    virtual void ReadCfgFiles() = 0;
    virtual std::vector<std::string> SetEntries() const = 0;
    // Selects entry `index` of the set list and runs the set choice for it with `storage` (the object
    // being created: the program-wide reference does not hold it yet).
    virtual void ChooseSet(TStoregeClass& storage, int index) = 0;
    // The settings window's language list shows current_language and the interface language is applied.
    virtual void ApplyLanguage() = 0;
};

// The configuration named on the command line.
struct TCommandConfiguration {
    std::string ConfFile;  // set file name in User/, with its extension
    std::string ConfName;  // section
    bool Valid = false;    // set by the start-up load: the section exists with a Carrier other than 0
};

// Configuration keys, in the order written and read.
inline constexpr std::array<const char*, 28> kConfigurationKeys = {
    "Carrier",      "Clock",      "ModKind",   "FreqSteep",  "AttVH",       "AttNH",     "Filter",
    "Samples",      "PomehaON",   "Pomeha",    "Scram320",   "Diff1",       "Code",      "Diff2",
    "SpectrInv",    "SourceKind", "IstSig",    "SourceCode", "SourceFile",  "FreqOtstr", "OtnosLevel",
    "IntervPerest", "PerestTime", "PerestReg", "PackingBit", "PackingByte", "Sine",      "Sweep"};

class TStoregeClass {
 public:
    // Create: the start-up load, in this order: LoadConfig(AppDir + "Config.ini"); the debug log
    // enabled in AppDir/logs/ when UseDebugLog; host.ReadCfgFiles(); the command-line configuration
    // checked (Commands.Valid); when valid, CurrentSetFile = AppDir/User/ConfFile; the current set looked
    // up in the set list (AppDir + "User/" + entry + ".cfg" or "User/" + entry + ".cfg" equal to
    // CurrentSetFile) and, at the first match, host.ChooseSet(*this, index); CurrentSetName =
    // ReadNameLastSet(CurrentSetFile), or Commands.ConfName when valid; LoadUserConfig(CurrentSetName,
    // CurrentSetFile); host.ApplyLanguage(). Needs ZorvanHWObject.
    TStoregeClass(TStorageHost& host, TCommandConfiguration& Commands);
    // Destroy: SaveAtExit, its failure reported by the program's general error report (an error box
    // with the exception's text).
    ~TStoregeClass();
    TStoregeClass(const TStoregeClass&) = delete;
    TStoregeClass& operator=(const TStoregeClass&) = delete;

    // SaveConfig(AppDir + "Config.ini"), then SaveUserConfig("Default", AppDir + "User/Default.cfg"):
    // the configuration in force is always saved as Default in the Default set at exit (AppDir/User is
    // created when missing). The second save is made even when the first fails; the first failure is
    // then thrown. Runs once per object: the destructor saves only when the close did not.
    void SaveAtExit();

    void LoadConfig(const std::string& FileName_ini);
    void SaveConfig(const std::string& FileName_ini);
    // Reads section GroupName into the hardware object, SweepSettings, SineSettings and the packing
    // order; calls _SetModKind, _SetFilterType and _SetSpectrInv right after their fields (results not
    // examined). Nothing else reaches the board.
    void LoadUserConfig(const std::string& GroupName, const std::string& FileName_ini);
    // Creates the set file's directory when it is missing.
    void SaveUserConfig(const std::string& GroupName, const std::string& FileName_ini);
    // The section names of the file; "Default" alone when it has none; then the first entry equal to
    // "Options" (case-sensitive) removed.
    static std::vector<std::string> ReadAllINISections(const std::string& FileName_ini);
    // Creates the set file's directory when it is missing.
    void SaveNameLastSet(const std::string& FileName_ini, const std::string& SetName);
    std::string ReadNameLastSet(const std::string& FileName_ini);  // default "Default"

 private:
    TStorageHost& host_;
    bool savedAtExit_ = false;
};

// The program's storage object (nullptr while there is none).
extern TStoregeClass* StoregeObject;
