// The whole generated set: Firmware/ (Const, Filter, FPGA images) and Signals/ under one directory.
#pragma once

#include <filesystem>

namespace firmware {

// Writes Firmware/ and Signals/ under `binDir`, creating the directories. Throws
// std::runtime_error when a file cannot be written.
void writeFirmwareSet(const std::filesystem::path& binDir);

}  // namespace firmware
