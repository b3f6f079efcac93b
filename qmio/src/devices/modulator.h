// The modulator's register file: logic inside the configured FPGA. It exists only while a working
// image runs (writes are ignored otherwise, including under the RAM-load image) and loses its contents
// whenever the configuration is cleared. One small class per block of the modulator:
//   SymbolMapper    CONST_RAM (256 points + shift), BITMAP (4096 mappings), CE_RAM (1024 amplitudes)
//   ChannelCoder    CODING, PUNCT (the pattern words by position)
//   ShapingFilter   FIR_COEF (a bank of 8 x samples-per-symbol taps per exponent 1-5, staged by
//                   coefficient words and taken into use by the bank's close word), FILTER_CTL
//   RateGenerator   RATE_NCO, RATE_DIV, INTERP_COEF (rising and falling half, 8192 entries each)
//   PostFilter      PF_COEF (8192 taps), RF_CORR bit 3 (post filter on; the rest of RF_CORR is the
//                   L-band correction, which the output chain models)
// Filter taps are 12-bit two's complement (-2048..2047 for -1.0..2047/2048).
#pragma once

#include <array>
#include <vector>

#include "../board.h"
#include "fpga_config_port.h"

namespace qmio {

class FpgaLogic : public BoardDevice {
 protected:
    explicit FpgaLogic(FpgaConfigPort& port) : port_(port) {
        port.onCleared([this] { reset(); });
    }
    bool present() const { return port_.modulatorPresent(); }

 private:
    FpgaConfigPort& port_;
};

class SymbolMapper : public FpgaLogic {
 public:
    SymbolMapper(Board& board, FpgaConfigPort& port);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;

    struct Point {
        std::int8_t i = 0, q = 0;
    };
    const std::array<Point, 256>& constellation() const { return points_; }
    // The shift of the table: 16 - log2 of its points (the bits a symbol takes); -1 before any write.
    int shift() const { return shift_; }
    const std::vector<std::uint8_t>& bitMap() const { return bitMap_; }
    bool bitMapBypass() const { return bypass_; }
    const std::vector<std::uint16_t>& ceTable() const { return ceTable_; }
    std::uint32_t constWrites() const { return constWrites_; }
    std::uint32_t bitMapWrites() const { return bitMapWrites_; }
    std::uint32_t ceWrites() const { return ceWrites_; }

 private:
    std::array<Point, 256> points_{};
    int shift_ = -1;
    std::vector<std::uint8_t> bitMap_;
    bool bypass_ = false;
    std::vector<std::uint16_t> ceTable_;
    std::uint32_t constWrites_ = 0, bitMapWrites_ = 0, ceWrites_ = 0;
};

class ChannelCoder : public FpgaLogic {
 public:
    ChannelCoder(Board& board, FpgaConfigPort& port);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;

    std::uint32_t coding() const { return coding_; }
    const std::array<std::uint32_t, 4>& punct() const { return punct_; }
    std::uint32_t punctWrites() const { return punctWrites_; }
    // Source bits per coded bit: 1 without a coder, 1/2 for the rate-1/2 codes and Manchester, the
    // punctured rate (period / (2 x words) of the PUNCT header) for the convolutional K=7 coder.
    double codeRate() const;

 private:
    std::uint32_t coding_ = 0;
    std::array<std::uint32_t, 4> punct_{};
    std::uint32_t punctWrites_ = 0;
};

class ShapingFilter : public FpgaLogic {
 public:
    ShapingFilter(Board& board, FpgaConfigPort& port);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;

    std::uint32_t control() const { return control_; }
    bool controlWritten() const { return controlWritten_; }
    // Samples per symbol of FILTER_CTL (0x40 - bits 22-16; 64 for 0).
    unsigned samplesPerSymbol() const;
    // The taps in use for 2^exponent samples per symbol (exponent 1-5) and how many coefficient words
    // preceded the bank's last close (-1: never closed).
    const std::array<std::int16_t, 256>& taps(unsigned exponent) const {
        return banks_.at(exponent - 1).active;
    }
    int tapCount(unsigned exponent) const { return banks_.at(exponent - 1).activeCount; }
    std::uint32_t coefficientWrites() const { return writes_; }

 private:
    struct Bank {
        std::array<std::int16_t, 256> staged{};
        int stagedCount = 0;
        std::array<std::int16_t, 256> active{};
        int activeCount = -1;
    };
    std::array<Bank, 5> banks_{};
    std::uint32_t control_ = 0;
    bool controlWritten_ = false;
    std::uint32_t writes_ = 0;
};

class RateGenerator : public FpgaLogic {
 public:
    RateGenerator(Board& board, FpgaConfigPort& port);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;

    std::uint32_t rateNco() const { return nco_; }
    bool ncoWritten() const { return ncoWritten_; }
    std::uint32_t rateDiv() const { return div_; }
    bool divWritten() const { return divWritten_; }
    // The clock divider RATE_DIV sets: a counter loaded with -N counts N (0 counts 65536).
    std::uint32_t divider() const { return 0x10000 - div_; }
    const std::vector<std::uint16_t>& interpolator(bool falling) const { return halves_[falling ? 1 : 0]; }
    std::uint32_t interpolatorWrites(bool falling) const { return halfWrites_[falling ? 1 : 0]; }

 private:
    std::uint32_t nco_ = 0, div_ = 0;
    bool ncoWritten_ = false, divWritten_ = false;
    std::array<std::vector<std::uint16_t>, 2> halves_;
    std::array<std::uint32_t, 2> halfWrites_{};
};

class PostFilter : public FpgaLogic {
 public:
    PostFilter(Board& board, FpgaConfigPort& port);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;

    const std::vector<std::int16_t>& taps() const { return taps_; }
    std::uint32_t writes() const { return writes_; }
    bool on() const { return on_; }
    std::uint32_t rfCorr() const { return rfCorr_; }

 private:
    std::vector<std::int16_t> taps_;
    std::uint32_t writes_ = 0;
    bool on_ = false;
    std::uint32_t rfCorr_ = 0;
};

}  // namespace qmio
