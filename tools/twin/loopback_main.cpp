// zorvanl-loopback: proof that the signal the emulated board makes from what the library loaded can
// be received. For each case the library makes its device load on the emulated board; the board's
// output model renders the signal; an independent receiver (liquid-dsp, libfec) gives the bits back,
// which are compared with the source bits loaded into the board.
//   noise off: every modulation kind uncoded, QPSK with each K=7 code: 0 errors in >= 10^5 bits
//   noise on:  bit error rate of QPSK, 8PSK and 16QAM at three noise levels each against theory,
//              with Eb/N0 from the model; the gap in dB is the difference of Eb/N0 that theory needs
//              for the measured rate
//   timing:    QPSK and 16QAM with the symbol timing recovered by liquid-dsp's synchronizer, 0 errors
//   spectrum:  occupied bandwidth of QPSK with each shaping filter within 5% of Rs x (1 + roll-off),
//              the signal's centre within one bin of the programmed carrier
// Last line: loopback kinds_ok=K/T codes_ok=C/D max_ber_gap_db=G
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "board_setup.h"
#include "measure.h"
#include "receiver.h"

using namespace twin_tools;

namespace {

constexpr std::size_t kBits = 100000;  // compared per case at least
constexpr std::size_t kSourceBytes = 1 << 16;

std::vector<std::uint8_t> sourceBytes(std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(kSourceBytes);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

std::vector<std::uint8_t> bitsOf(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> bits;
    bits.reserve(bytes.size() * 8);
    for (std::uint8_t b : bytes)
        for (int i = 7; i >= 0; --i)
            bits.push_back((b >> i) & 1u);
    return bits;
}

double q(double x) {
    return 0.5 * std::erfc(x / std::sqrt(2.0));
}

// Theory of the uncoded bit error rate at Eb/N0 (linear), Gray labels.
double theory(std::uint8_t kind, double ebN0) {
    switch (kind) {
        case 3:
            return q(std::sqrt(2.0 * ebN0));
        case 5:
            return 2.0 / 3.0 * q(std::sqrt(6.0 * ebN0) * std::sin(M_PI / 8.0));
        default:
            return 0.75 * q(std::sqrt(0.8 * ebN0));  // 16QAM
    }
}

// The Eb/N0 (dB) at which theory gives `ber`.
double theoryEbN0Db(std::uint8_t kind, double ber) {
    double low = -10, high = 30;
    for (int i = 0; i < 100; ++i) {
        const double mid = (low + high) / 2;
        (theory(kind, std::pow(10.0, mid / 10)) > ber ? low : high) = mid;
    }
    return (low + high) / 2;
}

struct Case {
    std::string failure;
    std::size_t errors = 0, compared = 0;
    QmioTestSignal info{};
};

Case runCase(const std::string& firmware, const Setup& setup, std::uint32_t seed,
             const std::function<std::vector<std::uint8_t>(const std::vector<Complex>&,
                                                           const QmioTestSignal&)>& receive,
             std::size_t bitsPerSourceSymbol) {
    Case result;
    const auto bytes = sourceBytes(seed);
    result.failure = deviceLoad(firmware, setup, bytes);
    if (!result.failure.empty()) return result;
    result.info = signalInfo();
    if (result.info.bitsPerSymbol == 0 || result.info.symbolRateHz <= 0) {
        result.failure = "the model renders nothing";
        return result;
    }
    const std::size_t symbols = (kBits + 512) / std::max<std::size_t>(bitsPerSourceSymbol, 1) + 64;
    const auto samples = render(symbols * static_cast<std::size_t>(result.info.samplesPerSymbol), seed);
    const auto bits = receive(samples, result.info);
    const auto expected = bitsOf(bytes);
    const Alignment a = align(bits, expected, 64, kBits + 64);
    result.errors = a.errors;
    result.compared = a.compared;
    if (a.compared < kBits) result.failure = "only " + std::to_string(a.compared) + " bits compared";
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string firmware = argc > 1 ? argv[1] : programDirectory() + "/Firmware";
    const std::string connected = connectBoard(firmware);
    if (!connected.empty()) {
        std::printf("loopback: %s\n", connected.c_str());
        return 2;
    }
    int kindsOk = 0, kindsTotal = 0, codesOk = 0, codesTotal = 0;
    std::uint32_t seed = 1;

    std::printf("noise off, uncoded\n");
    for (const KindInfo& kind : receiverKinds()) {
        Setup setup;
        setup.kind = kind.kind;
        const Case c = runCase(
            firmware, setup, seed++,
            [&](const std::vector<Complex>& x, const QmioTestSignal& info) {
                const auto symbols =
                    matchedSymbols(x, static_cast<unsigned>(info.samplesPerSymbol), rollOff(setup.filterType),
                                   info.offset != 0, info.inverted != 0);
                return demodulate(kind, symbols, firmware);
            },
            kind.bits);
        const bool ok = c.failure.empty() && c.errors == 0;
        kindsOk += ok;
        ++kindsTotal;
        std::printf("  %-8s sps=%d Rs=%.0f Hz  errors %zu / %zu  %s %s\n", kind.name, c.info.samplesPerSymbol,
                    c.info.symbolRateHz, c.errors, c.compared, ok ? "ok" : "FAIL", c.failure.c_str());
    }

    std::printf("noise off, timing recovered by the receiver (liquid-dsp's symbol synchronizer)\n");
    bool recoveryOk = true;
    for (std::uint8_t k : {std::uint8_t{3}, std::uint8_t{7}}) {
        const KindInfo& kind = *findKind(k);
        Setup setup;
        setup.kind = k;
        const auto bytes = sourceBytes(seed++);
        std::string failed = deviceLoad(firmware, setup, bytes);
        const QmioTestSignal info = signalInfo();
        const std::size_t symbols = (kBits + 20000) / kind.bits;
        const auto samples = render(symbols * static_cast<std::size_t>(info.samplesPerSymbol), seed);
        const auto received =
            demodulate(kind,
                       recoveredSymbols(samples, static_cast<unsigned>(info.samplesPerSymbol),
                                        rollOff(setup.filterType)),
                       firmware);
        // The synchronizer's delay is unknown: find the received bits in the source.
        const Alignment a = align(bitsOf(bytes), received, 12000, kBits);
        const bool ok = failed.empty() && a.compared >= kBits && a.errors == 0;
        recoveryOk = recoveryOk && ok;
        std::printf("  %-8s errors %zu / %zu (at source bit %zu)  %s %s\n", kind.name, a.errors, a.compared,
                    a.shift, ok ? "ok" : "FAIL", failed.c_str());
    }

    std::printf("noise off, QPSK with the K=7 codes\n");
    for (const CodeInfo& code : receiverCodes()) {
        Setup setup;
        setup.code = code.code;
        const double rate = static_cast<double>(code.period) / static_cast<double>(code.sent.size());
        const Case c = runCase(
            firmware, setup, seed++,
            [&](const std::vector<Complex>& x, const QmioTestSignal& info) {
                const auto symbols = matchedSymbols(x, static_cast<unsigned>(info.samplesPerSymbol),
                                                    rollOff(setup.filterType), false, info.inverted != 0);
                auto soft = softQpsk(symbols);
                soft.resize(soft.size() / code.sent.size() * code.sent.size());
                auto bits = viterbiDecode(code, soft);
                bits.resize(bits.size() > 64 ? bits.size() - 64 : 0);  // the unterminated end
                return bits;
            },
            static_cast<std::size_t>(std::floor(2 * rate)));
        const bool ok = c.failure.empty() && c.errors == 0;
        codesOk += ok;
        ++codesTotal;
        std::printf("  %-8s rate %.3f (model %.3f)  errors %zu / %zu  %s %s\n", code.name, rate,
                    c.info.codeRate, c.errors, c.compared, ok ? "ok" : "FAIL", c.failure.c_str());
    }

    std::printf("noise on, uncoded: bit error rate against theory\n");
    double maxGap = 0;
    const struct {
        std::uint8_t kind;
        double levels[3];
    } noiseCases[] = {{3, {1, 3, 5}}, {5, {-2, -3.5, -5}}, {7, {-3, -5, -7}}};
    for (const auto& nc : noiseCases) {
        const KindInfo& kind = *findKind(nc.kind);
        for (double level : nc.levels) {
            Setup setup;
            double measuredEsN0 = NAN;
            setup.kind = nc.kind;
            setup.noiseKind = 1;
            setup.noiseDb = level;
            const Case c = runCase(
                firmware, setup, seed++,
                [&](const std::vector<Complex>& x, const QmioTestSignal& info) {
                    const auto symbols = matchedSymbols(x, static_cast<unsigned>(info.samplesPerSymbol),
                                                        rollOff(setup.filterType), false, info.inverted != 0);
                    measuredEsN0 = measuredEsN0Db(kind, symbols, firmware);
                    return demodulate(kind, symbols, firmware);
                },
                kind.bits);
            const double ber =
                c.compared ? static_cast<double>(c.errors) / static_cast<double>(c.compared) : 1.0;
            double gap = 99;
            if (c.failure.empty() && c.errors > 0) gap = std::abs(theoryEbN0Db(nc.kind, ber) - c.info.ebN0Db);
            maxGap = std::max(maxGap, gap);
            std::printf(
                "  %-6s level %5.1f dB  Es/N0 %6.2f dB (received %6.2f)  Eb/N0 %6.2f dB  BER %.3e  theory "
                "%.3e  gap %.2f dB "
                "%s\n",
                kind.name, level, c.info.esN0Db, measuredEsN0, c.info.ebN0Db, ber,
                theory(nc.kind, std::pow(10.0, c.info.ebN0Db / 10)), gap, c.failure.c_str());
        }
    }
    std::printf("spectrum: occupied bandwidth (30 dB below the peak) and centre\n");
    bool spectraOk = true;
    for (std::uint8_t filterType = 1; filterType <= 5; ++filterType) {
        Setup setup;
        setup.filterType = filterType;
        std::string failed = deviceLoad(firmware, setup, sourceBytes(seed++));
        const QmioTestSignal info = signalInfo();
        const auto samples = render(static_cast<std::size_t>(info.samplesPerSymbol) * 20000, seed);
        const Spectrum spectrum = welch(samples, info.renderRateHz);
        const Band band = occupiedBand(spectrum);
        const double expected = info.symbolRateHz * (1.0 + rollOff(filterType));
        const double error = std::abs(band.widthHz() / expected - 1.0);
        const bool ok = failed.empty() && error <= 0.05 && std::abs(band.centreHz()) <= spectrum.binHz;
        spectraOk = spectraOk && ok;
        std::printf(
            "  roll-off %.2f  occupied %.1f kHz (Rs(1+a) %.1f kHz, %+.1f%%)  carrier %.3f MHz + %.1f kHz "
            "(bin %.1f kHz)  %s %s\n",
            rollOff(filterType), band.widthHz() / 1e3, expected / 1e3,
            100.0 * (band.widthHz() / expected - 1), info.carrierHz / 1e6, band.centreHz() / 1e3,
            spectrum.binHz / 1e3, ok ? "ok" : "FAIL", failed.c_str());
    }
    disconnectBoard();
    std::printf("loopback kinds_ok=%d/%d codes_ok=%d/%d max_ber_gap_db=%.2f\n", kindsOk, kindsTotal, codesOk,
                codesTotal, maxGap);
    return kindsOk == kindsTotal && codesOk == codesTotal && maxGap <= 0.5 && spectraOk && recoveryOk ? 0 : 1;
}
