// The emulator's configuration (the text of QMIO_CONFIG's file) as the driver reads it. Files it names
// (EEPROM images) are not read here: the fuzzer must not read files chosen by the input.
#include <algorithm>
#include <cctype>

#include "config.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower.find("image") != std::string::npos) return -1;
    const qmio::EmulatorConfig config = qmio::parseConfig(text);
    FUZZ_CHECK(config.boards.size() <= 64, text);
    for (const auto& board : config.boards) {
        FUZZ_CHECK(board.eeprom.size() == qmio::kEepromSize, board.section);
        FUZZ_CHECK(board.driverSlot < 64, board.section);
        (void)board.integer("DacBusyReads", 3);
        (void)board.number("PcbTemperature", 0.0);
        (void)board.text("Name", "");
    }
    return 0;
}
