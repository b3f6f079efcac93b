// For the targets that run the program's own checks: their message boxes go nowhere, a question is
// answered Cancel, and the operator messages are those of the English interface.
#pragma once

#include "hw/messages.h"
#include "hw/operator_ui.h"

namespace fuzz {

class SilentBoxes : public TMessageBoxes {
 public:
    void ShowMsgBox(const std::string&, TMsgKind, TMsgButtons) override {}
    bool AskOkCancel(const std::string&, TMsgKind, int, int) override { return false; }
};

inline void InstallSilentBoxes() {
    static SilentBoxes boxes;
    InstallMessageBoxes(&boxes);
    CreateWarning(0);
}

}  // namespace fuzz
