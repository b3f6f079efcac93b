#include "modulator_timing.h"

#include <algorithm>

#include "board.h"
#include "devices/fpga_config_port.h"
#include "devices/modulator.h"
#include "devices/sample_clock_synth.h"

namespace qmio {

namespace {

constexpr std::uint8_t kIqByteMode = 3;  // 8-bit I and Q
constexpr std::uint8_t kIqWordMode = 4;  // 16-bit I and Q

bool runsRateNco(const fpga_image::Header& image) {
    using fpga_image::ImageRate;
    return image.band == 0 && (image.rate == ImageRate::Standard || image.rate == ImageRate::High);
}

double symbolClock(Board& board, const fpga_image::Header& image, double sampleClock) {
    const auto& filter = board.device<ShapingFilter>();
    const auto& rate = board.device<RateGenerator>();
    if (sampleClock <= 0.0 || !filter.controlWritten() || !rate.divWritten()) return 0.0;
    const double samples = static_cast<double>(filter.samplesPerSymbol()) * rate.divider();
    if (!runsRateNco(image)) return sampleClock / samples;
    if (!rate.ncoWritten()) return 0.0;
    return sampleClock * (rate.rateNco() / zorvan::reg::kRateNcoScale) / samples;
}

double sourceBitsPerSymbol(Board& board, std::uint8_t mode) {
    if (mode == kIqByteMode) return 16.0;
    if (mode == kIqWordMode) return 32.0;
    const int shift = board.device<SymbolMapper>().shift();
    if (shift < 0) return 0.0;
    const int bits = std::max(0, 16 - shift);
    return bits * board.device<ChannelCoder>().codeRate();
}

}  // namespace

ModulatorTiming modulatorTiming(Board& board) {
    ModulatorTiming timing;
    timing.sampleClockKHz = sampleClockKHz(board);
    const auto& port = board.device<FpgaConfigPort>();
    if (!port.modulatorPresent()) return timing;
    timing.configured = true;
    timing.sourceMode = port.image().mode;
    timing.symbolClockKHz = symbolClock(board, port.image(), timing.sampleClockKHz);
    timing.sourceBitsPerSymbol = sourceBitsPerSymbol(board, timing.sourceMode);
    return timing;
}

}  // namespace qmio
