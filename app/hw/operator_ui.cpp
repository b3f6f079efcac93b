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
    bool AskOkCancel(const std::string& text, TMsgKind kind, int, int) override {
        ShowMsgBox(text + " (no operator to confirm: cancelled)", kind, TMsgButtons::OkCancel);
        return false;
    }
};

class NoFileDialogs final : public TFileDialogs {
 public:
    std::optional<std::string> OpenSourceFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> SaveSetFile(const std::string&, const std::string&) override {
        return std::nullopt;
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
NoFileDialogs noDialogs;
std::atomic<TMessageBoxes*> installedBoxes{nullptr};
std::atomic<TMainWindowEffects*> installedEffects{nullptr};
std::atomic<TFileDialogs*> installedDialogs{nullptr};

}  // namespace

void InstallMessageBoxes(TMessageBoxes* boxes) {
    installedBoxes.store(boxes);
}
void InstallMainWindowEffects(TMainWindowEffects* effects) {
    installedEffects.store(effects);
}

void InstallFileDialogs(TFileDialogs* dialogs) {
    installedDialogs.store(dialogs);
}

TFileDialogs& FileDialogs() {
    TFileDialogs* dialogs = installedDialogs.load();
    return dialogs ? *dialogs : noDialogs;
}

void ShowProgramError(const std::exception& error) {
    MessageBoxes().ShowMsgBox(error.what(), TMsgKind::Error, TMsgButtons::Ok);
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
