#include "zplatform/registry.h"

namespace zplatform::registry {

DriverBufferParameters readDriverBufferParameters() {
    DriverBufferParameters parameters;
    const auto key = Key::openLocalMachine(kDriverParametersKey);
    if (!key) return parameters;
    if (const auto count = key->readDword("BuffersPerCH"); count && *count != 0)
        parameters.buffersPerChannel = static_cast<std::int32_t>(*count);
    // Read up to 1024 bytes; bytes beyond the data read count as 0.
    if (const auto data = key->readBinary("CHBufferLENs", 1024)) {
        std::uint32_t length = 0;
        for (std::size_t i = 0; i < 4 && i < data->size(); ++i)
            length |= std::uint32_t{(*data)[i]} << (8 * i);
        if (length != 0) parameters.bufferLength = length;
    }
    return parameters;
}

}  // namespace zplatform::registry
