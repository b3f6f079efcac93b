// The tool windows' rows of the handler table of zorvanl-program-bench.
//
// Each tool window (fmSweep, fmSine, fmService, fmSetup) gets its rows here: every handler that does not
// load the device (field entries, check boxes, the service window's register reads and writes, the
// language list), as an operator's action on the window's controls. The program is running on the
// emulated board, its windows exist and the main window plays a source from the board's RAM when these
// run. Example of a row:
//
//   rows.push_back({"sweep", "edDwell Enter",
//                   [](int i) { EnterText(fmSweep->findChild<QLineEdit*>("edDwell"), i % 2 ? "10" : "20"); },
//                   [] { fmSweep->show(); }, [] { fmSweep->hide(); }});
#include "program_bench.h"

namespace program_bench {

std::vector<THandlerRow> ToolWindowHandlers() {
    std::vector<THandlerRow> rows;
    // ---- sweep window ----
    // ---- sine window ----
    // ---- service window ----
    // ---- settings window ----
    return rows;
}

}  // namespace program_bench
