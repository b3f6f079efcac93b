// An I/O access layer that lacks most entry points: the library must refuse to connect (-11) without
// calling any of them.
#include <cstdint>

static int32_t g_nameQueries = 0;

extern "C" {
__attribute__((visibility("default"))) int32_t DeviceSupportedCount(void) {
    return 1;
}
__attribute__((visibility("default"))) const char* QMBUS_GetFullDeviceName(const uint8_t*) {
    ++g_nameQueries;
    return "qmbus ven_bbbb dev_0010";
}
__attribute__((visibility("default"))) int32_t PartialQmio_NameQueries(void) {
    return g_nameQueries;
}
}
