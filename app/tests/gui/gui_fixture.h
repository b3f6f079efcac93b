// The operator program on the emulated board, for the window tests: a program directory of its own
// (the generated firmware set and sample signals linked in), the windows created as the program entry
// creates them, the message boxes and file dialogs replaced by recorders, and helpers that type and
// click as an operator does.
#pragma once

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/number_text.h"
#include "config/options.h"
#include "config/storage.h"
#include "hw/driver_ring.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "hw/operator_ui.h"
#include "main_window.h"
#include "program_windows.h"
#include "qmio/qmio_test.h"
#include "tools/logger.h"

namespace gui_test {

struct Box {
    std::string text;
    TMsgKind kind;
};

// Records every box; answers OK/Cancel questions with `confirm`; file dialogs answer from a queue
// (an empty queue: the operator cancels).
class Recorder final : public TMessageBoxes, public TFileDialogs {
 public:
    void ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons) override {
        boxes.push_back({text, kind});
    }
    bool AskOkCancel(const std::string& text, TMsgKind kind, int left, int top) override {
        boxes.push_back({text, kind});
        askedAt = {left, top};
        return confirm;
    }
    std::optional<std::string> OpenSourceFile(const std::string&) override { return Next(); }
    std::optional<std::string> SaveSetFile(const std::string&, const std::string& title) override {
        saveTitle = title;
        return Next();
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const Box& box : boxes)
            all.push_back(box.text);
        return all;
    }

    std::vector<Box> boxes;
    bool confirm = true;
    std::pair<int, int> askedAt{0, 0};
    std::deque<std::optional<std::string>> files;
    std::string saveTitle;

 private:
    std::optional<std::string> Next() {
        if (files.empty()) return std::nullopt;
        auto next = files.front();
        files.pop_front();
        return next;
    }
};

// The program's directory of one test: Firmware and Signals are the build's own (linked), Config.ini,
// User/ and logs/ are the test's.
class ProgramDirectory {
 public:
    ProgramDirectory() {
        static int counter = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("zvgui" + std::to_string(getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
        const std::filesystem::path built = std::filesystem::path(ZORVANL_FIRMWARE_DIR).parent_path();
        std::filesystem::create_directory_symlink(built / "Firmware", path_ / "Firmware");
        std::filesystem::create_directory_symlink(built / "Signals", path_ / "Signals");
    }
    ~ProgramDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string appDir() const { return path_.string() + "/"; }
    std::string file(const std::string& relative) const { return (path_ / relative).string(); }
    void write(const std::string& relative, const std::string& text) const {
        std::filesystem::create_directories((path_ / relative).parent_path());
        std::ofstream(path_ / relative, std::ios::binary) << text;
    }
    void writeBytes(const std::string& relative, std::uint64_t size) const {
        std::filesystem::create_directories((path_ / relative).parent_path());
        std::ofstream out(path_ / relative, std::ios::binary);
        std::string block(65536, '\x5A');
        for (std::uint64_t left = size; left > 0;) {
            const std::uint64_t piece = std::min<std::uint64_t>(left, block.size());
            out.write(block.data(), static_cast<std::streamsize>(piece));
            left -= piece;
        }
    }
    std::string read(const std::string& relative) const {
        std::ifstream in(path_ / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(path_ / relative); }

 private:
    std::filesystem::path path_;
};

// One run of the program: windows created, main window shown, start-up done.
class Program {
 public:
    explicit Program(const ProgramDirectory& directory, const std::string& boardConfig = "",
                     std::uint8_t device = 0, TCommandConfiguration commands = {}) {
        QmioTest_Configure(boardConfig.empty() ? "[Board0]\n" : boardConfig.c_str());
        QmioTest_SetMasterRate(0, 64.0e6);
        AppDir = directory.appDir();
        CreateWarning(0);
        SweepSettings = {};
        SineSettings = {};
        CreateProgramWindows();
        InstallMessageBoxes(&recorder);
        InstallFileDialogs(&recorder);
        fmMain->DeviceNum = device;
        fmMain->CommandConfiguration = std::move(commands);
        fmMain->show();
        QApplication::setActiveWindow(fmMain);
        QVERIFY(QTest::qWaitForWindowExposed(fmMain));
        QTRY_VERIFY_WITH_TIMEOUT(fmMain->StartupDone(), 60000);
    }
    ~Program() { Close(); }

    // The operator closes the main window.
    void Close() {
        if (!fmMain) return;
        fmMain->close();
        DestroyProgramWindows();
        InstallMessageBoxes(nullptr);
        InstallFileDialogs(nullptr);
    }

    Ui::fmMain& ui() { return fmMain->ui; }
    TZorvanHWClass& hw() { return *ZorvanHWObject; }

    Recorder recorder;
};

// Types each character of `text` (any script) into a widget, as the keyboard delivers it.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        const Qt::Key key = c.isDigit() ? static_cast<Qt::Key>(Qt::Key_0 + c.digitValue()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Press, widget, key, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, key, QString(c), Qt::NoModifier);
    }
}

// Types `text` into a field as the operator does (the field has the focus), then Enter.
inline void TypeAndEnter(QLineEdit* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    TypeText(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// Replaces a field's text and leaves it with Tab.
inline void TypeAndLeave(QLineEdit* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    TypeText(field, text);
    QTest::keyClick(field, Qt::Key_Tab);
}

// The operator chooses item `index` of a list (the list's handler runs, as for a click).
inline void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// A number as the fields show it, with the regional separator.
inline QString Shown(double value) {
    return QString::fromStdString(FloatToStr(value));
}

template <typename State>
State Query(std::int32_t (*query)(std::int32_t, State*)) {
    State state{};
    query(0, &state);
    return state;
}

}  // namespace gui_test
