// One emulated board opened through the layer's driver entry points, its registers written and read
// one by one as the library would.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ZorvanLRegisters.h"
#include "qmio/qmio_test.h"

extern "C" {
QMIO_API int64_t QMBUS_Open(uint8_t slot);
QMIO_API int32_t QMBUS_Close(int64_t handle);
QMIO_API int32_t QMBUS_Read(int64_t handle, uint32_t offset, uint32_t* value);
QMIO_API int32_t QMBUS_Write(int64_t handle, uint32_t offset, uint32_t value);
}

namespace qmio::test {

class RegisterBoard : public ::testing::Test {
 protected:
    virtual std::string boardConfig() const { return ""; }

    void SetUp() override {
        ASSERT_EQ(QmioTest_Configure(boardConfig().c_str()), 1);
        handle_ = QMBUS_Open(0);
        ASSERT_NE(handle_, -1);
    }
    void TearDown() override { QMBUS_Close(handle_); }

    void write(zorvan::reg::Reg r, uint32_t value) const { QMBUS_Write(handle_, r.index * 4, value); }
    uint32_t read(zorvan::reg::Reg r) const {
        uint32_t value = 0;
        QMBUS_Read(handle_, r.index * 4, &value);
        return value;
    }
    // Shifts the low `bits` of `value` into a one-bit serial data register, most significant first.
    void serial(zorvan::reg::Reg data, uint64_t value, unsigned bits) const {
        for (unsigned position = bits; position-- > 0;)
            write(data, static_cast<uint32_t>(value >> position) & 1u);
    }

    int64_t handle_ = -1;
};

}  // namespace qmio::test
