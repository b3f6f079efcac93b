// The carrier NCO and its sweep engine. CARRIER_NCO holds the signed 32-bit carrier word (the NCO runs
// at word x fs / 2^32). A sweep pass starts when SWEEP_CTL is written with its enable bit: from then on
// the word changes by the signed increment in SWEEP_STEP's low half after every dwell of the sweep clock
// (fs / 16; the dwell, 1-65536 ticks, is negated in SWEEP_STEP's high half), 65536 times; then the pass
// has ended (bit 31 of a DATA_PORT read) and the word keeps its last offset. A new pass starts from the
// offset the last one reached; writing SWEEP_CTL without the enable bit switches the sweep off and
// brings the word back to CARRIER_NCO. SWEEP_STEP is taken when a pass starts. Time is the host's
// steady clock; the sample clock is the modulator's at the start of the pass.
#pragma once

#include <chrono>

#include "../board.h"

namespace qmio {

class CarrierNco : public BoardDevice {
 public:
    using Clock = std::chrono::steady_clock;

    explicit CarrierNco(Board& board);
    std::uint32_t read(std::uint32_t index) override;
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    void describe(std::string& out) override;

    std::uint32_t word() const { return word_; }
    std::uint32_t stepWord() const { return step_; }
    bool sweepEnabled() const { return enabled_; }
    std::int32_t increment() const { return increment_; }
    std::uint32_t dwellTicks() const { return dwell_; }
    unsigned passes() const { return passes_; }
    // Steps of the current pass done by now (0-65536), and the offset they have added to the word.
    std::uint32_t stepsDone() const;
    std::uint32_t sweepOffset() const;
    bool passEnded() const { return enabled_ && stepsDone() == zorvan::reg::sweep::kStepsPerPass; }
    // The word the NCO runs at now (CARRIER_NCO plus the sweep's offset), and its frequency in kHz.
    std::uint32_t effectiveWord() const { return word_ + sweepOffset(); }
    double ncoKHz() const;
    // The carrier at the output: through the converter in its current mode (NaN for a mode it does not
    // have), and through the L-band mixer, LO - NCO (NaN while the local oscillator is not locked).
    double ifOutputMHz() const;
    double lBandOutputMHz() const;

 private:
    Board& board_;
    std::uint32_t word_ = 0;
    std::uint32_t step_ = 0;
    bool enabled_ = false;
    std::int32_t increment_ = 0;
    std::uint32_t dwell_ = 0;
    std::uint32_t baseOffset_ = 0;
    double tickHz_ = 0;  // sweep clock of the current pass
    Clock::time_point passStart_{};
    unsigned passes_ = 0;
};

}  // namespace qmio
