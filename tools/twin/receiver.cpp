#include "receiver.h"

#include <liquid/liquid.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

extern "C" {
#include <fec.h>
}

namespace twin_tools {

namespace {

struct Demodulator {
    modulation_scheme scheme;
    const char* table;  // constellation file (an arbitrary constellation), or nullptr
    bool swapQpsk;      // the board's QPSK labels: bit 1 gives the sign of I
};

Demodulator demodulatorOf(std::uint8_t kind) {
    switch (kind) {
        case 2:
            return {LIQUID_MODEM_BPSK, nullptr, false};
        case 3:
        case 4:
            return {LIQUID_MODEM_QPSK, nullptr, true};
        case 5:
            return {LIQUID_MODEM_ARB, "c8PSK", false};
        case 6:
            return {LIQUID_MODEM_QAM8, nullptr, false};
        case 7:
            return {LIQUID_MODEM_QAM16, nullptr, false};
        case 8:
            return {LIQUID_MODEM_SQAM32, nullptr, false};
        case 9:
            return {LIQUID_MODEM_QAM64, nullptr, false};
        case 10:
            return {LIQUID_MODEM_QPSK, nullptr, true};
        case 12:
            return {LIQUID_MODEM_ARB, "c16APSK2", false};
        case 13:
            return {LIQUID_MODEM_ARB, "c32APSK3", false};
        case 16:
            return {LIQUID_MODEM_SQAM128, nullptr, false};
        case 17:
            return {LIQUID_MODEM_QAM256, nullptr, false};
        default:
            return {LIQUID_MODEM_UNKNOWN, nullptr, false};
    }
}

std::vector<Complex> readTable(const std::string& path) {
    std::ifstream in(path);
    std::vector<Complex> points;
    float i = 0, q = 0;
    while (in >> i >> q)
        points.emplace_back(i, q);
    return points;
}

std::vector<float> rrc(unsigned sps, float beta) {
    std::vector<float> h(8 * sps + 1);
    liquid_firdes_rrcos(sps, 4, beta, 0.5f, h.data());
    h.pop_back();  // eight symbols, symmetric about their centre
    return h;
}

}  // namespace

const std::vector<KindInfo>& receiverKinds() {
    static const std::vector<KindInfo> kinds = {
        {2, "BPSK", 1, false},    {3, "QPSK", 2, false},    {4, "OQPSK", 2, true},
        {5, "8PSK", 3, false},    {6, "8QAM", 3, false},    {7, "16QAM", 4, false},
        {8, "32QAM", 5, false},   {9, "64QAM", 6, false},   {10, "pi/4-QPSK", 2, false},
        {12, "16APSK", 4, false}, {13, "32APSK", 5, false}, {16, "128QAM", 7, false},
        {17, "256QAM", 8, false},
    };
    return kinds;
}

const KindInfo* findKind(std::uint8_t kind) {
    for (const auto& k : receiverKinds())
        if (k.kind == kind) return &k;
    return nullptr;
}

float rollOff(std::uint8_t filterType) {
    static const float values[] = {0.35f, 0.35f, 0.4f, 0.5f, 0.6f, 1.0f};
    return values[std::min<unsigned>(filterType, 5)];
}

std::vector<Complex> matchedFilter(const std::vector<Complex>& samples, unsigned sps, float beta,
                                   bool inverted) {
    std::vector<float> h = rrc(sps, beta);
    firfilt_crcf filter = firfilt_crcf_create(h.data(), static_cast<unsigned>(h.size()));
    std::vector<Complex> y(samples.size());
    for (std::size_t n = 0; n < samples.size(); ++n) {
        firfilt_crcf_push(filter, inverted ? std::conj(samples[n]) : samples[n]);
        firfilt_crcf_execute(filter, &y[n]);
    }
    firfilt_crcf_destroy(filter);
    return y;
}

std::vector<Complex> matchedSymbols(const std::vector<Complex>& samples, unsigned sps, float beta,
                                    bool offset, bool inverted, bool knownTiming) {
    const std::vector<Complex> y = matchedFilter(samples, sps, beta, inverted);
    // Transmit and receive filters of 8 x sps taps each: the symbol's peak lies 8 x sps - 1 samples on.
    std::size_t delay = 8 * sps - 1;
    if (!knownTiming) {
        // The phase of the largest mean energy (the widest eye) within half a symbol of the delay.
        double best = -1;
        const std::size_t first = delay - sps / 2;
        for (std::size_t candidate = first; candidate < first + sps; ++candidate) {
            double energy = 0;
            for (std::size_t n = candidate; n < y.size(); n += sps)
                energy += std::norm(y[n]);
            if (energy > best) best = energy, delay = candidate;
        }
    }
    const std::size_t qDelay = offset ? sps / 2 : 0;
    std::vector<Complex> symbols;
    for (std::size_t n = delay; n + qDelay < y.size(); n += sps)
        symbols.emplace_back(y[n].real(), y[n + qDelay].imag());
    double power = 0;
    for (const auto& s : symbols)
        power += std::norm(s);
    const float scale = symbols.empty() ? 1.0f : static_cast<float>(1.0 / std::sqrt(power / symbols.size()));
    for (auto& s : symbols)
        s *= scale;
    return symbols;
}

std::vector<Complex> recoveredSymbols(const std::vector<Complex>& samples, unsigned sps, float beta,
                                      std::size_t settle) {
    symsync_crcf sync = symsync_crcf_create_rnyquist(LIQUID_FIRFILT_RRC, sps, 4, beta, 32);
    symsync_crcf_set_lf_bw(sync, 0.005f);
    symsync_crcf_set_output_rate(sync, 1);
    std::vector<Complex> symbols(samples.size() / sps + 16);
    unsigned count = 0;
    symsync_crcf_execute(sync, const_cast<Complex*>(samples.data()), static_cast<unsigned>(samples.size()),
                         symbols.data(), &count);
    symsync_crcf_destroy(sync);
    symbols.resize(count);
    symbols.erase(symbols.begin(),
                  symbols.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(settle, count)));
    double power = 0;
    for (const auto& s : symbols)
        power += std::norm(s);
    const float scale = symbols.empty() ? 1.0f : static_cast<float>(1.0 / std::sqrt(power / symbols.size()));
    for (auto& s : symbols)
        s *= scale;
    return symbols;
}

std::vector<std::uint8_t> demodulate(const KindInfo& kind, const std::vector<Complex>& symbols,
                                     const std::string& firmwareDir) {
    const Demodulator d = demodulatorOf(kind.kind);
    modemcf modem = nullptr;
    if (d.table) {
        std::vector<Complex> table = readTable(firmwareDir + "/Const/" + d.table + ".dat");
        table.resize(std::size_t{1} << kind.bits);
        // liquid-dsp prints the table it was given: keep that out of the receiver's report.
        std::fflush(stdout);
        const int saved = dup(1);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) dup2(null, 1);
        modem = modemcf_create_arbitrary(table.data(), static_cast<unsigned>(table.size()));
        std::fflush(stdout);
        if (saved >= 0) dup2(saved, 1);
        if (saved >= 0) close(saved);
        if (null >= 0) close(null);
    } else if (d.scheme != LIQUID_MODEM_UNKNOWN) {
        modem = modemcf_create(d.scheme);
    }
    std::vector<std::uint8_t> bits;
    if (!modem) return bits;
    bits.reserve(symbols.size() * kind.bits);
    const bool pi4 = kind.kind == 10;
    const Complex back = std::polar(1.0f, -static_cast<float>(M_PI) / 4.0f);
    unsigned previous = 0;
    for (std::size_t n = 0; n < symbols.size(); ++n) {
        unsigned label = 0;
        // pi/4-QPSK: every second symbol is turned by 45 degrees; the phase carries the bits
        // differentially (m0 = d0 ^ m1 of the previous symbol, m1 = d1 ^ m0).
        modemcf_demodulate(modem, pi4 && (n & 1) ? symbols[n] * back : symbols[n], &label);
        if (d.swapQpsk) label = ((label & 1u) << 1) | (label >> 1);
        if (pi4) {
            const unsigned m = label;
            const unsigned d0 = (m & 1u) ^ (previous >> 1);
            const unsigned d1 = ((m >> 1) ^ m) & 1u;
            label = d1 << 1 | d0;
            previous = m;
        }
        for (unsigned b = kind.bits; b-- > 0;)
            bits.push_back(static_cast<std::uint8_t>((label >> b) & 1u));
    }
    modemcf_destroy(modem);
    return bits;
}

std::vector<std::uint8_t> softQpsk(const std::vector<Complex>& symbols) {
    // The board's QPSK: label bit 1 (the first bit) is the sign of I, bit 0 the sign of Q; a one where
    // the component is negative (liquid-dsp's QPSK, labels swapped).
    const auto soft = [](float v) {
        const float x = 128.0f - v * 90.0f;
        return static_cast<std::uint8_t>(std::clamp(x, 0.0f, 255.0f));
    };
    std::vector<std::uint8_t> out;
    for (const auto& s : symbols) {
        out.push_back(soft(s.real()));
        out.push_back(soft(s.imag()));
    }
    return out;
}

const std::vector<CodeInfo>& receiverCodes() {
    static const std::vector<CodeInfo> codes = {
        {1, "1/2", 1, {0, 1}, false},
        {3, "1/2I", 1, {0, 1}, true},
        {4, "3/4", 3, {0, 1, 4, 3}, false},
        {5, "7/8", 7, {0, 1, 5, 3, 8, 7, 12, 11}, false},
        {6, "2/3 DVB", 4, {0, 1, 3, 4, 5, 7}, false},
        {7, "3/4 DVB", 3, {0, 1, 3, 4}, false},
        {8, "5/6 DVB", 5, {0, 1, 3, 4, 7, 8}, false},
        {9, "7/8 DVB", 7, {0, 1, 3, 5, 7, 8, 11, 12}, false},
    };
    return codes;
}

std::vector<std::uint8_t> viterbiDecode(const CodeInfo& code, const std::vector<std::uint8_t>& soft) {
    // Depuncture: every period of 2P coded bits gets its sent bits back, erasures (128) elsewhere.
    const std::size_t periods = soft.size() / code.sent.size();
    std::vector<std::uint8_t> full(periods * 2 * code.period, 128);
    for (std::size_t p = 0; p < periods; ++p)
        for (std::size_t k = 0; k < code.sent.size(); ++k)
            full[p * 2 * code.period + code.sent[k]] = soft[p * code.sent.size() + k];
    const std::size_t bits = full.size() / 2;
    int polys[2] = {V27POLYB, code.invertY ? -V27POLYA : V27POLYA};  // 171 then 133 (octal)
    set_viterbi27_polynomial(polys);
    void* decoder = create_viterbi27(static_cast<int>(bits));
    init_viterbi27(decoder, 0);
    update_viterbi27_blk(decoder, full.data(), static_cast<int>(bits));
    std::vector<unsigned char> packed((bits + 7) / 8 + 1, 0);
    chainback_viterbi27(decoder, packed.data(), static_cast<unsigned>(bits), 0);
    delete_viterbi27(decoder);
    std::vector<std::uint8_t> out(bits);
    for (std::size_t i = 0; i < bits; ++i)
        out[i] = (packed[i / 8] >> (7 - i % 8)) & 1u;
    return out;
}

Alignment align(const std::vector<std::uint8_t>& received, const std::vector<std::uint8_t>& expected,
                std::size_t maxShift, std::size_t length) {
    Alignment best;
    best.errors = SIZE_MAX;
    for (std::size_t shift = 0; shift <= maxShift; ++shift) {
        const std::size_t n =
            std::min({length, received.size() > shift ? received.size() - shift : 0, expected.size()});
        std::size_t errors = 0;
        for (std::size_t i = 0; i < n && errors < best.errors; ++i)
            errors += received[i + shift] != expected[i];
        if (errors < best.errors) best = {shift, errors, n};
    }
    return best;
}

}  // namespace twin_tools
