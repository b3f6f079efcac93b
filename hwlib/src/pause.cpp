#include "pause.h"

#include "ZorvanLPauses.h"

extern "C" {

ZORVANL_API int64_t ZorvanL_PausedNanoseconds(void) {
    return zorvan::pausedNanoseconds().load(std::memory_order_relaxed);
}

}  // extern "C"
