#include "command_line.h"

#include "hw/hardware.h"
#include "number_text.h"

TCommandLine ReadCommandLine(const std::vector<std::string>& Arguments) {
    TCommandLine values;
    const auto argument = [&](std::size_t i) { return i < Arguments.size() ? Arguments[i] : std::string(); };
    for (std::size_t i = 0; !argument(i).empty(); i += 2) {
        const std::string& option = Arguments[i];
        if (option == "-d") {
            if (const auto device = TryStrToInt(argument(i + 1)))
                values.DeviceNum = static_cast<std::uint8_t>(*device);
            else
                ShowMsgBox("Cmd line param [-d] must be numerical! Example : Zorvanl.exe -d 0", TMsgKind::Error,
                           TMsgButtons::Ok);
        } else if (option == "-cf") {
            values.ConfFile = argument(i + 1);
        } else if (option == "-cn") {
            values.ConfName = argument(i + 1);
        }
    }
    return values;
}
