// Every handler of a window runs through RunHandler: an operation that cannot go on throws, and the
// program's general error report shows its message in an error box (nothing escapes into Qt's event
// loop, which must not see exceptions).
#pragma once

#include <exception>
#include <utility>

#include "hw/operator_ui.h"

template <typename Handler>
void RunHandler(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const std::exception& error) {
        ShowProgramError(error);
    }
}
