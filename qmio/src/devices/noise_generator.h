// The noise and sine generator added to the modulated signal. NOISE_AMP bit 15 switches the noise off
// (and restarts it), otherwise bits 9-0 are the amplitude (1024 = full scale = 0 dB). SINE_FREQ bit 31
// selects the sine interferer instead, bits 29-0 its phase step per sample as a signed 30-bit word,
// negated: the interferer sits at -word x fs / 2^30 from the carrier; it takes NOISE_AMP's amplitude.
#pragma once

#include "../board.h"

namespace qmio {

class NoiseGenerator : public BoardDevice {
 public:
    enum class Mode { Off = 0, Noise = 1, Sine = 2 };

    explicit NoiseGenerator(Board& board);
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    Mode mode() const;
    unsigned amplitude() const { return zorvan::reg::noise::kAmplitude.get(amplitude_); }
    double levelDb() const;  // of the amplitude, relative to full scale; -infinity for 0
    std::uint32_t sineWord() const { return sine_; }
    double sineOffsetKHz() const;  // at the modulator's current sample clock

 private:
    Board& board_;
    std::uint32_t amplitude_ = 0;
    std::uint32_t sine_ = 0;
};

}  // namespace qmio
