// The RAM path's source-file loads through the library on the emulated board: 16-bit words and bit
// text. The first byte picks the form; the rest is the file.
#include "ZorvanL.h"
#include "fuzz_common.h"
#include "qmio/qmio_test.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (QmioTest_Configure("") != 1 || ConnectDevice(0, ".") != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("source.bin");
    if (size == 0 || size > 4096) return -1;
    const bool bitText = data[0] & 1;
    fuzz::writeFile(path, data + 1, size - 1);
    FUZZ_CHECK(Load_RAM(0, path.c_str(), bitText ? 1 : 0) == 0, "load");
    FUZZ_CHECK(SetPackingOrder(0, data[0] & 2, data[0] & 4) == 0, "packing");
    return 0;
}
