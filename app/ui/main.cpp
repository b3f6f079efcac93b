// The program Zorvanl: the operator's window on a Zorvan-L board (or on the emulated board).
//   Zorvanl [-d N] [-cf <set file>] [-cn <configuration name>]
#include <QApplication>
#include <cstdio>

#ifndef _WIN32
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#endif

#include "config/command_line.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "main_window.h"
#include "program_windows.h"
#include "qt_operator_ui.h"
#include "zplatform/paths.h"
#include "zplatform/system_info.h"

#ifndef _WIN32
namespace {

int closeRequests[2] = {-1, -1};

void RequestClose(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(closeRequests[1], &byte, 1);
}

// SIGTERM and SIGINT close the main window as the operator's close does: the output is stopped as the
// settings ask, the options and the configuration in force are saved and the board is released.
void CloseOnTerminationSignals() {
    if (pipe(closeRequests) != 0) return;
    auto* notifier = new QSocketNotifier(closeRequests[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte = 0;
        [[maybe_unused]] const auto got = read(closeRequests[0], &byte, 1);
        if (fmMain) fmMain->close();
    });
    struct sigaction action = {};
    action.sa_handler = RequestClose;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace
#endif

int main(int argc, char* argv[]) {
    CreateWarning(0);  // English until the stored language is applied
    QApplication application(argc, argv);
    application.setApplicationName("Zorvanl");
    application.setQuitOnLastWindowClosed(true);

    // AppDir: the program file's directory with a trailing separator.
    AppDir = zplatform::system::executablePath();
    AppDir.erase(AppDir.find_last_of(zplatform::kPathSeparator) + 1);

    // The command line's boxes come before any window: the Qt boxes are installed with the windows.
    TQtMessageBoxes boxes;
    InstallMessageBoxes(&boxes);
    const TCommandLine commands = ReadCommandLine(zplatform::system::commandLineParameters());

    CreateProgramWindows();
    fmMain->DeviceNum = commands.DeviceNum;
    fmMain->CommandConfiguration = {commands.ConfFile, commands.ConfName, false};
#ifndef _WIN32
    CloseOnTerminationSignals();
#endif
    fmMain->show();
    const int result = application.exec();
    DestroyProgramWindows();
    InstallMessageBoxes(nullptr);
    return result;
}
