// What the program's logic asks of its windows. The Qt windows implement these small interfaces; the
// tests replace them with recorders. Without an installed implementation, boxes go to the standard
// error stream and window effects do nothing, so the logic also runs headless.
#pragma once

#include <string>

enum class TMsgKind { Warning, Error, Information, Confirm, Other };
enum class TMsgButtons { Ok, OkCancel };

class TMessageBoxes {
 public:
    virtual ~TMessageBoxes() = default;
    // A modal system message box without owner window; returns when the operator closes it. It may be
    // called from any thread: the output thread shows its errors from its own thread.
    virtual void ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons buttons) = 0;
};

class TMainWindowEffects {
 public:
    virtual ~TMainWindowEffects() = default;
    // Input to the main window is disabled for the duration of a device load.
    virtual void SetMainInputEnabled(bool enabled) = 0;
    // After a device load: an armed sine interferer is started again, then an armed sweep.
    virtual void RestartArmedTools() = 0;
    // When the streaming threads stop: status panel 2 cleared, the progress bar at 0 and hidden.
    virtual void ResetStreamingDisplay() = 0;
};

// Installs the windows' implementations (nullptr: back to the headless defaults). Install before the
// threads start; the pointers are read from every thread.
void InstallMessageBoxes(TMessageBoxes* boxes);
void InstallMainWindowEffects(TMainWindowEffects* effects);
TMessageBoxes& MessageBoxes();
TMainWindowEffects& MainWindowEffects();

// Caption of a box of the given kind: "Warning", "Error", "Information", "Confirm", or empty.
const char* MsgBoxCaption(TMsgKind kind);
