#include "sine_control.h"

#include "config/options.h"
#include "hw/hardware.h"

void SwitchSineOn(TZorvanHWClass* hw) {
    if (hw) {
        hw->Sin_F = SineSettings.FreqOtstr;
        hw->Sin_Att = SineSettings.OtnosLevel;
        hw->Wr_Sin();
    }
    SineSettings.SineIsWork = true;
}

void SwitchSineOff(TZorvanHWClass* hw) {
    CheckHWResult("WriteNoise", WriteNoise(hw ? hw->DevNum : 0, 0, 0.0, 0.0));
    SineSettings.SineIsWork = false;
}
