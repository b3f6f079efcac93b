// A device load of the emulated board through the library's own calls, as the program makes it, for
// the twin's tools: the signal the board then sends is what the output model renders.
#pragma once

#include <complex>
#include <cstdint>
#include <string>
#include <vector>

#include "qmio/qmio_test.h"

namespace twin_tools {

struct Setup {
    std::uint8_t kind = 3;        // modulation kind, the operator's list (3 QPSK)
    std::uint8_t filterType = 2;  // 0 off, 1 IBS, 2-4 Nyquist 0.4/0.5/0.6, 5 wide
    std::uint8_t code = 0;        // channel code, the operator's list
    std::uint8_t scrambler = 0, differential = 0, bitMapDifferential = 0;
    std::uint8_t spectrumInversion = 0;
    double clockKHz = 1000.0;  // symbol clock
    double carrierMHz = 70.0;
    std::uint8_t noiseKind = 0;  // 0 off, 1 noise, 2 sine
    double noiseDb = -20.0, sineKHz = 0.0;
    std::uint8_t sourceMode = 0;  // 0-1: the source RAM (loaded with the source), 2: the DMA ring
};

// Configures the emulator with one board and connects it with `firmwareDir` (the generated set).
// Returns an empty string, or what failed.
std::string connectBoard(const std::string& firmwareDir,
                         const std::string& config = "[Board0]\nSlotNumber=58\n");
// Loads `setup` and, for the source RAM modes, the source bytes (an even number) on board 0.
std::string deviceLoad(const std::string& firmwareDir, const Setup& setup,
                       const std::vector<std::uint8_t>& source);
void disconnectBoard();

QmioTestSignal signalInfo();
std::vector<std::complex<float>> render(std::size_t count, std::uint64_t seed);

// The directory of the running program (build/bin), where Firmware/ lies.
std::string programDirectory();

}  // namespace twin_tools
