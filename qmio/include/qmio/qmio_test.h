/*
 * Test and inspection interface of the emulated libqmio. The board's own driver library does not have
 * these entries; programs that use them only run on the emulated board.
 *
 * Boards are numbered by their position in the configuration (0 = first), not by driver slot.
 * Functions return 0 on success and -1 for an unknown board or bad arguments, unless stated otherwise.
 */
#ifndef QMIO_TEST_H
#define QMIO_TEST_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(QMIO_BUILDING)
#define QMIO_API __declspec(dllexport)
#else
#define QMIO_API __declspec(dllimport)
#endif
#else
#define QMIO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Replaces the emulator's configuration with `configText` (the text of a configuration file), or with
 * the file named by QMIO_CONFIG (or the built-in single board) when it is NULL. Every board is created
 * afresh: handles and mappings of the old boards become invalid. @return the number of boards, or -1
 * when the text cannot be used. */
QMIO_API int32_t QmioTest_Configure(const char* configText);

/* Number of QMBUS_GetFullDeviceName calls since the last QmioTest_Configure. */
QMIO_API int32_t QmioTest_NameQueries(void);

/* One register access as the board saw it. */
typedef struct QmioTestAccess {
    uint32_t index;
    uint32_t value; /* written, or answered */
    uint8_t write;  /* 1 write, 0 read */
    uint8_t reserved[3];
} QmioTestAccess;

/* Starts (on != 0, clearing what was logged) or stops logging the board's register accesses. At most
 * `capacity` accesses are kept; later ones are counted but dropped. */
QMIO_API int32_t QmioTest_LogRegisters(int32_t board, int32_t on, int32_t capacity);
/* Copies up to `max` logged accesses from position `first` on. @return the number of accesses logged
 * (kept or dropped), or -1. */
QMIO_API int32_t QmioTest_ReadRegisterLog(int32_t board, int32_t first, QmioTestAccess* out, int32_t max);

/* Faults that the board or the driver shows from now on (on != 0) or no longer (on == 0). */
enum QmioTestFault {
    QMIO_FAULT_OPEN = 1,           /* QMBUS_Open fails */
    QMIO_FAULT_BAR_MAP = 2,        /* QMBUS_BARMap fails */
    QMIO_FAULT_MEMORY_MAP = 3,     /* QMBUS_MemoryMap fails */
    QMIO_FAULT_INTERRUPT_INFO = 4, /* QMBUS_GetInterruptInfo fails */
    QMIO_FAULT_I2C_STUCK_BUSY = 5, /* the I2C engine reports busy for ever */
    QMIO_FAULT_NO_TRAP = 6         /* QMBUS_GetRegisterTrap refuses: accesses go to plain memory */
};
QMIO_API int32_t QmioTest_SetFault(int32_t board, int32_t fault, int32_t on);

/* The I2C device with address byte `addressByte` (either form) leaves its next `times` address bytes
 * unacknowledged. */
QMIO_API int32_t QmioTest_I2cRefuse(int32_t board, uint8_t addressByte, int32_t times);
/* Status readings for which the I2C engine stays busy after each command (0: done at once). */
QMIO_API int32_t QmioTest_I2cBusyReadings(int32_t board, int32_t readings);

/* Writes / reads EEPROM bytes directly. */
QMIO_API int32_t QmioTest_EepromWrite(int32_t board, uint16_t address, const uint8_t* bytes, int32_t count);
QMIO_API int32_t QmioTest_EepromRead(int32_t board, uint16_t address, uint8_t* bytes, int32_t count);

/* Pins temperature-sensor register `reg` (0x00, 0x01, 0x10) to `value`; a negative value lets it follow
 * the modelled temperature again. */
QMIO_API int32_t QmioTest_PinSensorRegister(int32_t board, uint8_t reg, int32_t value);

/* The value latched by the reference-tuning DAC, or -1 while it was never written. */
QMIO_API int32_t QmioTest_TuningDacValue(int32_t board);

#ifdef __cplusplus
}
#endif

#endif /* QMIO_TEST_H */
