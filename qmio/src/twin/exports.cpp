// The signal model's entries of the test interface.
#include "../board.h"
#include "../driver.h"
#include "board_state.h"

using qmio::Board;

namespace {

// The board's state, copied under its lock; the model then runs without it.
bool snapshot(int32_t index, qmio::twin::BoardState& state) {
    Board* board = qmio::Driver::instance().board(index);
    if (!board) return false;
    std::lock_guard lock(board->mutex());
    state = qmio::twin::captureState(*board);
    return true;
}

}  // namespace

extern "C" {

QMIO_API int32_t QmioTest_Signal(int32_t board, QmioTestSignal* out) {
    if (!out) return -1;
    qmio::twin::BoardState state;
    if (!snapshot(board, state)) return -1;
    const auto source = state.sourceBytes.empty() ? QMIO_OUTPUT_SILENT
                        : state.sourceIsRam       ? QMIO_OUTPUT_SOURCE_RAM
                                                  : QMIO_OUTPUT_DMA_RING;
    const auto bytes = static_cast<int64_t>(state.sourceBytes.size());
    const double sampleClock = state.sampleClockHz;
    const qmio::twin::SignalModel model(std::move(state));
    const auto& p = model.parameters();
    *out = QmioTestSignal{};
    out->renderRateHz = p.renderRateHz;
    out->symbolRateHz = p.symbolRateHz;
    out->sampleClockHz = sampleClock;
    out->carrierHz = p.carrierHz;
    out->codeRate = p.codeRate;
    out->signalPower = p.signalPower;
    out->noisePower = p.noisePower;
    out->esN0Db = p.esN0Db;
    out->ebN0Db = p.ebN0Db;
    out->sineOffsetHz = p.sineOffsetHz;
    out->samplesPerSymbol = static_cast<int32_t>(p.samplesPerSymbol);
    out->bitsPerSymbol = static_cast<int32_t>(p.bitsPerSymbol);
    out->offset = p.offset;
    out->inverted = p.inverted;
    out->codingModelled = p.codingModelled;
    out->source = source;
    out->sourceBytes = bytes;
    return 0;
}

QMIO_API int64_t QmioTest_RenderSignal(int32_t board, float* iq, int64_t count, uint64_t seed) {
    if (count < 0 || (count > 0 && !iq)) return -1;
    qmio::twin::BoardState state;
    if (!snapshot(board, state)) return -1;
    const qmio::twin::SignalModel model(std::move(state));
    // std::complex<float> is an array of two floats: I then Q.
    return static_cast<int64_t>(
        model.render(reinterpret_cast<qmio::twin::Sample*>(iq), static_cast<std::size_t>(count), seed));
}

}  // extern "C"
