// Register map of the Zorvan-L board: the one place that names every register of the board's 32-bit
// register window, its fields and its quirks. The library, the emulated board and the tests all
// include it. A register index is a 32-bit word index (byte offset / 4).
#pragma once

#include <cstdint>

namespace zorvan::reg {

// A register index has its own type, so that an index cannot be passed where a value is expected.
struct Reg {
    std::uint32_t index;
    friend constexpr bool operator==(Reg, Reg) = default;
};

constexpr std::uint32_t bit(unsigned n) {
    return std::uint32_t{1} << n;
}

// A contiguous bit field: `prep` places a value, `get` extracts it.
struct Field {
    unsigned lsb;
    unsigned width;
    constexpr std::uint32_t mask() const {
        return (width >= 32 ? ~std::uint32_t{0} : ((std::uint32_t{1} << width) - 1)) << lsb;
    }
    constexpr std::uint32_t prep(std::uint32_t value) const { return (value << lsb) & mask(); }
    constexpr std::uint32_t get(std::uint32_t word) const { return (word & mask()) >> lsb; }
};

// The board maps a 4 KiB register window: indices 0 to kRegisterWindowWords - 1. ReadPort and WritePort do
// not compare an index with it; a caller that takes indices from an operator must.
inline constexpr std::uint32_t kRegisterWindowWords = 1024;

// ---- DMA master -----------------------------------------------------------------------------------
inline constexpr Reg DMA_ADDR{0x000};    // write: low 32 bits of the described buffer's physical address,
                                         // bit 0 set (marks the address valid)
inline constexpr Reg DMA_SIZE{0x001};    // write: size in bytes of the described buffer
inline constexpr Reg MASTER_CTL{0x003};  // write: 0x04000000 + n announces n descriptors,
                                         // 0x60000000 starts the master, 0 stops it
inline constexpr Reg DMA_INDEX{0x005};   // write: number of the buffer being described
namespace master {
inline constexpr std::uint32_t kDescribe = 0x04000000;  // + number of buffers
inline constexpr Field kDescribeCount{0, 8};
inline constexpr std::uint32_t kStart = 0x60000000;
inline constexpr std::uint32_t kStop = 0;
inline constexpr std::uint32_t kAddressValid = bit(0);  // set in every DMA_ADDR word
inline constexpr Field kCommand{24, 8};                 // 0x04 describe, 0x60 start, 0 stop
inline constexpr unsigned kDescriptors = 256;           // DMA_INDEX 0-255
}  // namespace master

// ---- FPGA configuration ---------------------------------------------------------------------------
// write: configuration control (0xFE PROG low, 0xFF released, 0x1FF configuration data mode);
// read:  bit 17 is the synthesizer's serial output (read-back of the sample-clock synthesizer).
inline constexpr Reg FPGA_CTL{0x004};
inline constexpr Reg FPGA_STAT{0x006};  // read: bit 0 DONE, bit 1 RESET (INIT) of the FPGA
namespace fpga {
inline constexpr std::uint32_t kProgram = 0xFE;     // hold the FPGA in reset, configuration cleared
inline constexpr std::uint32_t kRelease = 0xFF;     // release reset / leave configuration mode
inline constexpr std::uint32_t kConfigure = 0x1FF;  // configuration bytes follow on DATA_PORT
inline constexpr std::uint32_t kStatusDone = bit(0);
inline constexpr std::uint32_t kStatusReset = bit(1);
inline constexpr std::uint32_t kSynthReadBack = bit(17);  // FPGA_CTL read
// The control word's bits: bit 0 low holds PROG (the configuration is cleared while it is low), bit 8
// routes DATA_PORT writes to the configuration port.
inline constexpr std::uint32_t kControlProgReleased = bit(0);
inline constexpr std::uint32_t kControlConfigure = bit(8);
inline constexpr unsigned kTrailingClocks = 6;  // zero bytes after the image: the start-up clocks
}  // namespace fpga

inline constexpr Reg CTL_0C{0x00C};  // write: cleared at connect

// write: FPGA configuration byte (bits 7-0) while configuring; otherwise the source-RAM address;
// read:  bit 0 is the AD9786 converter's serial output; bit 31 is set when a sweep pass has ended.
inline constexpr Reg DATA_PORT{0x100};
inline constexpr Reg RAM_DATA{0x102};  // write: 16-bit word at the RAM address last put on DATA_PORT
namespace data_port {
inline constexpr std::uint32_t kConverterReadBack = bit(0);
inline constexpr std::uint32_t kSweepPassEnded = bit(31);
}  // namespace data_port

// ---- Source RAM -----------------------------------------------------------------------------------
inline constexpr Reg PLAY_CTL{0x110};  // write: byte order, bit order, negated source length
namespace play {
inline constexpr Field kNegatedLength{0, 28};  // -ramLength modulo 2^28
inline constexpr Field kBitOrder{30, 1};
inline constexpr Field kByteOrder{31, 1};
}  // namespace play
namespace ram {
inline constexpr std::uint32_t kWords = 0x80000;           // 1 MiB of 16-bit words
inline constexpr std::uint32_t kWordsVersion2 = 0x100000;  // 2 MiB on hardware version 2
}  // namespace ram

// ---- Modulator ------------------------------------------------------------------------------------
inline constexpr Reg PUNCT{0x111};        // write: puncturing pattern word
inline constexpr Reg CONST_RAM{0x112};    // write: one constellation-table entry
inline constexpr Reg CODING{0x114};       // write: coder control
inline constexpr Reg BITMAP{0x116};       // write: one bit-mapping entry
inline constexpr Reg FILTER_CTL{0x120};   // write: shaping-filter control
inline constexpr Reg FIR_COEF{0x130};     // write: shaping-filter coefficient, or the close word
inline constexpr Reg NOISE_AMP{0x140};    // write: noise or sine amplitude
inline constexpr Reg SINE_FREQ{0x141};    // write: sine-interferer frequency word
inline constexpr Reg CE_RAM{0x150};       // write: CE-OQPSK amplitude table entry
inline constexpr Reg RATE_DIV{0x160};     // write: clock divider, -interpFactor modulo 2^16
inline constexpr Reg INTERP_COEF{0x168};  // write: interpolator coefficient
inline constexpr Reg RATE_NCO{0x170};     // write: symbol-rate frequency word
inline constexpr Reg CARRIER_NCO{0x180};  // write: carrier frequency word (signed)
inline constexpr Reg SWEEP_CTL{0x182};    // write: sweep enable
inline constexpr Reg SWEEP_STEP{0x184};   // write: low half increment, high half negated dwell
inline constexpr Reg PF_COEF{0x190};      // write: post-filter coefficient

namespace punct {
inline constexpr Field kHeader{16, 9};
inline constexpr Field kPosition{8, 2};
inline constexpr Field kPattern{0, 8};
inline constexpr unsigned kWords = 4;
// The header: bit 8 enables puncturing; bits 7-4 are the number of pattern words (two coded bits
// kept per word); bits 3-0 are the period in source bits minus 1. Rate = period / (2 x words).
inline constexpr std::uint32_t kHeaderEnable = bit(8);
inline constexpr Field kHeaderWords{4, 4};
inline constexpr Field kHeaderPeriod{0, 4};
}  // namespace punct
namespace constellation {
inline constexpr Field kShift{24, 8};
inline constexpr Field kAddress{16, 8};
inline constexpr Field kI{8, 8};
inline constexpr Field kQ{0, 8};
inline constexpr unsigned kEntries = 256;
}  // namespace constellation
namespace coding {
inline constexpr std::uint32_t kScrambler = 0x2;
inline constexpr std::uint32_t k64Qam = 0x10000;
inline constexpr Field kDifferential{0, 1};
inline constexpr Field kCoder{8, 3};  // 0 off, 1 convolutional K=7 (punctured by PUNCT), 2 sequential,
                                      // 3 convolutional K=8, 5 Manchester, 6 convolutional I/Q
inline constexpr std::uint32_t kCoderConvolutional = 1;
inline constexpr std::uint32_t kVariantI = bit(7);  // the "1/2I" variants
}  // namespace coding
namespace bitmap {
inline constexpr Field kAddress{16, 12};
inline constexpr Field kMapping{0, 6};
inline constexpr unsigned kEntries = 4096;
inline constexpr std::uint32_t kWideQamWord = 0x40000000;  // every write for 128QAM and 256QAM
inline constexpr std::uint32_t kBypass = bit(30);          // the mapper passes the bits through unchanged
}  // namespace bitmap
namespace filter {
inline constexpr std::uint32_t kBase = 0x400000;  // minus 2^interpShift * kSamplesStep
inline constexpr std::uint32_t kSamplesStep = 0x10000;
inline constexpr std::uint32_t kOn = bit(0);
inline constexpr std::uint32_t kOffset = bit(1);  // offset modulation (OQPSK, CE OQPSK)
inline constexpr std::uint32_t kSpectrInv = bit(2);
inline constexpr Field kSamples{16, 7};  // 0x40 - samples per symbol (0 stands for 64)
}  // namespace filter
namespace fir {
inline constexpr Field kShift{24, 8};  // interpShift - 1
inline constexpr Field kIndex{16, 8};
inline constexpr std::uint32_t kStrobe = bit(15);  // a coefficient; without it the word closes the bank
inline constexpr Field kCoefficient{0, 12};
inline constexpr unsigned kBanks = 5;          // interpShift 1 to 5
inline constexpr unsigned kMaxTaps = 256;      // 8 x 32 samples per symbol
inline constexpr unsigned kTapsPerSample = 8;  // coefficients per sample of a symbol
}  // namespace fir
namespace ce {
inline constexpr Field kIndex{16, 10};
inline constexpr Field kValue{0, 12};
inline constexpr unsigned kEntries = 1024;
}  // namespace ce
namespace interp {
inline constexpr Field kFalling{29, 1};
inline constexpr Field kIndex{16, 13};
inline constexpr Field kValue{0, 12};
inline constexpr unsigned kEntries = 8192;  // per half
inline constexpr double kFullScale = 2047.0;
}  // namespace interp
namespace rate_div {
inline constexpr Field kNegatedDivider{0, 16};  // -interpFactor modulo 2^16 (0 divides by 65536)
}
// RATE_NCO: (symbol clock x samples per symbol x divider / sample clock) x 2^30
inline constexpr double kRateNcoScale = 1073741824.0;
namespace post_filter {
inline constexpr Field kIndex{16, 13};
inline constexpr Field kCoefficient{0, 12};
inline constexpr unsigned kLength = 8192;
}  // namespace post_filter
namespace sweep {
inline constexpr std::uint32_t kEnable = 0x01000000;
inline constexpr Field kIncrement{0, 16};
inline constexpr Field kNegatedDwell{16, 16};
inline constexpr std::uint32_t kCarrierDefaultStep = 0xF;  // SWEEP_STEP written by every carrier set
inline constexpr std::uint32_t kStepsPerPass = 65536;
inline constexpr unsigned kClockDivider = 16;  // the sweep clock is the sample clock / 16
}  // namespace sweep
namespace noise {
inline constexpr std::uint32_t kOff = 0x8000;
inline constexpr std::uint32_t kSineEnable = 0x80000000;
inline constexpr Field kSineWord{0, 30};
inline constexpr Field kAmplitude{0, 10};
inline constexpr std::uint32_t kMaxAmplitude = 1023;
inline constexpr double kFullScale = 1024.0;  // amplitude of 0 dB
}  // namespace noise

// ---- Output chain ---------------------------------------------------------------------------------
inline constexpr Reg ATT_H_DATA{0x1A0};  // write: attenuator H serial data (bit 0)
inline constexpr Reg ATT_H_LOAD{0x1A2};  // write: attenuator H latch
inline constexpr Reg DAC_CS{0x1B0};      // write: converter serial-port select (1 select, 2 reset)
inline constexpr Reg DAC_SDIO{0x1B2};    // write: converter serial data (bit 0)
inline constexpr Reg RF_CORR{0x1C0};     // write: L-band correction bytes c0..c3; 8 enables the post filter
namespace rf_corr {
inline constexpr std::uint32_t kPostFilterOn = 8;
// L-band correction: four signed bytes c0 (bits 7-0) .. c3 (bits 31-24).
inline constexpr Field kByte[4] = {{0, 8}, {8, 8}, {16, 8}, {24, 8}};
}  // namespace rf_corr

// Step attenuators H and L: a 6-bit code (0.5 dB per step, 0-31.5 dB) shifted in most significant bit
// first on the DATA register, latched by a write to the LOAD register.
namespace attenuator {
inline constexpr unsigned kCodeBits = 6;
inline constexpr std::uint32_t kMaxCode = 63;
inline constexpr double kStepDb = 0.5;
inline constexpr double kMaxDb = kMaxCode * kStepDb;  // 31.5
}  // namespace attenuator

// AD9786 converter serial port: DAC_CS 1 selects it, 2 pulses its reset, 0 releases it; DAC_SDIO carries
// one bit per write (bit 0), most significant first: an instruction byte (bit 7 read, bits 6-0 register
// address), then 8 data bits. During a read, each DAC_SDIO write clocks the next data bit out to bit 0
// of a DATA_PORT read.
namespace dac {
inline constexpr std::uint32_t kRelease = 0;
inline constexpr std::uint32_t kSelect = 1;
inline constexpr std::uint32_t kResetPulse = 2;
inline constexpr std::uint8_t kReadFlag = 0x80;
inline constexpr Field kAddress{0, 7};
inline constexpr unsigned kRegisters = 32;
// Registers the library programs.
inline constexpr std::uint8_t kControl = 0x00;
inline constexpr std::uint8_t kInterpolation = 0x01;  // bits 7-6: 0x80 up to 122 MHz, 0x40 above
inline constexpr std::uint8_t kDataControl = 0x02;
inline constexpr std::uint8_t kModulation = 0x03;  // 0x20 + mode (0, 8 or 12)
inline constexpr std::uint8_t kMixer = 0x05;
inline constexpr std::uint8_t kStatus = 0x0F;  // bit 5 busy after a reset
inline constexpr Field kInterpolationField{6, 2};
inline constexpr Field kModeField{0, 4};
inline constexpr std::uint8_t kModulationBase = 0x20;
inline constexpr std::uint8_t kBusy = 0x20;
inline constexpr std::uint8_t kInterpolationLowRate = 0x80;   // sample clock up to 122 MHz
inline constexpr std::uint8_t kInterpolationHighRate = 0x40;  // above
inline constexpr std::uint8_t kDataControlValue = 0x08;
inline constexpr std::uint8_t kMixerValue = 0x70;
// Converter modes: where the carrier lies relative to the NCO frequency f and the sample clock fs.
inline constexpr std::uint8_t kModeDirect = 0;      // carrier = f
inline constexpr std::uint8_t kModeFullImage = 8;   // carrier = fs - f
inline constexpr std::uint8_t kModeHalfImage = 12;  // carrier = fs / 2 - f
}  // namespace dac

// L-band local-oscillator PLL: four 24-bit words shifted in most significant bit first on PLL_DATA,
// each latched by a write of 0 to PLL_LOAD. Bits 1-0 of a word select its latch. The N word carries
// B in bits 23-14 and A in bits 7-2; the LO runs at 2 MHz x (10 B + A), a 10 MHz grid.
namespace pll {
inline constexpr unsigned kWordBits = 24;
inline constexpr Field kLatch{0, 2};
inline constexpr std::uint32_t kLatchReference = 1;
inline constexpr std::uint32_t kLatchCounter = 0;
inline constexpr std::uint32_t kLatchFunction = 2;
inline constexpr std::uint32_t kLatchInitialise = 3;
inline constexpr std::uint32_t kReferenceWord = 0x104029;
inline constexpr std::uint32_t kFunctionBase = 0x1802;
inline constexpr std::uint32_t kFunctionVersion0 = 0x400;  // hardware version 0
inline constexpr std::uint32_t kFunctionLater = 0x80;      // later versions
inline constexpr std::uint32_t kInitialiseWord = 0x000383;
inline constexpr Field kB{14, 10};
inline constexpr Field kA{2, 6};
inline constexpr double kStepMHz = 20.0;  // per B
inline constexpr double kCountMHz = 2.0;  // per A (the phase detector's 2 MHz from the 10 MHz reference)
inline constexpr double kGridMHz = 10.0;
}  // namespace pll

// ---- Sample-clock synthesizer (serial, behind SER_CTL / SYNTH_DATA, read back on FPGA_CTL bit 17) --
// An 8-bit instruction (the register number; + 0x80 reads it back) and the register's data bits, most
// significant first. Register 6 is the 48-bit tuning word W in a 64-bit field (16 zero bits, 32-bit
// integer part, 16-bit fraction): clocked at k x the sample clock, the synthesizer produces the 10 MHz
// reference frequency, W = 2^48 x 10000 / (k x sample clock in kHz); k is 2 above the base sample
// frequency of 122000 kHz and 4 up to it.
namespace synth {
inline constexpr std::uint8_t kReadFlag = 0x80;
inline constexpr std::uint8_t kControl0 = 0;
inline constexpr unsigned kControl0Bits = 32;
inline constexpr std::uint64_t kControl0Value = 0x00004010;
inline constexpr std::uint8_t kControl1 = 1;
inline constexpr unsigned kControl1Bits = 40;
inline constexpr std::uint64_t kControl1Value = 0x00FE080020;
inline constexpr std::uint8_t kTuning = 6;
inline constexpr unsigned kTuningBits = 64;
inline constexpr unsigned kTuningFractionBits = 16;  // the 48-bit word sits in the low 48 bits
inline constexpr double kReferenceKHz = 10000.0;
inline constexpr double kBaseSampleKHz = 122000.0;
inline constexpr unsigned kMultiplierHigh = 2;  // sample clocks above the base
inline constexpr unsigned kMultiplierBase = 4;  // sample clocks up to the base
}  // namespace synth

// ---- Serial interfaces and the I2C engine ---------------------------------------------------------
// write: serial-interface control (1 synthesizer selected, 0 released, 4 synthesizer update strobe,
//        2 then 0 at connect);
// read:  bits 7-0 hold the byte received by the last I2C read command.
inline constexpr Reg SER_CTL{0x300};
inline constexpr Reg I2C_STAT{0x301};    // read: bit 0 busy, bit 7 last byte not acknowledged
inline constexpr Reg PLL_DATA{0x302};    // write: local-oscillator PLL serial data (bit 0)
inline constexpr Reg I2C_CFG_LO{0x304};  // write: I2C clock prescaler, 0x52 at connect
inline constexpr Reg I2C_CFG_HI{0x305};  // write: I2C engine control, bit 7 enables the engine
inline constexpr Reg I2C_CMD{0x307};     // write: one I2C command (see i2c below)
inline constexpr Reg ATT_L_DATA{0x308};  // write: attenuator L serial data (bit 0)
inline constexpr Reg SYNTH_DATA{0x311};  // write: synthesizer serial data (bit 0)
inline constexpr Reg PLL_LOAD{0x313};    // write: local-oscillator PLL latch
inline constexpr Reg ATT_L_LOAD{0x319};  // write: attenuator L latch

namespace ser_ctl {
inline constexpr std::uint32_t kReleased = 0;
inline constexpr std::uint32_t kSynthSelect = 1;
inline constexpr std::uint32_t kResetSerial = 2;
inline constexpr std::uint32_t kSynthUpdate = 4;
inline constexpr Field kReceivedByte{0, 8};
}  // namespace ser_ctl

namespace i2c {
// I2C_CMD: a value below 0x100 sends START and that address byte (7-bit address and R/W bit).
inline constexpr std::uint32_t kSendByte = 0x100;  // + data byte
inline constexpr std::uint32_t kReadAck = 0x200;   // read a byte and acknowledge it
inline constexpr std::uint32_t kReadLast = 0x2FF;  // read the last byte, not acknowledged
inline constexpr std::uint32_t kStop = 0x300;
inline constexpr std::uint32_t kStatusBusy = bit(0);
inline constexpr std::uint32_t kStatusNack = bit(7);
inline constexpr std::uint32_t kConfigLo = 0x52;
inline constexpr std::uint32_t kConfigHi = 0x80;
inline constexpr std::uint32_t kEnable = bit(7);  // I2C_CFG_HI

// Address bytes (write form; the read form adds 1).
inline constexpr std::uint8_t kEepromWrite = 0xA2;
inline constexpr std::uint8_t kEepromRead = 0xA3;
inline constexpr std::uint8_t kSensorWrite = 0x98;
inline constexpr std::uint8_t kSensorRead = 0x99;
inline constexpr std::uint8_t kTuningDacWrite = 0x1E;
}  // namespace i2c

// EEPROM layout; multi-byte values are big-endian.
namespace eeprom {
inline constexpr std::uint16_t kHardwareVersion = 0x0000;  // 1 byte
inline constexpr std::uint16_t kTuneValue = 0x0010;        // 2 bytes
inline constexpr std::uint16_t kSerialNumber = 0x0100;     // 4 bytes
inline constexpr std::uint16_t kCorrectionTable = 326;     // 16 records of 10 bytes, 4 used
inline constexpr std::uint16_t kCorrectionStride = 10;
inline constexpr unsigned kCorrectionRecords = 16;
inline constexpr unsigned kCorrectionBytes = 4;
inline constexpr double kCorrectionFirstMHz = 700.0;  // record i is for 700 + 100 i MHz
inline constexpr double kCorrectionStepMHz = 100.0;
}  // namespace eeprom

// Temperature-sensor registers.
namespace sensor {
inline constexpr std::uint8_t kLocal = 0x00;       // board temperature, whole degrees
inline constexpr std::uint8_t kRemoteHigh = 0x01;  // FPGA temperature, whole degrees
inline constexpr std::uint8_t kRemoteLow = 0x10;   // FPGA fraction, bits 7-6 in quarter degrees
}  // namespace sensor

static_assert(fir::kCoefficient.mask() == 0xFFF);
static_assert(filter::kBase - 32 * filter::kSamplesStep == 0x200000);
static_assert(bitmap::kWideQamWord == bitmap::kBypass);
static_assert(interp::kIndex.mask() + interp::kValue.mask() + interp::kFalling.mask() < bit(30));
static_assert(play::kNegatedLength.mask() == 0x0FFFFFFF);
static_assert((play::kBitOrder.mask() | play::kByteOrder.mask()) == 0xC0000000);
static_assert(noise::kSineWord.mask() == 0x3FFFFFFF);
static_assert(i2c::kEepromRead == i2c::kEepromWrite + 1 && i2c::kSensorRead == i2c::kSensorWrite + 1);

}  // namespace zorvan::reg
