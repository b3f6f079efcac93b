#include "parameters.h"

#include "config/options.h"
#include "hardware.h"

void WriteFrequencies(TZorvanHWClass& hw) {
    hw.MakeWorkFile(false);
    hw.Write_TI();
    hw.Write_VN();
}

void WriteNoiseLevel(TZorvanHWClass& hw) {
    hw.WriteNoise();
    hw.Write_TI();
}

void ApplyNoiseState(TZorvanHWClass& hw, bool on) {
    hw.Noise = on ? 1 : 0;
    if (hw.Noise == 0 && SineSettings.SineIsWork)
        hw.Wr_Sin();
    else
        hw.WriteNoise();
    hw.Write_TI();
}

void ApplyModKind(TZorvanHWClass& hw, std::uint8_t position) {
    hw.ModKind = position;
    _SetModKind(hw.DevNum, hw.ModKind);
    hw.LoadDev();
}

void ApplyFilter(TZorvanHWClass& hw, std::uint8_t position) {
    hw.Filter = position;
    // The library loads the filter it was last told of: tell it of the new one before the load.
    _SetFilterType(hw.DevNum, hw.Filter);
    hw.LoadDev();
}

void ApplyCode(TZorvanHWClass& hw, std::uint8_t position) {
    hw.Code = position;
    hw.WriteDiffPU();
    hw.LoadPunct();
}

void ApplySourceCode(TZorvanHWClass& hw, std::uint8_t position) {
    hw.SourceCode = position;
    hw.LoadDev();
}

void ApplySamples(TZorvanHWClass& hw, std::uint8_t position) {
    hw.Samples = position;
    hw.LoadDev();
}

void ApplyScrambler(TZorvanHWClass& hw, std::uint8_t on) {
    hw.Scram320 = on;
    hw.WriteDiffPU();
}

void ApplyDiffCoder(TZorvanHWClass& hw, std::uint8_t on) {
    hw.Diff1 = on;
    hw.WriteDiffPU();
}

void ApplyDiffMapping(TZorvanHWClass& hw, std::uint8_t on) {
    hw.Diff2 = on;
    hw.WriteBitMap();
}

void ApplySpectrumInversion(TZorvanHWClass& hw, std::uint8_t on) {
    hw.SpectrInv = on;
    _SetSpectrInv(hw.DevNum, hw.SpectrInv);
    hw.Write_TI();
}

bool BitStreamSource(const TZorvanHWClass& hw) {
    return hw.SourceKind == 0;
}

void ApplyPackingOrder(TZorvanHWClass& hw, std::int32_t bit, std::int32_t byte) {
    hw.packing_bit = bit;
    hw.packing_byte = byte;
    CheckHWResult("SetPackingOrder", ::SetPackingOrder(hw.DevNum, static_cast<std::uint8_t>(hw.packing_bit),
                                                       static_cast<std::uint8_t>(hw.packing_byte)));
}
