// What the modulator has been programmed to do, as far as the board's data path needs it: the DMA
// master and the source RAM play their data at the rate this describes.
#pragma once

#include <cstdint>

namespace qmio {

class Board;

struct ModulatorTiming {
    bool configured = false;           // a working FPGA image is loaded (DONE high)
    std::uint8_t sourceMode = 0xFF;    // source mode of the loaded image (0-4), 0xFF for none or RAM load
    double sampleClockKHz = 122000.0;  // the modulator's sample clock
    double symbolClockKHz = 0.0;       // symbol clock; 0 while none is programmed
    double sourceBitsPerSymbol = 0.0;  // source bits consumed per symbol (coding and I/Q samples included)
};

// The board's current timing. Call with the board's lock held.
ModulatorTiming modulatorTiming(Board& board);

}  // namespace qmio
