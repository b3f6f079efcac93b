// The emulator's configuration: which boards the driver lists and what each board holds.
//
// The file named by the environment variable QMIO_CONFIG is an INI file:
//   [Emulator]  Boards=<n>
//               StatusFile=<path>   the status of every board (QmioTest_Status), rewritten about five
//                                   times a second while the emulator runs, so that an operator or a
//                                   script can watch the board from outside the program (the
//                                   environment variable QMIO_STATUS_FILE overrides it)
//   [Board<i>]  one section per board, i = 0 .. n-1; every key is optional:
//     Name=<device name>          default "qmbus ven_bbbb dev_0010 Zorvan-L (emulated) #<i>"
//     DriverSlot=<0..63>          default i
//     SlotNumber=<0..255>         physical slot the driver reports, default 3 + i
//     HardwareVersion=<byte>      default 2
//     SerialNumber=<32-bit>       default 0x001EEA51
//     TuneValue=<16-bit>          default 0x7F3A
//     Correction<r>=<c0> <c1> <c2> <c3>   L-band correction record r (0-15), signed bytes
//     EepromImage=<path>          raw EEPROM contents (8 KiB) loaded before the keys above
//     Eeprom.<address>=<bytes>    bytes (hexadecimal) written at <address> last
//     PcbTemperature=<degC>       default 36.5;  FpgaTemperature=<degC> default 48.25
//     DmaBuffers=<n>, DmaBufferLength=<bytes>   override the driver's buffer parameters
//     FailOpen, FailBarMap, FailMemoryMap, FailInterruptInfo, NoTrap, I2cStuckBusy = 0/1
//     I2cBusyReadings=<n>         status readings for which each I2C command stays busy, default 0
//     I2cRefuse.<address byte>=<n>  that device leaves its next n address bytes unacknowledged
//     DacBusyReads=<n>            converter status reads that show busy after a reset, default 3
//     DacStuckBusy, DacReadBackFault = 0/1   converter faults
//     MasterByteRate=<bytes/s>    DMA master rate: 0 the modulator's (default), -1 as fast as possible
//     CaptureMemory=<bytes>, CaptureFile=<path>   capture of what the DMA master plays
//     VerifyFile=<path>           the master compares what it plays with that file repeated (no capture)
//     FpgaResetReadings=<n>, FpgaDoneStuckHigh, FpgaNoReset, FpgaNoDone   the FPGA configuration port
//                                 (devices/fpga_config_port.h)
//     SynthCorruptReadBacks=<n>   synthesizer read-backs shown corrupted (devices/sample_clock_synth.h)
// Numbers are decimal or hexadecimal with 0x. Without QMIO_CONFIG the emulator has one default board.
// Devices of the board read further keys of their board's section through BoardConfig.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "zplatform/ini.h"

namespace qmio {

inline constexpr std::size_t kEepromSize = 8192;

struct BoardConfig {
    std::shared_ptr<const zplatform::IniFile> ini;  // the whole file, for the devices' own keys
    std::string section;

    std::string name;
    unsigned driverSlot = 0;
    std::uint8_t slotNumber = 3;
    std::vector<std::uint8_t> eeprom = std::vector<std::uint8_t>(kEepromSize, 0xFF);
    double pcbTemperature = 36.5;
    double fpgaTemperature = 48.25;
    unsigned dmaBuffers = 0;            // 0: from the driver's buffer parameters
    std::uint32_t dmaBufferLength = 0;  // 0: from the driver's buffer parameters
    bool failOpen = false, failBarMap = false, failMemoryMap = false, failInterruptInfo = false;
    bool noTrap = false, i2cStuckBusy = false;
    int i2cBusyReadings = 0;
    std::map<std::uint8_t, int> i2cRefusals;  // 7-bit address -> refusals left

    long long integer(const std::string& key, long long fallback) const;
    double number(const std::string& key, double fallback) const;
    std::string text(const std::string& key, const std::string& fallback) const;
};

struct EmulatorConfig {
    std::vector<BoardConfig> boards;
    std::string statusFile;
};

EmulatorConfig parseConfig(const std::string& text);
// QMIO_CONFIG's file, or one default board; the environment variable QMIO_STATUS_FILE, when set, names
// the status file instead of the file's StatusFile.
EmulatorConfig loadConfig();
EmulatorConfig loadConfigFile();

}  // namespace qmio
