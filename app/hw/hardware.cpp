#include "hardware.h"

#include <vector>

#include "zplatform/codepage.h"
#include "zplatform/paths.h"

TZorvanHWClass* ZorvanHWObject = nullptr;
std::int32_t ErrorTextLanguage = 0;
std::string AppDir;

namespace {

using zplatform::codepage::utf8ToAnsi;

constexpr std::size_t kTextBuffer = 8192;

}  // namespace

std::string AppPath(const std::string& relative) {
    return zplatform::nativePath(AppDir, relative);
}

void ShowMsgBox(const std::string& Text, TMsgKind Kind, TMsgButtons Buttons) {
    MessageBoxes().ShowMsgBox(Text, Kind, Buttons);
}

void CheckHWResult(std::string_view OperationName, std::int32_t Result) {
    if (Result == 0) return;
    const std::int32_t language = (ErrorTextLanguage == 0 || ErrorTextLanguage == 1) ? ErrorTextLanguage : 0;
    std::vector<char> description(kTextBuffer, '\0');
    std::vector<char> detail(kTextBuffer, '\0');
    GetErrorcodeDescript(Result, language, description.data());
    // The detail belongs to the device of the program's hardware object; the library clears it here.
    GetLastErrorInfo(ZorvanHWObject ? ZorvanHWObject->DevNum : 0, detail.data());
    description.back() = detail.back() = '\0';
    const std::string text = language == 1 ? zplatform::codepage::windows1251ToUtf8(description.data())
                                           : zplatform::codepage::ansiToUtf8(description.data());
    ShowMsgBox("[" + std::string(OperationName) + "] " + text + "(" +
                   zplatform::codepage::ansiToUtf8(detail.data()) + ")",
               TMsgKind::Error, TMsgButtons::Ok);
}

TZorvanHWClass::TZorvanHWClass(std::uint8_t Dev) : DevNum(Dev) {}

TZorvanHWClass::~TZorvanHWClass() {
    CheckHWResult("DisconnectDevice", DisconnectDevice(DevNum));
}

void TZorvanHWClass::LoadSynth() {
    CheckHWResult("LoadSynth", ::LoadSynth(DevNum));
}

void TZorvanHWClass::LoadModulation_RAM() {
    CheckHWResult("LoadModulationRAM", ::LoadModulationRAM(DevNum));
}

void TZorvanHWClass::Write_Att_H() {
    CheckHWResult("Write_Att_H", ::Write_Att_H(DevNum, &AttVH));
}

void TZorvanHWClass::Write_Att_L() {
    CheckHWResult("Write_Att_L", ::Write_Att_L(DevNum, &AttNH));
}

void TZorvanHWClass::Write_AD9786() {
    CheckHWResult("Write_AD9786", ::Write_AD9786(DevNum));
}

void TZorvanHWClass::WriteNoise() {
    // The library ignores the level when the interferer is off.
    const double level = Noise == 1 ? Pomeha : Noise == 2 ? Sin_Att : 0.0;
    CheckHWResult("WriteNoise", ::WriteNoise(DevNum, Noise, level, Sin_F));
}

void TZorvanHWClass::Wr_Sin() {
    CheckHWResult("WriteNoise", ::WriteNoise(DevNum, 2, Sin_Att, Sin_F));
}

void TZorvanHWClass::Write_TI() {
    CheckHWResult("Write_TI", ::Write_TI(DevNum, F_TI));
}

void TZorvanHWClass::Write_VN() {
    CheckHWResult("Write_VN", ::Write_VN(DevNum, F_N));
}

void TZorvanHWClass::LoadPunct() {
    CheckHWResult("LoadPunct", ::LoadPunct(DevNum, Code));
}

void TZorvanHWClass::Load_RAM_CEOQPSK() {
    CheckHWResult("Load_RAM_CEOQPSK", ::Load_RAM_CEOQPSK(DevNum));
}

void TZorvanHWClass::WriteDiffPU() {
    CheckHWResult("WriteDiffPU", ::WriteDiffPU(DevNum, Code, Scram320, Diff1));
}

void TZorvanHWClass::WriteBitMap() {
    CheckHWResult("WriteBitMap", ::WriteBitMap(DevNum, Diff2));
}

void TZorvanHWClass::Read_Tempr() {
    CheckHWResult("ReadTemperature", ::ReadTemperature(DevNum, &TemprPCB, &TemprLCA));
}

void TZorvanHWClass::GetInterruptInfo() {
    CheckHWResult("GetInterruptInfo", ::GetInterruptInfo(DevNum, &InterruptInfo));
}

bool TZorvanHWClass::WritePort(std::uint32_t dwOffset, std::uint32_t dwValue) {
    CheckHWResult("WritePort", ::WritePort(DevNum, dwOffset, dwValue));
    return true;
}

std::uint32_t TZorvanHWClass::ReadPort(std::uint32_t dwOffset) {
    std::uint32_t value = 0;
    const std::int32_t result = ::ReadPort(DevNum, dwOffset, &value);
    CheckHWResult("ReadPort", result);
    return result == 0 ? value : 0;
}

void TZorvanHWClass::FPGALoading(const std::string& FPGAFileName) {
    const std::int32_t result = ::FPGALoad(DevNum, utf8ToAnsi(FPGAFileName).c_str());
    LastFPGAFile = result == 0 ? FPGAFileName : std::string();
    CheckHWResult("FPGALoading", result);
}

void TZorvanHWClass::Load_FIR_PF() {
    const std::string name = AppPath("Firmware/Filter/pf512_70.dat");
    const std::int32_t result = ::LoadFIRPF(DevNum, utf8ToAnsi(name).c_str());
    LastFIRFile = result == 0 ? name : std::string();
    CheckHWResult("LoadFIRPF", result);
}
