// Speed of the output model: rendering one second of a 1 Msym/s QPSK signal (32 samples per symbol,
// the library's choice at that clock) after the library's device load on the emulated board, and the
// same with the noise generator on. Run by hand through the isolated runner (not a test).
#include <benchmark/benchmark.h>

#include <random>

#include "board_setup.h"

namespace {

using namespace twin_tools;

void renderOneSecond(benchmark::State& state) {
    const std::string firmware = programDirectory() + "/Firmware";
    if (!connectBoard(firmware).empty()) {
        state.SkipWithError("no board");
        return;
    }
    Setup setup;
    setup.noiseKind = static_cast<std::uint8_t>(state.range(0));
    setup.noiseDb = -10;
    std::vector<std::uint8_t> source(1 << 16);
    std::mt19937 random(1);
    for (auto& b : source)
        b = static_cast<std::uint8_t>(random());
    if (!deviceLoad(firmware, setup, source).empty()) {
        state.SkipWithError("device load failed");
        return;
    }
    const QmioTestSignal info = signalInfo();
    const auto count = static_cast<std::size_t>(info.renderRateHz);  // one second
    std::vector<float> iq(2 * count);
    for (auto _ : state)
        benchmark::DoNotOptimize(QmioTest_RenderSignal(0, iq.data(), static_cast<int64_t>(count), 1));
    state.counters["samples_per_s"] =
        benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
    disconnectBoard();
}
BENCHMARK(renderOneSecond)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
