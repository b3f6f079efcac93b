// The program's command line: arguments separated by NUL bytes.
#include <algorithm>

#include "config/command_line.h"
#include "fuzz_common.h"
#include "hw/messages.h"
#include "hw/operator_ui.h"

namespace {
class SilentBoxes : public TMessageBoxes {
 public:
    void ShowMsgBox(const std::string&, TMsgKind, TMsgButtons) override {}
    bool AskOkCancel(const std::string&, TMsgKind, int, int) override { return false; }
};
SilentBoxes boxes;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InstallMessageBoxes(&boxes);
    CreateWarning(0);
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
