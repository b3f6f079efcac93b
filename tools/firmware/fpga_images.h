// FPGA images of the emulated board (Firmware/*.bit).
//
// One image exists for every name the library can choose: prefix by source mode (emd, mod, mmd, mom,
// mow for modes 0-4) + variant by band and symbol clock + optional suffix by modulation, and the
// RAM-load image load_Ram.bit:
//   i_shi, i_hi, i_32c, L_32c   every mode, no suffix
//   L_UF                        modes 0 and 2: "", "4" (QPSK), "S" (OQPSK); modes 1, 3, 4: ""
//   L_NF                        modes 0, 2, 3, 4: "", "4" (QPSK), "o" (OQPSK); mode 1: ""
// That is 5 x 4 + 9 + 13 = 42 working images.
//
// An image is the 64-byte header of qmio/fpga_image.h followed by the payload, the configuration
// frames. The payload is deterministic pseudo-random content seeded by the image name, so the set is
// the same on every build; its length is what the bitstream of the modulator's FPGA takes for that
// design family: from about 312 KiB for the small RAM-load design to about 700 KiB for the L-band
// ultra-fast designs, with a few KiB more or less per image as the design changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qmio/fpga_image.h"

namespace firmware {

// The headers (payload length and CRC not yet filled in) of every image, load_Ram last.
std::vector<qmio::fpga_image::Header> fpgaImageSet();

// The payload length of the image of `header`.
std::uint32_t payloadLength(const qmio::fpga_image::Header& header);

// The whole image file: header with payload length and CRC, then the payload.
std::vector<std::uint8_t> buildImage(qmio::fpga_image::Header header);

}  // namespace firmware
