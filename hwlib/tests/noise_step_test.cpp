// The coarse noise step trades samples per symbol for divider: the symbol-rate word stays the same.
#include "modulator_fixture.h"

namespace zorvan::test {
namespace {

using namespace reg;

using NoiseStepTest = ModulatorTest;

TEST_F(NoiseStepTest, EachNoiseStepHalvesTheSamplesPerSymbolAndDoublesTheDivider) {
    selectAndLoad(3, 70, 1000);
    ASSERT_EQ(WriteNoise(0, 1, 4.0, 0), 0);  // noise step 2
    ASSERT_EQ(Write_TI(0, 1000), 0);
    auto m = modulator();
    EXPECT_EQ(m.rateNco, 0x2192E29Fu);
    EXPECT_EQ(m.rateDiv, 0xFFF8u);
    EXPECT_EQ(m.samplesPerSymbol, 8);

    // 30000 kHz allows 4 samples per symbol (k = 2): noise step 5 is held to 2, one sample remains.
    ASSERT_EQ(WriteNoise(0, 1, 13.0, 0), 0);
    ASSERT_EQ(Write_TI(0, 30000), 0);
    m = modulator();
    EXPECT_EQ(m.samplesPerSymbol, 1);
    EXPECT_EQ(m.rateDiv, 0xFFFCu);
    WriteNoise(0, 0, 0, 0);
    ASSERT_EQ(Write_TI(0, 30000), 0);
    EXPECT_EQ(modulator().rateNco, m.rateNco);
}

}  // namespace
}  // namespace zorvan::test
