// Tests of the emulated board's devices: a board opened through the layer's own entry points, its
// registers reached through the register trap, its state inspected through the test interface.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "QmbusApi.h"
#include "ZorvanLRegisters.h"
#include "qmio/qmio_test.h"

extern "C" {
QMIO_API int64_t QMBUS_Open(uint8_t slot);
QMIO_API int32_t QMBUS_Close(int64_t handle);
QMIO_API int32_t QMBUS_GetRegisterTrap(int64_t handle, TRegisterTrap* trap);
QMIO_API int32_t QMBUS_MemoryMap(int64_t handle, TMapMemData* mem);
QMIO_API int32_t QMBUS_MemoryUnmap(int64_t handle, TMapMemData* mem);
}

namespace qmio::test {

class EmulatedBoardTest : public ::testing::Test {
 protected:
    virtual std::string boardConfig() const { return "[Board0]\nSlotNumber=58\n"; }

    void SetUp() override {
        ASSERT_EQ(QmioTest_Configure(boardConfig().c_str()), 1);
        handle_ = QMBUS_Open(0);
        ASSERT_NE(handle_, -1);
        ASSERT_EQ(QMBUS_GetRegisterTrap(handle_, &trap_), 0);
    }
    void TearDown() override {
        if (handle_ != -1) QMBUS_Close(handle_);
    }

    void write(zorvan::reg::Reg r, uint32_t value) { trap_.write(trap_.context, r.index, value); }
    uint32_t read(zorvan::reg::Reg r) { return trap_.read(trap_.context, r.index); }
    // Most significant bit first, one bit (bit 0) per write.
    void shift(zorvan::reg::Reg data, uint32_t value, unsigned bits) {
        for (unsigned position = bits; position-- > 0;)
            write(data, value >> position);
    }

    int64_t handle_ = -1;
    TRegisterTrap trap_{};
};

}  // namespace qmio::test
