// FPGA configuration: the choice of the firmware image and the RESET/DONE handshake of the board's
// configuration port.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ZorvanL.h"
#include "device.h"
#include "number_file.h"
#include "pause.h"

namespace zorvan {
namespace {

using namespace reg;
using std::chrono::milliseconds;

constexpr double kIfCarrierLimitMHz = 600.0;  // up to this the IF images, above it the L band
constexpr double kIfSuperHighKHz = 55000.0;   // "i_shi" above
constexpr double kIfHighKHz = 30000.0;        // "i_hi" from here to kIfSuperHighKHz
constexpr double kLUltraKHz = 160000.0;       // "L_UF" above
constexpr double kLNarrowKHz = 61000.0;       // "L_NF" from here to kLUltraKHz
constexpr const char* kModePrefixes[] = {"emd", "mod", "mmd", "mom", "mow"};
constexpr std::uint8_t kModes = 5;
constexpr std::uint8_t kQpsk = 3;
constexpr std::uint8_t kOqpsk = 4;

constexpr milliseconds kProgramPause{10};
constexpr int kResetReadings = 1000;

std::string chooseFirmware(ZorvanDevice& device, std::uint8_t mode, double carrier, double clock) {
    std::string name = kModePrefixes[mode];
    device.hiRate = 0;
    device.superHiRate = 0;
    if (carrier <= kIfCarrierLimitMHz) {
        device.lBand = 0;
        if (clock > kIfSuperHighKHz) {
            name += "i_shi";
            device.superHiRate = 1;
        } else if (clock >= kIfHighKHz) {
            name += "i_hi";
            device.hiRate = 1;
        } else {
            name += "i_32c";
        }
    } else {
        device.lBand = 1;
        if (clock > kLUltraKHz) {
            name += "L_UF";
            device.hiRate = 1;
            if (mode == 0 || mode == 2) {
                if (device.modKind == kQpsk) name += '4';
                if (device.modKind == kOqpsk) name += 'S';
            }
        } else if (clock >= kLNarrowKHz) {
            name += "L_NF";
            device.hiRate = 1;
            if (mode != 1) {
                if (device.modKind == kQpsk) name += '4';
                if (device.modKind == kOqpsk) name += 'o';
            }
        } else {
            name += "L_32c";
        }
    }
    return name + ".bit";
}

// The whole bit file, or a failure with its path in the last-error text.
std::vector<std::uint8_t> readBitFile(ZorvanDevice& device, const char* fileName) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFile(fileName, "rb"), std::fclose);
    if (!file) {
        device.setLastError(fileName);
        raise(Error::OpenFile);
    }
    std::vector<std::uint8_t> bytes;
    long size = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
    if (size > 0 && std::fseek(file.get(), 0, SEEK_SET) == 0) {
        bytes.resize(static_cast<std::size_t>(size));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    }
    if (size < 0 || bytes.size() < static_cast<std::size_t>(size)) {
        device.setLastError(fileName);
        raise(Error::ReadFile);
    }
    return bytes;
}

void configure(ZorvanDevice& device, const char* fileName) {
    const std::vector<std::uint8_t> image = readBitFile(device, fileName);
    device.fpgaLoaded = false;

    device.write(FPGA_CTL, fpga::kProgram);
    pause(kProgramPause);
    device.write(FPGA_CTL, fpga::kRelease);
    pause(kProgramPause);

    // The FPGA clears its configuration memory and then raises RESET (INIT); DONE must stay low.
    bool done = false;
    bool reset = false;
    for (int reading = 0; reading < kResetReadings && !reset; ++reading) {
        const std::uint32_t status = device.read(FPGA_STAT);
        done = done || (status & fpga::kStatusDone) != 0;
        reset = (status & fpga::kStatusReset) != 0;
    }
    if (done) raise(Error::FpgaNoDone);
    if (!reset) raise(Error::FpgaNoReset);

    device.write(FPGA_CTL, fpga::kConfigure);
    device.writeBytes(DATA_PORT, image.data(), image.size());
    for (unsigned clock = 0; clock < fpga::kTrailingClocks; ++clock)
        device.write(DATA_PORT, 0);

    pause(kProgramPause);
    device.write(FPGA_CTL, fpga::kRelease);
    if (!(device.read(FPGA_STAT) & fpga::kStatusDone)) {
        device.write(FPGA_CTL, fpga::kProgram);
        raise(Error::FpgaLoad);
    }
    device.fpgaLoaded = true;
}

}  // namespace
}  // namespace zorvan

using namespace zorvan;

extern "C" {

ZORVANL_API int32_t SetModeGetFWFName(uint8_t dev, uint8_t mode, double carrier, double clock,
                                      char* fileName) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!fileName) raise(Error::BadParameters);
        if (mode >= kModes) {
            fileName[0] = '\0';
            raise(Error::BadParameters);
        }
        const std::string name = chooseFirmware(device, mode, carrier, clock);
        std::memcpy(fileName, name.c_str(), name.size() + 1);
    });
}

ZORVANL_API int32_t FPGALoad(uint8_t dev, const char* fileName) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!fileName) raise(Error::BadParameters);
        configure(device, fileName);
    });
}

ZORVANL_API int32_t _GetFSample(uint8_t dev, double* fs) {
    return deviceScope(dev, [&](ZorvanDevice& device) {
        if (!fs) raise(Error::BadParameters);
        *fs = device.sampleFreq;
    });
}

}  // extern "C"
