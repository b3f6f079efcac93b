// Number files of the firmware directory: constellations (decimal integers) and filters (real numbers),
// separated by white space. Values are read in order until one does not convert or the file ends; a
// number that ends exactly at the end of the file counts like the others. A reader never keeps more
// values than its table holds: what lies beyond `capacity` is ignored.
#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace zorvan {

// Opens a file of the firmware set or a caller's file (a narrow path in the system's code page) with
// fopen's `mode`; nullptr when it is missing, does not open, or is a directory (which some systems
// would open for reading).
std::FILE* openFile(const std::string& path, const char* mode);

// The file is opened in text mode. Both return nothing when the file is missing, is not a regular
// file or does not open.
//
// Integers: an optional sign and decimal digits; a value outside the 32-bit range is held at the
// nearest end of the range (only its low bits reach the board anyway).
std::optional<std::vector<int>> readIntegers(const std::string& path, std::size_t capacity);
// Reals: decimal notation with optional exponent, "inf" and "nan" included; the decimal separator is
// always '.', whatever the process locale. A value beyond the double range reads as an infinity.
std::optional<std::vector<double>> readReals(const std::string& path, std::size_t capacity);

}  // namespace zorvan
