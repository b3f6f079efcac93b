#include "operator_ui.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace {

class ConsoleMessageBoxes final : public TMessageBoxes {
 public:
    void ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons) override {
        static std::mutex mutex;  // boxes come from several threads; keep each one whole
        std::lock_guard lock(mutex);
        std::fprintf(stderr, "[%s] %s\n", MsgBoxCaption(kind), text.c_str());
    }
};

class NoWindowEffects final : public TMainWindowEffects {
 public:
    void SetMainInputEnabled(bool) override {}
    void RestartArmedTools() override {}
    void ResetStreamingDisplay() override {}
};

ConsoleMessageBoxes consoleBoxes;
NoWindowEffects noEffects;
std::atomic<TMessageBoxes*> installedBoxes{nullptr};
std::atomic<TMainWindowEffects*> installedEffects{nullptr};

}  // namespace

void InstallMessageBoxes(TMessageBoxes* boxes) {
    installedBoxes.store(boxes);
}
void InstallMainWindowEffects(TMainWindowEffects* effects) {
    installedEffects.store(effects);
}

TMessageBoxes& MessageBoxes() {
    TMessageBoxes* boxes = installedBoxes.load();
    return boxes ? *boxes : consoleBoxes;
}

TMainWindowEffects& MainWindowEffects() {
    TMainWindowEffects* effects = installedEffects.load();
    return effects ? *effects : noEffects;
}

const char* MsgBoxCaption(TMsgKind kind) {
    switch (kind) {
        case TMsgKind::Warning:
            return "Warning";
        case TMsgKind::Error:
            return "Error";
        case TMsgKind::Information:
            return "Information";
        case TMsgKind::Confirm:
            return "Confirm";
        default:
            return "";
    }
}
