// The signal model's view of a board: its register state, copied under the board's lock.
#pragma once

#include "signal_model.h"

namespace qmio {
class Board;
}

namespace qmio::twin {

// What the board plays now (its source RAM, or the bytes the DMA master played as far as the capture
// kept them) and the register state of every stage. Call with the board's lock held.
BoardState captureState(Board& board);

}  // namespace qmio::twin
