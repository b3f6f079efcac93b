// Run with LD_LIBRARY_PATH naming a directory whose libqmio.so lacks mandatory entry points.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "ZorvanL.h"

namespace {

TEST(MissingLayerEntries, ConnectFailsWithMinus11WithoutCallingTheLayer) {
    EXPECT_EQ(ConnectDevice(0, "."), -11);
    void* layer = dlopen("libqmio.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(layer, nullptr) << "the partial layer should have been loaded by the library";
    auto queries = reinterpret_cast<int32_t (*)()>(dlsym(layer, "PartialQmio_NameQueries"));
    ASSERT_NE(queries, nullptr) << "not the partial layer: LD_LIBRARY_PATH is not set up";
    EXPECT_EQ(queries(), 0);
    uint32_t value = 0;
    EXPECT_EQ(ReadPort(0, 0, &value), -2);
    EXPECT_EQ(GetInterruptInfo(0, nullptr), -2);
    EXPECT_EQ(DisconnectDevice(0), 0);
}

}  // namespace
