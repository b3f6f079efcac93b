// Bringing the board into service at start-up, without windows: the connection with the driver's ring
// and the board's identity. The operator program and the remote-control server start the same way.
#pragma once

#include <cstdint>

class TZorvanHWClass;

// ConnectDevice with the program's Firmware directory (its result checked), the driver's ring mapped
// and remembered. Returns ConnectDevice's result: -13 when another process holds the board, which is
// then left untouched.
std::int32_t ConnectBoard(TZorvanHWClass& hw);

// What ReadBoardIdentity could read.
struct TBoardIdentity {
    bool SerialRead = false;
    bool VersionRead = false;
};
// The serial number and the hardware version into the hardware object (each result checked), then the
// converter's tuning on hardware version 2.
TBoardIdentity ReadBoardIdentity(TZorvanHWClass& hw);
