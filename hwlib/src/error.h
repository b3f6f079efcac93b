// The library's error model: every failure inside an operation is raised as one of the result codes
// and unwinds to the exported function, whose error scope returns it. Nothing already written to the
// board is undone.
#pragma once

#include <cstdint>
#include <new>

namespace zorvan {

enum class Error : std::int32_t {
    None = 0,
    BadParameters = -1,
    Io = -2,  // register window not mapped, or no open device
    OpenFile = -6,
    FpgaLoad = -7,  // DONE low after configuration
    Internal = -8,  // out of memory or another unexpected failure inside the library
    QmbusNotFound = -11,
    DeviceNotFound = -12,
    DeviceBusy = -13,
    Connection = -14,
    BarMapping = -15,
    MemoryMapping = -16,
    I2cNotReady = -17,
    I2cNoAnswer = -18,
    InterruptMapping = -19,
    FpgaNotLoaded = -20,
    Converter = -21,  // AD9786 read-back mismatch or busy time-out
    Synthesizer = -22,
    FpgaNoDone = -23,
    FpgaNoReset = -24,
    ReadFile = -25,
};

struct Failure {
    Error code;
};

[[noreturn]] inline void raise(Error code) {
    throw Failure{code};
}

// The one error scope of an export: runs `operation` and turns whatever it raised into the result
// code. No exception crosses the C interface.
template <typename Operation>
std::int32_t errorScope(Operation&& operation) noexcept {
    try {
        operation();
        return 0;
    } catch (const Failure& failure) {
        return static_cast<std::int32_t>(failure.code);
    } catch (...) {
        return static_cast<std::int32_t>(Error::Internal);
    }
}

}  // namespace zorvan
