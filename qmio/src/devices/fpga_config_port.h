// The FPGA and its configuration port. FPGA_CTL: bit 0 low holds PROG (the configuration is cleared,
// RESET (INIT) and DONE low); releasing it lets the FPGA clear its memory, after which RESET rises;
// bit 8 (0x1FF) routes DATA_PORT writes to the port, one configuration byte (bits 7-0) per write.
// FPGA_STAT: bit 0 DONE, bit 1 RESET.
//
// The FPGA takes an image in the format of qmio/fpga_image.h. DONE rises once the whole image has
// arrived intact (header CRC, full payload, payload CRC); bytes after it (the start-up clocks) are
// ignored. A broken header or payload pulls RESET low and leaves DONE low until the next PROG; an
// incomplete image leaves DONE low. At power-on the FPGA is empty, with RESET high.
//
// Configuration keys of the board's section:
//   FpgaResetReadings=<n>   FPGA_STAT readings after the release of PROG that still show RESET low
//                           (the FPGA clearing its memory), default 2
//   FpgaDoneStuckHigh=1     FPGA_STAT shows DONE at all times
//   FpgaNoReset=1           RESET never rises after PROG
//   FpgaNoDone=1            DONE never rises, even after an intact image
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "../board.h"
#include "qmio/fpga_image.h"

namespace qmio {

class FpgaConfigPort : public BoardDevice {
 public:
    explicit FpgaConfigPort(Board& board);
    std::uint32_t read(std::uint32_t index) override;
    void write(std::uint32_t index, std::uint32_t value) override;
    void reset() override;
    // The FPGA's state and, under a working image, what the modulator was programmed to do.
    void describe(std::string& out) override;

    // DATA_PORT writes are configuration bytes now: other devices that take DATA_PORT writes (the
    // source-RAM address) ignore them meanwhile.
    bool configuring() const { return configMode_; }
    // An image configured the FPGA (the real state, whatever a fault shows on FPGA_STAT).
    bool configured() const { return done_; }
    // The image that configured the FPGA; meaningful while configured().
    const fpga_image::Header& image() const { return image_; }
    // A working image runs: the modulator's registers exist (not in the RAM-load image).
    bool modulatorPresent() const { return done_ && image_.rate != fpga_image::ImageRate::RamLoad; }
    // FPGA_STAT as it reads now (without the reading itself counting).
    std::uint32_t status() const;
    bool broken() const { return broken_; }
    std::uint32_t bytesReceived() const { return bytesReceived_; }
    std::uint32_t configurations() const { return configurations_; }

    // `listener` runs whenever the configuration is cleared: the FPGA's registers lose their contents.
    void onCleared(std::function<void()> listener) { listeners_.push_back(std::move(listener)); }

    void setDoneStuckHigh(bool on) { doneStuckHigh_ = on; }
    void setNoReset(bool on) { noReset_ = on; }
    void setNoDone(bool on) { noDone_ = on; }

 private:
    void clear();
    void take(std::uint8_t byte);
    void fail();

    Board& board_;

    // Configuration control.
    bool progHeld_ = false;
    bool configMode_ = false;
    bool initHigh_ = true;
    int clearingReadings_ = 0;  // readings left before RESET rises; < 0: not clearing
    // The image being received.
    std::array<std::uint8_t, fpga_image::kHeaderLength> header_{};
    std::size_t headerBytes_ = 0;
    fpga_image::Header incoming_;
    std::uint32_t payloadBytes_ = 0;
    std::uint32_t payloadCrc_ = 0;
    bool complete_ = false;
    bool broken_ = false;
    std::uint32_t bytesReceived_ = 0;
    // The configured FPGA.
    bool done_ = false;
    fpga_image::Header image_;
    std::uint32_t configurations_ = 0;

    int resetReadings_ = 2;
    bool doneStuckHigh_ = false;
    bool noReset_ = false;
    bool noDone_ = false;
    std::vector<std::function<void()>> listeners_;
};

}  // namespace qmio
