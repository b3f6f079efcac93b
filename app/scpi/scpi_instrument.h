// The instrument behind the remote interface: the operator program's core without windows (hardware
// object, device load, run control, storage of options and sets, the sweep and the sine interferer)
// and the command tree over it (the README lists every command). The instrument takes the windows'
// place towards the core: it is the run window, the storage's host, the main window's effects and the
// message boxes, whose texts become device-specific errors in the SCPI queue (-300 with the message's
// own text) instead of boxes.
//
// Rules a client meets, as the operator meets them in the windows:
//   - a value is checked against the field's own limits; beyond them -222 and nothing changes;
//   - the file, its kind and format and the filter cannot change while the output is on (-221), nor
//     modulation, coding and packing while the source is not a bit stream; the noise level only while
//     noise is on; noise and the sine interferer exclude each other (-221 for the second); the sine and
//     sweep settings are locked while they run;
//   - a symbol rate above 220000 kHz is kept with the program's warning in the queue;
//   - choosing a configuration (MMEMory:LOAD:STATe) starts the output with it, as the program's choice
//     does; a store (MMEMory:STORe:STATe) saves the configuration in force and makes it the current one,
//     without a restart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "config/storage.h"
#include "hw/operator_ui.h"
#include "hw/run_control.h"
#include "scpi_parser.h"
#include "tools/sweep_control.h"

class TZorvanHWClass;
class TDataStream;

class TScpiInstrument : public TRunWindow,
                        public TStorageHost,
                        public TMainWindowEffects,
                        public TMessageBoxes {
 public:
    TScpiInstrument();
    ~TScpiInstrument() override;
    TScpiInstrument(const TScpiInstrument&) = delete;
    TScpiInstrument& operator=(const TScpiInstrument&) = delete;

    // The program's start-up on board `device` (AppDir set before): connect, options, configuration,
    // identity, Start, the armed sine and sweep. Returns ConnectDevice's result; on -13 (the board is
    // another process's) nothing else has been done and the board is untouched.
    std::int32_t StartUp(std::uint8_t device, TCommandConfiguration commands);
    // The program's close: the output stopped as TxDisableOnExit says, options and the configuration
    // in force saved, the board released. Runs once; the destructor calls it.
    void Close();

    // One line of a client (its end stripped): the answers, or empty.
    std::string Execute(std::string_view line);
    // A new client: the tree path at the root.
    void NewClient();
    // The sweep's poll of the board, every 600 ms while it runs (the server's loop calls it).
    void PollSweep();
    bool SweepRunning() const;

    scpi::Interpreter interpreter;

    // ---- TRunWindow ----
    std::string FileNameText() const override;
    void ShowRunning(bool running) override;
    void TakeConfiguration() override;
    void SetPositionTimer(bool on) override;
    void ShowPosition(const std::string& panelText, int progress, bool progressVisible) override;
    void RAMModeView(bool on) override;
    std::string MegaByte() const override;
    // ---- TStorageHost ----
    int WindowTop() const override;
    int WindowLeft() const override;
    void MoveWindow(int Top, int Left) override;
    void ReadCfgFiles() override;
    std::vector<std::string> SetEntries() const override;
    void ChooseSet(TStoregeClass& storage, int index) override;
    void ApplyLanguage() override;
    // ---- TMainWindowEffects ----
    void SetMainInputEnabled(bool enabled) override;
    void RestartArmedTools() override;
    void ResetStreamingDisplay() override;
    // ---- TMessageBoxes ----
    void ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons buttons) override;
    bool AskOkCancel(const std::string& text, TMsgKind kind, int left, int top) override;

 private:
    void AddCommands();
    void AddCommonCommands();
    void AddSourceCommands();
    void AddToolCommands();
    void AddMemoryCommands();
    void AddStatusCommands();
    TZorvanHWClass& Hw();
    void Reset();
    void StartSweep();
    void StopSweep();
    void StartSine();
    // After a configuration is loaded: the noise option and the sine interferer as the main window's
    // redraw leaves them.
    void ShowLoadedConfiguration();
    std::uint16_t OperationCondition() const;

    std::unique_ptr<TZorvanHWClass> hw_;
    std::unique_ptr<TDataStream> stream_;
    std::unique_ptr<TRunControl> runControl_;
    std::unique_ptr<TStoregeClass> storage_;
    TSweepControl sweep_;
    std::vector<std::string> sets_;
    int top_ = 0;
    int left_ = 0;
    bool closed_ = false;
    bool started_ = false;
    std::uint8_t ese_ = 0;
    std::uint8_t sre_ = 0;
    std::uint16_t operationEnable_ = 0;
};

// Bits of STATus:OPERation:CONDition?.
inline constexpr std::uint16_t kOperationSweeping = 1u << 3;
inline constexpr std::uint16_t kOperationOutputOn = 1u << 8;
inline constexpr std::uint16_t kOperationStreaming = 1u << 9;
inline constexpr std::uint16_t kOperationSineOn = 1u << 10;
