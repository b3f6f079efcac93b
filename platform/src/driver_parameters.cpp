#include "zplatform/ini.h"
#include "zplatform/registry.h"

namespace zplatform::registry {

DriverBufferParameters readDriverBufferParameters() {
    DriverBufferParameters parameters;
    const auto key = Key::openLocalMachine(kDriverParametersKey);
    if (!key) return parameters;
    for (const Value& value : key->values()) {
        if (equalsIgnoreCase(value.name, "BuffersPerCH")) {  // value names ignore case, as in the registry
            if (value.type != ValueType::Dword)
                parameters.invalid.push_back("BuffersPerCH");
            else if (value.dword != 0)
                parameters.buffersPerChannel = static_cast<std::int32_t>(value.dword);
        } else if (equalsIgnoreCase(value.name, "CHBufferLENs")) {
            if ((value.type != ValueType::Binary && value.type != ValueType::None) ||
                value.data.size() > 1024) {
                parameters.invalid.push_back("CHBufferLENs");
                continue;
            }
            // The first four bytes, little-endian; bytes beyond the data count as 0.
            std::uint32_t length = 0;
            for (std::size_t i = 0; i < 4 && i < value.data.size(); ++i)
                length |= std::uint32_t{value.data[i]} << (8 * i);
            if (length != 0) parameters.bufferLength = length;
        }
    }
    return parameters;
}

}  // namespace zplatform::registry
