// The devices of the emulated board, in the order they are wired.
#include "board.h"
#include "devices/i2c_engine.h"
#include "devices/management_bus.h"

namespace qmio {

void populateBoard(Board& board) {
    auto& managementBus = board.addDevice<ManagementBus>(board.config());
    board.addDevice<I2cEngine>(board, managementBus.bus());
}

}  // namespace qmio
