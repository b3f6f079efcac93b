// The carrier sweep without its window: the passes written to the board and the poll of its status
// register. The sweep window (with its 600 ms timer) and the remote-control server (with its own poll)
// drive the board through this class.
#pragma once

#include <cstdint>

#include "sweep_steps.h"

class TSweepControl {
 public:
    // Computes StepsT and NL_N for a range of VN_dF kHz in VN_dt seconds at the board's sample
    // frequency (one "Error." box for each bound hit) and writes the first pass. The poll is the
    // caller's to start.
    void WriteFirstPass(double VN_dF, double VN_dt);
    // Writes one pass with increment Nes and duration StepsT.
    void Write_Swp(std::int32_t Nes);
    // One poll of the status register (nothing without a hardware object): in cycle mode a finished pass
    // is followed by one in the other direction. Returns what the status line shows.
    TSweepStatus PollPass();
    // The board's sweep off; the sweep marked off.
    void SwitchOff();

    std::int32_t StepsT = 0;  // ticks of the sweep clock per step, 1..65536
    std::int32_t NL_N = 0;    // tuning-word change per step of the first direction
    std::int32_t tmp = 0;     // register 256 as the last poll read it
    std::uint8_t ParCic = 0;  // passes finished in cycle mode since the start; wraps at 256
};
