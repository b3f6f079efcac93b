// The devices of the emulated board, in the order they are wired.
#include "board.h"
#include "devices/attenuator.h"
#include "devices/carrier.h"
#include "devices/converter.h"
#include "devices/dma_master.h"
#include "devices/i2c_engine.h"
#include "devices/local_oscillator.h"
#include "devices/management_bus.h"
#include "devices/noise_generator.h"
#include "devices/rf_correction.h"
#include "devices/source_ram.h"

namespace qmio {

void populateBoard(Board& board) {
    auto& managementBus = board.addDevice<ManagementBus>(board.config());
    board.addDevice<I2cEngine>(board, managementBus.bus());
    // Output chain, in signal order.
    board.addDevice<NoiseGenerator>(board);
    board.addDevice<CarrierNco>(board);
    board.addDevice<Converter>(board);
    board.addDevice<LocalOscillator>(board);
    board.addDevice<RfCorrection>(board);
    board.addDevice<AttenuatorH>(board);
    board.addDevice<AttenuatorL>(board);
    // Data path.
    board.addDevice<SourceRam>(board);
    board.addDevice<DmaMaster>(board);
}

}  // namespace qmio
