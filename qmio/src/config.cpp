#include "config.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ZorvanLRegisters.h"

namespace qmio {
namespace {

using namespace zorvan::reg;

void putBigEndian(std::vector<std::uint8_t>& eeprom, std::uint16_t address, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        eeprom[(address + i) % kEepromSize] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
}

// A plausible L-band correction table: a few tenths of a dB of slope and ripple over 700-2200 MHz.
constexpr std::int8_t kDefaultCorrection[16][4] = {
    {-6, 3, 0, 12}, {-5, 3, 1, 11}, {-4, 2, 1, 10}, {-3, 2, 2, 9},  {-2, 1, 2, 8}, {-1, 1, 3, 7},
    {0, 0, 3, 6},   {1, 0, 4, 5},   {2, -1, 4, 4},  {3, -1, 5, 3},  {4, -2, 5, 2}, {5, -2, 6, 1},
    {6, -3, 6, 0},  {7, -3, 7, -1}, {8, -4, 7, -2}, {9, -4, 8, -3},
};

std::vector<long long> numbers(const std::string& list, int base) {
    std::vector<long long> values;
    std::istringstream in(list);
    std::string item;
    while (in >> item)
        values.push_back(std::strtoll(item.c_str(), nullptr, base));
    return values;
}

BoardConfig boardFromIni(const std::shared_ptr<const zplatform::IniFile>& ini, unsigned index) {
    BoardConfig board;
    board.ini = ini;
    board.section = "Board" + std::to_string(index);
    board.name = board.text("Name", "qmbus ven_bbbb dev_0010 Zorvan-L (emulated) #" + std::to_string(index));
    board.driverSlot = static_cast<unsigned>(board.integer("DriverSlot", index)) % 64;
    board.slotNumber = static_cast<std::uint8_t>(board.integer("SlotNumber", 3 + index));

    auto& e = board.eeprom;
    const std::string image = board.text("EepromImage", "");
    if (!image.empty()) {
        std::ifstream in(image, std::ios::binary);
        in.read(reinterpret_cast<char*>(e.data()), static_cast<std::streamsize>(e.size()));
    } else {
        for (unsigned r = 0; r < eeprom::kCorrectionRecords; ++r)
            for (unsigned k = 0; k < eeprom::kCorrectionBytes; ++k)
                e[eeprom::kCorrectionTable + eeprom::kCorrectionStride * r + k] =
                    static_cast<std::uint8_t>(kDefaultCorrection[r][k]);
    }
    if (image.empty() || board.ini->value(board.section, "HardwareVersion"))
        e[eeprom::kHardwareVersion] = static_cast<std::uint8_t>(board.integer("HardwareVersion", 2));
    if (image.empty() || board.ini->value(board.section, "TuneValue"))
        putBigEndian(e, eeprom::kTuneValue, static_cast<std::uint32_t>(board.integer("TuneValue", 0x7F3A)),
                     2);
    if (image.empty() || board.ini->value(board.section, "SerialNumber"))
        putBigEndian(e, eeprom::kSerialNumber,
                     static_cast<std::uint32_t>(board.integer("SerialNumber", 0x001EEA51)), 4);
    for (unsigned r = 0; r < eeprom::kCorrectionRecords; ++r) {
        const auto record = numbers(board.text("Correction" + std::to_string(r), ""), 0);
        for (std::size_t k = 0; k < record.size() && k < eeprom::kCorrectionBytes; ++k)
            e[eeprom::kCorrectionTable + eeprom::kCorrectionStride * r + k] =
                static_cast<std::uint8_t>(record[k]);
    }
    for (const auto& key : ini->keys(board.section)) {
        if (zplatform::equalsIgnoreCase(key.substr(0, 7), "Eeprom.")) {
            auto address = static_cast<std::size_t>(std::strtoul(key.c_str() + 7, nullptr, 0));
            for (long long byte : numbers(board.text(key, ""), 16))
                e[address++ % kEepromSize] = static_cast<std::uint8_t>(byte);
        } else if (zplatform::equalsIgnoreCase(key.substr(0, 10), "I2cRefuse.")) {
            const auto addressByte = static_cast<std::uint8_t>(std::strtoul(key.c_str() + 10, nullptr, 0));
            board.i2cRefusals[addressByte >> 1] = static_cast<int>(board.integer(key, 0));
        }
    }

    board.pcbTemperature = board.number("PcbTemperature", board.pcbTemperature);
    board.fpgaTemperature = board.number("FpgaTemperature", board.fpgaTemperature);
    board.dmaBuffers = static_cast<unsigned>(board.integer("DmaBuffers", 0));
    board.dmaBufferLength = static_cast<std::uint32_t>(board.integer("DmaBufferLength", 0));
    board.failOpen = board.integer("FailOpen", 0) != 0;
    board.failBarMap = board.integer("FailBarMap", 0) != 0;
    board.failMemoryMap = board.integer("FailMemoryMap", 0) != 0;
    board.failInterruptInfo = board.integer("FailInterruptInfo", 0) != 0;
    board.noTrap = board.integer("NoTrap", 0) != 0;
    board.i2cStuckBusy = board.integer("I2cStuckBusy", 0) != 0;
    board.i2cBusyReadings = static_cast<int>(board.integer("I2cBusyReadings", 0));
    return board;
}

}  // namespace

long long BoardConfig::integer(const std::string& key, long long fallback) const {
    return ini ? ini->integer(section, key, fallback) : fallback;
}
double BoardConfig::number(const std::string& key, double fallback) const {
    return ini ? ini->number(section, key, fallback) : fallback;
}
std::string BoardConfig::text(const std::string& key, const std::string& fallback) const {
    return ini ? ini->text(section, key, fallback) : fallback;
}

EmulatorConfig parseConfig(const std::string& text) {
    auto ini = std::make_shared<const zplatform::IniFile>(zplatform::IniFile::parse(text));
    EmulatorConfig config;
    const long long count = ini->integer("Emulator", "Boards", 1);
    config.statusFile = ini->text("Emulator", "StatusFile", "");
    for (long long i = 0; i < count && i < 64; ++i)
        config.boards.push_back(boardFromIni(ini, static_cast<unsigned>(i)));
    return config;
}

EmulatorConfig loadConfig() {
    EmulatorConfig config = loadConfigFile();
    if (const char* status = std::getenv("QMIO_STATUS_FILE"); status && *status) config.statusFile = status;
    return config;
}

EmulatorConfig loadConfigFile() {
    const char* path = std::getenv("QMIO_CONFIG");
    if (path && *path) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream text;
            text << in.rdbuf();
            return parseConfig(text.str());
        }
        std::fprintf(stderr,
                     "qmio: cannot read the configuration file %s (QMIO_CONFIG); using one default board\n",
                     path);
    }
    return parseConfig("");
}

}  // namespace qmio
