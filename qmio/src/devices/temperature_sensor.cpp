#include "temperature_sensor.h"

#include <algorithm>
#include <cmath>

#include "ZorvanLRegisters.h"

namespace qmio {
namespace {

using namespace zorvan::reg;

constexpr double kTwoPi = 6.283185307179586;
constexpr double kManufacturerId = 0x41;  // register 0xFE

// Two slow swings per channel: the board follows the room, the FPGA its load.
double drift(double t, double amplitude, double period, double phase) {
    return amplitude * std::sin(kTwoPi * t / period + phase) +
           0.3 * amplitude * std::sin(kTwoPi * t / (period / 7.3));
}

std::uint8_t clampToByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

}  // namespace

TemperatureSensor::TemperatureSensor(double pcbCelsius, double fpgaCelsius)
    : pcbBase_(pcbCelsius), fpgaBase_(fpgaCelsius) {
    pinned_.fill(-1);
}

void TemperatureSensor::reset() {
    pointer_ = 0;
    pointerNext_ = false;
}

double TemperatureSensor::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch_).count();
}

double TemperatureSensor::pcbCelsius() const {
    return pcbBase_ + drift(seconds(), 0.4, 420.0, 0.0);
}

double TemperatureSensor::fpgaCelsius() const {
    return fpgaBase_ + drift(seconds(), 0.9, 300.0, 1.1);
}

void TemperatureSensor::pin(std::uint8_t reg, int value) {
    pinned_[reg] = value < 0 ? -1 : (value & 0xFF);
}

bool TemperatureSensor::start(bool read) {
    if (!read) pointerNext_ = true;
    return true;
}

bool TemperatureSensor::send(std::uint8_t byte) {
    if (pointerNext_) {
        pointer_ = byte;
        pointerNext_ = false;
    }
    return true;  // configuration writes are accepted and have no effect on the model
}

std::uint8_t TemperatureSensor::receive(bool /*ack*/) {
    return registerValue(pointer_);
}

std::uint8_t TemperatureSensor::registerValue(std::uint8_t reg) const {
    if (pinned_[reg] >= 0) return static_cast<std::uint8_t>(pinned_[reg]);
    switch (reg) {
        case sensor::kLocal:
            return clampToByte(std::round(pcbCelsius()));
        case sensor::kRemoteHigh:
            return clampToByte(std::floor(fpgaCelsius()));
        case sensor::kRemoteLow: {
            const double t = std::max(0.0, fpgaCelsius());
            const auto eighths = static_cast<unsigned>((t - std::floor(t)) * 8.0) & 7;
            return static_cast<std::uint8_t>(eighths << 5);
        }
        case 0xFE:
            return static_cast<std::uint8_t>(kManufacturerId);
        default:
            return 0;
    }
}

}  // namespace qmio
