// zorvanl-firmware: writes the board's firmware set (Firmware/) and the sample source files
// (Signals/) into the given directory, the program's run-time directory.
//   zorvanl-firmware <directory>
#include <cstdio>
#include <exception>

#include "firmware_set.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zorvanl-firmware <directory>\n");
        return 2;
    }
    try {
        firmware::writeFirmwareSet(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorvanl-firmware: %s\n", e.what());
        return 1;
    }
    return 0;
}
