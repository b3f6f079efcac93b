/*
 * The pauses the board's hardware requires of the library (the synthesizer's settling, the FPGA's
 * configuration handshake, the management bus's busy and retry pauses), counted as they are taken.
 * A measuring program compares the time an operation took with the pauses it had to take: the rest is
 * the software's own. Counting changes nothing of what the library does.
 */
#ifndef ZORVANL_PAUSES_H
#define ZORVANL_PAUSES_H

#include "ZorvanL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The sum of the pauses the library has taken since it was loaded, in nanoseconds (the lengths the
 * hardware requires, not the time the system took to wake the thread), over all threads and boards. */
ZORVANL_API int64_t ZorvanL_PausedNanoseconds(void);

#ifdef __cplusplus
}
#endif

#endif /* ZORVANL_PAUSES_H */
