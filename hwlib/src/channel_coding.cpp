// Channel coding and symbol mapping: puncturing, coder control, the bit-mapping table and the
// amplitude table of constant-envelope OQPSK. All computed, no file is read.
#include <array>
#include <cmath>
#include <cstdint>

#include "ZorvanL.h"
#include "device.h"
#include "modulator.h"

namespace zorvan::channel {
namespace {

using namespace reg;

struct ChannelCode {
    std::uint32_t base;  // CODING
    std::uint8_t words;  // PUNCT words written; kNoPunct: none
    std::array<std::uint32_t, punct::kWords> punct;
};
constexpr std::uint8_t kNoPunct = 0xFF;

// By the position of the code in the operator's list.
constexpr ChannelCode kCodes[] = {
    {0x000, 1, {0}},                                               // off
    {0x100, 1, {0}},                                               // Viterbi 1/2, K=7
    {0x200, 1, {0}},                                               // Sequential 1/2, K=36
    {0x180, 1, {0}},                                               // Viterbi 1/2I, K=7
    {0x100, 2, {0x01220010, 0x01220134}},                          // Viterbi 3/4
    {0x100, 4, {0x01460010, 0x01460135, 0x01460278, 0x014603BC}},  // Viterbi 7/8
    {0x100, 3, {0x01330010, 0x01330143, 0x01330275}},              // Viterbi 2/3 DVB
    {0x100, 2, {0x01220010, 0x01220143}},                          // Viterbi 3/4 DVB
    {0x100, 3, {0x01340010, 0x01340143, 0x01340287}},              // Viterbi 5/6 DVB
    {0x100, 4, {0x01460010, 0x01460153, 0x01460287, 0x014603CB}},  // Viterbi 7/8 DVB
    {0x300, 1, {0}},                                               // Viterbi 1/2, K=8
    {0x500, kNoPunct, {}},                                         // Manchester
    {0x680, kNoPunct, {}},                                         // Viterbi 1/2I IQ
};
constexpr std::uint8_t kCodeCount = sizeof kCodes / sizeof kCodes[0];

void loadPunct(ZorvanDevice& device, std::uint8_t code) {
    if (code >= kCodeCount || kCodes[code].words == kNoPunct) return;
    for (std::uint8_t i = 0; i < kCodes[code].words; ++i)
        device.write(PUNCT, kCodes[code].punct[i]);
}

void writeCoding(ZorvanDevice& device, std::uint8_t code, std::uint8_t scrambler, std::uint8_t diff) {
    std::uint32_t value = code < kCodeCount ? kCodes[code].base : 0;
    if (scrambler == 1) value += coding::kScrambler;
    value += diff;
    if (device.modKind == kind::k64Qam) value += coding::k64Qam;
    device.write(CODING, value);
}

// The mapping m (6 bits) of bit-map address a for the stored modulation kind.
std::uint32_t mapping(std::uint8_t kind, bool differential, std::uint32_t a) {
    const auto bitAt = [a](unsigned n) { return (a >> n) & 1u; };
    const std::uint32_t d0 = bitAt(0), d1 = bitAt(1), p0 = bitAt(8), p1 = bitAt(9);
    if (kind == kind::kPi4Qpsk) {
        const std::uint32_t m0 = p1 ^ d0;
        return m0 | (bitAt(6) ^ m0) << 1;
    }
    if (!differential) return a % 64;
    switch (kind) {
        case kind::kBpsk:
            return d0 ^ p0;
        case kind::kQpsk: {
            // Gray-coded phase steps from the previous symbol (p1 p0) by the data bits (d1 d0).
            std::uint32_t m1 = 0, m0 = 0;
            switch (d1 << 1 | d0) {
                case 0b00:
                    m1 = p1, m0 = p0;
                    break;
                case 0b01:
                    m1 = p0 ^ 1, m0 = p1;
                    break;
                case 0b11:
                    m1 = p1 ^ 1, m0 = p0 ^ 1;
                    break;
                default:  // 0b10
                    m1 = p0, m0 = p1 ^ 1;
                    break;
            }
            return m1 << 1 | m0;
        }
        case kind::kOqpsk:
            return (d0 ^ p0) | (d1 ^ p1) << 1;
        default:
            return 0;
    }
}

void writeBitMap(ZorvanDevice& device, std::uint8_t map) {
    const std::uint8_t kind = device.modKind;
    const bool wideQam = kind == kind::k128Qam || kind == kind::k256Qam;
    for (std::uint32_t a = 0; a < bitmap::kEntries; ++a)
        device.write(BITMAP,
                     wideQam ? bitmap::kWideQamWord
                             : bitmap::kAddress.prep(a) | bitmap::kMapping.prep(mapping(kind, map != 0, a)));
}

void loadCeTable(ZorvanDevice& device) {
    const bool constantEnvelope = device.modKind == kind::kCeOqpsk;
    for (std::uint32_t i = 0; i < ce::kEntries; ++i) {
        std::uint32_t value = 0x800;
        if (constantEnvelope) {
            // The inverse of the envelope: 768 / sqrt(i / 1024), held to the 12-bit field.
            double y = std::sqrt(i / 1024.0);
            if (y == 0.0) y = 1.0;
            value = static_cast<std::uint32_t>(roundHalfUp(std::min(768.0 / y, 4095.0))) & 0xFFF;
        }
        device.write(CE_RAM, ce::kIndex.prep(i) | ce::kValue.prep(value));
    }
}

}  // namespace
}  // namespace zorvan::channel

using namespace zorvan;

extern "C" {

ZORVANL_API int32_t LoadPunct(uint8_t dev, uint8_t code) {
    return deviceScope(dev, [&](ZorvanDevice& device) { channel::loadPunct(device, code); });
}

ZORVANL_API int32_t WriteDiffPU(uint8_t dev, uint8_t code, uint8_t scrambler, uint8_t diff) {
    return deviceScope(dev,
                       [&](ZorvanDevice& device) { channel::writeCoding(device, code, scrambler, diff); });
}

ZORVANL_API int32_t WriteBitMap(uint8_t dev, uint8_t map) {
    return deviceScope(dev, [&](ZorvanDevice& device) { channel::writeBitMap(device, map); });
}

ZORVANL_API int32_t Load_RAM_CEOQPSK(uint8_t dev) {
    return deviceScope(dev, [](ZorvanDevice& device) { channel::loadCeTable(device); });
}

}  // extern "C"
