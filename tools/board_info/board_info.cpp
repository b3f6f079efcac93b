// zorvanl-info: connects a board and prints its identity and temperatures.
//   zorvanl-info [--status] [device number] [firmware directory]
// --status also prints the whole board state when the I/O access layer is the emulated one (it has the
// entry QmioTest_Status; the board's own driver library has not, and the option then says so).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ZorvanL.h"
#include "zplatform/dynlib.h"

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

// The emulated board's status text; the board is named by its position among the emulated boards,
// which is the device number as long as every emulated board is a Zorvan-L board.
void printStatus(int device) {
    using StatusFunction = int32_t (*)(int32_t board, char* text, int32_t size);
    const auto layer = zplatform::DynamicLibrary::load(zplatform::sharedLibraryName("qmio"));
    const auto status = reinterpret_cast<StatusFunction>(layer.symbol("QmioTest_Status"));
    if (!status) {
        std::printf("  board status      not available from this I/O access layer\n");
        return;
    }
    const int32_t length = status(device, nullptr, 0);
    if (length < 0) {
        std::printf("  board status      no emulated board %d\n", device);
        return;
    }
    std::vector<char> text(static_cast<size_t>(length) + 1);
    status(device, text.data(), static_cast<int32_t>(text.size()));
    std::printf("Board status\n%s", text.data());
}

}  // namespace

int main(int argc, char** argv) {
    bool withStatus = false;
    std::vector<const char*> arguments;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--status") == 0)
            withStatus = true;
        else
            arguments.push_back(argv[i]);
    }
    const int device = arguments.size() > 0 ? std::atoi(arguments[0]) : 0;
    const std::string firmwareDir = arguments.size() > 1 ? arguments[1] : "Firmware";
    if (device < 0 || device > 255) {
        std::fprintf(stderr, "usage: zorvanl-info [--status] [device number 0-19] [firmware directory]\n");
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
    if (withStatus) printStatus(device);
    DisconnectDevice(dev);
    return status;
}
