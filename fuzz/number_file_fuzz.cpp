// The library's number files: constellations (integers) and the shaping and post filters (reals), read
// with the capacities of their tables, and every real as the 12-bit coefficient the board receives.
#include <cmath>

#include "ZorvanLRegisters.h"
#include "fuzz_common.h"
#include "modulator.h"
#include "number_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("numbers.txt");
    fuzz::writeFile(path, data, size);
    for (const std::size_t capacity : {std::size_t{512}, std::size_t{2}}) {
        const auto integers = zorvan::readIntegers(path, capacity);
        FUZZ_CHECK(integers && integers->size() <= capacity, "integers");
    }
    for (const std::size_t capacity :
         {std::size_t{zorvan::reg::fir::kMaxTaps}, std::size_t{zorvan::reg::post_filter::kLength}}) {
        const auto reals = zorvan::readReals(path, capacity);
        FUZZ_CHECK(reals && reals->size() <= capacity, "reals");
        for (const double value : *reals)
            FUZZ_CHECK(zorvan::tables::coefficient12(value) < 4096, "coefficient");
    }
    return 0;
}
