#include "fpga_images.h"

#include <algorithm>

namespace firmware {
namespace {

using qmio::fpga_image::Header;
using qmio::fpga_image::ImageRate;

constexpr const char* kModePrefix[5] = {"emd", "mod", "mmd", "mom", "mow"};

// FNV-1a of the image name: the seed of its payload and of its small length variation.
std::uint64_t nameHash(const std::string& name) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

// splitmix64: a small, well-mixed generator; reproducible on every platform.
std::uint64_t nextRandom(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

Header header(std::uint8_t mode, std::uint8_t band, ImageRate rate, const char* variant, char suffix) {
    Header h;
    h.name = std::string(kModePrefix[mode]) + variant;
    if (suffix != 0) h.name += suffix;
    h.mode = mode;
    h.band = band;
    h.rate = rate;
    h.suffix = suffix;
    return h;
}

}  // namespace

std::vector<Header> fpgaImageSet() {
    std::vector<Header> set;
    for (std::uint8_t mode = 0; mode < 5; ++mode) {
        set.push_back(header(mode, 0, ImageRate::SuperHigh, "i_shi", 0));
        set.push_back(header(mode, 0, ImageRate::High, "i_hi", 0));
        set.push_back(header(mode, 0, ImageRate::Standard, "i_32c", 0));
        set.push_back(header(mode, 1, ImageRate::Standard, "L_32c", 0));
        set.push_back(header(mode, 1, ImageRate::LUltra, "L_UF", 0));
        if (mode == 0 || mode == 2) {
            set.push_back(header(mode, 1, ImageRate::LUltra, "L_UF", '4'));
            set.push_back(header(mode, 1, ImageRate::LUltra, "L_UF", 'S'));
        }
        set.push_back(header(mode, 1, ImageRate::LNarrow, "L_NF", 0));
        if (mode != 1) {
            set.push_back(header(mode, 1, ImageRate::LNarrow, "L_NF", '4'));
            set.push_back(header(mode, 1, ImageRate::LNarrow, "L_NF", 'o'));
        }
    }
    Header ram;
    ram.name = "load_Ram";
    ram.rate = ImageRate::RamLoad;
    set.push_back(ram);
    return set;
}

std::uint32_t payloadLength(const Header& header) {
    std::uint32_t kib = 0;
    switch (header.rate) {
        case ImageRate::RamLoad:
            kib = 312;
            break;
        case ImageRate::Standard:
            kib = header.band == 0 ? 452 : 486;
            break;
        case ImageRate::High:
            kib = 566;
            break;  // carries the 8192-tap post filter
        case ImageRate::SuperHigh:
            kib = 604;
            break;
        case ImageRate::LNarrow:
            kib = 642;
            break;
        case ImageRate::LUltra:
            kib = 698;
            break;
    }
    return kib * 1024 + static_cast<std::uint32_t>(nameHash(header.name) % 8192);
}

std::vector<std::uint8_t> buildImage(Header header) {
    using qmio::fpga_image::kHeaderLength;
    const std::uint32_t length = payloadLength(header);
    std::vector<std::uint8_t> image(kHeaderLength + length);
    std::uint8_t* payload = image.data() + kHeaderLength;
    std::uint64_t state = nameHash(header.name);
    for (std::uint32_t i = 0; i < length; i += 8) {
        const std::uint64_t word = nextRandom(state);
        for (std::uint32_t b = 0; b < 8 && i + b < length; ++b)
            payload[i + b] = static_cast<std::uint8_t>(word >> (8 * b));
    }
    header.payloadLength = length;
    header.payloadCrc = qmio::fpga_image::crc32(payload, length);
    const auto head = qmio::fpga_image::encodeHeader(header);
    std::copy(head.begin(), head.end(), image.begin());
    return image;
}

}  // namespace firmware
