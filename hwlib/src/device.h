// The device object: one per connected board, kept in a process-wide table by device number.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "QmbusApi.h"
#include "ZorvanLRegisters.h"
#include "error.h"
#include "zplatform/named_mutex.h"

namespace zorvan {

inline constexpr std::size_t kFirmwareDirCapacity = 260;  // with the terminating zero
inline constexpr std::size_t kLastErrorCapacity = 8192;   // with the terminating zero
inline constexpr double kBaseSampleFreqKHz = 122000.0;

struct ZorvanDevice {
    std::string firmwareDir;  // at most kFirmwareDirCapacity - 1 bytes, no trailing separator
    std::string lastError;    // path of the last file that failed; at most kLastErrorCapacity - 1 bytes
    std::int64_t handle = -1;
    bool memMapped = false;
    bool barMapped = false;
    std::unique_ptr<zplatform::NamedMutex> busyMutex;  // held while set (the mutexOwned flag)
    std::uint8_t driverSlot = 0;
    std::uint8_t slotNumber = 0;
    TBARBuffer barBuffer{};
    TMapMemData memoryData{};
    TIntInfo interruptInfo{};
    bool fpgaLoaded = false;
    double sampleFreq = kBaseSampleFreqKHz;  // kHz
    std::uint8_t dacMode = 0;                // 0, 8 or 12
    std::uint8_t hwVersion = 0;
    double loFreq = 0.0;  // MHz
    std::uint8_t interpShift = 0;
    std::uint8_t noiseStep = 0;
    std::int32_t interpFactor = 0;
    std::uint32_t ramLength = 0;
    std::uint8_t modKind = 0;
    std::uint8_t filterType = 0;
    std::uint8_t spectrInv = 0;
    std::uint8_t lBand = 0;
    std::uint8_t hiRate = 0;
    std::uint8_t superHiRate = 0;
    // L-band correction table: calTable[k][i] is byte k of EEPROM record i (700 + 100 i MHz).
    std::array<std::array<std::int8_t, 16>, 4> calTable{};
    std::uint16_t dacTune = 0;

    // Register trap of an emulated I/O layer; when set, every register access goes through it.
    TRegisterTrap trap{};
    bool trapped = false;

    bool mutexOwned() const { return busyMutex != nullptr; }

    // Register access. Each first applies the register guard: the window must be mapped (else -2).
    std::uint32_t read(reg::Reg r) { return readIndex(r.index); }
    void write(reg::Reg r, std::uint32_t value) { writeIndex(r.index, value); }
    std::uint32_t readIndex(std::uint32_t index) {
        guard();
        if (trapped) return trap.read(trap.context, index);
        return static_cast<volatile std::uint32_t*>(barBuffer.UserVA)[index];
    }
    void writeIndex(std::uint32_t index, std::uint32_t value) {
        guard();
        if (trapped)
            trap.write(trap.context, index, value);
        else
            static_cast<volatile std::uint32_t*>(barBuffer.UserVA)[index] = value;
    }

    // `count` writes of bytes[0], bytes[1], ... to one register, in order (one access each); through
    // the trap's stream entry when it offers one.
    void writeBytes(reg::Reg r, const std::uint8_t* bytes, std::size_t count) {
        guard();
        if (trapped && trap.writeBytes) {
            for (std::size_t done = 0; done < count;) {
                const auto piece = static_cast<std::uint32_t>(std::min<std::size_t>(count - done, 1u << 30));
                trap.writeBytes(trap.context, r.index, bytes + done, piece);
                done += piece;
            }
            return;
        }
        for (std::size_t i = 0; i < count; ++i)
            writeIndex(r.index, bytes[i]);
    }

    // Shifts the low `bits` bits of `value` into a serial device behind a single-bit data register,
    // most significant bit first: each write carries value >> position, the board takes bit 0.
    void writeSerial(reg::Reg data, std::uint64_t value, unsigned bits) {
        for (unsigned position = bits; position-- > 0;)
            write(data, static_cast<std::uint32_t>(value >> position));
    }

    // Records the path of a file that failed, cut to the buffer's capacity.
    void setLastError(const std::string& path) { lastError = path.substr(0, kLastErrorCapacity - 1); }
    // firmwareDir + separator + relative (relative uses '/' between its own parts).
    std::string firmwarePath(const std::string& relative) const;

 private:
    void guard() const {
        if (!barMapped || barBuffer.UserVA == nullptr) raise(Error::Io);
    }
};

inline constexpr unsigned kDeviceTableSize = 20;

// The table entry of `dev`: raises -1 for a number of 20 or more and -2 for a number never connected.
ZorvanDevice& deviceFor(std::uint8_t dev);
// The device of `dev`, or nullptr (for the exports that return no code).
ZorvanDevice* findDevice(std::uint8_t dev) noexcept;
// Puts a fresh device object into the entry of `dev` (dev below kDeviceTableSize).
ZorvanDevice& replaceDevice(std::uint8_t dev);

// The body of an export that returns a code: resolves the device and runs `operation` on it in the
// export's error scope.
template <typename Operation>
std::int32_t deviceScope(std::uint8_t dev, Operation&& operation) noexcept {
    return errorScope([&] { operation(deviceFor(dev)); });
}

// The body of an export without a result code: does nothing for an unknown device.
template <typename Operation>
void deviceCall(std::uint8_t dev, Operation&& operation) noexcept {
    if (ZorvanDevice* device = findDevice(dev)) (void)errorScope([&] { operation(*device); });
}

// Rounding helpers used by the board operations.
// Nearest integer, halves away from zero (the board's arithmetic for coefficients and frequency words).
std::int64_t roundHalfAway(double value);
// Nearest integer, halves up (toward plus infinity).
std::int64_t roundHalfUp(double value);

}  // namespace zorvan
