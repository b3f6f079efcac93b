// The emulated board's FPGA configuration port: whatever bytes arrive, DONE rises exactly when they
// begin with an intact image (header CRC, whole payload, payload CRC).
#include "ZorvanLRegisters.h"
#include "fuzz_common.h"
#include "qmio/fpga_image.h"
#include "qmio/qmio_test.h"

extern "C" {
QMIO_API int64_t QMBUS_Open(uint8_t slot);
QMIO_API int32_t QMBUS_Read(int64_t handle, uint32_t offset, uint32_t* value);
QMIO_API int32_t QMBUS_Write(int64_t handle, uint32_t offset, uint32_t value);
}

namespace {
using namespace zorvan::reg;
int64_t handle = -1;

void put(Reg r, std::uint32_t value) {
    QMBUS_Write(handle, r.index * 4, value);
}
std::uint32_t get(Reg r) {
    std::uint32_t value = 0;
    QMBUS_Read(handle, r.index * 4, &value);
    return value;
}

// What the port must conclude from `data`.
bool intact(const std::uint8_t* data, std::size_t size) {
    namespace img = qmio::fpga_image;
    if (size < img::kHeaderLength) return false;
    const auto header = img::decodeHeader(data);
    if (!header) return false;
    if (size - img::kHeaderLength < header->payloadLength) return false;
    return img::crc32(data + img::kHeaderLength, header->payloadLength) == header->payloadCrc;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (QmioTest_Configure("") != 1) std::abort();
    handle = QMBUS_Open(0);
    if (handle == -1) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 16) return -1;
    put(FPGA_CTL, 0);  // PROG
    put(FPGA_CTL, fpga::kControlProgReleased);
    int readings = 0;
    while (!(get(FPGA_STAT) & 2u))
        FUZZ_CHECK(++readings < 100, "RESET rises after PROG");
    put(FPGA_CTL, fpga::kControlProgReleased | fpga::kControlConfigure);
    for (std::size_t i = 0; i < size; ++i)
        put(DATA_PORT, data[i]);
    put(FPGA_CTL, fpga::kControlProgReleased);
    const bool done = get(FPGA_STAT) & 1u;
    FUZZ_CHECK(done == intact(data, size), done ? "DONE for a broken image" : "no DONE for an intact image");
    return 0;
}
