// The hardware object: the program's one way to the board. It holds the signal configuration, calls
// each library operation with the fields that operation needs, and passes every result to
// CheckHWResult, which shows one error box for a failure and lets the caller go on. No method stops,
// retries or raises on a failure, so a sequence of calls always runs to its end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ZorvanL.h"
#include "operator_ui.h"

class TZorvanHWClass {
 public:
    // All fields zero, false or empty; DevNum = Dev. No library call: the start-up connects the board.
    explicit TZorvanHWClass(std::uint8_t Dev);
    // Disconnects the board (checked under "DisconnectDevice").
    ~TZorvanHWClass();
    TZorvanHWClass(const TZorvanHWClass&) = delete;
    TZorvanHWClass& operator=(const TZorvanHWClass&) = delete;

    // ---- Board identity and sensors ----
    std::int32_t TemprPCB = 0;      // board temperature, degC, as last read by Read_Tempr
    std::int32_t TemprLCA = 0;      // FPGA temperature, degC
    std::int32_t packing_bit = 0;   // bit order of a bit-stream source: 0 little-endian, 1 big-endian
    std::int32_t packing_byte = 0;  // byte order of a bit-stream source
    std::uint8_t HWVersion = 0;     // version 2 has 2 MiB of source RAM, every other 1 MiB
    std::int32_t SN = 0;
    std::uint8_t DevNum = 0;   // first argument of every library call
    std::uint8_t SlotNum = 0;  // the driver's slot number; names the buffer-complete event

    // ---- Signal configuration (list choices are positions in their lists) ----
    double F_N = 0.0;   // carrier, MHz
    double F_TI = 0.0;  // symbol clock, kHz
    std::uint8_t ModKind = 0;
    std::uint8_t Noise = 0;  // 0 none, 1 noise at Pomeha (the library also takes 2, the sine interferer)
    double FreqStep = 0.0;
    double AttVH = 0.0;  // HF attenuator, dB
    double AttNH = 0.0;  // LF attenuator, dB
    std::uint8_t Filter = 0;
    std::uint8_t Samples = 0;  // position in 1, 2, 4, 16, 32; the library receives position + 1
    double Pomeha = 0.0;       // noise level, dB
    double Sin_F = 0.0;        // sine interferer offset, kHz
    double Sin_Att = 0.0;      // sine interferer level, dB
    std::uint8_t IstSig = 0;   // source mode 0-4, chosen by every start
    std::uint8_t ExtForm = 0;  // copy of SourceCode taken at every device load
    TMapMemData MemoryData{};  // the driver's DMA buffer table
    TIntInfo InterruptInfo{};  // refreshed by GetInterruptInfo
    bool ZorvanIsRun = false;
    bool TxDisableOnExit = false;
    bool AnErrorOccurred = false;
    bool WithRDThread = false;  // the current streaming run has a reading thread
    std::uint8_t Scram320 = 0;
    std::uint8_t Diff1 = 0;
    std::uint8_t Diff2 = 0;
    std::uint8_t Code = 0;
    std::uint8_t SpectrInv = 0;
    std::uint8_t SourceKind = 0;  // 0 bit stream, 1 I/Q 8 bits, 2 I/Q 16 bits
    std::uint8_t SourceCode = 0;  // 0 binary, 1 text
    std::string SourceFile;       // UTF-8
    // The FPGA image and the post-filter file the board holds: the path of the last successful
    // FPGALoading and Load_FIR_PF (UTF-8); a failed load empties it, the board then holds no whole one.
    std::string LastFPGAFile;
    std::string LastFIRFile;

    // ---- One wrapper per library operation ----
    void LoadSynth();
    void LoadModulation_RAM();
    void Write_Att_H();
    void Write_Att_L();
    void Write_AD9786();
    void WriteNoise();
    void Wr_Sin();
    void Write_TI();
    void Write_VN();
    void LoadPunct();
    void Load_RAM_CEOQPSK();
    void WriteDiffPU();
    void WriteBitMap();
    void Read_Tempr();
    void StartMaster();
    void GetInterruptInfo();
    bool WritePort(std::uint32_t dwOffset, std::uint32_t dwValue);  // true whatever the result
    std::uint32_t ReadPort(std::uint32_t dwOffset);                 // 0 when the call fails

    // ---- Device load ----
    void LoadDev();
    std::string MakeWorkFile(bool Ram_Load);
    void Load_RAM(const std::string& FileName);
    void FPGALoading(const std::string& FPGAFileName);
    void Load_FIR_PF();

    // ---- Single-loaded cycle mode ----
    void LoadDrvBuffers();
};

// The hardware object of the program (nullptr while there is none).
extern TZorvanHWClass* ZorvanHWObject;

// Language of the library's error texts: 0 English, 1 Russian.
extern std::int32_t ErrorTextLanguage;

// The program's directory with a trailing separator; every data path is built on it.
extern std::string AppDir;

// AppDir + a relative path whose parts are separated by '/', with the platform's separator.
std::string AppPath(const std::string& relative);

// Shows one error box "[" + name + "] " + library text + "(" + detail + ")" when Result is not 0. A
// success costs nothing (no text is built), so the streaming threads may check every call.
void CheckHWResult(std::string_view OperationName, std::int32_t Result);

void ShowMsgBox(const std::string& Text, TMsgKind Kind, TMsgButtons Buttons);
