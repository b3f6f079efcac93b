// Shared parts of zorvanl-program-bench: the rows of the handler table and the program under measure.
#pragma once

#include <QString>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QWidget;

namespace program_bench {

// The operator's typing: the field gets the focus, its text is replaced by `text` key by key, then
// Enter (or Tab when `leave`).
void EnterText(QLineEdit* field, const QString& text, bool leave = false);
// A click with the left mouse button in the middle of a widget.
void Click(QWidget* widget);

// One row of the handler table: an operator's action that runs one handler of a window and does not
// load the device. `prepare` runs once before the repetitions (opening the window the handler belongs
// to, for example); `act` is timed, with the events it posts (the repaint) processed; `finish` runs
// once after them. `act` gets the repetition's number, so that it can alternate between two values.
struct THandlerRow {
    std::string window;  // "main", "sweep", "sine", "service", "settings", ...
    std::string name;    // the handler, as the table shows it
    std::function<void(int repetition)> act;
    std::function<void()> prepare = {};
    std::function<void()> finish = {};
};

// The main window's rows (program_bench.cpp).
std::vector<THandlerRow> MainWindowHandlers();

// The tool windows' rows (program_bench_tools.cpp): the sweep, sine, service and settings windows'
// handlers are added there, one THandlerRow each, and the table measures them like the main window's.
std::vector<THandlerRow> ToolWindowHandlers();

}  // namespace program_bench
