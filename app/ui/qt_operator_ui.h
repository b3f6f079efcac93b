// The program's message boxes and file dialogs as Qt shows them.
//
// Boxes are modal QMessageBox windows with the caption and icon of their kind and the whole message as
// their text. A box asked for from another thread (the output thread) is shown on the GUI thread while
// the asking thread waits for the operator, except while the GUI thread itself waits for the streaming
// threads to end: the box is then still shown, but the thread does not wait for it, so a Stop or a close
// never deadlocks on a box only the GUI thread could show.
#pragma once

#include <condition_variable>
#include <mutex>

#include "hw/operator_ui.h"

class TQtMessageBoxes final : public TMessageBoxes {
 public:
    void ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons buttons) override;
    bool AskOkCancel(const std::string& text, TMsgKind kind, int left, int top) override;
    void SetWorkersMustNotWait(bool on) override;

 private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool workersMustNotWait_ = false;
};

class TQtFileDialogs final : public TFileDialogs {
 public:
    std::optional<std::string> OpenSourceFile(const std::string& directory) override;
    // A name typed without the extension ".cfg" gets it: only such files are listed as sets.
    std::optional<std::string> SaveSetFile(const std::string& directory, const std::string& title) override;
};
