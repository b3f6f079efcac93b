#include "noise_generator.h"

#include <cmath>
#include <cstdio>

#include "../modulator_timing.h"

namespace qmio {

using namespace zorvan::reg;

NoiseGenerator::NoiseGenerator(Board& board) : board_(board) {
    board.mapWrite(NOISE_AMP, this);
    board.mapWrite(SINE_FREQ, this);
}

void NoiseGenerator::reset() {
    amplitude_ = noise::kOff;
    sine_ = 0;
}

void NoiseGenerator::write(std::uint32_t index, std::uint32_t value) {
    if (index == NOISE_AMP.index)
        amplitude_ = value;
    else
        sine_ = value;
}

NoiseGenerator::Mode NoiseGenerator::mode() const {
    if (sine_ & noise::kSineEnable) return Mode::Sine;
    return (amplitude_ & noise::kOff) ? Mode::Off : Mode::Noise;
}

double NoiseGenerator::levelDb() const {
    return 20.0 * std::log10(amplitude() / noise::kFullScale);
}

double NoiseGenerator::sineOffsetKHz() const {
    const std::int64_t word = noise::kSineWord.get(sine_);
    const std::int64_t signedWord = word >= (std::int64_t{1} << 29) ? word - (std::int64_t{1} << 30) : word;
    return -static_cast<double>(signedWord) * modulatorTiming(board_).sampleClockKHz / 1073741824.0;
}

void NoiseGenerator::describe(std::string& out) {
    char line[128];
    switch (mode()) {
        case Mode::Off:
            std::snprintf(line, sizeof line, "  noise: off\n");
            break;
        case Mode::Noise:
            std::snprintf(line, sizeof line, "  noise: on, amplitude %u (%.2f dB)\n", amplitude(), levelDb());
            break;
        case Mode::Sine:
            std::snprintf(line, sizeof line,
                          "  noise: sine interferer at %+.3f kHz, amplitude %u (%.2f dB)\n", sineOffsetKHz(),
                          amplitude(), levelDb());
            break;
    }
    out += line;
}

}  // namespace qmio
