// FPGA image format of the emulated board. The firmware generator writes it; the emulated FPGA
// configuration port parses the bytes it receives and reports DONE only for a whole, intact image.
//
// All numbers little-endian.
//   offset  size  field
//   0       4     magic "ZVLF"
//   4       2     format version (1)
//   6       2     header length in bytes (64)
//   8       16    image name without ".bit", zero-padded ("emdL_UF4", "momi_32c", "load_Ram")
//   24      1     source mode 0-4 (prefix emd, mod, mmd, mom, mow); kNoMode for the RAM-load image
//   25      1     band: 0 IF, 1 L band; kNoBand for the RAM-load image
//   26      1     rate variant (ImageRate)
//   27      1     suffix character ('4', 'S', 'o') or 0
//   28      4     payload length in bytes
//   32      4     CRC-32 (IEEE 802.3, as zlib computes it) of the payload
//   36      4     CRC-32 of header bytes 0-35
//   40      24    reserved, zero
//   64      ...   payload (the configuration frames)
// Bytes after the payload (the configuration port's trailing start-up clocks) are ignored.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace qmio::fpga_image {

inline constexpr char kMagic[4] = {'Z', 'V', 'L', 'F'};
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kHeaderLength = 64;
inline constexpr std::size_t kNameLength = 16;
inline constexpr std::uint8_t kNoMode = 0xFF;
inline constexpr std::uint8_t kNoBand = 0xFF;

enum class ImageRate : std::uint8_t {
    Standard = 0,   // "i_32c", "L_32c": symbol clocks below 30 MHz (IF) or 61 MHz (L band)
    High = 1,       // "i_hi": 30 to 55 MHz, with the post filter
    SuperHigh = 2,  // "i_shi": above 55 MHz
    LNarrow = 3,    // "L_NF": 61 to 160 MHz
    LUltra = 4,     // "L_UF": above 160 MHz
    RamLoad = 5,    // "load_Ram": receives a source file into the board's RAM
};

struct Header {
    std::string name;
    std::uint8_t mode = kNoMode;
    std::uint8_t band = kNoBand;
    ImageRate rate = ImageRate::Standard;
    char suffix = 0;
    std::uint32_t payloadLength = 0;
    std::uint32_t payloadCrc = 0;
};

// CRC-32 (reflected, polynomial 0xEDB88320), continued from `crc` (0 to start).
inline std::uint32_t crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc = 0) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

inline void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t get32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

// The 64 header bytes for `header` (payloadLength and payloadCrc must be filled in).
inline std::array<std::uint8_t, kHeaderLength> encodeHeader(const Header& header) {
    std::array<std::uint8_t, kHeaderLength> bytes{};
    std::memcpy(bytes.data(), kMagic, 4);
    put16(&bytes[4], kVersion);
    put16(&bytes[6], static_cast<std::uint16_t>(kHeaderLength));
    std::memcpy(&bytes[8], header.name.data(), std::min(header.name.size(), kNameLength));
    bytes[24] = header.mode;
    bytes[25] = header.band;
    bytes[26] = static_cast<std::uint8_t>(header.rate);
    bytes[27] = static_cast<std::uint8_t>(header.suffix);
    put32(&bytes[28], header.payloadLength);
    put32(&bytes[32], header.payloadCrc);
    put32(&bytes[36], crc32(bytes.data(), 36));
    return bytes;
}

// The header of the 64 bytes at `bytes`, or nothing when magic, version, length or CRC are wrong.
inline std::optional<Header> decodeHeader(const std::uint8_t* bytes) {
    if (std::memcmp(bytes, kMagic, 4) != 0 || get16(&bytes[4]) != kVersion ||
        get16(&bytes[6]) != kHeaderLength || get32(&bytes[36]) != crc32(bytes, 36))
        return std::nullopt;
    Header header;
    const char* name = reinterpret_cast<const char*>(&bytes[8]);
    header.name.assign(name, strnlen(name, kNameLength));
    header.mode = bytes[24];
    header.band = bytes[25];
    header.rate = static_cast<ImageRate>(bytes[26]);
    header.suffix = static_cast<char>(bytes[27]);
    header.payloadLength = get32(&bytes[28]);
    header.payloadCrc = get32(&bytes[32]);
    return header;
}

}  // namespace qmio::fpga_image
