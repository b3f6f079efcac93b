// Read-only access to keys of the local machine's registry.
//
// Windows: the registry itself (HKEY_LOCAL_MACHINE, opened with KEY_READ).
// POSIX: one stand-in file in the Windows registry-export format (REGEDIT4 / "Windows Registry Editor
// Version 5.00"), read by the program and the emulated driver alike. Its path is the environment
// variable ZORVANL_REGISTRY when set, else /etc/zorvanl/registry.reg. Sections name keys, with or
// without the "HKEY_LOCAL_MACHINE\" root; names compare case-insensitively; value lines are
//     "Name"="text"            string
//     "Name"=hex(2):41,00,...  expandable string (UTF-16LE bytes, as exported)
//     "Name"=dword:00000004    32-bit integer
//     "Name"=hex:00,00,10,00   binary (a line ending in '\' continues on the next)
//     "Name"=hex(0):00,01      untyped bytes (REG_NONE)
// A missing file is an empty registry.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zplatform::registry {

enum class ValueType { String, ExpandString, Dword, Binary, None, Other };  // None: untyped bytes

struct Value {
    std::string name;
    ValueType type = ValueType::Other;
    std::string text;                // String, ExpandString
    std::uint32_t dword = 0;         // Dword
    std::vector<std::uint8_t> data;  // Binary, None
};

class Key {
 public:
    // Opens `path` (for example "SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters") under the
    // local-machine root, read-only. nullptr when the key does not exist.
    static std::unique_ptr<Key> openLocalMachine(const std::string& path);
    ~Key();

    std::optional<std::uint32_t> readDword(const std::string& name) const;
    // At most maxBytes of a binary value.
    std::optional<std::vector<std::uint8_t>> readBinary(const std::string& name, std::size_t maxBytes) const;
    // Values and direct subkeys in the order the registry lists them.
    std::vector<Value> values() const;
    std::vector<std::string> subkeys() const;

    struct Impl;

 private:
    explicit Key(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Where the stand-in lives (POSIX); empty on Windows.
std::string standInPath();

// The board driver's buffer parameters: the DMA ring that the driver maps and that the program fills.
inline constexpr const char* kDriverParametersKey = "SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters";
inline constexpr const char* kDriverServiceKey = "SYSTEM\\CurrentControlSet\\services\\qmbus";

struct DriverBufferParameters {
    std::int32_t buffersPerChannel = 4;     // "BuffersPerCH"; 4 when missing or 0
    std::uint32_t bufferLength = 0x100000;  // "CHBufferLENs" (first 4 bytes, little-endian); 1 MiB default
    // Values present but of a type the reading refuses (BuffersPerCH not an integer, CHBufferLENs neither
    // binary nor untyped or longer than 1024 bytes); their defaults apply.
    std::vector<std::string> invalid;
};
DriverBufferParameters readDriverBufferParameters();

}  // namespace zplatform::registry
