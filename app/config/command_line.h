// The command line of the program: "-d N" (device number), "-cf <set file>" (a set file in User/, with
// its extension), "-cn <configuration name>".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TCommandLine {
    std::uint8_t DeviceNum = 0;  // low 8 bits of the number given
    std::string ConfFile;        // GCMDConfFile
    std::string ConfName;        // GCMDConfName
};

// Reads the arguments pairwise from the first: "-d" takes the next argument as an integer (decimal, or
// hexadecimal with "$" or "0x", optional sign) and keeps its low 8 bits; "-cf" and "-cn" take the next
// argument as it is; any other argument is skipped together with the one after it. Comparisons are
// exact and case-sensitive. An empty argument ends the reading. A "-d" value that is not a number, or
// is missing, shows the error box "Cmd line param [-d] must be numerical! Example : Zorvanl.exe -d 0"
// and leaves the device number as it was.
TCommandLine ReadCommandLine(const std::vector<std::string>& Arguments);
