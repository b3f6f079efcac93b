// The program's command line: arguments separated by NUL bytes.
#include <algorithm>

#include "config/command_line.h"
#include "fuzz_common.h"
#include "silent_boxes.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::InstallSilentBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    std::vector<std::string> arguments;
    while (!in.empty() && arguments.size() < 16)
        arguments.push_back(in.text('\0'));
    const TCommandLine line = ReadCommandLine(arguments);
    for (const auto& text : {line.ConfFile, line.ConfName})
        FUZZ_CHECK(text.empty() || std::find(arguments.begin(), arguments.end(), text) != arguments.end(),
                   text);
    return 0;
}
