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
    QMIO_FAULT_NO_TRAP = 6,        /* QMBUS_GetRegisterTrap refuses: accesses go to plain memory */
    /* FPGA configuration and sample clock */
    QMIO_FAULT_FPGA_DONE_HIGH = 16, /* FPGA_STAT shows DONE at all times, also before configuration */
    QMIO_FAULT_FPGA_NO_RESET = 17,  /* RESET never rises after PROG */
    QMIO_FAULT_FPGA_NO_DONE = 18,   /* DONE never rises, even after an intact image */
    QMIO_FAULT_SYNTH_READBACK = 19  /* every synthesizer read-back shows its first bit inverted */
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

/* ---- FPGA configuration, sample clock and modulator ------------------------------------------------ */

/* The FPGA and its configuration port. */
typedef struct QmioTestFpga {
    uint8_t done;        /* DONE: a complete, intact image configured the FPGA (faults aside) */
    uint8_t reset;       /* RESET (INIT) high: the FPGA is ready for, or taking, an image */
    uint8_t configuring; /* FPGA_CTL in configuration mode: DATA_PORT writes are configuration bytes */
    uint8_t broken;      /* the bytes received since the last PROG are not an intact image */
    uint8_t mode;        /* loaded image: source mode 0-4; 0xFF for the RAM-load image or none */
    uint8_t band;        /* loaded image: 0 IF, 1 L band; 0xFF for none */
    uint8_t rate;        /* loaded image: rate variant (ImageRate of qmio/fpga_image.h); 0xFF for none */
    char suffix;         /* loaded image: '4', 'S', 'o' or 0 */
    char name[17];       /* loaded image: name without ".bit"; empty while not configured */
    uint8_t reserved[3];
    uint32_t bytesReceived;  /* configuration bytes taken since the last PROG */
    uint32_t configurations; /* successful configurations since power-on */
} QmioTestFpga;
QMIO_API int32_t QmioTest_FpgaState(int32_t board, QmioTestFpga* state);

/* The sample-clock synthesizer and the sample clock that follows from it. */
typedef struct QmioTestSynthesizer {
    uint64_t control0;              /* register 0 as latched (32 bits) */
    uint64_t control1;              /* register 1 (40 bits) */
    uint64_t tuning;                /* register 6 (16 zero bits, 32-bit integer part, 16-bit fraction) */
    uint32_t latched;               /* bit r set: register r has been latched since power-on */
    uint32_t updates;               /* update strobes that latched a register */
    uint32_t readBacks;             /* read instructions served */
    int32_t divider;                /* k: the synthesizer runs at k x the sample clock (2 or 4) */
    int32_t converterClockRegister; /* the converter's register 0x01 that sets k; -1 not written */
    int32_t reserved;
    double outputKHz;      /* the synthesizer's clock: 2^48 x 10000 / tuning word; 0 without one */
    double sampleClockKHz; /* outputKHz / divider */
} QmioTestSynthesizer;
QMIO_API int32_t QmioTest_Synthesizer(int32_t board, QmioTestSynthesizer* state);
/* The next `count` synthesizer read-backs show their first bit inverted (a negative count: all). */
QMIO_API int32_t QmioTest_SynthCorruptReadBacks(int32_t board, int32_t count);

/* The modulator's registers as the configured FPGA holds them (all 0 while it is not configured). */
typedef struct QmioTestModulator {
    uint32_t filterControl;   /* FILTER_CTL */
    uint32_t rateNco;         /* RATE_NCO */
    uint32_t rateDiv;         /* RATE_DIV */
    uint32_t divider;         /* the clock divider RATE_DIV sets: 65536 - RATE_DIV */
    uint32_t coding;          /* CODING */
    uint32_t punct[4];        /* PUNCT words by their position (bits 9-8) */
    uint32_t rfCorr;          /* RF_CORR as last written */
    uint8_t constShift;       /* shift of the constellation table; 0xFF before any CONST_RAM word */
    uint8_t filterOn;         /* FILTER_CTL bit 0 */
    uint8_t filterOffset;     /* FILTER_CTL bit 1: offset modulation */
    uint8_t filterSpectrInv;  /* FILTER_CTL bit 2 */
    uint8_t samplesPerSymbol; /* from FILTER_CTL: 1-64 */
    uint8_t postFilterOn;     /* RF_CORR bit 3 */
    uint8_t bitMapBypass;     /* the last BITMAP word passes the bits through (128QAM, 256QAM) */
    uint8_t reserved;
    uint32_t punctWrites; /* words written since the configuration, per register */
    uint32_t constWrites;
    uint32_t firWrites;       /* coefficient words (close words not counted) */
    uint32_t interpWrites[2]; /* rising, falling half */
    uint32_t postFilterWrites;
    uint32_t bitMapWrites;
    uint32_t ceWrites;
} QmioTestModulator;
QMIO_API int32_t QmioTest_Modulator(int32_t board, QmioTestModulator* state);

/* The constellation table: I and Q of the 256 addresses. @return CONST_RAM writes, or -1. */
QMIO_API int32_t QmioTest_ConstellationRam(int32_t board, int8_t i[256], int8_t q[256]);
/* The shaping-filter taps in use for `samplesPerSymbol` (2, 4, 8, 16, 32): 256 values, of which the
 * first 8 x samplesPerSymbol matter. @return the number of coefficient words before the bank's last
 * close word; -1 for a bank never closed (or bad arguments). */
QMIO_API int32_t QmioTest_ShapingFilter(int32_t board, int32_t samplesPerSymbol, int16_t taps[256]);
/* `count` entries from `first` of the interpolator's rising (falling 0) or falling half (12-bit values).
 * @return the words written to that half since the configuration, or -1. */
QMIO_API int32_t QmioTest_Interpolator(int32_t board, int32_t falling, int32_t first, int32_t count,
                                       uint16_t* values);
/* `count` post-filter taps from `first`. @return the PF_COEF words written, or -1. */
QMIO_API int32_t QmioTest_PostFilter(int32_t board, int32_t first, int32_t count, int16_t* taps);
/* The 4096 six-bit mappings of the bit-mapping table. @return the BITMAP words written, or -1. */
QMIO_API int32_t QmioTest_BitMap(int32_t board, uint8_t map[4096]);
/* The 1024 12-bit values of the CE-OQPSK amplitude table. @return the CE_RAM words written, or -1. */
QMIO_API int32_t QmioTest_CeTable(int32_t board, uint16_t values[1024]);

/* The modulator's timing as the board's data path sees it (see modulator_timing.h). */
typedef struct QmioTestTiming {
    uint8_t configured; /* a working image is loaded */
    uint8_t sourceMode; /* of the loaded image, 0xFF for none */
    uint8_t reserved[6];
    double sampleClockKHz;
    double symbolClockKHz;      /* 0 while none is programmed */
    double sourceBitsPerSymbol; /* source bits each symbol consumes */
} QmioTestTiming;
QMIO_API int32_t QmioTest_ModulatorTiming(int32_t board, QmioTestTiming* timing);

#ifdef __cplusplus
}
#endif

#endif /* QMIO_TEST_H */
