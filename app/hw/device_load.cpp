// The device load: one call brings the whole signal configuration into the board. Every step reports
// its own failure in a box and the sequence goes on to its end.
#include <array>

#include "hardware.h"
#include "zplatform/codepage.h"

namespace {

constexpr std::size_t kFirmwareNameBuffer = 260;

bool IsRamMode(std::uint8_t istSig) {
    return istSig == 0 || istSig == 1;
}

// Input to the main window stays disabled while the load runs, whatever happens inside it.
class MainInputDisabled {
 public:
    MainInputDisabled() { MainWindowEffects().SetMainInputEnabled(false); }
    ~MainInputDisabled() { MainWindowEffects().SetMainInputEnabled(true); }
    MainInputDisabled(const MainInputDisabled&) = delete;
    MainInputDisabled& operator=(const MainInputDisabled&) = delete;
};

}  // namespace

void TZorvanHWClass::LoadDev() {
    {
        MainInputDisabled disabled;
        LoadSynth();
        _SetKVPS(DevNum, static_cast<std::uint8_t>(Samples + 1));  // formed in 8 bits, result not examined
        ExtForm = SourceCode;
        const std::string name = MakeWorkFile(true);
        FPGALoading(AppPath("Firmware/" + name));
        if (IstSig != 1) LoadModulation_RAM();  // an I/Q source in RAM needs no constellation
        Load_FIR_PF();
        Write_Att_H();
        Write_Att_L();
        Write_AD9786();
        // Packing order: a bit stream's own order, the natural one for I/Q samples.
        const bool bitStream = SourceKind == 0;
        CheckHWResult("SetPackingOrder",
                      ::SetPackingOrder(DevNum, bitStream ? static_cast<std::uint8_t>(packing_bit) : 0,
                                        bitStream ? static_cast<std::uint8_t>(packing_byte) : 0));
        WriteNoise();
        Write_TI();
        Write_AD9786();  // again: the symbol clock may have moved the sample frequency
        Write_VN();
        if (IstSig != 1) WriteDiffPU();
        if (IstSig != 1) WriteBitMap();
        if (Code > 3) LoadPunct();
        Load_RAM_CEOQPSK();
    }
    MainWindowEffects().RestartArmedTools();
}

std::string TZorvanHWClass::MakeWorkFile(bool Ram_Load) {
    if (Ram_Load && IsRamMode(IstSig)) Load_RAM(SourceFile);
    std::array<char, kFirmwareNameBuffer> name{};
    SetModeGetFWFName(DevNum, IstSig, F_N, F_TI, name.data());  // result not examined
    name.back() = '\0';
    return zplatform::codepage::ansiToUtf8(name.data());
}

void TZorvanHWClass::Load_RAM(const std::string& FileName) {
    // Only an I/Q source in text form is loaded as bit text; a bit stream always goes in binary words.
    const bool bitText = ExtForm != 0 && IstSig == 1;
    FPGALoading(AppPath("Firmware/load_Ram.bit"));
    CheckHWResult("Load_RAM",
                  ::Load_RAM(DevNum, zplatform::codepage::utf8ToAnsi(FileName).c_str(), bitText ? 1 : 0));
}
