// The output model's stages against the codes and conventions they stand for.
#include <gtest/gtest.h>

#include <complex>

#include "ZorvanLRegisters.h"
#include "signal_model.h"

namespace qmio::twin {
namespace {

using namespace zorvan::reg;

BoardState codedState(std::uint32_t coding, std::vector<std::uint32_t> punctWords = {}) {
    BoardState s;
    s.coding = coding;
    for (std::size_t i = 0; i < punctWords.size(); ++i)
        s.punct[i] = punctWords[i];
    return s;
}

std::vector<std::uint8_t> encode(ConvolutionalCoder& coder, const std::vector<unsigned>& bits) {
    std::vector<std::uint8_t> out;
    for (unsigned b : bits)
        coder.encode(b, out);
    return out;
}

TEST(ConvolutionalCoder, ImpulseResponseIsTheCcsdsPolynomials) {
    ConvolutionalCoder coder(codedState(0x100));
    const auto out = encode(coder, {1, 0, 0, 0, 0, 0, 0});
    std::vector<std::uint8_t> x, y;
    for (std::size_t i = 0; i < out.size(); i += 2)
        x.push_back(out[i]), y.push_back(out[i + 1]);
    EXPECT_EQ(x, (std::vector<std::uint8_t>{1, 1, 1, 1, 0, 0, 1}));  // 171 octal
    EXPECT_EQ(y, (std::vector<std::uint8_t>{1, 0, 1, 1, 0, 1, 1}));  // 133 octal
}

TEST(ConvolutionalCoder, VariantIInvertsY) {
    ConvolutionalCoder plain(codedState(0x100)), variant(codedState(0x180));
    const auto a = encode(plain, {1, 0, 1, 1}), b = encode(variant, {1, 0, 1, 1});
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_EQ(a[i] ^ b[i], i % 2) << i;
}

struct RateCase {
    const char* name;
    std::uint32_t coding;
    std::vector<std::uint32_t> punct;
    double rate;
};

TEST(ConvolutionalCoder, RateOfEveryCodeAndPattern) {
    const RateCase cases[] = {
        {"off", 0x000, {}, 1.0},
        {"1/2", 0x100, {0}, 0.5},
        {"3/4", 0x100, {0x01220010, 0x01220134}, 0.75},
        {"7/8", 0x100, {0x01460010, 0x01460135, 0x01460278, 0x014603BC}, 0.875},
        {"2/3 DVB", 0x100, {0x01330010, 0x01330143, 0x01330275}, 2.0 / 3.0},
        {"5/6 DVB", 0x100, {0x01340010, 0x01340143, 0x01340287}, 5.0 / 6.0},
        {"Manchester", 0x500, {}, 0.5},
    };
    for (const auto& c : cases) {
        ConvolutionalCoder coder(codedState(c.coding, c.punct));
        EXPECT_DOUBLE_EQ(coder.rate(), c.rate) << c.name;
        // The bits it sends for 420 source bits agree with the rate.
        const auto out = encode(coder, std::vector<unsigned>(420, 1));
        EXPECT_EQ(out.size(), static_cast<std::size_t>(420 / c.rate)) << c.name;
    }
}

TEST(ConvolutionalCoder, PuncturingSendsTheNamedBitsLowNibbleFirst) {
    const std::vector<unsigned> bits = {1, 0, 1, 1, 0, 0};
    ConvolutionalCoder full(codedState(0x100));
    ConvolutionalCoder punctured(codedState(0x100, {0x01220010, 0x01220134}));
    const auto all = encode(full, bits), sent = encode(punctured, bits);
    // Per period of three source bits: X1 Y1, then X3 Y2 (indices 0, 1, 4, 3).
    ASSERT_EQ(sent.size(), 8u);
    for (std::size_t p = 0; p < 2; ++p) {
        const std::size_t base = 6 * p;
        EXPECT_EQ(sent[4 * p + 0], all[base + 0]);
        EXPECT_EQ(sent[4 * p + 1], all[base + 1]);
        EXPECT_EQ(sent[4 * p + 2], all[base + 4]);
        EXPECT_EQ(sent[4 * p + 3], all[base + 3]);
    }
}

TEST(Scrambler, SequenceOfMaximalLength) {
    Scrambler scrambler(true), off(false);
    std::vector<std::uint8_t> sequence;
    for (int i = 0; i < 2 * 32767; ++i)
        sequence.push_back(static_cast<std::uint8_t>(scrambler.apply(0)));
    int ones = 0;
    for (int i = 0; i < 32767; ++i) {
        ASSERT_EQ(sequence[i], sequence[i + 32767]) << i;
        ones += sequence[i];
    }
    EXPECT_EQ(ones, 16384);  // an m-sequence of degree 15
    EXPECT_EQ(off.apply(1), 1u);
}

TEST(SourceBits, RamWordsInBothOrders) {
    struct Case {
        unsigned bitOrder, byteOrder;
        std::vector<unsigned> first8;
    };
    // The word 0x80 0x01 in memory order (low byte 0x80, high byte 0x01).
    const Case cases[] = {
        {0, 0, {1, 0, 0, 0, 0, 0, 0, 0}},
        {0, 1, {0, 0, 0, 0, 0, 0, 0, 1}},
        {1, 0, {0, 0, 0, 0, 0, 0, 0, 1}},
        {1, 1, {1, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        BoardState s;
        s.sourceIsRam = true;
        s.sourceBytes = {0x80, 0x01};
        s.ramBitOrder = c.bitOrder;
        s.ramByteOrder = c.byteOrder;
        SourceBits bits(s);
        std::vector<unsigned> got;
        for (int i = 0; i < 8; ++i)
            got.push_back(bits.next());
        EXPECT_EQ(got, c.first8) << c.bitOrder << c.byteOrder;
    }
}

BoardState impulseShaper(std::uint32_t control) {
    BoardState s;
    s.samplesPerSymbol = 4;
    s.filterControl = control | filter::kOn;
    s.taps.assign(32, 0);
    s.taps[0] = 1024;  // one half at the first sample
    return s;
}

TEST(PulseShaper, OffsetDelaysQByHalfASymbolAndInversionNegatesIt) {
    struct Case {
        std::uint32_t control;
        std::size_t qAt;
        float qSign;
    };
    const Case cases[] = {{0, 0, 1.0f}, {filter::kOffset, 2, 1.0f}, {filter::kSpectrInv, 0, -1.0f}};
    for (const auto& c : cases) {
        PulseShaper shaper(impulseShaper(c.control));
        std::vector<Sample> out(8);
        shaper.push(Sample(2.0f, 4.0f), out.data());
        shaper.push(Sample(0, 0), out.data() + 4);
        EXPECT_FLOAT_EQ(out[0].real(), 1.0f);
        for (std::size_t n = 0; n < out.size(); ++n)
            EXPECT_FLOAT_EQ(out[n].imag(), n == c.qAt ? 2.0f * c.qSign : 0.0f) << c.control << " " << n;
    }
}

TEST(SignalModel, EsN0FollowsTheNoiseAmplitude) {
    BoardState s = impulseShaper(0);
    s.constShift = 14;
    for (unsigned a = 0; a < 256; ++a)
        s.constI[a] = 100, s.constQ[a] = 0;
    s.symbolRateHz = 1e6;
    s.noiseMode = 1;
    s.noiseAmplitude = 512;
    const SignalModel half(s);
    s.noiseAmplitude = 256;
    const SignalModel quarter(s);
    EXPECT_NEAR(quarter.parameters().esN0Db - half.parameters().esN0Db, 6.02, 0.01);
    EXPECT_NEAR(half.parameters().ebN0Db, half.parameters().esN0Db - 3.01, 0.01);
    EXPECT_DOUBLE_EQ(half.parameters().renderRateHz, 4e6);
}

TEST(SignalModel, SineInterfererAtItsOffset) {
    BoardState s = impulseShaper(0);
    s.constShift = 14;  // a table of zeros: only the interferer is heard
    s.sourceBytes = {0x5A, 0xA5};
    s.symbolRateHz = 1e6;  // render rate 4 MHz
    s.sampleClockHz = 64e6;
    s.noiseMode = 2;
    s.noiseAmplitude = 1024 / 4;
    // -word x fs / 2^30 = 250 kHz: at the render rate of 4 MHz, 1/16 turn per sample.
    s.sineWord =
        static_cast<std::uint32_t>(-static_cast<std::int32_t>(1073741824.0 * 250e3 / 64e6)) & 0x3FFFFFFF;
    const SignalModel model(s);
    EXPECT_NEAR(model.parameters().sineOffsetHz, 250e3, 1.0);
    const auto x = model.render(64, 1);
    ASSERT_EQ(x.size(), 64u);
    for (std::size_t n = 1; n < x.size(); ++n) {
        EXPECT_NEAR(std::abs(x[n]), 32.0f, 1e-3f);
        EXPECT_NEAR(std::arg(x[n] / x[n - 1]), 2 * 3.14159265 / 16, 1e-4) << n;
    }
}

TEST(BitMapper, TableBypassAndPi4Sets) {
    BoardState s;
    s.constShift = 14;
    s.bitMap.assign(bitmap::kEntries, 0);
    for (unsigned a = 0; a < bitmap::kEntries; ++a)
        s.bitMap[a] = static_cast<std::uint8_t>((a & 3) ^ 3);  // a plain table: inverts the label
    BitMapper plain(s);
    EXPECT_EQ(plain.map(0b01), 0b10u);
    EXPECT_EQ(plain.map(0b11), 0b00u);
    s.bitMapBypass = true;
    BitMapper bypass(s);
    EXPECT_EQ(bypass.map(0b01), 0b01u);
    // pi/4-QPSK: the mapping reads address bit 6; odd symbols take the turned points 4-7.
    s.bitMapBypass = false;
    for (unsigned a = 0; a < bitmap::kEntries; ++a)
        s.bitMap[a] = static_cast<std::uint8_t>(((a >> 6) & 1) << 1);
    BitMapper pi4(s);
    EXPECT_EQ(pi4.map(0b10), 0b10u);
    EXPECT_EQ(pi4.map(0b10), 0b110u);
    EXPECT_EQ(pi4.map(0b00), 0b000u);
}

}  // namespace
}  // namespace qmio::twin
