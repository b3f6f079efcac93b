// zorvanl-scpi: the instrument's remote interface, a headless program on the operator program's core.
//   zorvanl-scpi [-d DEVICE] [--port N] [--listen ADDRESS] [-cf <set file> -cn <configuration>]
// Listens on 127.0.0.1:5025 unless told otherwise and prints "listening on ADDRESS:PORT" once it
// accepts. Exit status: 0 after SIGTERM or SIGINT (the program's close: options and the configuration
// in force saved, the board released), 2 for a bad command line or a socket that cannot listen, 3 when
// the board is held by another process (nothing touched).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/command_line.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "scpi_instrument.h"
#include "scpi_server.h"
#include "tools/logger.h"
#include "zplatform/paths.h"
#include "zplatform/system_info.h"

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) {
    stopRequested.store(true);
}

int Usage(const char* why) {
    std::fprintf(stderr, "zorvanl-scpi: %s\nusage: zorvanl-scpi [-d DEVICE] [--port N] [--listen ADDRESS]\n",
                 why);
    return 2;
}

}  // namespace

int main() {
    CreateWarning(0);  // English until the stored language is applied
    AppDir = zplatform::system::executablePath();
    AppDir.erase(AppDir.find_last_of(zplatform::kPathSeparator) + 1);

    // The program's own options (-d, -cf, -cn) are read as the program reads them; --port and --listen
    // are the server's.
    const std::vector<std::string> arguments = zplatform::system::commandLineParameters();
    std::vector<std::string> programArguments;
    std::string address = "127.0.0.1";
    bool listenGiven = false;
    int port = 5025;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--port" || argument == "--listen") {
            if (i + 1 >= arguments.size()) return Usage(("no value after " + argument).c_str());
            const std::string& value = arguments[++i];
            if (argument == "--listen") {
                address = value;
                listenGiven = true;
                continue;
            }
            char* end = nullptr;
            const long number = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || number < 0 || number > 65535)
                return Usage(("'" + value + "' is not a TCP port").c_str());
            port = static_cast<int>(number);
        } else {
            programArguments.push_back(argument);
        }
    }
    if (!listenGiven && !IsLoopbackAddress(address)) return Usage("a non-loopback address needs --listen");

    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    TScpiInstrument instrument;
    const TCommandLine commands = ReadCommandLine(programArguments);
    const std::int32_t connected =
        instrument.StartUp(commands.DeviceNum, {commands.ConfFile, commands.ConfName, false});
    if (connected == -13) {
        std::fprintf(
            stderr,
            "zorvanl-scpi: board %u is busy: another process (the program or another server) holds it; "
            "nothing was changed\n",
            static_cast<unsigned>(commands.DeviceNum));
        return 3;
    }
    TScpiServer server(instrument);
    std::string error;
    if (!server.Listen(address, port, error)) {
        std::fprintf(stderr, "zorvanl-scpi: cannot listen: %s\n", error.c_str());
        return 2;
    }
    if (!IsLoopbackAddress(address))
        std::fprintf(stderr, "zorvanl-scpi: listening on %s, reachable from the network (--listen)\n",
                     address.c_str());
    std::printf("listening on %s:%d\n", address.c_str(), server.Port());
    std::fflush(stdout);
    server.Run(stopRequested);
    instrument.Close();
    return 0;
}
