// The devices of the emulated board, in the order they are wired: the management bus, the modulator
// (FPGA and its clock), the output chain in signal order, the data path.
#include "board.h"
#include "devices/attenuator.h"
#include "devices/carrier.h"
#include "devices/converter.h"
#include "devices/dma_master.h"
#include "devices/fpga_config_port.h"
#include "devices/i2c_engine.h"
#include "devices/local_oscillator.h"
#include "devices/management_bus.h"
#include "devices/modulator.h"
#include "devices/noise_generator.h"
#include "devices/rf_correction.h"
#include "devices/sample_clock_synth.h"
#include "devices/source_ram.h"

namespace qmio {

void populateBoard(Board& board) {
    auto& managementBus = board.addDevice<ManagementBus>(board.config());
    board.addDevice<I2cEngine>(board, managementBus.bus());
    // Modulator.
    auto& fpga = board.addDevice<FpgaConfigPort>(board);
    board.addDevice<SampleClockSynth>(board);
    board.addDevice<SymbolMapper>(board, fpga);
    board.addDevice<ChannelCoder>(board, fpga);
    board.addDevice<ShapingFilter>(board, fpga);
    board.addDevice<RateGenerator>(board, fpga);
    board.addDevice<PostFilter>(board, fpga);
    // Output chain, in signal order.
    board.addDevice<NoiseGenerator>(board);
    board.addDevice<CarrierNco>(board);
    board.addDevice<Converter>(board);
    board.addDevice<LocalOscillator>(board);
    board.addDevice<RfCorrection>(board);
    board.addDevice<AttenuatorH>(board);
    board.addDevice<AttenuatorL>(board);
    // Data path.
    board.addDevice<SourceRam>(board, fpga);
    board.addDevice<DmaMaster>(board);
}

}  // namespace qmio
