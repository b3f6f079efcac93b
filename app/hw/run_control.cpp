#include "run_control.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "ZorvanLRegisters.h"
#include "config/number_text.h"
#include "config/options.h"
#include "driver_ring.h"
#include "hardware.h"
#include "messages.h"
#include "streaming.h"
#include "tools/logger.h"
#include "zplatform/paths.h"

namespace {

constexpr std::uint32_t kMiB = 0x100000;

bool IsExistingFile(const std::string& name) {
    std::error_code error;
    return std::filesystem::is_regular_file(zplatform::pathFromUtf8(name), error);
}

// The size of a file that exists; a file the system will not open ends Start with its reason.
std::uint64_t OpenedFileSize(const std::string& name) {
    std::ifstream file(zplatform::pathFromUtf8(name), std::ios::binary | std::ios::ate);
    if (!file) throw std::runtime_error("Cannot open file \"" + name + "\". " + std::strerror(errno));
    return static_cast<std::uint64_t>(file.tellg());
}

}  // namespace

std::uint32_t SourceRamSize(std::uint8_t HWVersion) {
    return HWVersion == 2 ? 2 * kMiB : kMiB;
}

TSourcePath ChooseSourcePath(std::uint64_t size, std::uint8_t HWVersion, bool singleLoaded,
                             std::uint32_t capacity) {
    if (size <= SourceRamSize(HWVersion)) return TSourcePath::Ram;
    if (singleLoaded && size <= capacity) return TSourcePath::SingleLoadedCycle;
    return TSourcePath::Streaming;
}

std::optional<std::uint8_t> SourceModeFor(std::uint8_t SourceKind, bool ramPath) {
    switch (SourceKind) {
        case 0:
            return ramPath ? 0 : 2;
        case 1:
            return ramPath ? 1 : 3;
        case 2:
            return ramPath ? 0 : 4;
        default:
            return std::nullopt;
    }
}

TStreamingPosition StreamingPosition(std::uint64_t CtrlByteTX, std::uint64_t FileSize, char decimal,
                                     const std::string& unit) {
    if (FileSize == 0) FileSize = 1;
    const std::uint64_t pos = CtrlByteTX % FileSize;
    TStreamingPosition shown;
    shown.PanelText = FormatFixed2(static_cast<double>(pos) / 1048576.0, decimal) + " " + unit;
    shown.Progress =
        static_cast<int>(RoundHalfEven(static_cast<double>(pos) / static_cast<double>(FileSize) * 100.0));
    return shown;
}

TRunControl::TRunControl(TZorvanHWClass& hw, TDataStream& stream, TRunWindow& window)
    : hw_(hw), stream_(stream), window_(window) {}

void TRunControl::Start() {
    DrvBufCount = static_cast<std::uint8_t>(BuffersPerCH);
    const std::uint32_t capacity = DrvBufferLen * static_cast<std::uint32_t>(BuffersPerCH);
    hw_.AnErrorOccurred = false;
    DebugLogger.Add("i", "TfmMain.tlbtnStartClick", 255, "Button [Start] click");
    stream_.Counters.CtrlByteTX = 0;
    stream_.Counters.Passes = 0;
    stream_.Counters.Overruns = 0;
    hw_.SourceFile = window_.FileNameText();
    if (!IsExistingFile(hw_.SourceFile)) {
        ShowMsgBox(MessageList[8] + hw_.SourceFile + MessageList[9], TMsgKind::Error, TMsgButtons::Ok);
        return;  // a run in progress goes on
    }
    running_ = true;
    window_.ShowRunning(true);
    window_.TakeConfiguration();

    window_.SetPositionTimer(false);
    stream_.StopDataThreads();
    CheckHWResult("StopMaster", ::StopMaster(hw_.DevNum));

    const std::uint64_t size = OpenedFileSize(hw_.SourceFile);
    path_ = ChooseSourcePath(size, hw_.HWVersion, DrvBuffEx, capacity);
    const bool ramPath = path_ == TSourcePath::Ram;
    window_.RAMModeView(ramPath);
    if (path_ == TSourcePath::Streaming) window_.ShowPosition("", 0, true);
    if (const auto mode = SourceModeFor(hw_.SourceKind, ramPath)) hw_.IstSig = *mode;
    switch (path_) {
        case TSourcePath::Ram:
            hw_.LoadDev();  // copies the file into the board's RAM; no master
            break;
        case TSourcePath::SingleLoadedCycle:
            hw_.LoadDrvBuffers();
            hw_.LoadDev();
            hw_.StartMaster();
            break;
        case TSourcePath::Streaming:
            SetDriverBufferSizes(hw_.MemoryData, DrvBufferLen);
            hw_.LoadDev();
            stream_.StartDataThreads();
            window_.ShowPosition("", 0, true);
            window_.SetPositionTimer(true);
            hw_.StartMaster();
            break;
    }
    if (hw_.AnErrorOccurred) Stop();
}

void TRunControl::Stop() {
    DebugLogger.Add("i", "TfmMain.tlbtnStopClick", 255, "Button [Stop] click");
    window_.SetPositionTimer(false);
    stream_.StopDataThreads();
    CheckHWResult("StopMaster", ::StopMaster(hw_.DevNum));
    hw_.FPGALoading(AppPath("Firmware/load_Ram.bit"));
    running_ = false;
    window_.ShowRunning(false);
}

void TRunControl::TimerTick() {
    const TStreamingPosition shown =
        StreamingPosition(stream_.Counters.CtrlByteTX.load(std::memory_order_relaxed), stream_.FileSize,
                          LocaleDecimalChar, window_.MegaByte());
    window_.ShowPosition(shown.PanelText, shown.Progress, true);
}

void TRunControl::Close() {
    if (hw_.TxDisableOnExit) Stop();
    hw_.WritePort(zorvan::reg::MASTER_CTL.index,
                  0);  // stops the master as StopMaster does, whatever the option says
    stream_.StopDataThreads();
}
