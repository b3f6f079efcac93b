// The arithmetic of the carrier sweep, free of windows: the two numbers a pass is written with, and what
// one poll of the board's status register means.
//
// The board sweeps a pass in 65536 steps. Each step lasts StepsT ticks of the sweep clock (the sample
// clock divided by 16) and changes the 32-bit carrier tuning word by NL_N, a signed 16-bit value, so
// that the 65536 steps of a pass cover the operator's range.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kSweepStepsMin = 1;
inline constexpr std::int32_t kSweepStepsMax = 65536;
inline constexpr std::int32_t kSweepIncrementMin = -32768;
inline constexpr std::int32_t kSweepIncrementMax = 32767;

struct TSweepSteps {
    std::int32_t StepsT = 0;  // ticks per step, 1..65536
    std::int32_t NL_N = 0;    // tuning-word change per step of the first pass, -32768..32767
    // The bounds that had to be applied; the operator sees one warning for each.
    bool StepsTAbove = false;
    bool StepsTBelow = false;
    bool NL_NAbove = false;
    bool NL_NBelow = false;
    int Warnings() const { return StepsTAbove + StepsTBelow + NL_NAbove + NL_NBelow; }
};

// StepsT and NL_N for a range of VN_dF kHz swept in VN_dt seconds at the sample frequency fs (kHz):
//   StepsT = round(VN_dt x (fs x 1000 / 16) / 65536), kept within 1..65536;
//   NL_N   = round(-VN_dF / 65536 / fs x 2^32), kept within -32768..32767,
// rounding halves to the even neighbour. A positive range gives a negative increment. Without a sample
// clock (fs 0, as when the board cannot be reached) a range of 0 gives no increment rather than an
// undefined one; any other range then takes the bound on its side.
TSweepSteps ComputeSweepSteps(double VN_dF, double VN_dt, double fs);

// What the status line shows after a poll.
enum class TSweepStatus { Unchanged, Stop, Tuning, TuningPlus, TuningMinus };

// One poll of register 256 (DATA_PORT) during a sweep. Only bit 31 belongs to the sweep: set, the pass
// in progress has ended. The other bits are not the sweep's (bit 0 carries the converter's serial
// read-back; the rest have no meaning during a sweep) and are ignored.
struct TSweepPoll {
    bool WritePass = false;  // cycle mode: the next pass is to be written
    bool Reversed = false;   // ... with -NL_N (ParCic even) rather than NL_N
    TSweepStatus Status = TSweepStatus::Unchanged;
};
inline constexpr std::uint32_t kSweepPassEnded = 0x80000000u;
// PerestReg: 0 once, 1 cycle (any other mode does nothing); ParCic: passes finished since the start.
TSweepPoll PollSweep(std::uint8_t PerestReg, std::uint32_t tmp, std::uint8_t ParCic);

// The status line's text in language 0 (English) or 1 (Russian), UTF-8; nullptr when the line stays
// as it is (TSweepStatus::Unchanged or another language).
const char* SweepStatusText(TSweepStatus status, int language);
