// What the modulator has been programmed to do, as far as the board's data path needs it: the DMA
// master and the source RAM play their data at the rate this describes.
//
// The model, as the board runs it:
// - Sample clock: the synthesizer's clock (from its tuning word) divided by the converter's clock
//   divider k (see converterClockDivider); the base 122000 kHz while the synthesizer has no tuning
//   word.
// - Symbol clock: the shaping filter makes S samples per symbol (S from FILTER_CTL) and the clock
//   divider N (from RATE_DIV: 65536 - RATE_DIV) holds each filter output for N sample periods of the
//   linear interpolator. The IF images for clocks up to 55 MHz ("i_32c", "i_hi") also run the
//   symbol-rate NCO, which lets through RATE_NCO / 2^30 of the sample clock's ticks:
//       symbol clock = sample clock x (RATE_NCO / 2^30) / (S x N).
//   The highest-rate IF images ("i_shi") and the L-band images have no NCO: their sample clock is an
//   exact multiple of the symbol clock:
//       symbol clock = sample clock / (S x N).
//   0 until FILTER_CTL and RATE_DIV (and RATE_NCO where it is used) were written under the image.
// - Source bits per symbol: for bit streams (source modes 0-2) the bits a symbol takes from the
//   constellation table (16 - its shift: 2 for QPSK) times the code rate of CODING/PUNCT (source bits
//   per coded bit); for the I/Q modes one I/Q sample pair per symbol: 16 bits (mode 3, 8-bit samples)
//   or 32 bits (mode 4, 16-bit samples).
#pragma once

#include <cstdint>

namespace qmio {

class Board;

struct ModulatorTiming {
    bool configured = false;           // a working FPGA image is loaded (DONE high; not the RAM-load image)
    std::uint8_t sourceMode = 0xFF;    // source mode of the loaded image (0-4), 0xFF for none or RAM load
    double sampleClockKHz = 122000.0;  // the modulator's sample clock
    double symbolClockKHz = 0.0;       // symbol clock; 0 while none is programmed
    double sourceBitsPerSymbol = 0.0;  // source bits consumed per symbol (coding and I/Q samples included)
};

// The board's current timing. Call with the board's lock held.
ModulatorTiming modulatorTiming(Board& board);

}  // namespace qmio
