#include "board_state.h"

#include "../board.h"
#include "../devices/carrier.h"
#include "../devices/dma_master.h"
#include "../devices/modulator.h"
#include "../devices/noise_generator.h"
#include "../devices/source_ram.h"
#include "../modulator_timing.h"

namespace qmio::twin {

namespace {

constexpr std::size_t kCaptureLimit = std::size_t{1} << 26;

}  // namespace

BoardState captureState(Board& board) {
    BoardState s;
    const QmioTestOutput output = board.outputLocked();
    if (output == QMIO_OUTPUT_SOURCE_RAM) {
        const auto& ram = board.device<SourceRam>();
        const std::uint32_t words = ram.playLength();
        s.sourceIsRam = true;
        s.ramBitOrder = ram.bitOrder();
        s.ramByteOrder = ram.byteOrder();
        s.sourceBytes.reserve(2u * words);
        for (std::uint32_t w = 0; w < words; ++w) {
            const std::uint16_t value = ram.word(0u - words + w);
            s.sourceBytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
            s.sourceBytes.push_back(static_cast<std::uint8_t>(value >> 8));
        }
    } else if (output == QMIO_OUTPUT_DMA_RING) {
        auto& capture = board.device<DmaMaster>().capture();
        const std::uint64_t total = capture.read(0, nullptr, 0);
        s.sourceBytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(total, kCaptureLimit)));
        const std::uint64_t kept = capture.read(0, s.sourceBytes.data(), s.sourceBytes.size());
        s.sourceBytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kept, s.sourceBytes.size())));
    }
    const auto& mapper = board.device<SymbolMapper>();
    for (unsigned a = 0; a < 256; ++a) {
        s.constI[a] = mapper.constellation()[a].i;
        s.constQ[a] = mapper.constellation()[a].q;
    }
    s.constShift = mapper.shift();
    s.bitMap = mapper.bitMap();
    s.bitMapBypass = mapper.bitMapBypass();
    const auto& coder = board.device<ChannelCoder>();
    s.coding = coder.coding();
    s.punct = coder.punct();
    const auto& shaper = board.device<ShapingFilter>();
    s.filterControl = shaper.control();
    s.samplesPerSymbol = shaper.samplesPerSymbol();
    for (unsigned exponent = 1; exponent <= 5; ++exponent)
        if ((1u << exponent) == s.samplesPerSymbol && shaper.tapCount(exponent) > 0) {
            const auto& taps = shaper.taps(exponent);
            s.taps.assign(taps.begin(), taps.begin() + 8 * s.samplesPerSymbol);
        }
    s.carrierWord = board.device<CarrierNco>().effectiveWord();
    const auto& noise = board.device<NoiseGenerator>();
    s.noiseMode = static_cast<int>(noise.mode());
    s.noiseAmplitude = noise.amplitude();
    s.sineWord = noise.sineWord();
    const ModulatorTiming timing = modulatorTiming(board);
    s.sampleClockHz = timing.sampleClockKHz * 1000.0;
    s.symbolRateHz = timing.symbolClockKHz * 1000.0;
    return s;
}

}  // namespace qmio::twin
