// The tool windows' rows of the handler table of zorvanl-program-bench.
//
// Each tool window (fmSweep, fmSine, fmService, fmSetup) gets its rows here: every handler that does not
// load the device (field entries, lists, the on/off buttons, the timers' ticks, the service window's
// register reads and writes, the logging options, the language list with Apply), as an operator's action
// on the window's controls. The program is running on the emulated board, its windows exist and the main
// window plays a source from the board's RAM when these run. Each row leaves its window as it found it:
// closed, sweep and sine off, logging off, English.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "config/options.h"
#include "program_bench.h"
#include "program_windows.h"
#include "tools/service.h"
#include "tools/setup.h"
#include "tools/sine.h"
#include "tools/sweep.h"

namespace program_bench {

namespace {

void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// A check box is clicked on its box: the middle of a wide check box lies beyond its text.
void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

// A check box or an on/off button brought to a state by the operator's click, if it is not in it.
void ClickTo(QAbstractButton* button, bool checked) {
    if (button->isChecked() == checked) return;
    if (auto* box = qobject_cast<QCheckBox*>(button))
        ClickBox(box);
    else
        Click(button);
}

}  // namespace

std::vector<THandlerRow> ToolWindowHandlers() {
    std::vector<THandlerRow> rows;

    // ---- sweep window ----
    Ui::fmSweep& sw = fmSweep->ui;
    const auto openSweep = [] { fmSweep->show(); };
    const auto closeSweep = [&sw] {
        ClickTo(sw.OnOffSweep, false);
        fmSweep->hide();
    };
    rows.push_back({"sweep", "Edit1 Enter (range)",
                    [&sw](int i) { EnterText(sw.Edit1, i % 2 ? "1000" : "2000"); }, openSweep, closeSweep});
    rows.push_back({"sweep", "Edit2 Enter (time)", [&sw](int i) { EnterText(sw.Edit2, i % 2 ? "1" : "2"); },
                    openSweep, closeSweep});
    rows.push_back({"sweep", "ComboBox1 choice (mode)", [&sw](int i) { Choose(sw.ComboBox1, i % 2); },
                    openSweep, closeSweep});
    rows.push_back(
        {"sweep", "OnOffSweep click (on, off)", [&sw](int) { Click(sw.OnOffSweep); }, openSweep, closeSweep});
    rows.push_back({"sweep", "Timer1 tick (pass poll, sweep on)", [](int) { fmSweep->Timer1Timer(); },
                    [&sw] {
                        fmSweep->show();
                        Choose(sw.ComboBox1, 1);  // cycle: the sweep runs through the repetitions
                        ClickTo(sw.OnOffSweep, true);
                    },
                    [&sw, closeSweep] {
                        closeSweep();
                        Choose(sw.ComboBox1, 0);
                    }});

    // ---- sine window ----
    Ui::fmSine& si = fmSine->ui;
    const auto openSine = [] { fmSine->show(); };
    const auto closeSine = [&si] {
        ClickTo(si.OnOffSine, false);
        fmSine->hide();
    };
    rows.push_back({"sine", "Edit3 Enter (offset)",
                    [&si](int i) { EnterText(si.Edit3, i % 2 ? "1000" : "500"); }, openSine, closeSine});
    rows.push_back({"sine", "Edit4 Enter (level)", [&si](int i) { EnterText(si.Edit4, i % 2 ? "0" : "-3"); },
                    openSine, closeSine});
    rows.push_back(
        {"sine", "OnOffSine click (on, off)", [&si](int) { Click(si.OnOffSine); }, openSine, closeSine});

    // ---- service window ----
    Ui::fmService& sv = fmService->ui;
    const auto openService = [] { fmService->show(); };
    const auto closeService = [] { fmService->hide(); };
    rows.push_back({"service", "Timer1 tick (identity, temperatures, counters)",
                    [](int) { fmService->Timer1Timer(); }, openService, closeService});
    rows.push_back({"service", "Shift+Left (the Registers tab's key)",
                    [](int) { fmService->FormKeyDown(Qt::Key_Left, Qt::ShiftModifier); }, openService,
                    closeService});
    rows.push_back({"service", "btnRd click (register 10)", [&sv](int) { Click(sv.btnRd); },
                    [&sv] {
                        fmService->show();
                        sv.edReadAdr->setText("10");
                    },
                    [&sv, closeService] {
                        sv.mReadReg->clear();
                        closeService();
                    }});
    // Index 3F0 lies in the board's register window and belongs to none of its devices.
    rows.push_back({"service", "btnWr click (register 3F0)",
                    [&sv](int i) {
                        sv.edWriteVal->setText(i % 2 ? "5A5A5A5A" : "0");
                        Click(sv.btnWr);
                    },
                    [&sv] {
                        fmService->show();
                        sv.edWriteAdr->setText("3F0");
                    },
                    closeService});
    rows.push_back({"service", "tmrRd tick (repeated read)", [](int) { fmService->tmrRdTimer(); },
                    [&sv] {
                        fmService->show();
                        sv.edReadAdr->setText("10");
                    },
                    [&sv, closeService] {
                        sv.mReadReg->clear();
                        closeService();
                    }});
    rows.push_back({"service", "tmrWr tick (repeated write)", [](int) { fmService->tmrWrTimer(); },
                    [&sv] {
                        fmService->show();
                        sv.edWriteAdr->setText("3F0");
                        sv.edWriteVal->setText("1");
                    },
                    closeService});
    rows.push_back({"service", "chbDebugLog click (logging on, off)",
                    [&sv](int) { ClickBox(sv.chbDebugLog); }, openService,
                    [&sv, closeService] {
                        ClickTo(sv.chbDebugLog, false);
                        closeService();
                    }});

    // ---- settings window ----
    Ui::fmSetup& st = fmSetup->ui;
    const auto openSetup = [] { fmSetup->show(); };
    const auto closeSetup = [&st] {
        current_language = 0;
        st.cbLanguage->setCurrentIndex(0);
        Click(st.btnApply);
        fmSetup->hide();
    };
    rows.push_back({"settings", "cbLanguage choice + btnApply (language switch)",
                    [&st](int i) {
                        Choose(st.cbLanguage, i % 2 ? 0 : 1);
                        Click(st.btnApply);
                    },
                    openSetup, closeSetup});
    rows.push_back({"settings", "chbTxDisableOnExit click + btnApply",
                    [&st](int) {
                        ClickBox(st.chbTxDisableOnExit);
                        Click(st.btnApply);
                    },
                    openSetup,
                    [&st, closeSetup] {
                        ClickTo(st.chbTxDisableOnExit, true);
                        closeSetup();
                    }});
    rows.push_back({"settings", "btnCancel click (window closes)", [&st](int) {
                        fmSetup->show();
                        Click(st.btnCancel);
                    }});
    return rows;
}

}  // namespace program_bench
