#include "config/command_line.h"

#include "config/number_text.h"
#include "hw/hardware.h"

TCommandLine ReadCommandLine(const std::vector<std::string>& Arguments) {
    TCommandLine line;
    // A missing argument reads as empty, as the program's parameter list yields past its end.
    const auto argument = [&](std::size_t i) { return i < Arguments.size() ? Arguments[i] : std::string(); };
    for (std::size_t i = 0; !argument(i).empty(); i += 2) {
        const std::string option = argument(i);
        if (option == "-d") {
            if (const auto number = TryStrToInt(argument(i + 1)))
                line.DeviceNum = static_cast<std::uint8_t>(*number & 0xFF);
            else
                ShowMsgBox("Cmd line param [-d] must be numerical! Example : Zorvanl.exe -d 0",
                           TMsgKind::Error, TMsgButtons::Ok);
        } else if (option == "-cf") {
            line.ConfFile = argument(i + 1);
        } else if (option == "-cn") {
            line.ConfName = argument(i + 1);
        }
    }
    return line;
}
