// The library's count of the hardware's pauses: exactly the pauses each operation takes on its way,
// failed attempts included, so that a measurement can tell them from the software's own time.
#include <functional>

#include "ZorvanLPauses.h"
#include "modulator_fixture.h"

namespace zorvan::test {
namespace {

using PauseCountTest = ModulatorTest;

struct PauseCase {
    const char* what;
    std::int32_t fault;  // 0: none
    std::int32_t corruptReadBacks;
    std::int32_t result;
    std::int64_t pausedMs;
};

TEST_F(PauseCountTest, EachOperationCountsThePausesItTakes) {
    const std::string image = writeFile("momi_32c.bit", fpgaImage("momi_32c"));
    const std::string missing = path("none.bit");
    const std::vector<std::pair<PauseCase, std::function<std::int32_t()>>> cases = {
        {{"an image: PROG, release, before DONE", 0, 0, 0, 30}, [&] { return FPGALoad(0, image.c_str()); }},
        {{"no RESET after PROG: the two first pauses", QMIO_FAULT_FPGA_NO_RESET, 0, -24, 20},
         [&] { return FPGALoad(0, image.c_str()); }},
        {{"a missing image: no pause", 0, 0, -6, 0}, [&] { return FPGALoad(0, missing.c_str()); }},
        {{"the synthesizer: two control registers settle", 0, 0, 0, 60}, [] { return LoadSynth(0); }},
        {{"one bad read-back: a third settling", 0, 1, 0, 90}, [] { return LoadSynth(0); }},
        {{"register 0 never reads back: two settlings, then -22", QMIO_FAULT_SYNTH_READBACK, 0, -22, 60},
         [] { return LoadSynth(0); }},
    };
    for (const auto& [c, operation] : cases) {
        SCOPED_TRACE(c.what);
        if (c.fault) QmioTest_SetFault(0, c.fault, 1);
        if (c.corruptReadBacks) QmioTest_SynthCorruptReadBacks(0, c.corruptReadBacks);
        const std::int64_t before = ZorvanL_PausedNanoseconds();
        EXPECT_EQ(operation(), c.result);
        EXPECT_EQ(ZorvanL_PausedNanoseconds() - before, c.pausedMs * 1000000);
        if (c.fault) QmioTest_SetFault(0, c.fault, 0);
    }
}

TEST_F(PauseCountTest, AnIfSymbolClockLeavesTheSynthesizerAndTakesNoPause) {
    selectAndLoad(3, 70, 1000);
    const std::int64_t before = ZorvanL_PausedNanoseconds();
    EXPECT_EQ(Write_TI(0, 1000), 0);
    EXPECT_EQ(ZorvanL_PausedNanoseconds(), before);
}

}  // namespace
}  // namespace zorvan::test
