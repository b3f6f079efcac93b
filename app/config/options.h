// Program-wide options and the current set, kept in Config.ini and the set files. GUI thread only
// (BuffersLogging, read by the output thread, lives with the streaming engine).
#pragma once

#include <cstdint>
#include <string>

// The current set file (normally AppDir + "User/" + set name + ".cfg") and configuration name.
extern std::string CurrentSetFile;
extern std::string CurrentSetName;
extern bool UseDebugLog;  // the debug log is written (from the next start when changed at run time)
extern bool DrvBuffEx;    // files that fit the driver's ring are loaded into it once (single-loaded cycle)
// Interface language: 0 English, 1 Russian.
extern std::uint8_t current_language;

// The settings of the sweep and of the sine interferer that a configuration stores, with their
// defaults. The tool windows work on these objects.
struct TSweepSettings {
    double IntervPerest = 1000;     // sweep range, kHz
    std::uint32_t PerestTime = 1;   // sweep time of one pass, s
    std::uint8_t PerestReg = 0;     // 0 once, 1 cycle
    bool NeedToStartSweep = false;  // the loaded configuration asks for the sweep at program start
    bool SweepIsWork = false;       // the sweep is on
};
struct TSineSettings {
    double FreqOtstr = 1000;       // offset from the carrier, kHz
    double OtnosLevel = 0;         // level relative to the signal, dB
    bool NeedToStartSine = false;  // the loaded configuration asks for the interferer at program start
    bool SineIsWork = false;       // the interferer is on
};
extern TSweepSettings SweepSettings;
extern TSineSettings SineSettings;

// A path read from Config.ini or a set file, in this platform's form: files written by the Windows
// program separate with '\', which becomes '/' on POSIX. Unchanged on Windows.
std::string NativeStoredPath(const std::string& stored);
