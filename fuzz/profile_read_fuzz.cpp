// The profile code reading any file: section names, and values of keys named by the file itself.
#include "config/profile.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("read.ini");
    fuzz::writeFile(path, data, size);
    const auto sections = profile::ReadSectionNames(path);
    for (std::size_t i = 0; i < sections.size() && i < 8; ++i) {
        for (const char* key : {"DeviceNum", "Language", "", "a"}) {
            const std::string value = profile::ReadString(path, sections[i], key, "\x01");
            FUZZ_CHECK(value == "\x01" || value.size() <= 4 * profile::kMaxValueLength, value);
        }
    }
    (void)profile::ReadString(path, "Main", "Key", "");
    return 0;
}
