#include "test_signals.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "constellations.h"
#include "filters.h"

namespace firmware {
namespace {

constexpr int kIqSamplesPerSymbol = 4;
constexpr std::size_t kIqSymbols = 8192;  // 64 KiB of 8-bit, 128 KiB of 16-bit samples
constexpr std::size_t kPrbs15Period = (1u << 15) - 1;

std::vector<std::uint8_t> iqFile(const std::vector<double>& signal, double fullScale, int bytesPerSample) {
    std::vector<std::uint8_t> bytes;
    for (double v : signal) {
        const auto sample = static_cast<std::int16_t>(std::lround(v * fullScale));
        bytes.push_back(static_cast<std::uint8_t>(sample));
        if (bytesPerSample == 2)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(sample) >> 8));
    }
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> prbsBits(int degree, int tap, std::size_t count) {
    Prbs generator(degree, tap);
    std::vector<std::uint8_t> bits(count);
    for (std::uint8_t& bit : bits)
        bit = static_cast<std::uint8_t>(generator.next() ^ 1);
    return bits;
}

std::vector<std::uint8_t> packBits(const std::vector<std::uint8_t>& bits) {
    std::vector<std::uint8_t> bytes(bits.size() / 8);
    for (std::size_t i = 0; i < bytes.size() * 8; ++i)
        bytes[i / 8] |= static_cast<std::uint8_t>(bits[i] << (7 - i % 8));
    return bytes;
}

std::vector<double> qpskBaseband(std::size_t symbols) {
    std::vector<Point> qpsk;
    for (const Constellation& c : constellationSet())
        if (c.stem == "cQPSK") qpsk = c.points;
    const std::vector<std::uint8_t> bits = prbsBits(15, 14, 2 * symbols);
    const std::vector<double> pulse = rootRaisedCosine(0.35, kIqSamplesPerSymbol);
    const std::size_t length = symbols * kIqSamplesPerSymbol;

    // Circular convolution of the symbol impulses with the pulse.
    std::vector<std::complex<double>> signal(length);
    for (std::size_t s = 0; s < symbols; ++s) {
        const Point symbol = qpsk[static_cast<std::size_t>((bits[2 * s] << 1) | bits[2 * s + 1])];
        for (std::size_t j = 0; j < pulse.size(); ++j)
            signal[(s * kIqSamplesPerSymbol + j) % length] += symbol * pulse[j];
    }
    double peak = 0.0;
    for (const auto& v : signal)
        peak = std::max({peak, std::abs(v.real()), std::abs(v.imag())});
    std::vector<double> interleaved;
    for (const auto& v : signal) {
        interleaved.push_back(v.real() / peak);
        interleaved.push_back(v.imag() / peak);
    }
    return interleaved;
}

std::vector<SignalFile> signalFiles() {
    std::vector<SignalFile> files;

    // 64 periods of 32767 bits fill 262136 bytes: 8 bytes short of 256 KiB, an even byte count as the
    // RAM's 16-bit words need.
    files.push_back({"prbs15.bin", packBits(prbsBits(15, 14, 64 * kPrbs15Period)),
                     "PRBS-15 bit stream, binary, 64 whole periods (262136 bytes); RAM path."});

    // The source of the default configuration (the program plays it at its first start).
    files.push_back({"IBS256.BIN", packBits(prbsBits(15, 14, 64 * kPrbs15Period)),
                     "The default configuration's source: the same PRBS-15 bit stream (262136 bytes, "
                     "about 256 KiB), binary; RAM path. The program plays it at its first start."});

    std::vector<std::uint8_t> text;
    for (std::uint8_t bit : prbsBits(15, 14, kPrbs15Period))
        text.push_back(bit ? '1' : '0');
    files.push_back({"prbs15.txt", text,
                     "PRBS-15 bit stream as text, one character \"0\" or \"1\" per bit, one period "
                     "(32767 characters); RAM path, text format."});

    const std::vector<double> iq = qpskBaseband(kIqSymbols);
    files.push_back({"qpsk_iq8.bin", iqFile(iq, 120.0, 1),
                     "QPSK baseband, roll-off 0.35, 4 samples per symbol, 8192 symbols; signed 8-bit "
                     "I/Q pairs, peak 120 (65536 bytes); RAM path, I/Q 8-bit."});
    files.push_back({"qpsk_iq16.bin", iqFile(iq, 30720.0, 2),
                     "The same signal as signed 16-bit little-endian I/Q pairs, peak 30720 (131072 "
                     "bytes); RAM path, I/Q 16-bit."});

    constexpr std::size_t kLargeBytes = 6u << 20;
    files.push_back({"prbs23_6M.bin", packBits(prbsBits(23, 18, kLargeBytes * 8)),
                     "PRBS-23 bit stream, binary, 6 MiB: larger than the board's RAM, played through the "
                     "driver's DMA buffers (streaming path)."});
    return files;
}

std::string signalReadme(const std::vector<SignalFile>& files) {
    std::string text =
        "Sample source files for the Zorvan-L board.\n"
        "\n"
        "Bit streams are ITU-T O.150 pseudo-random sequences (PRBS-15: x^15 + x^14 + 1,\n"
        "PRBS-23: x^23 + x^18 + 1, both inverted as O.150 defines). Binary files hold eight\n"
        "bits per byte, the first bit in bit 7. Files that fit the board's RAM hold whole\n"
        "periods, so the board's repetition continues the sequence without a seam.\n"
        "\n";
    for (const SignalFile& file : files)
        text += file.name + "\n    " + file.description + "\n";
    return text;
}

}  // namespace firmware
