#include "test_signals.h"

#include <gtest/gtest.h>

#include <complex>
#include <map>

#include "constellations.h"
#include "filters.h"

namespace firmware {
namespace {

// The register of a maximal-length sequence of degree n recurs after exactly 2^n - 1 bits, and one
// period holds 2^(n-1) ones before inversion.
void expectMaximalLength(int degree, int tap) {
    const std::size_t period = (std::size_t{1} << degree) - 1;
    const std::vector<std::uint8_t> bits = prbsBits(degree, tap, period + degree);
    std::size_t ones = 0;
    for (std::size_t i = 0; i < period; ++i)
        ones += bits[i];
    EXPECT_EQ(ones, (period + 1) / 2 - 1) << "inverted: one fewer one than zeros";
    // The first n-bit window appears again at the period and nowhere before.
    const auto window = [&](std::size_t at) {
        unsigned w = 0;
        for (int b = 0; b < degree; ++b)
            w = (w << 1) | bits[at + static_cast<std::size_t>(b)];
        return w;
    };
    const unsigned first = window(0);
    for (std::size_t at = 1; at < period; ++at)
        ASSERT_NE(window(at), first) << "repeats after " << at;
    EXPECT_EQ(window(period), first);
}

TEST(TestSignals, PrbsGeneratorsHaveMaximalLength) {
    expectMaximalLength(15, 14);
    expectMaximalLength(23, 18);
}

TEST(TestSignals, QpskBasebandCarriesThePrbsSymbols) {
    // Matched filtering with the same pulse, sampled at the symbol centres (circularly: the file is
    // played as a loop), gives back every symbol of the PRBS-15 pairs.
    const std::size_t symbols = 512;
    const std::vector<double> iq = qpskBaseband(symbols);
    ASSERT_EQ(iq.size(), 2 * 4 * symbols);
    const std::vector<double> pulse = rootRaisedCosine(0.35, 4);
    const std::size_t length = 4 * symbols, delay = pulse.size() - 1;
    const std::vector<std::uint8_t> bits = prbsBits(15, 14, 2 * symbols);
    double peak = 0.0;
    for (double v : iq)
        peak = std::max(peak, std::abs(v));
    EXPECT_DOUBLE_EQ(peak, 1.0);
    for (std::size_t s = 0; s < symbols; ++s) {
        std::complex<double> sum = 0.0;
        for (std::size_t j = 0; j < pulse.size(); ++j) {
            const std::size_t n = (4 * s + delay - j) % length;
            sum += std::complex<double>(iq[2 * n], iq[2 * n + 1]) * pulse[j];
        }
        // cQPSK: label bit 1 gives the sign of I, bit 0 the sign of Q.
        ASSERT_EQ(sum.real() < 0, bits[2 * s] == 1) << "symbol " << s;
        ASSERT_EQ(sum.imag() < 0, bits[2 * s + 1] == 1) << "symbol " << s;
    }
}

TEST(TestSignals, FilesFitTheirPathsAndRepeatWithoutASeam) {
    const std::vector<SignalFile> files = signalFiles();
    std::size_t total = 0;
    std::map<std::string, const SignalFile*> byName;
    for (const SignalFile& f : files) {
        total += f.bytes.size();
        byName[f.name] = &f;
    }
    EXPECT_LT(total, 16u << 20);
    for (const char* ram : {"IBS256.BIN", "prbs15.bin", "prbs15.txt", "qpsk_iq8.bin", "qpsk_iq16.bin"}) {
        ASSERT_TRUE(byName.count(ram)) << ram;
        EXPECT_LE(byName[ram]->bytes.size(), 1u << 20) << ram;
    }
    ASSERT_TRUE(byName.count("prbs23_6M.bin"));
    EXPECT_GT(byName["prbs23_6M.bin"]->bytes.size(), 2u << 20);

    // The binary PRBS-15 holds whole periods (bit i equals bit i + 32767, also across the loop), an
    // even number of bytes, and its first period is the text file's.
    const auto& binary = byName["prbs15.bin"]->bytes;
    const auto& text = byName["prbs15.txt"]->bytes;
    ASSERT_EQ(binary.size() % 2, 0u);
    const std::size_t bitCount = binary.size() * 8, period = 32767;
    ASSERT_EQ(bitCount % period, 0u);
    ASSERT_EQ(text.size(), period);
    const auto bitAt = [&](std::size_t i) { return (binary[i / 8] >> (7 - i % 8)) & 1; };
    for (std::size_t i = 0; i < bitCount; ++i)
        ASSERT_EQ(bitAt(i), text[i % period] == '1' ? 1 : 0) << "bit " << i;

    const std::string readme = signalReadme(files);
    for (const SignalFile& f : files)
        EXPECT_NE(readme.find(f.name), std::string::npos) << f.name;
}

}  // namespace
}  // namespace firmware
