// Channel coding and symbol mapping: coder control, puncturing (and the code rate the board runs),
// the bit-mapping table and the CE-OQPSK table.
#include "modulator_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

class ChannelCodingTest : public ModulatorTest {
 protected:
    void SetUp() override {
        ModulatorTest::SetUp();
        selectAndLoad(0, 70, 1000);  // a bit-stream image
        writeFile("Const/cQPSK.dat", "127 127 -127 127 -127 -127 127 -127");
        _SetModKind(0, 3);
        ASSERT_EQ(LoadModulationRAM(0), 0);
    }
    static std::vector<uint8_t> bitMap() {
        std::vector<uint8_t> map(4096);
        QmioTest_BitMap(0, map.data());
        return map;
    }
};

TEST_F(ChannelCodingTest, CoderControlAddsScramblerDifferentialAnd64Qam) {
    startLog();
    WriteDiffPU(0, 4, 1, 1);
    WriteDiffPU(0, 4, 2, 1);  // only scrambler 1 switches the scrambler on
    WriteDiffPU(0, 12, 0, 0);
    WriteDiffPU(0, 13, 1, 0);
    _SetModKind(0, 9);
    EXPECT_EQ(WriteDiffPU(0, 4, 1, 1), 0);
    EXPECT_EQ(writesTo(CODING), (std::vector<uint32_t>{0x103, 0x101, 0x680, 0x002, 0x10103}));
    EXPECT_EQ(modulator().coding, 0x10103u);
}

TEST_F(ChannelCodingTest, PuncturingSetsTheCodeRateTheBoardRuns) {
    EXPECT_EQ(LoadPunct(0, 9), 0);
    auto m = modulator();
    EXPECT_EQ(std::vector<uint32_t>(m.punct, m.punct + 4),
              (std::vector<uint32_t>{0x01460010, 0x01460153, 0x01460287, 0x014603CB}));
    EXPECT_EQ(LoadPunct(0, 11), 0);  // Manchester: PUNCT stays as it was
    EXPECT_EQ(modulator().punctWrites, 4u);

    // QPSK: two coded bits per symbol, times source bits per coded bit.
    const struct {
        uint8_t code;
        double bits;
    } cases[] = {{0, 2.0}, {1, 1.0},     {2, 1.0},  {3, 1.0},  {4, 1.5},  {5, 1.75}, {6, 4.0 / 3},
                 {7, 1.5}, {8, 5.0 / 3}, {9, 1.75}, {10, 1.0}, {11, 1.0}, {12, 1.0}};
    for (const auto& c : cases) {
        LoadPunct(0, c.code);
        WriteDiffPU(0, c.code, 0, 0);
        EXPECT_NEAR(timing().sourceBitsPerSymbol, c.bits, 1e-12) << "code " << int(c.code);
    }
    EXPECT_EQ(modulator().punct[0], 0u);  // codes 10 and 1 write the single word 0

    selectAndLoad(4, 70, 1000);  // 16-bit I/Q: one sample pair per symbol
    EXPECT_EQ(timing().sourceBitsPerSymbol, 32.0);
}

TEST_F(ChannelCodingTest, BitMapsForPlainAndDifferentialMapping) {
    startLog();
    ASSERT_EQ(WriteBitMap(0, 0), 0);
    auto words = writesTo(BITMAP);
    ASSERT_EQ(words.size(), 4096u);
    EXPECT_EQ(words[0x305], 0x03050005u);
    EXPECT_EQ(bitMap()[0xFFF], 0x3F);

    startLog();
    ASSERT_EQ(WriteBitMap(0, 1), 0);
    EXPECT_EQ(writesTo(BITMAP)[0x301], 0x03010001u);
    auto map = bitMap();
    // Previous symbol p1 p0 = 1 0; data 00 keeps it, 01 / 11 / 10 step it on.
    EXPECT_EQ((std::vector<uint8_t>{map[0x200], map[0x201], map[0x203], map[0x202]}),
              (std::vector<uint8_t>{2, 3, 1, 0}));

    const auto mapFor = [](uint8_t kind, uint8_t differential, unsigned address) {
        _SetModKind(0, kind);
        WriteBitMap(0, differential);
        return bitMap()[address];
    };
    EXPECT_EQ(mapFor(2, 1, 0x101), 0);  // BPSK: d0 xor p0
    EXPECT_EQ(mapFor(2, 1, 0x1FE), 1);
    EXPECT_EQ(mapFor(4, 1, 0x102), 3);   // OQPSK: d1 xor p1, d0 xor p0
    EXPECT_EQ(mapFor(10, 0, 0x241), 2);  // pi/4-QPSK whatever the map: m0 = p1 xor d0, m1 = bit 6 xor m0
    EXPECT_EQ(mapFor(5, 1, 0x13F), 0);   // no differential mapping for 8PSK

    startLog();
    _SetModKind(0, 17);
    ASSERT_EQ(WriteBitMap(0, 0), 0);
    words = writesTo(BITMAP);
    EXPECT_EQ(words.size(), 4096u);
    EXPECT_TRUE(std::all_of(words.begin(), words.end(), [](uint32_t w) { return w == 0x40000000; }));
    EXPECT_TRUE(modulator().bitMapBypass);
}

TEST_F(ChannelCodingTest, TheCeTableIsTheInverseEnvelopeOnlyForCeOqpsk) {
    std::vector<uint16_t> table(1024);
    ASSERT_EQ(Load_RAM_CEOQPSK(0), 0);
    EXPECT_EQ(QmioTest_CeTable(0, table.data()), 1024);
    EXPECT_TRUE(std::all_of(table.begin(), table.end(), [](uint16_t v) { return v == 0x800; }));

    _SetModKind(0, 15);
    startLog();
    ASSERT_EQ(Load_RAM_CEOQPSK(0), 0);
    const auto words = writesTo(CE_RAM);
    ASSERT_EQ(words.size(), 1024u);
    EXPECT_EQ(words[0], 0x00000300u);
    EXPECT_EQ(words[1], 0x00010FFFu);
    EXPECT_EQ(words[100], 0x0064099Au);
    EXPECT_EQ(words[1023], 0x03FF0300u);
    QmioTest_CeTable(0, table.data());
    EXPECT_EQ(table[100], 0x99A);
}

}  // namespace
}  // namespace zorvan::test
