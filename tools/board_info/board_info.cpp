// zorvanl-info: connects a board and prints its identity and temperatures.
//   zorvanl-info [device number] [firmware directory]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ZorvanL.h"

namespace {

std::string errorText(int32_t code) {
    char text[64] = "";
    GetErrorcodeDescript(code, 0, text);
    return text;
}

int fail(const char* operation, int32_t code) {
    std::fprintf(stderr, "%s failed: %d %s\n", operation, code, errorText(code).c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const int device = argc > 1 ? std::atoi(argv[1]) : 0;
    const std::string firmwareDir = argc > 2 ? argv[2] : "Firmware";
    if (device < 0 || device > 255) {
        std::fprintf(stderr, "usage: zorvanl-info [device number 0-19] [firmware directory]\n");
        return 2;
    }
    const auto dev = static_cast<uint8_t>(device);
    if (const int32_t rc = ConnectDevice(dev, firmwareDir.c_str()); rc != 0) return fail("ConnectDevice", rc);

    int status = 0;
    uint32_t serial = 0;
    uint8_t version = 0;
    int32_t pcb = 0, fpga = 0;
    TMapMemData mem{};
    uint8_t slot = 0;
    _ConnectDeviceGetHandels(dev, &mem, &slot);
    std::printf("Zorvan-L device %d\n", device);
    std::printf("  slot number       %u\n", slot);
    if (const int32_t rc = GetSN(dev, &serial); rc == 0)
        std::printf("  serial number     %u (0x%08X)\n", serial, serial);
    else
        status = fail("GetSN", rc);
    if (const int32_t rc = GetHWVer(dev, &version); rc == 0)
        std::printf("  hardware version  %u\n", version);
    else
        status = fail("GetHWVer", rc);
    if (const int32_t rc = MakeDACTune(dev); rc == 0)
        std::printf("  reference tune    0x%04X\n", _GetDACTuneValue(dev));
    else
        status = fail("MakeDACTune", rc);
    if (const int32_t rc = ReadTemperature(dev, &pcb, &fpga); rc == 0)
        std::printf("  temperatures      board %d degC, FPGA %d degC\n", pcb, fpga);
    else
        status = fail("ReadTemperature", rc);
    std::printf("  DMA buffers       %u\n", mem.Count);
    DisconnectDevice(dev);
    return status;
}
