// A copy of libZorvanL in a directory without libqmio: the library loads, serves its texts and refuses
// to connect with -11.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "ZorvanL.h"

namespace {

TEST(WithoutIoLayer, TheLibraryLoadsAndConnectFailsWithMinus11) {
    void* library = dlopen(LONELY_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_EQ(dlopen("libqmio.so", RTLD_NOW | RTLD_NOLOAD), nullptr);
    auto connect = reinterpret_cast<decltype(&ConnectDevice)>(dlsym(library, "ConnectDevice"));
    auto disconnect = reinterpret_cast<decltype(&DisconnectDevice)>(dlsym(library, "DisconnectDevice"));
    auto describe = reinterpret_cast<decltype(&GetErrorcodeDescript)>(dlsym(library, "GetErrorcodeDescript"));
    ASSERT_TRUE(connect && disconnect && describe);
    EXPECT_EQ(connect(0, "."), -11);
    EXPECT_EQ(disconnect(0), 0);
    char text[64];
    EXPECT_EQ(describe(-11, 0, text), 0);
    EXPECT_STREQ(text, "Qmbus devices not found. ");
}

}  // namespace
