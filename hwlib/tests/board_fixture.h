// Tests of the library through its C interface, against the emulated board.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ZorvanL.h"
#include "ZorvanLRegisters.h"
#include "qmio/qmio_test.h"

namespace zorvan::test {

class BoardTest : public ::testing::Test {
 protected:
    // The emulator's configuration for the test; empty: one default board.
    virtual std::string boardConfig() const { return ""; }
    // The firmware directory handed to ConnectDevice.
    virtual std::string firmwareDir() const { return "."; }

    void SetUp() override { ASSERT_GE(QmioTest_Configure(boardConfig().c_str()), 0); }
    void TearDown() override {
        for (uint8_t dev = 0; dev < 4; ++dev)
            DisconnectDevice(dev);
    }

    void connect(uint8_t dev = 0) { ASSERT_EQ(ConnectDevice(dev, firmwareDir().c_str()), 0); }

    static void startLog(int board = 0, int capacity = 1 << 22) {
        ASSERT_EQ(QmioTest_LogRegisters(board, 1, capacity), 0);
    }
    static std::vector<QmioTestAccess> log(int board = 0) {
        const int total = QmioTest_ReadRegisterLog(board, 0, nullptr, 0);
        std::vector<QmioTestAccess> accesses(static_cast<size_t>(total > 0 ? total : 0));
        if (total > 0) QmioTest_ReadRegisterLog(board, 0, accesses.data(), total);
        return accesses;
    }
    // The values written to register `r`, in order.
    static std::vector<uint32_t> writesTo(const std::vector<QmioTestAccess>& accesses, reg::Reg r) {
        std::vector<uint32_t> values;
        for (const auto& a : accesses)
            if (a.write && a.index == r.index) values.push_back(a.value);
        return values;
    }
    static std::vector<uint32_t> writesTo(reg::Reg r, int board = 0) { return writesTo(log(board), r); }
};

struct Access {
    uint32_t index;
    uint32_t value;
    bool write;
    bool operator==(const Access&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Access& a) {
    return out << (a.write ? "W " : "R ") << std::hex << a.index << "=" << a.value << std::dec;
}
inline std::vector<Access> accesses(const std::vector<QmioTestAccess>& log) {
    std::vector<Access> result;
    for (const auto& a : log)
        result.push_back({a.index, a.value, a.write != 0});
    return result;
}

}  // namespace zorvan::test
