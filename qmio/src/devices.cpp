// The devices of the emulated board, in the order they are wired.
#include "board.h"
#include "devices/fpga_config_port.h"
#include "devices/i2c_engine.h"
#include "devices/management_bus.h"
#include "devices/modulator.h"
#include "devices/sample_clock_synth.h"

namespace qmio {

void populateBoard(Board& board) {
    auto& managementBus = board.addDevice<ManagementBus>(board.config());
    board.addDevice<I2cEngine>(board, managementBus.bus());

    auto& fpga = board.addDevice<FpgaConfigPort>(board);
    board.addDevice<SampleClockSynth>(board);
    board.addDevice<ConverterClockDivider>(board);
    board.addDevice<SymbolMapper>(board, fpga);
    board.addDevice<ChannelCoder>(board, fpga);
    board.addDevice<ShapingFilter>(board, fpga);
    board.addDevice<RateGenerator>(board, fpga);
    board.addDevice<PostFilter>(board, fpga);
}

}  // namespace qmio
