// What the program's logic asks of its windows. The Qt windows implement these small interfaces; the
// tests replace them with recorders. Without an installed implementation, boxes go to the standard
// error stream and window effects do nothing, so the logic also runs headless.
#pragma once

#include <exception>
#include <optional>
#include <string>

enum class TMsgKind { Warning, Error, Information, Confirm, Other };
enum class TMsgButtons { Ok, OkCancel };

class TMessageBoxes {
 public:
    virtual ~TMessageBoxes() = default;
    // A modal system message box without owner window; returns when the operator closes it. It may be
    // called from any thread: the output thread shows its errors from its own thread.
    virtual void ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons buttons) = 0;
    // A modal question with OK and Cancel, its top-left corner at (left, top) on the screen; true when
    // the operator chose OK. GUI thread only. Without windows nobody can confirm: false.
    virtual bool AskOkCancel(const std::string& text, TMsgKind kind, int left, int top) = 0;
    // While on, a box asked for from a thread other than the GUI thread no longer makes that thread
    // wait for the operator: the box is still shown, but the thread goes on at once. The GUI thread
    // turns it on while it waits for the streaming threads to end, so that a stop never waits for a box
    // that only the GUI thread could show.
    virtual void SetWorkersMustNotWait(bool on) { (void)on; }
};

// Files the operator picks in the platform's file dialogs. GUI thread only.
class TFileDialogs {
 public:
    virtual ~TFileDialogs() = default;
    // The open-file dialog for the source file; nullopt when the operator cancels.
    virtual std::optional<std::string> OpenSourceFile(const std::string& directory) = 0;
    // The save dialog of a set file ("Configuration|*.cfg", title `title`), opened on `directory`
    // with no file name; the directory must exist and an existing file may be chosen without a question.
    // nullopt when the operator cancels.
    virtual std::optional<std::string> SaveSetFile(const std::string& directory,
                                                   const std::string& title) = 0;
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
void InstallFileDialogs(TFileDialogs* dialogs);
TMessageBoxes& MessageBoxes();
TMainWindowEffects& MainWindowEffects();
TFileDialogs& FileDialogs();

// The program's general error report: an operation that cannot go on (a file the system refuses, a text
// that is not a number) ends with an error box holding the error's message.
void ShowProgramError(const std::exception& error);

// Caption of a box of the given kind: "Warning", "Error", "Information", "Confirm", or empty.
const char* MsgBoxCaption(TMsgKind kind);
