// Run control: Start takes the signal configuration from the main window, chooses the source path by
// the file's size and loads the board; Stop ends the run and returns the FPGA to its RAM-load image;
// a 50 ms timer shows the streaming position; the close releases everything in a fixed order.
//
// Source paths by the size of the source file:
//   RAM                 the file fits the board's RAM (1 MiB, 2 MiB on hardware version 2): it is copied
//                       into the RAM and the board repeats it; no master runs.
//   single-loaded cycle DrvBuffEx on and the file fits the driver's ring (DrvBufferLen x BuffersPerCH):
//                       the file is split once over the ring and the master repeats it.
//   streaming           anything larger: the output thread (and, above 100 MiB, the reading thread)
//                       refills the ring while the master plays it.
//
// AnErrorOccurred is cleared at each Start and examined at its end, where it would end the Start with a
// Stop; nothing in the program sets it. A failed library call during Start has shown its own box, and
// Start goes on with its next step, as every sequence of the program does: a Stop would only replace
// what the board partly holds with the RAM-load image and hide which step failed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TZorvanHWClass;
class TDataStream;

enum class TSourcePath { Ram, SingleLoadedCycle, Streaming };

// Bytes of the board's source RAM: 2 MiB on hardware version 2, 1 MiB on every other version.
std::uint32_t SourceRamSize(std::uint8_t HWVersion);
// The path of a file of `size` bytes; singleLoaded is DrvBuffEx; `capacity` is DrvBufferLen x
// BuffersPerCH (computed in 32 bits).
TSourcePath ChooseSourcePath(std::uint64_t size, std::uint8_t HWVersion, bool singleLoaded,
                             std::uint32_t capacity);
// IstSig for a source kind on the RAM path or a driver-buffer path; nullopt for a kind other than 0-2
// (IstSig then keeps its value).
std::optional<std::uint8_t> SourceModeFor(std::uint8_t SourceKind, bool ramPath);

// The streaming position shown by the timer: `pos` = CtrlByteTX modulo the file size, shown in MiB with
// two decimals and the unit, and as a percentage of the file, rounded with halves to even. A file size
// of 0 counts as 1.
struct TStreamingPosition {
    std::string PanelText;
    int Progress = 0;
};
TStreamingPosition StreamingPosition(std::uint64_t CtrlByteTX, std::uint64_t FileSize, char decimal,
                                     const std::string& unit);

// What run control needs of the main window (the Qt window implements it; tests replace it).
class TRunWindow {
 public:
    virtual ~TRunWindow() = default;
    virtual std::string FileNameText() const = 0;
    // Start enabled and Stop disabled when idle; the other way round while running. The file-name
    // field, the source-kind and source-format lists and the filter list follow Start.
    virtual void ShowRunning(bool running) = 0;
    // Start's taking of the configuration from the window's fields and lists into the hardware object,
    // through the field checks and the check boxes' own handling. Throws EConvertError for a noise text
    // that is not a number.
    virtual void TakeConfiguration() = 0;
    virtual void SetPositionTimer(bool on) = 0;
    // Status panel 2 and the progress bar; `progressVisible` false hides the bar.
    virtual void ShowPosition(const std::string& panelText, int progress, bool progressVisible) = 0;
    // The service window's RAM view: on for a source played from the board's RAM.
    virtual void RAMModeView(bool on) = 0;
    // The unit after the streaming position: "MB", or "МБ" in Russian.
    virtual std::string MegaByte() const = 0;
};

class TRunControl {
 public:
    TRunControl(TZorvanHWClass& hw, TDataStream& stream, TRunWindow& window);

    // Start (also a restart: whatever runs is stopped first). Throws std::system_error when the source
    // file exists but cannot be opened, and EConvertError from TakeConfiguration; the controls then
    // stay as Start set them, and Stop restores them.
    void Start();
    void Stop();
    // One tick of the position display.
    void TimerTick();
    // The close, before the storage and hardware objects are destroyed: Stop when TxDisableOnExit, the
    // master register cleared in any case, the threads stopped.
    void Close();

    bool Running() const { return running_; }
    TSourcePath Path() const { return path_; }

 private:
    TZorvanHWClass& hw_;
    TDataStream& stream_;
    TRunWindow& window_;
    bool running_ = false;
    TSourcePath path_ = TSourcePath::Ram;
};
