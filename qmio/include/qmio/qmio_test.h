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
    QMIO_FAULT_SYNTH_READBACK = 19, /* every synthesizer read-back shows its first bit inverted */
    /* output chain */
    QMIO_FAULT_DAC_STUCK_BUSY = 20, /* the AD9786 converter stays busy (register 0x0F bit 5) for ever */
    QMIO_FAULT_DAC_READ_BACK = 21,  /* every converter register read answers bit 0 inverted */
    /* data path */
    QMIO_FAULT_INTERRUPTS_LOST = 22 /* played buffers are counted, but the driver's event is not set */
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

/* ---- Output chain -------------------------------------------------------------------------------- */

/* The AD9786 converter as its serial port left it. */
typedef struct QmioTestConverter {
    uint8_t registers[32]; /* register values as written (0x0F without its busy bit) */
    int32_t mode;          /* register 0x03 bits 3-0: 0 direct, 8 image at fs - f, 12 image at fs/2 - f */
    int32_t interpolation; /* register 0x01 bits 7-6 as a factor: 1, 2, 4 or 8 */
    int32_t busy;          /* a read of register 0x0F would show bit 5 now */
    int32_t resets;        /* reset pulses (DAC_CS 2) since the board was built */
} QmioTestConverter;
QMIO_API int32_t QmioTest_Converter(int32_t board, QmioTestConverter* out);

/* The carrier: the NCO word and where it puts the output. Frequencies use the modulator's sample clock. */
typedef struct QmioTestCarrier {
    uint32_t ncoWord;        /* CARRIER_NCO as written */
    uint32_t effectiveWord;  /* with the running sweep's offset */
    double ncoKHz;           /* effectiveWord (signed) x fs / 2^32 */
    double sampleClockKHz;   /* fs */
    double ifOutputMHz;      /* through the converter in its mode; NaN for a mode it does not have */
    double lBandOutputMHz;   /* LO - NCO; NaN while the local oscillator is not locked */
    uint32_t correctionWord; /* RF_CORR as last written */
    int32_t correction[4];   /* its signed bytes c0 .. c3 */
} QmioTestCarrier;
QMIO_API int32_t QmioTest_Carrier(int32_t board, QmioTestCarrier* out);

/* The local-oscillator PLL. */
typedef struct QmioTestLocalOscillator {
    uint32_t
        latches[4]; /* 24-bit latch contents by select bits: 0 counter, 1 reference, 2 function, 3 init */
    int32_t locked; /* all four latches loaded since power-on */
    int32_t b, a;   /* counter fields */
    double frequencyMHz; /* 2 MHz x (10 B + A); 0 while not locked */
    int32_t loads;       /* PLL_LOAD writes */
} QmioTestLocalOscillator;
QMIO_API int32_t QmioTest_LocalOscillator(int32_t board, QmioTestLocalOscillator* out);

/* Both step attenuators (0.5 dB per code step; power-on: code 63, 31.5 dB). */
typedef struct QmioTestAttenuators {
    int32_t codeH, codeL;
    double dbH, dbL;
    int32_t loadsH, loadsL; /* latch writes */
} QmioTestAttenuators;
QMIO_API int32_t QmioTest_Attenuators(int32_t board, QmioTestAttenuators* out);

/* The noise and sine generator. levelDb is the amplitude's level relative to full scale (1024); the
 * coarse noise step that the symbol-rate path adds is not part of it. */
typedef struct QmioTestNoise {
    int32_t mode;         /* 0 off, 1 noise, 2 sine interferer */
    int32_t amplitude;    /* 0-1023 */
    double levelDb;       /* 20 log10(amplitude / 1024); -infinity for 0 */
    uint32_t sineWord;    /* SINE_FREQ as written */
    double sineOffsetKHz; /* the interferer's offset from the carrier at the current sample clock */
} QmioTestNoise;
QMIO_API int32_t QmioTest_Noise(int32_t board, QmioTestNoise* out);

/* The carrier sweep: a pass is 65536 steps of `increment` carrier-word units, each `dwellTicks` ticks of
 * the sweep clock (sample clock / 16). */
typedef struct QmioTestSweep {
    int32_t enabled;
    int32_t passEnded;   /* what bit 31 of a DATA_PORT read shows */
    int32_t increment;   /* signed */
    int32_t dwellTicks;  /* 1-65536 */
    int32_t stepsDone;   /* of the current pass, 0-65536 */
    int32_t passes;      /* passes started since the board was built */
    uint32_t stepWord;   /* SWEEP_STEP as written */
    uint32_t offsetWord; /* what the sweep adds to the carrier word now */
} QmioTestSweep;
QMIO_API int32_t QmioTest_Sweep(int32_t board, QmioTestSweep* out);

/* ---- Data path ------------------------------------------------------------------------------------ */

/* The source RAM and what PLAY_CTL says the modulator plays from it. */
typedef struct QmioTestSourceRam {
    int32_t sizeWords;    /* 16-bit words: 524288, or 1048576 on hardware version 2 */
    uint32_t address;     /* the RAM address last put on DATA_PORT */
    uint32_t playControl; /* PLAY_CTL as written */
    int32_t playLength;   /* -bits 27-0 modulo 2^28 */
    int32_t bitOrder, byteOrder;
    int64_t wordWrites;  /* RAM_DATA writes */
    int32_t configuring; /* FPGA_CTL in configuration mode: DATA_PORT writes are not addresses */
} QmioTestSourceRam;
QMIO_API int32_t QmioTest_SourceRam(int32_t board, QmioTestSourceRam* out);
/* Copies `count` RAM words from `address` on (addresses wrap at the end of the memory). */
QMIO_API int32_t QmioTest_ReadSourceRam(int32_t board, uint32_t address, uint16_t* words, int32_t count);

/* The DMA master. */
typedef struct QmioTestMaster {
    int32_t running;         /* started and not stopped */
    int32_t described;       /* descriptors announced by the last MASTER_CTL 0x04000000 + n */
    int32_t faultDescriptor; /* the descriptor a start refused (not mapped DMA memory), or -1 */
    int32_t position;        /* ring index of the buffer it plays next */
    int64_t buffersPlayed;   /* since the last start */
    int64_t bytesPlayed;     /* since the last start */
    double byteRate;         /* playing rate now, bytes/s: 0 holding, infinity as fast as possible */
    int64_t budget;          /* buffers it may still play, -1 without limit */
    uint32_t interruptCount; /* word 1 of the interrupt block */
} QmioTestMaster;
QMIO_API int32_t QmioTest_Master(int32_t board, QmioTestMaster* out);
/* Size and address word (bit 0 = valid) of descriptor `index` (0-255). */
QMIO_API int32_t QmioTest_MasterDescriptor(int32_t board, int32_t index, uint32_t* size, uint32_t* address);
/* Rate of the master: 0 the modulator's source rate (it plays nothing while the board is not
 * configured), > 0 that many bytes per second, < 0 as fast as possible. Also the configuration key
 * MasterByteRate. Takes effect at once, also while it plays. */
QMIO_API int32_t QmioTest_SetMasterRate(int32_t board, double bytesPerSecond);
/* From now on the master plays at most `buffers` more buffers, then holds until given more (< 0: no
 * limit, the power-on setting). Lets a test step the ring buffer by buffer. */
QMIO_API int32_t QmioTest_MasterBudget(int32_t board, int64_t buffers);
/* Sets the count of played buffers in the interrupt block (word 1), for example just below its wrap. */
QMIO_API int32_t QmioTest_SetInterruptCount(int32_t board, uint32_t count);

/* Capture of what the master plays. CaptureMemory keeps the first `capacity` bytes in memory (0: off);
 * CaptureFile writes everything to the file at `path` (NULL or empty: off). Each starts afresh and
 * replaces the other. Also the configuration keys CaptureMemory=<bytes> and CaptureFile=<path>. */
QMIO_API int32_t QmioTest_CaptureMemory(int32_t board, int64_t capacity);
QMIO_API int32_t QmioTest_CaptureFile(int32_t board, const char* path);
/* Copies up to `max` kept bytes from `offset` on. @return the bytes captured so far (kept or not), or -1. */
QMIO_API int64_t QmioTest_ReadCapture(int32_t board, int64_t offset, uint8_t* out, int32_t max);
/* Verify mode: the master compares every byte it plays with the contents of the file at `path`,
 * repeated in order, instead of keeping a capture (NULL or empty: off). Replaces a capture; also the
 * configuration key VerifyFile=<path>. @return 0; -1 for a missing or empty file. */
QMIO_API int32_t QmioTest_VerifyFile(int32_t board, const char* path);
typedef struct QmioTestVerification {
    uint64_t bytes;        /* bytes compared */
    uint64_t passes;       /* whole repetitions of the file */
    uint64_t mismatches;   /* bytes that differed from the file's */
    int64_t firstMismatch; /* position of the first of them among the bytes compared; -1: none */
    uint64_t fileSize;     /* 0 while verify mode is off */
} QmioTestVerification;
QMIO_API int32_t QmioTest_Verification(int32_t board, QmioTestVerification* out);

/* ---- Status ---------------------------------------------------------------------------------------- */

/* The board's whole state as a short human-readable text, a few lines of the form "  <part>: <state>".
 * Copies at most size - 1 characters and a terminating zero into `text` (nothing when size is 0).
 * @return the length of the whole text without its terminator, or -1 for an unknown board. */
QMIO_API int32_t QmioTest_Status(int32_t board, char* text, int32_t size);

/* What the board sends out now: a working FPGA image plays its source RAM (source modes 0 and 1), or
   the DMA ring while the master runs (source modes 2 to 4); otherwise the board is silent.
   Returns -1 for a board that does not exist. */
typedef enum QmioTestOutput {
    QMIO_OUTPUT_SILENT = 0,
    QMIO_OUTPUT_SOURCE_RAM = 1,
    QMIO_OUTPUT_DMA_RING = 2
} QmioTestOutput;
QMIO_API int32_t QmioTest_Output(int32_t board);
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
    int32_t converterClockRegister; /* the converter's register 0x01 that sets k (0 at power-on) */
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

/* ---- Signal model ---------------------------------------------------------------------------------- */

/* What the board's output model derives from the registers the library wrote (see the model's
 * assumptions in the emulator's twin/signal_model.h). */
typedef struct QmioTestSignal {
    double renderRateHz;      /* complex baseband samples per second: symbol rate x samplesPerSymbol */
    double symbolRateHz;      /* 0 while no symbol clock is programmed */
    double sampleClockHz;     /* the modulator's sample clock */
    double carrierHz;         /* the NCO's signed frequency */
    double codeRate;          /* source bits per coded bit */
    double signalPower;       /* mean power per sample of the noiseless signal */
    double noisePower;        /* per complex sample; 0 without noise */
    double esN0Db, ebN0Db;    /* +infinity without noise */
    double sineOffsetHz;      /* the sine interferer's offset from the carrier */
    int32_t samplesPerSymbol; /* of the shaping filter */
    int32_t bitsPerSymbol;    /* 16 - the constellation table's shift; 0 before any table */
    int32_t offset;           /* offset modulation (Q half a symbol late) */
    int32_t inverted;         /* spectrum inversion (Q negated) */
    int32_t codingModelled;   /* 0: the coder in CODING is not modelled, its bits pass uncoded */
    int32_t source;           /* a QmioTestOutput: what the model plays */
    int64_t sourceBytes;      /* bytes of the source the model repeats */
} QmioTestSignal;
QMIO_API int32_t QmioTest_Signal(int32_t board, QmioTestSignal* out);
/* Renders the first `count` complex baseband samples of the output (interleaved I, Q in `iq`, 2 x count
 * floats), noise from `seed`. @return the samples rendered (0 when the board sends nothing), or -1. */
QMIO_API int64_t QmioTest_RenderSignal(int32_t board, float* iq, int64_t count, uint64_t seed);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
/* C++: the state a QmioTest_ query fills, by value, for example QmioTestQuery(QmioTest_FpgaState). */
template <typename State>
inline State QmioTestQuery(int32_t (*query)(int32_t, State*), int32_t board = 0) {
    State state{};
    query(board, &state);
    return state;
}
#endif

#endif /* QMIO_TEST_H */
