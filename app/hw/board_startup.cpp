#include "board_startup.h"

#include "driver_ring.h"
#include "hardware.h"
#include "zplatform/codepage.h"

std::int32_t ConnectBoard(TZorvanHWClass& hw) {
    const std::int32_t result =
        ConnectDevice(hw.DevNum, zplatform::codepage::utf8ToAnsi(AppPath("Firmware")).c_str());
    CheckHWResult("ConnectDevice", result);
    _ConnectDeviceGetHandels(hw.DevNum, &hw.MemoryData, &hw.SlotNum);  // result not examined
    RememberMappedRing(hw.MemoryData);
    DrvBufCount = static_cast<std::uint8_t>(BuffersPerCH);
    return result;
}

TBoardIdentity ReadBoardIdentity(TZorvanHWClass& hw) {
    TBoardIdentity read;
    std::uint32_t serial = 0;
    const std::int32_t snResult = GetSN(hw.DevNum, &serial);
    CheckHWResult("GetSN", snResult);
    if (snResult == 0) {
        hw.SN = static_cast<std::int32_t>(serial);
        read.SerialRead = true;
    }
    std::uint8_t version = 0;
    const std::int32_t hwResult = GetHWVer(hw.DevNum, &version);
    CheckHWResult("GetHWVer", hwResult);
    if (hwResult == 0) {
        hw.HWVersion = version;
        read.VersionRead = true;
    }
    if (hw.HWVersion == 2) CheckHWResult("MakeDACTune", MakeDACTune(hw.DevNum));
    return read;
}
