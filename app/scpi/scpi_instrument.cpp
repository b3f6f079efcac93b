#include "scpi_instrument.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "config/check.h"
#include "config/configuration_choice.h"
#include "config/number_text.h"
#include "config/options.h"
#include "config/profile.h"
#include "config/sets.h"
#include "hw/board_startup.h"
#include "hw/driver_ring.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "hw/parameters.h"
#include "hw/streaming.h"
#include "tools/admin_check.h"
#include "tools/logger.h"
#include "tools/sine_control.h"
#include "tools/version_history.h"
#include "zplatform/paths.h"

using scpi::Failure;
using scpi::NumberSpec;
using scpi::Request;

namespace {

constexpr std::int32_t kBoardBusy = -13;

// Names of the list choices, by list position, in the table's spelling (capitals: the short form).
const std::vector<std::string> kModulations = {
    "OFF",     "UNMOD",   "BPSK",   "QPSK",   "OQPSK",   "PSK8",    "QAM8",   "QAM16",  "QAM32",  "QAM64",
    "PI4QPSK", "PI2BPSK", "APSK16", "APSK32", "BPSK135", "CEOQPSK", "QAM128", "QAM256", "QAM8DS", "QAM8PD"};
const std::vector<std::string> kFilters = {"OFF", "IBS", "NYQ40", "NYQ50", "NYQ60", "WIDE"};
const std::vector<std::string> kCodes = {"OFF",   "V12K7",      "SEQ12K36", "V12IK7", "V34K7",
                                         "V78K7", "V23DVB",     "V34DVB",   "V56DVB", "V78DVB",
                                         "V12K8", "MANChester", "V12IIQ"};
const std::vector<std::string> kSourceKinds = {"BITS", "IQ8", "IQ16"};
const std::vector<std::string> kSourceCodes = {"BINary", "ASCii"};
const std::vector<std::string> kPackingOrders = {"LITTle", "BIG"};
const std::vector<std::string> kSweepModes = {"ONCE", "CYCLe"};

std::string ShortName(const std::string& mixed) {
    std::string name;
    for (char c : mixed)
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) name += c;
    return name;
}

// A list position as its name; a position outside the list (a configuration file's own) as its number.
std::string ChoiceName(const std::vector<std::string>& names, int position) {
    if (position >= 0 && position < static_cast<int>(names.size())) return ShortName(names[position]);
    return std::to_string(position);
}

std::string Catalog(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + scpi::FormatString(ShortName(name));
    return text;
}

// Far beyond anything the board can do, yet finite in every unit the answers use.
constexpr double kAnyNumber = 1e300;

// In the program's units: carrier MHz, symbol clock kHz, offsets and ranges kHz, levels dB.
constexpr NumberSpec kCarrier{"HZ", 1e-6, kCarrierLimits.Low, kCarrierLimits.High, kCarrierLimits.Default};
constexpr NumberSpec kFreqStep{"HZ", 1e-6, kFreqStepLimits.Low, kFreqStepLimits.High,
                               kFreqStepLimits.Default};
constexpr NumberSpec kSymbolRate{"HZ", 1e-3, kClockLimits.Low, kClockLimits.High, kClockLimits.Default};
constexpr NumberSpec kAttenuator{"DB", 1, kAttenuatorLimits.Low, kAttenuatorLimits.High,
                                 kAttenuatorLimits.Default};
constexpr NumberSpec kNoiseLevel{"DB", 1, kNoiseLimits.Low, kNoiseLimits.High, kNoiseLimits.Default};
// The sine and sweep windows take any number; so does the remote interface.
constexpr NumberSpec kSineOffset{"HZ", 1e-3, -kAnyNumber, kAnyNumber, 1000};
constexpr NumberSpec kSineLevel{"DB", 1, -kAnyNumber, kAnyNumber, 0};
constexpr NumberSpec kSweepSpan{"HZ", 1e-3, -kAnyNumber, kAnyNumber, 1000};
constexpr long long kSweepTimeMax = 4294967295LL;

void Conflict(bool refused, const char* why) {
    if (refused) throw Failure{-221, why};
}

// A set or configuration name as a client gives it: a name, never a path.
void CheckName(const std::string& name, bool set) {
    if (name.empty()) throw Failure{-257, "empty name"};
    if (name.size() > 200) throw Failure{-257, "name too long"};
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\' ||
            (!set && (c == '[' || c == ']')) ||
            (set && (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')))
            throw Failure{-257, "a name, not a path, is expected"};
    if (name.front() == '.' || name.front() == ' ' || name.back() == ' ') throw Failure{-257, name};
    if (!set && name == "Options") throw Failure{-257, "\"Options\" is the set's own section"};
}

// A set that exists, in the spelling of the set list (names compare without regard to case).
std::string ExistingSet(const std::string& name) {
    CheckName(name, true);
    for (const std::string& set : ListSetNames())
        if (SamePathIgnoreCase(set, name)) return set;
    throw Failure{-256, name};
}

std::string ExistingConfiguration(const std::string& setFile, const std::string& name) {
    CheckName(name, false);
    if (!profile::ReadSectionNames(setFile).empty())
        for (const std::string& section : TStoregeClass::ReadAllINISections(setFile))
            if (SamePathIgnoreCase(section, name)) return section;
    throw Failure{-224, "no configuration " + name};
}

}  // namespace

TScpiInstrument::TScpiInstrument() {
    InstallMessageBoxes(this);
    InstallMainWindowEffects(this);
    AddCommands();
}

TScpiInstrument::~TScpiInstrument() {
    Close();
    InstallMainWindowEffects(nullptr);
    InstallMessageBoxes(nullptr);
}

TZorvanHWClass& TScpiInstrument::Hw() {
    return *hw_;
}

// ---- Start-up and close -----------------------------------------------------------------------------

std::int32_t TScpiInstrument::StartUp(std::uint8_t device, TCommandConfiguration commands) {
    ReadDriverBufferParameters();
    static TCheckClass checkObject;  // lives until the program ends
    CheckObject = &checkObject;
    if (!IsAdministrator()) ::ShowMsgBox(MessageList[38], TMsgKind::Error, TMsgButtons::Ok);
    // Relative source and firmware paths start in the program's directory, as in the program.
    std::error_code ignored;
    std::filesystem::current_path(zplatform::pathFromUtf8(AppDir), ignored);

    hw_ = std::make_unique<TZorvanHWClass>(device);
    ZorvanHWObject = hw_.get();
    stream_ = std::make_unique<TDataStream>(*hw_);
    runControl_ = std::make_unique<TRunControl>(*hw_, *stream_, *this);
    const std::int32_t connected = ConnectBoard(*hw_);
    if (connected == kBoardBusy) return connected;
    hw_->ZorvanIsRun = false;

    storage_ = std::make_unique<TStoregeClass>(*this, commands);
    StoregeObject = storage_.get();
    ReadBoardIdentity(*hw_);
    runControl_->Start();
    if (SineSettings.NeedToStartSine) StartSine();
    if (SweepSettings.NeedToStartSweep) StartSweep();
    ApplyLanguage();
    hw_->ZorvanIsRun = true;
    started_ = true;
    DebugLogger.Add("i", "ScpiServer.StartUp", 255,
                    "Remote control started on device " + std::to_string(device));
    return connected;
}

void TScpiInstrument::Close() {
    if (closed_ || !hw_) return;
    closed_ = true;
    try {
        if (started_) runControl_->Close();
        StoregeObject = nullptr;
        std::unique_ptr<TStoregeClass> storage = std::move(storage_);
        if (storage) storage->SaveAtExit();
    } catch (const std::exception& error) {
        ShowProgramError(error);
    }
    runControl_.reset();
    stream_.reset();
    ZorvanHWObject = nullptr;
    hw_.reset();  // disconnects the board
    DebugLogger.Disable();
}

std::string TScpiInstrument::Execute(std::string_view line) {
    return interpreter.Execute(line);
}

void TScpiInstrument::NewClient() {
    interpreter.ResetPath();
}

void TScpiInstrument::PollSweep() {
    if (SweepSettings.SweepIsWork && hw_) sweep_.PollPass();
}

bool TScpiInstrument::SweepRunning() const {
    return SweepSettings.SweepIsWork;
}

// ---- The core's view of the windows ----------------------------------------------------------------

std::string TScpiInstrument::FileNameText() const {
    return hw_->SourceFile;
}

void TScpiInstrument::ShowRunning(bool) {}

void TScpiInstrument::TakeConfiguration() {
    // What the main window's Start takes from its fields, through the same checks.
    TZorvanHWClass& hw = Hw();
    const TFieldLimits& carrier = kCarrierTakenLimits;
    hw.F_N =
        CheckObject->CheckRangeDouble(true, FloatToStr(hw.F_N), carrier.Default, carrier.Low, carrier.High);
    hw.F_TI = CheckClkFreq(FloatToStr(hw.F_TI), kClockLimits.High, kClockLimits.Low, kClockLimits.Default);
    _SetModKind(hw.DevNum, hw.ModKind);
    const TFieldLimits& att = kAttenuatorLimits;
    hw.AttVH = CheckObject->CheckRangeDouble2(true, FloatToStr(hw.AttVH), att.Default, att.Low, att.High);
    hw.AttNH = CheckObject->CheckRangeDouble2(true, FloatToStr(hw.AttNH), att.Default, att.Low, att.High);
    _SetFilterType(hw.DevNum, hw.Filter);
    if (hw.Noise == 1) hw.Pomeha = std::clamp(hw.Pomeha, kNoiseLimits.Low, kNoiseLimits.High);
    ApplyScrambler(hw, hw.Scram320);
    ApplyDiffCoder(hw, hw.Diff1);
    ApplyDiffMapping(hw, hw.Diff2);
    ApplySpectrumInversion(hw, hw.SpectrInv);
}

void TScpiInstrument::SetPositionTimer(bool) {}
void TScpiInstrument::ShowPosition(const std::string&, int, bool) {}
void TScpiInstrument::RAMModeView(bool) {}

std::string TScpiInstrument::MegaByte() const {
    return "MB";
}

int TScpiInstrument::WindowTop() const {
    return top_;
}

int TScpiInstrument::WindowLeft() const {
    return left_;
}

void TScpiInstrument::MoveWindow(int Top, int Left) {
    top_ = Top;  // kept for the program's window: saved back unchanged
    left_ = Left;
}

void TScpiInstrument::ReadCfgFiles() {
    sets_ = ListSetNames();
}

std::vector<std::string> TScpiInstrument::SetEntries() const {
    return sets_;
}

void TScpiInstrument::ChooseSet(TStoregeClass& storage, int index) {
    // The set list's choice: its last configuration as the list spells it (none when it is not there).
    const std::string last = ChooseCurrentSet(storage, sets_.at(static_cast<std::size_t>(index)));
    std::string listed;
    for (const std::string& name : TStoregeClass::ReadAllINISections(CurrentSetFile))
        if (SamePathIgnoreCase(name, last)) {
            listed = name;
            break;
        }
    LoadChosenConfiguration(storage, listed);
    RememberChosenConfiguration(storage);
    if (hw_->ZorvanIsRun) runControl_->Start();
}

void TScpiInstrument::ApplyLanguage() {
    ErrorTextLanguage = current_language;
    CreateWarning(current_language);
}

void TScpiInstrument::SetMainInputEnabled(bool) {}

void TScpiInstrument::RestartArmedTools() {
    if (SineSettings.SineIsWork) SwitchSineOn(hw_.get());
    if (SweepSettings.SweepIsWork)
        sweep_.WriteFirstPass(SweepSettings.IntervPerest, SweepSettings.PerestTime);
}

void TScpiInstrument::ResetStreamingDisplay() {}

void TScpiInstrument::ShowMsgBox(const std::string& text, TMsgKind, TMsgButtons) {
    interpreter.errors.Push(-300, text);
}

bool TScpiInstrument::AskOkCancel(const std::string&, TMsgKind, int, int) {
    return false;
}

// ---- Actions ----------------------------------------------------------------------------------------

void TScpiInstrument::StartSweep() {
    // The sweep window's start: the settings in force, the first pass, the poll.
    sweep_.WriteFirstPass(SweepSettings.IntervPerest, SweepSettings.PerestTime);
    SweepSettings.SweepIsWork = true;
}

void TScpiInstrument::StopSweep() {
    sweep_.SwitchOff();
}

void TScpiInstrument::StartSine() {
    // Noise and the interferer share the generator: the noise option is cleared first.
    if (hw_->Noise == 1) ApplyNoiseState(*hw_, false);
    SwitchSineOn(hw_.get());
}

void TScpiInstrument::ShowLoadedConfiguration() {
    if (hw_->Noise == 1 && SineSettings.SineIsWork) SwitchSineOff(hw_.get());
    if (hw_->Noise == 0 || hw_->Noise == 1) ApplyNoiseState(*hw_, hw_->Noise == 1);
}

void TScpiInstrument::Reset() {
    if (SweepSettings.SweepIsWork) StopSweep();
    if (SineSettings.SineIsWork) SwitchSineOff(hw_.get());
    if (runControl_->Running()) runControl_->Stop();
    storage_->LoadUserConfig("", "");  // no file: every key's default
}

std::uint16_t TScpiInstrument::OperationCondition() const {
    std::uint16_t condition = 0;
    if (SweepSettings.SweepIsWork) condition |= kOperationSweeping;
    if (runControl_ && runControl_->Running()) {
        condition |= kOperationOutputOn;
        if (runControl_->Path() == TSourcePath::Streaming) condition |= kOperationStreaming;
    }
    if (SineSettings.SineIsWork) condition |= kOperationSineOn;
    return condition;
}

// ---- The command tree -------------------------------------------------------------------------------

void TScpiInstrument::AddCommands() {
    AddCommonCommands();
    AddSourceCommands();
    AddToolCommands();
    AddMemoryCommands();
    AddStatusCommands();
}

void TScpiInstrument::AddCommonCommands() {
    scpi::Interpreter& t = interpreter;
    const auto none = [](Request& r) { r.Expect(0); };
    t.Add("*IDN", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::string("Zorvan,Zorvan-L,") + std::to_string(static_cast<std::uint32_t>(Hw().SN)) +
                     "," + kProgramVersion;
    });
    t.Add(
        "*RST",
        [this](Request& r) {
            r.Expect(0);
            Reset();
        },
        nullptr);
    t.Add(
        "*CLS",
        [this](Request& r) {
            r.Expect(0);
            interpreter.errors.Clear();
        },
        nullptr);
    t.Add(
        "*ESE",
        [this](Request& r) {
            r.Expect(1);
            ese_ = static_cast<std::uint8_t>(r.Integer(0, 0, 255));
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = std::to_string(ese_);
        });
    t.Add("*ESR", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(interpreter.errors.TakeEsr());
    });
    t.Add(
        "*SRE",
        [this](Request& r) {
            r.Expect(1);
            sre_ = static_cast<std::uint8_t>(r.Integer(0, 0, 255) & ~0x40);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = std::to_string(sre_);
        });
    t.Add("*STB", nullptr, [this](Request& r) {
        r.Expect(0);
        std::uint8_t stb = 0;
        if (interpreter.errors.Count() > 0) stb |= scpi::kStbErrorQueue;
        if (interpreter.errors.Esr() & ese_) stb |= scpi::kStbEventSummary;
        if (OperationCondition() & operationEnable_) stb |= scpi::kStbOperationSummary;
        if (stb & sre_) stb |= scpi::kStbRequestService;
        r.response = std::to_string(stb);
    });
    // Every command runs to its end before the next one is read (a device load included), so the
    // operations are complete whenever *OPC, *OPC? or *WAI is reached.
    t.Add(
        "*OPC",
        [this](Request& r) {
            r.Expect(0);
            interpreter.errors.SetEsrBits(scpi::kEsrOperationComplete);
        },
        [](Request& r) {
            r.Expect(0);
            r.response = "1";
        });
    t.Add("*WAI", none, nullptr);
    t.Add("*TST", nullptr, [this](Request& r) {
        r.Expect(0);
        std::uint32_t serial = 0;
        std::int32_t pcb = 0, fpga = 0;
        const bool answers =
            GetSN(Hw().DevNum, &serial) == 0 && ReadTemperature(Hw().DevNum, &pcb, &fpga) == 0;
        r.response = answers ? "0" : "1";
    });
    t.Add("SYSTem:ERRor[:NEXT]", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = interpreter.errors.Next();
    });
    t.Add("SYSTem:ERRor:COUNt", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(interpreter.errors.Count());
    });
    t.Add("SYSTem:VERSion", nullptr, [](Request& r) {
        r.Expect(0);
        r.response = "1999.0";
    });
}

void TScpiInstrument::AddSourceCommands() {
    scpi::Interpreter& t = interpreter;
    const auto running = [this] { return runControl_->Running(); };
    const auto bitStreamOnly = [this] { Conflict(!BitStreamSource(Hw()), "the source is not a bit stream"); };
    const auto number = [](double value) { return scpi::FormatNumber(value); };

    t.Add(
        "[SOURce:]FREQuency[:CW]",
        [this](Request& r) {
            r.Expect(1);
            Hw().F_N = r.Number(0, kCarrier);
            WriteFrequencies(Hw());
        },
        [this, number](Request& r) { r.response = number(r.QueryNumber(kCarrier, Hw().F_N) * 1e6); });
    t.Add(
        "[SOURce:]FREQuency:STEP[:INCRement]",
        [this](Request& r) {
            r.Expect(1);
            Hw().FreqStep = r.Number(0, kFreqStep);
        },
        [this, number](Request& r) { r.response = number(r.QueryNumber(kFreqStep, Hw().FreqStep) * 1e6); });
    t.Add(
        "[SOURce:]SYMBol[:RATE]",
        [this](Request& r) {
            r.Expect(1);
            const double kHz = r.Number(0, kSymbolRate, true);
            // The clock field's own check: above its limit the value is kept after its warning.
            Hw().F_TI = kHz > kClockLimits.High ? CheckClkFreq(FloatToStr(kHz), kClockLimits.High,
                                                               kClockLimits.Low, kClockLimits.Default)
                                                : kHz;
            WriteFrequencies(Hw());
        },
        [this, number](Request& r) { r.response = number(r.QueryNumber(kSymbolRate, Hw().F_TI) * 1e3); });
    t.Add(
        "[SOURce:]MODulation[:TYPE]",
        [this, bitStreamOnly](Request& r) {
            r.Expect(1);
            const auto position = static_cast<std::uint8_t>(r.Choice(0, kModulations));
            bitStreamOnly();
            ApplyModKind(Hw(), position);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kModulations, Hw().ModKind);
        });
    t.Add("[SOURce:]MODulation:CATalog", nullptr, [](Request& r) {
        r.Expect(0);
        r.response = Catalog(kModulations);
    });
    t.Add(
        "[SOURce:]FILTer",
        [this, running](Request& r) {
            r.Expect(1);
            const auto position = static_cast<std::uint8_t>(r.Choice(0, kFilters));
            Conflict(running(), "the output is on");
            ApplyFilter(Hw(), position);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kFilters, Hw().Filter);
        });
    t.Add("[SOURce:]FILTer:CATalog", nullptr, [](Request& r) {
        r.Expect(0);
        r.response = Catalog(kFilters);
    });
    t.Add(
        "[SOURce:]SAMPles",
        [this](Request& r) {
            r.Expect(1);
            const long long samples = r.Integer(0, 1, 32);
            const auto* at = std::find(std::begin(kSamplesPerSymbol), std::end(kSamplesPerSymbol), samples);
            if (at == std::end(kSamplesPerSymbol)) throw Failure{-224, "1, 2, 4, 16 or 32"};
            ApplySamples(Hw(), static_cast<std::uint8_t>(at - std::begin(kSamplesPerSymbol)));
        },
        [this](Request& r) {
            r.Expect(0);
            const int position = Hw().Samples;
            r.response = position < 5 ? std::to_string(kSamplesPerSymbol[position]) : "0";
        });
    t.Add(
        "[SOURce:]FEC",
        [this, bitStreamOnly](Request& r) {
            r.Expect(1);
            const auto position = static_cast<std::uint8_t>(r.Choice(0, kCodes));
            bitStreamOnly();
            ApplyCode(Hw(), position);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kCodes, Hw().Code);
        });
    t.Add("[SOURce:]FEC:CATalog", nullptr, [](Request& r) {
        r.Expect(0);
        r.response = Catalog(kCodes);
    });
    // The coding options: 0 or 1 in the hardware object, each with its board part.
    struct Flag {
        const char* pattern;
        std::uint8_t TZorvanHWClass::*field;
        void (*apply)(TZorvanHWClass&, std::uint8_t);
        bool bitStreamOnly;
    };
    for (const Flag& flag :
         {Flag{"[SOURce:]SCRambler[:STATe]", &TZorvanHWClass::Scram320, ApplyScrambler, true},
          Flag{"[SOURce:]DIFFerential:CODer[:STATe]", &TZorvanHWClass::Diff1, ApplyDiffCoder, true},
          Flag{"[SOURce:]DIFFerential:MAPPing[:STATe]", &TZorvanHWClass::Diff2, ApplyDiffMapping, true},
          Flag{"[SOURce:]SPECtrum:INVersion[:STATe]", &TZorvanHWClass::SpectrInv, ApplySpectrumInversion,
               false}}) {
        t.Add(
            flag.pattern,
            [this, flag, bitStreamOnly](Request& r) {
                r.Expect(1);
                const bool on = r.Boolean(0);
                if (flag.bitStreamOnly) bitStreamOnly();
                flag.apply(Hw(), on ? 1 : 0);
            },
            [this, flag](Request& r) {
                r.Expect(0);
                r.response = std::to_string(Hw().*flag.field);
            });
    }
    // Attenuators: 1 the HF one, 2 the LF one.
    t.Add(
        "OUTPut:ATTenuation#",
        [this](Request& r) {
            r.Expect(1);
            const int which = r.suffixes.at(0);
            if (which != 1 && which != 2) throw Failure{-114, "1 (HF) or 2 (LF)"};
            const double dB = r.Number(0, kAttenuator);
            if (which == 1) {
                Hw().AttVH = dB;
                Hw().Write_Att_H();
            } else {
                Hw().AttNH = dB;
                Hw().Write_Att_L();
            }
        },
        [this, number](Request& r) {
            const int which = r.suffixes.at(0);
            if (which != 1 && which != 2) throw Failure{-114, "1 (HF) or 2 (LF)"};
            r.response = number(r.QueryNumber(kAttenuator, which == 1 ? Hw().AttVH : Hw().AttNH));
        });
    t.Add(
        "[SOURce:]NOISe[:STATe]",
        [this](Request& r) {
            r.Expect(1);
            const bool on = r.Boolean(0);
            Conflict(on && SineSettings.SineIsWork, "the sine interferer is on");
            ApplyNoiseState(Hw(), on);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = scpi::FormatBoolean(Hw().Noise == 1);
        });
    t.Add(
        "[SOURce:]NOISe:LEVel",
        [this](Request& r) {
            r.Expect(1);
            const double dB = r.Number(0, kNoiseLevel);
            Conflict(Hw().Noise != 1, "noise is off");
            Hw().Pomeha = dB;
            WriteNoiseLevel(Hw());
        },
        [this, number](Request& r) { r.response = number(r.QueryNumber(kNoiseLevel, Hw().Pomeha)); });
    t.Add(
        "[SOURce:]DATA:FILE",
        [this, running](Request& r) {
            r.Expect(1);
            const std::string& file = r.String(0);
            Conflict(running(), "the output is on");
            Hw().SourceFile = file;
            DebugLogger.Add("i", "ScpiServer.DataFile", 255, "Signal file = [" + file + "]");
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = scpi::FormatString(Hw().SourceFile);
        });
    t.Add(
        "[SOURce:]DATA:KIND",
        [this, running](Request& r) {
            r.Expect(1);
            const auto kind = static_cast<std::uint8_t>(r.Choice(0, kSourceKinds));
            Conflict(running(), "the output is on");
            Hw().SourceKind = kind;
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kSourceKinds, Hw().SourceKind);
        });
    t.Add(
        "[SOURce:]DATA:FORMat",
        [this, running](Request& r) {
            r.Expect(1);
            const auto format = static_cast<std::uint8_t>(r.Choice(0, kSourceCodes));
            Conflict(running(), "the output is on");
            ApplySourceCode(Hw(), format);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kSourceCodes, Hw().SourceCode);
        });
    t.Add(
        "[SOURce:]DATA:PACKing:BIT",
        [this, bitStreamOnly](Request& r) {
            r.Expect(1);
            const auto order = static_cast<std::int32_t>(r.Choice(0, kPackingOrders));
            bitStreamOnly();
            ApplyPackingOrder(Hw(), order, Hw().packing_byte);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kPackingOrders, Hw().packing_bit);
        });
    t.Add(
        "[SOURce:]DATA:PACKing:BYTE",
        [this, bitStreamOnly](Request& r) {
            r.Expect(1);
            const auto order = static_cast<std::int32_t>(r.Choice(0, kPackingOrders));
            bitStreamOnly();
            ApplyPackingOrder(Hw(), Hw().packing_bit, order);
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kPackingOrders, Hw().packing_byte);
        });
    t.Add(
        "OUTPut[:STATe]",
        [this](Request& r) {
            r.Expect(1);
            const bool on = r.Boolean(0);
            try {
                on ? runControl_->Start() : runControl_->Stop();
            } catch (const std::exception& error) {
                throw Failure{-200, error.what()};
            }
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = scpi::FormatBoolean(runControl_->Running());
        });
}

void TScpiInstrument::AddToolCommands() {
    scpi::Interpreter& t = interpreter;
    const auto number = [](double value) { return scpi::FormatNumber(value); };
    const auto sineLocked = [] { Conflict(SineSettings.SineIsWork, "the sine interferer is on"); };
    const auto sweepLocked = [] { Conflict(SweepSettings.SweepIsWork, "the sweep is on"); };

    t.Add(
        "[SOURce:]SINE[:STATe]",
        [this](Request& r) {
            r.Expect(1);
            const bool on = r.Boolean(0);
            if (on == SineSettings.SineIsWork) return;
            if (on) {
                Conflict(Hw().Noise == 1, "noise is on");
                StartSine();
            } else {
                SwitchSineOff(hw_.get());
            }
        },
        [](Request& r) {
            r.Expect(0);
            r.response = scpi::FormatBoolean(SineSettings.SineIsWork);
        });
    t.Add(
        "[SOURce:]SINE:OFFSet",
        [sineLocked](Request& r) {
            r.Expect(1);
            const double kHz = r.Number(0, kSineOffset);
            sineLocked();
            SineSettings.FreqOtstr = kHz;
        },
        [number](Request& r) {
            r.response = number(r.QueryNumber(kSineOffset, SineSettings.FreqOtstr) * 1e3);
        });
    t.Add(
        "[SOURce:]SINE:LEVel",
        [sineLocked](Request& r) {
            r.Expect(1);
            const double dB = r.Number(0, kSineLevel);
            sineLocked();
            SineSettings.OtnosLevel = dB;
        },
        [number](Request& r) { r.response = number(r.QueryNumber(kSineLevel, SineSettings.OtnosLevel)); });
    t.Add(
        "[SOURce:]SWEep[:STATe]",
        [this](Request& r) {
            r.Expect(1);
            const bool on = r.Boolean(0);
            if (on == SweepSettings.SweepIsWork) return;
            on ? StartSweep() : StopSweep();
        },
        [](Request& r) {
            r.Expect(0);
            r.response = scpi::FormatBoolean(SweepSettings.SweepIsWork);
        });
    t.Add(
        "[SOURce:]SWEep:SPAN",
        [sweepLocked](Request& r) {
            r.Expect(1);
            const double kHz = r.Number(0, kSweepSpan);
            sweepLocked();
            SweepSettings.IntervPerest = kHz;
        },
        [number](Request& r) {
            r.response = number(r.QueryNumber(kSweepSpan, SweepSettings.IntervPerest) * 1e3);
        });
    t.Add(
        "[SOURce:]SWEep:TIME",
        [sweepLocked](Request& r) {
            r.Expect(1);
            const scpi::Parameter& p = r.At(0);
            long long seconds = 0;
            if (p.type == scpi::Parameter::Type::Numeric && p.suffix == "S") {
                scpi::ParsedCommand plain = r.command;
                plain.parameters[0].suffix.clear();
                seconds = Request(plain).Integer(0, 0, kSweepTimeMax);
            } else {
                seconds = r.Integer(0, 0, kSweepTimeMax);
            }
            sweepLocked();
            SweepSettings.PerestTime = static_cast<std::uint32_t>(seconds);
        },
        [](Request& r) {
            r.Expect(0);
            r.response = std::to_string(SweepSettings.PerestTime);
        });
    t.Add(
        "[SOURce:]SWEep:MODE",
        [sweepLocked](Request& r) {
            r.Expect(1);
            const auto mode = static_cast<std::uint8_t>(r.Choice(0, kSweepModes));
            sweepLocked();
            SweepSettings.PerestReg = mode;
        },
        [](Request& r) {
            r.Expect(0);
            r.response = ChoiceName(kSweepModes, SweepSettings.PerestReg);
        });
}

void TScpiInstrument::AddMemoryCommands() {
    scpi::Interpreter& t = interpreter;
    t.Add("MMEMory:CATalog", nullptr, [](Request& r) {
        r.Expect(0);
        std::string text;
        for (const std::string& set : ListSetNames())
            text += (text.empty() ? "" : ",") + scpi::FormatString(set);
        r.response = text.empty() ? "\"\"" : text;
    });
    t.Add("MMEMory:CATalog:STATe", nullptr, [](Request& r) {
        r.Expect(1);
        const std::string set = ExistingSet(r.String(0));
        std::string text;
        const std::string file = SetFilePath(set);
        if (!profile::ReadSectionNames(file).empty())
            for (const std::string& name : TStoregeClass::ReadAllINISections(file))
                text += (text.empty() ? "" : ",") + scpi::FormatString(name);
        r.response = text.empty() ? "\"\"" : text;
    });
    t.Add(
        "MMEMory:LOAD:STATe",
        [this](Request& r) {
            r.Expect(2);
            const std::string set = ExistingSet(r.String(0));
            const std::string configuration = ExistingConfiguration(SetFilePath(set), r.String(1));
            try {
                ChooseCurrentSet(*storage_, set);
                LoadChosenConfiguration(*storage_, configuration);
                ShowLoadedConfiguration();
                RememberChosenConfiguration(*storage_);
            } catch (const EStorageError& error) {
                throw Failure{-250, error.what()};
            }
            if (hw_->ZorvanIsRun) runControl_->Start();  // the board plays the new configuration
        },
        [](Request& r) {
            r.Expect(0);
            const std::filesystem::path file = zplatform::pathFromUtf8(CurrentSetFile);
            std::string set = file.filename().string();
            if (set.size() > 4) set.erase(set.size() - 4);
            r.response = scpi::FormatString(set) + "," + scpi::FormatString(CurrentSetName);
        });
    t.Add(
        "MMEMory:STORe:STATe",
        [this](Request& r) {
            r.Expect(2);
            const std::string& set = r.String(0);
            const std::string& configuration = r.String(1);
            CheckName(set, true);
            CheckName(configuration, false);
            std::string file = SetFilePath(set);
            for (const std::string& existing : ListSetNames())
                if (SamePathIgnoreCase(existing, set)) file = SetFilePath(existing);
            try {
                storage_->SaveUserConfig(configuration, file);
                CurrentSetFile = file;
                CurrentSetName = configuration;
                RememberChosenConfiguration(*storage_);
            } catch (const EStorageError& error) {
                throw Failure{-250, error.what()};
            }
        },
        nullptr);
}

void TScpiInstrument::AddStatusCommands() {
    scpi::Interpreter& t = interpreter;
    t.Add("STATus:OPERation:CONDition", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(OperationCondition());
    });
    t.Add("STATus:OPERation[:EVENt]", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(OperationCondition());
    });
    t.Add(
        "STATus:OPERation:ENABle",
        [this](Request& r) {
            r.Expect(1);
            operationEnable_ = static_cast<std::uint16_t>(r.Integer(0, 0, 32767));
        },
        [this](Request& r) {
            r.Expect(0);
            r.response = std::to_string(operationEnable_);
        });
    t.Add(
        "STATus:PRESet",
        [this](Request& r) {
            r.Expect(0);
            operationEnable_ = 0;
        },
        nullptr);
    t.Add("STATus:STReaming:PASSes", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(stream_->Counters.Passes.load());
    });
    t.Add("STATus:STReaming:OVERruns", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(stream_->Counters.Overruns.load());
    });
    t.Add("SENSe:TEMPerature:BOARd", nullptr, [this](Request& r) {
        r.Expect(0);
        Hw().Read_Tempr();
        r.response = std::to_string(Hw().TemprPCB);
    });
    t.Add("SENSe:TEMPerature:FPGA", nullptr, [this](Request& r) {
        r.Expect(0);
        Hw().Read_Tempr();
        r.response = std::to_string(Hw().TemprLCA);
    });
    t.Add("SYSTem:BOARd:SERial", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(static_cast<std::uint32_t>(Hw().SN));
    });
    t.Add("SYSTem:BOARd:HWVersion", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(Hw().HWVersion);
    });
    t.Add("SYSTem:BOARd:DEVice", nullptr, [this](Request& r) {
        r.Expect(0);
        r.response = std::to_string(Hw().DevNum);
    });
}
