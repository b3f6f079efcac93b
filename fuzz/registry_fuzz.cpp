// The registry stand-in (.reg export format): every key the program and the emulated driver open, all
// their values and subkeys, and the driver's buffer parameters.
#include "fuzz_common.h"
#include "zplatform/registry.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const std::string path = fuzz::scratchPath("registry.reg");
    setenv("ZORVANL_REGISTRY", path.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace reg = zplatform::registry;
    fuzz::writeFile(reg::standInPath(), data, size);
    for (const char* path : {reg::kDriverParametersKey, reg::kDriverServiceKey, "SOFTWARE", ""}) {
        const auto key = reg::Key::openLocalMachine(path);
        if (!key) continue;
        for (const auto& value : key->values())
            FUZZ_CHECK(value.type != reg::ValueType::Dword || value.data.empty(), value.name);
        for (const auto& name : key->subkeys())
            (void)reg::Key::openLocalMachine(std::string(path) + "\\" + name);
        (void)key->readDword("BuffersPerCH");
        if (const auto bytes = key->readBinary("CHBufferLENs", 4)) FUZZ_CHECK(bytes->size() <= 4, "binary");
    }
    const auto parameters = reg::readDriverBufferParameters();
    FUZZ_CHECK(parameters.buffersPerChannel != 0, "buffers");
    return 0;
}
