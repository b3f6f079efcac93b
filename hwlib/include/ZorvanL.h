/*
 * libZorvanL: device access to the Zorvan-L signal-simulator board.
 *
 * A flat C interface of 40 functions. Every function but GetErrorcodeDescript takes the device number
 * `dev` first: the index (from 0) of the board among the boards the I/O access layer libqmio lists and
 * whose name contains both "bbbb" and "0010". Results are 0 on success or a negative error code whose
 * text GetErrorcodeDescript returns. Texts are zero-terminated 8-bit strings in the system's ANSI code
 * page; the Russian error texts are Windows-1251 bytes.
 *
 * Calling order: ConnectDevice first for each device number, then any other function on that number,
 * DisconnectDevice last. Functions that program the modulator need FPGALoad first. Operations on one
 * device must not run at the same time; different devices are independent.
 *
 * Device numbers: the library keeps 20 devices (0-19). A number of 20 or more is refused with -1
 * ("Bad parameters. ") by every function that returns a code, and ignored by the others. A number that
 * was never connected is refused with -2 ("I/O error. "), as an unmapped register window is; functions
 * without a code do nothing then (GetLastErrorInfo returns an empty text, _GetDACTuneValue 0).
 */
#ifndef ZORVANL_H
#define ZORVANL_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(ZORVANL_BUILDING)
#define ZORVANL_API __declspec(dllexport)
#else
#define ZORVANL_API __declspec(dllimport)
#endif
#else
#define ZORVANL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Records exchanged with the I/O access layer and handed to callers: byte-packed, little-endian. */
#pragma pack(push, 1)

/* The mapped register window (20 bytes). */
typedef struct TBARBuffer {
    void* UserVA;    /* address of the 32-bit register window in this process */
    uint32_t Length; /* window length in bytes */
    uint32_t Reserved0;
    uint32_t Reserved1;
} TBARBuffer;

/* One DMA buffer of the driver (52 bytes). */
typedef struct TMemBuffer {
    uint32_t Size; /* bytes of this buffer the board plays; set by the caller before StartMaster */
    void* UserVA;  /* the buffer in this process */
    void* Reserved0;
    int64_t MemoryPA; /* the buffer's physical (bus) address */
    void* Reserved1;
    void* Reserved2;
    void* Reserved3;
} TMemBuffer;

/* The table of the driver's DMA buffers (20 bytes). */
typedef struct TMapMemData {
    uint32_t Count;      /* number of DMA buffers */
    TMemBuffer* Buffers; /* array of Count records, owned by the I/O access layer */
    uint32_t Reserved0;
    uint32_t Reserved1;
} TMapMemData;

/* Interrupt information (20 bytes). Buffers addresses the driver's interrupt block, whose second
 * 32-bit word counts the buffers the board has played. */
typedef struct TIntInfo {
    uint32_t Count;
    void* Buffers;
    uint32_t Reserved0;
    uint32_t Reserved1;
} TIntInfo;

#pragma pack(pop)

/* ---- Library frame ------------------------------------------------------------------------------ */

/* Opens the dev-th board, maps its registers and DMA buffers, takes its busy mutex, sets up the I2C
 * engine and reads the hardware version (and, on version 2, the L-band correction table).
 * firmwareDir: directory of Firmware files without a trailing separator, at most 259 bytes.
 * @return 0; -11 no I/O access layer or no device, -12 no such board, -13 board busy in another
 *         process, -14 open failed, -15/-16 mapping failed, -17/-18 I2C failure, -1 bad arguments. */
ZORVANL_API int32_t ConnectDevice(uint8_t dev, const char* firmwareDir);

/* Unmaps and closes the board and releases its busy mutex. @return 0 always (for a known number). */
ZORVANL_API int32_t DisconnectDevice(uint8_t dev);

/* Writes / reads the 32-bit register at word index `index` of the register window.
 * @return 0; -2 when the window is not mapped. */
ZORVANL_API int32_t WritePort(uint8_t dev, uint32_t index, uint32_t value);
ZORVANL_API int32_t ReadPort(uint8_t dev, uint32_t index, uint32_t* value);

/* Copies the text of error `code` (the sign is ignored) into `text` (60 bytes suffice).
 * language: 0 English, 1 Russian (Windows-1251). @return 0; -1 for an unknown code or language. */
ZORVANL_API int32_t GetErrorcodeDescript(int32_t code, int32_t language, char* text);

/* Copies the device's last-error text (the path of the last file that failed, at most 8191 bytes)
 * into `text` (8192 bytes suffice) and clears it. */
ZORVANL_API void GetLastErrorInfo(uint8_t dev, char* text);

/* ---- Board management bus ----------------------------------------------------------------------- */

/* Serial number from the EEPROM (big-endian at 0x0100). @return 0; -2, -17, -18. */
ZORVANL_API int32_t GetSN(uint8_t dev, uint32_t* serial);

/* Hardware version byte from the EEPROM (0x0000). @return 0; -2, -17, -18. */
ZORVANL_API int32_t GetHWVer(uint8_t dev, uint8_t* version);

/* Board (pcb) and FPGA temperature in whole degrees Celsius. @return 0; -2, -17, -18. */
ZORVANL_API int32_t ReadTemperature(uint8_t dev, int32_t* pcb, int32_t* fpga);

/* On hardware version 2, copies the stored tune value into the reference-tuning DAC; otherwise does
 * nothing. @return 0; -2, -17, -18. */
ZORVANL_API int32_t MakeDACTune(uint8_t dev);

/* @return the tune value read by the last MakeDACTune (0 before). Not a result code. */
ZORVANL_API uint16_t _GetDACTuneValue(uint8_t dev);

/* ---- FPGA configuration ------------------------------------------------------------------------- */

/* Chooses the firmware image for source mode `mode` (0-4), carrier (MHz) and symbol clock (kHz); writes
 * its bare file name into fileName (13 bytes suffice) and records the band and rate flags. Set the
 * modulation kind first. @return 0; -1 for a mode outside 0-4 (fileName then empty, flags unchanged)
 * or a null fileName. */
ZORVANL_API int32_t SetModeGetFWFName(uint8_t dev, uint8_t mode, double carrier, double clock,
                                      char* fileName);

/* Configures the FPGA from the bit file at path fileName with the RESET/DONE handshake.
 * @return 0; -6 file missing (or a directory), -25 file not read whole, -23 DONE already high,
 *         -24 no RESET, -7 DONE low after configuration, -1 null fileName, -2. */
ZORVANL_API int32_t FPGALoad(uint8_t dev, const char* fileName);

/* Current sample frequency of the modulator, kHz. @return 0; -1 for a null fs. */
ZORVANL_API int32_t _GetFSample(uint8_t dev, double* fs);

/* ---- Clock chain -------------------------------------------------------------------------------- */

/* Stores log2 of the samples per symbol (0-5). @return 0. */
ZORVANL_API int32_t _SetKVPS(uint8_t dev, uint8_t shift);

/* Programs the sample-clock synthesizer for the current sample frequency. @return 0; -22, -2. */
ZORVANL_API int32_t LoadSynth(uint8_t dev);

/* Sets the symbol clock (kHz): samples per symbol, divider, rate word, synthesizer, shaping filter
 * and interpolator. Call after FPGALoad, the modulation setters and WriteNoise.
 * The clock divider is never 0: on the highest-rate IF images ("i_shi") it is 1 (RATE_DIV 0xFFFF and
 * an interpolator of one step), and on the L-band images it is at least 1 even for a clock far above
 * what the image was chosen for (a divider of 0 would stop the sample clock).
 * @return 0 or the first error of the synthesizer or filter loads; -1 for a clock that is not a
 *         positive number (nothing is written then). */
ZORVANL_API int32_t Write_TI(uint8_t dev, double clock);

/* ---- Carrier and output chain ------------------------------------------------------------------- */

/* Programs the AD9786 converter: reset pulse, wait for its busy bit (up to 1000 status reads), then
 * registers 0x00, 0x01, 0x02, 0x03 (0x20 + the converter mode of the last IF carrier) and 0x05, each
 * read back. All five are written even after a time-out or a mismatch.
 * @return 0; -20 FPGA not configured, -21 read-back mismatch or busy time-out, -2. */
ZORVANL_API int32_t Write_AD9786(uint8_t dev);

/* Sets the carrier (MHz): below 600 the IF path (converter mode and Write_AD9786), from 600 the L band
 * with the local oscillator on the 10 MHz grid and its correction word. Also stops a running sweep.
 * The correction is interpolated from the board's table of records for 700, 800, ... 2200 MHz; for an
 * oscillator outside 700-2200 MHz the nearest end record (700 or 2200 MHz) is used unchanged.
 * Frequency words are kept modulo 2^32 as the 32-bit registers hold them.
 * @return 0; -20, -21, -2; -1 for a carrier that is not a finite number (nothing is written). */
ZORVANL_API int32_t Write_VN(uint8_t dev, double carrier);

/* Sets attenuator H / L to *dB in 0.5 dB steps (halves rounded away from zero) and writes back the value
 * set. Requests outside the attenuator's 0-31.5 dB are held at the nearer end (so -3 sets 0 dB, 40 sets
 * 31.5 dB), and *dB always reports what the attenuator holds.
 * @return 0; -2; -1 for a null dB or a NaN (nothing written, *dB unchanged). */
ZORVANL_API int32_t Write_Att_H(uint8_t dev, double* dB);
ZORVANL_API int32_t Write_Att_L(uint8_t dev, double* dB);

/* kind 0 off, 1 noise at `level` dB, 2 sine interferer at `level` dB and offset `freq` kHz; any other
 * kind writes nothing. Call before Write_TI (noise sets the coarse step it uses).
 * @return 0; -2; -1 when kind 1 or 2 gets a level (or kind 2 a freq) that is not finite (nothing written). */
ZORVANL_API int32_t WriteNoise(uint8_t dev, uint8_t kind, double level, double freq);

/* Carrier sweep: one pass of 65536 steps of `increment` (signed, carrier-word units), each `dwell` ticks
 * of the sample clock / 16, started when enable is not 0; enable 0 switches the sweep off.
 * Bit 31 of register 0x100 reads set once the pass has ended. @return 0; -2. */
ZORVANL_API int32_t WriteSwp(uint8_t dev, uint8_t enable, int32_t dwell, uint16_t increment);

/* ---- Modulator tables --------------------------------------------------------------------------- */

/* Store the modulation kind (0-19), shaping-filter type (0 off, 1 IBS, 2-4 Nyquist 0.4/0.5/0.6,
 * 5 wide) and spectrum inversion (0/1). No register access. */
ZORVANL_API void _SetModKind(uint8_t dev, uint8_t kind);
ZORVANL_API void _SetFilterType(uint8_t dev, uint8_t type);
ZORVANL_API void _SetSpectrInv(uint8_t dev, uint8_t inv);

/* Loads the constellation of the stored kind from Firmware/Const.
 * Number files (constellations and filters) are white-space separated decimal numbers; reading stops
 * at the first text that is not a number. Values beyond a table's capacity (512 integers for a
 * constellation, 256 filter coefficients, 8192 post-filter coefficients) are ignored.
 * @return 0; -6 file missing or not opened, -25 fewer than two integers (no point: nothing is
 *         written), -2. The last-error text then holds the path. */
ZORVANL_API int32_t LoadModulationRAM(uint8_t dev);

/* Loads the shaping filter of the stored type and samples per symbol from Firmware/Filter: 8 x samples
 * per symbol coefficients (extra values are ignored), then FILTER_CTL.
 * With filter type 0 (off) or one sample per symbol (_SetKVPS 0) there is no filter to load: no file is
 * read and FILTER_CTL gets the control word without the filter, as Write_TI writes it then.
 * @return 0; -6, -25 (the path in the last-error text), -1 for a filter type above 5 or a
 *         samples-per-symbol exponent above 5 (no such file; nothing is written), -2. */
ZORVANL_API int32_t Load_FIR(uint8_t dev);

/* Loads the 8192-coefficient post filter from fileName (only on the "i_hi" images; 0 at once on the
 * others). @return 0; -6, -25, -1 null fileName, -2. */
ZORVANL_API int32_t LoadFIRPF(uint8_t dev, const char* fileName);

/* Loads the linear interpolator for the current divider (nothing for a divider of 0). Each half of
 * the interpolator holds 8192 entries: a larger divider loads its first 8192 of each half.
 * @return 0; -2. */
ZORVANL_API int32_t Load_FIR_Interp(uint8_t dev);

/* ---- Channel coding and symbol mapping ---------------------------------------------------------- */

/* Puncturing pattern of channel code `code` (0-12). @return 0; -2. */
ZORVANL_API int32_t LoadPunct(uint8_t dev, uint8_t code);

/* Coder control: channel code, scrambler (1 on), differential coding. @return 0; -2. */
ZORVANL_API int32_t WriteDiffPU(uint8_t dev, uint8_t code, uint8_t scrambler, uint8_t diff);

/* Bit-mapping table; map 0 plain, non-zero differential. @return 0; -2. */
ZORVANL_API int32_t WriteBitMap(uint8_t dev, uint8_t map);

/* Amplitude table of the CE-OQPSK mode (flat for the other kinds). @return 0; -2. */
ZORVANL_API int32_t Load_RAM_CEOQPSK(uint8_t dev);

/* ---- Data path and master control --------------------------------------------------------------- */

/* Loads the file at fileName into the board's source RAM: 16-bit little-endian words at the addresses
 * -n .. -1 (an odd last byte is ignored), or with bitText one character per bit ("1" a one, anything
 * else a zero). The size is not checked against the RAM; a failure during the writes leaves the RAM
 * partly loaded. @return 0; -6 file missing, a directory or not openable, -25 not read whole (the path
 * is then in GetLastErrorInfo, nothing written), -2; -1 for a null fileName. */
ZORVANL_API int32_t Load_RAM(uint8_t dev, const char* fileName, uint8_t bitText);

/* Describes the first `buffers` DMA buffers (Size and MemoryPA of the records in the table) to the board
 * and starts its master; 0 buffers writes only the two control words.
 * @return 0; -2; -1 when `buffers` exceeds the number of DMA buffers the driver mapped (nothing is
 *         written: there are no records to describe the others with). */
ZORVANL_API int32_t StartMaster(uint8_t dev, uint8_t buffers);

/* Stops the board's master. @return 0; -2. */
ZORVANL_API int32_t StopMaster(uint8_t dev);

/* Bit and byte order and the length of the RAM source loaded last. Each order is one bit: any non-zero
 * value counts as 1. @return 0; -2. */
ZORVANL_API int32_t SetPackingOrder(uint8_t dev, uint8_t bitOrder, uint8_t byteOrder);

/* Fetches the interrupt record from the I/O access layer. Makes no register access, so a streaming
 * thread may call it while another thread programs the board. @return 0; -2 no open device, -19. */
ZORVANL_API int32_t GetInterruptInfo(uint8_t dev, TIntInfo* info);

/* Copies the DMA buffer table (its Buffers field addresses the layer's own array) and the physical
 * slot number. */
ZORVANL_API void _ConnectDeviceGetHandels(uint8_t dev, TMapMemData* mem, uint8_t* slot);

#ifdef __cplusplus
}
#endif

#endif /* ZORVANL_H */
