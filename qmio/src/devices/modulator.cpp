#include "modulator.h"

namespace qmio {

using namespace zorvan::reg;

namespace {

std::int16_t signed12(std::uint32_t field) {
    return static_cast<std::int16_t>(field >= 0x800 ? static_cast<int>(field) - 0x1000
                                                    : static_cast<int>(field));
}

}  // namespace

// ---- SymbolMapper ----

SymbolMapper::SymbolMapper(Board& board, FpgaConfigPort& port) : FpgaLogic(port) {
    board.mapWrite(CONST_RAM, this);
    board.mapWrite(BITMAP, this);
    board.mapWrite(CE_RAM, this);
}

void SymbolMapper::reset() {
    points_ = {};
    shift_ = -1;
    bitMap_.assign(bitmap::kEntries, 0);
    bypass_ = false;
    ceTable_.assign(ce::kEntries, 0);
    constWrites_ = bitMapWrites_ = ceWrites_ = 0;
}

void SymbolMapper::write(std::uint32_t index, std::uint32_t value) {
    if (!present()) return;
    if (index == CONST_RAM.index) {
        auto& point = points_[constellation::kAddress.get(value)];
        point.i = static_cast<std::int8_t>(constellation::kI.get(value));
        point.q = static_cast<std::int8_t>(constellation::kQ.get(value));
        shift_ = static_cast<int>(constellation::kShift.get(value));
        ++constWrites_;
    } else if (index == BITMAP.index) {
        // A word with the bypass bit writes no entry: the symbol bits go to the constellation as
        // they are (the 128QAM and 256QAM tables).
        bypass_ = (value & bitmap::kBypass) != 0;
        if (!bypass_)
            bitMap_[bitmap::kAddress.get(value)] = static_cast<std::uint8_t>(bitmap::kMapping.get(value));
        ++bitMapWrites_;
    } else {
        ceTable_[ce::kIndex.get(value)] = static_cast<std::uint16_t>(ce::kValue.get(value));
        ++ceWrites_;
    }
}

// ---- ChannelCoder ----

ChannelCoder::ChannelCoder(Board& board, FpgaConfigPort& port) : FpgaLogic(port) {
    board.mapWrite(CODING, this);
    board.mapWrite(PUNCT, this);
}

void ChannelCoder::reset() {
    coding_ = 0;
    punct_ = {};
    punctWrites_ = 0;
}

void ChannelCoder::write(std::uint32_t index, std::uint32_t value) {
    if (!present()) return;
    if (index == CODING.index) {
        coding_ = value;
    } else {
        punct_[punct::kPosition.get(value)] = value;
        ++punctWrites_;
    }
}

double ChannelCoder::codeRate() const {
    const std::uint32_t coder = coding::kCoder.get(coding_);
    if (coder == 0) return 1.0;
    if (coder == coding::kCoderConvolutional) {
        const std::uint32_t header = punct::kHeader.get(punct_[0]);
        const std::uint32_t words = punct::kHeaderWords.get(header);
        if ((header & punct::kHeaderEnable) && words != 0)
            return (punct::kHeaderPeriod.get(header) + 1.0) / (2.0 * words);
    }
    return 0.5;
}

// ---- ShapingFilter ----

ShapingFilter::ShapingFilter(Board& board, FpgaConfigPort& port) : FpgaLogic(port) {
    board.mapWrite(FIR_COEF, this);
    board.mapWrite(FILTER_CTL, this);
}

void ShapingFilter::reset() {
    banks_ = {};
    control_ = 0;
    controlWritten_ = false;
    writes_ = 0;
}

unsigned ShapingFilter::samplesPerSymbol() const {
    const std::uint32_t field = filter::kSamples.get(control_);
    return (field == 0 || field >= 0x40) ? 64 : 0x40 - field;
}

void ShapingFilter::write(std::uint32_t index, std::uint32_t value) {
    if (!present()) return;
    if (index == FILTER_CTL.index) {
        control_ = value;
        controlWritten_ = true;
        return;
    }
    const std::uint32_t bank = fir::kShift.get(value);
    if (bank >= banks_.size()) return;  // no such bank: the word goes nowhere
    Bank& b = banks_[bank];
    if (value & fir::kStrobe) {
        b.staged[fir::kIndex.get(value)] = signed12(fir::kCoefficient.get(value));
        ++b.stagedCount;
        ++writes_;
    } else {
        b.active = b.staged;
        b.activeCount = b.stagedCount;
        b.stagedCount = 0;
    }
}

// ---- RateGenerator ----

RateGenerator::RateGenerator(Board& board, FpgaConfigPort& port) : FpgaLogic(port) {
    board.mapWrite(RATE_NCO, this);
    board.mapWrite(RATE_DIV, this);
    board.mapWrite(INTERP_COEF, this);
}

void RateGenerator::reset() {
    nco_ = div_ = 0;
    ncoWritten_ = divWritten_ = false;
    for (auto& half : halves_)
        half.assign(interp::kEntries, 0);
    halfWrites_ = {};
}

void RateGenerator::write(std::uint32_t index, std::uint32_t value) {
    if (!present()) return;
    if (index == RATE_NCO.index) {
        nco_ = value;
        ncoWritten_ = true;
    } else if (index == RATE_DIV.index) {
        div_ = rate_div::kNegatedDivider.get(value);
        divWritten_ = true;
    } else {
        const std::uint32_t half = interp::kFalling.get(value);
        halves_[half][interp::kIndex.get(value)] = static_cast<std::uint16_t>(interp::kValue.get(value));
        ++halfWrites_[half];
    }
}

// ---- PostFilter ----

PostFilter::PostFilter(Board& board, FpgaConfigPort& port) : FpgaLogic(port) {
    board.mapWrite(PF_COEF, this);
    board.mapWrite(RF_CORR, this);
}

void PostFilter::reset() {
    taps_.assign(post_filter::kLength, 0);
    writes_ = 0;
    on_ = false;
    rfCorr_ = 0;
}

void PostFilter::write(std::uint32_t index, std::uint32_t value) {
    if (!present()) return;
    if (index == RF_CORR.index) {
        rfCorr_ = value;
        on_ = (value & rf_corr::kPostFilterOn) != 0;
        return;
    }
    taps_[post_filter::kIndex.get(value)] = signed12(post_filter::kCoefficient.get(value));
    ++writes_;
}

}  // namespace qmio
