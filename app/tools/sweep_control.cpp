#include "sweep_control.h"

#include "config/options.h"
#include "hw/hardware.h"
#include "hw/messages.h"

namespace {

constexpr std::uint32_t kStatusRegister = 256;  // DATA_PORT

std::uint8_t Device() {
    return ZorvanHWObject ? ZorvanHWObject->DevNum : 0;
}

}  // namespace

void TSweepControl::WriteFirstPass(double VN_dF, double VN_dt) {
    ParCic = 0;
    double fs = 0;
    _GetFSample(Device(), &fs);
    const TSweepSteps steps = ComputeSweepSteps(VN_dF, VN_dt, fs);
    StepsT = steps.StepsT;
    NL_N = steps.NL_N;
    for (int i = 0; i < steps.Warnings(); ++i)
        ShowMsgBox(MessageList[4], TMsgKind::Error, TMsgButtons::Ok);
    // The reverse pass writes -NL_N as a 16-bit increment, where +32768 does not exist: it would come
    // out as -32768 and the carrier would run on in the same direction. Cycling at the lowest bound
    // therefore steps by 32767 each way, so that every pair of passes ends where it began.
    if (SweepSettings.PerestReg == 1 && NL_N == kSweepIncrementMin) NL_N = -kSweepIncrementMax;
    Write_Swp(NL_N);
}

void TSweepControl::Write_Swp(std::int32_t Nes) {
    WriteSwp(Device(), 1, StepsT, static_cast<std::uint16_t>(Nes));
}

TSweepStatus TSweepControl::PollPass() {
    if (!ZorvanHWObject) return TSweepStatus::Unchanged;
    const std::uint32_t status = ZorvanHWObject->ReadPort(kStatusRegister);
    tmp = static_cast<std::int32_t>(status);
    const TSweepPoll poll = PollSweep(SweepSettings.PerestReg, status, ParCic);
    if (poll.WritePass) {
        Write_Swp(poll.Reversed ? -NL_N : NL_N);
        ++ParCic;
    }
    return poll.Status;
}

void TSweepControl::SwitchOff() {
    WriteSwp(Device(), 0, 0, 0);
    SweepSettings.SweepIsWork = false;
}
