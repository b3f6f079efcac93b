// The sine interferer without its window: the tone at SineSettings' offset and level on or off. The
// sine window and the remote-control server switch it through these two functions.
#pragma once

class TZorvanHWClass;

// The offset and level of SineSettings into the hardware object, the tone to the board's generator,
// the interferer marked on. Without a hardware object only the mark is set.
void SwitchSineOn(TZorvanHWClass* hw);
// The generator off (checked as "WriteNoise"), the interferer marked off.
void SwitchSineOff(TZorvanHWClass* hw);
