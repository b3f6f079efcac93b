#include "sweep_steps.h"

#include <cmath>

#include "config/number_text.h"

namespace {

// Rounds half to even, then applies the upper bound and after it the lower one. An undefined value
// (0 / 0) counts as 0.
std::int32_t Bounded(double value, std::int32_t low, std::int32_t high, bool& above, bool& below) {
    double rounded = std::isnan(value) ? 0.0 : RoundHalfEven(value);
    if (rounded > high) {
        above = true;
        rounded = high;
    }
    if (rounded < low) {
        below = true;
        rounded = low;
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

TSweepSteps ComputeSweepSteps(double VN_dF, double VN_dt, double fs) {
    TSweepSteps steps;
    steps.StepsT = Bounded(VN_dt * (fs * 1000.0 / 16.0) / 65536.0, kSweepStepsMin, kSweepStepsMax,
                           steps.StepsTAbove, steps.StepsTBelow);
    steps.NL_N = Bounded((0.0 - VN_dF) / 65536.0 / fs * 4294967296.0, kSweepIncrementMin, kSweepIncrementMax,
                         steps.NL_NAbove, steps.NL_NBelow);
    return steps;
}

TSweepPoll PollSweep(std::uint8_t PerestReg, std::uint32_t tmp, std::uint8_t ParCic) {
    TSweepPoll poll;
    const bool ended = (tmp & kSweepPassEnded) != 0;
    const bool even = ParCic % 2 == 0;
    if (PerestReg == 0) {
        poll.Status = ended ? TSweepStatus::Stop : TSweepStatus::Tuning;
    } else if (PerestReg == 1) {
        if (ended) {
            poll.WritePass = true;
            poll.Reversed = even;
        } else {
            poll.Status = even ? TSweepStatus::TuningPlus : TSweepStatus::TuningMinus;
        }
    }
    return poll;
}

const char* SweepStatusText(TSweepStatus status, int language) {
    if (language != 0 && language != 1) return nullptr;
    const bool en = language == 0;
    switch (status) {
        case TSweepStatus::Stop:
            return en ? "Stop" : "Стоп";
        case TSweepStatus::Tuning:
            return en ? "Tuning" : "Перестройка";
        case TSweepStatus::TuningPlus:
            return en ? "Tuning +" : "Перестр +";
        case TSweepStatus::TuningMinus:
            return en ? "Tuning -" : "Перестр -";
        case TSweepStatus::Unchanged:
            break;
    }
    return nullptr;
}
