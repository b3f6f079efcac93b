// The main window's start-up (its first showing), run control, close and interface language.
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QTimer>
#include <algorithm>

#include "config/check.h"
#include "config/number_text.h"
#include "config/options.h"
#include "config/sets.h"
#include "handlers.h"
#include "hw/board_startup.h"
#include "hw/driver_ring.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "hw/parameters.h"
#include "hw/streaming.h"
#include "language.h"
#include "main_window.h"
#include "program_windows.h"
#include "tools/admin_check.h"
#include "tools/bits.h"
#include "tools/logger.h"
#include "tools/service.h"
#include "tools/setup.h"
#include "tools/sine.h"
#include "tools/sweep.h"
#include "tools/ver_inf.h"
#include "zplatform/codepage.h"

// ---- Start-up --------------------------------------------------------------------------------------

void TfmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShow_) return;
    firstShow_ = false;
    // The board is brought into service once the window is on the screen, so the operator sees the
    // program while the board loads.
    QTimer::singleShot(0, this, [this] { RunHandler([this] { FormShow(); }); });
}

void TfmMain::FormShow() {
    ReadDriverBufferParameters();
    static TCheckClass checkObject;  // lives until the program ends
    CheckObject = &checkObject;
    if (!IsAdministrator()) ShowMsgBox(MessageList[38], TMsgKind::Error, TMsgButtons::Ok);
    // AppDir is the program file's directory; relative source and firmware paths start there.
    QDir::setCurrent(QString::fromStdString(AppDir));

    hw_ = std::make_unique<TZorvanHWClass>(DeviceNum);
    ZorvanHWObject = hw_.get();
    stream_ = std::make_unique<TDataStream>(*hw_);
    runControl_ = std::make_unique<TRunControl>(*hw_, *stream_, *this);
    fmService->SetStreamCounters(&stream_->Counters);
    ConnectBoard(*hw_);
    hw_->ZorvanIsRun = false;  // configuration choices during the start-up do not start the output

    storage_ = std::make_unique<TStoregeClass>(*this, CommandConfiguration);
    StoregeObject = storage_.get();
    RefillConfigurationLists(CurrentSetFile);
    UpdateFace();

    const TBoardIdentity identity = ReadBoardIdentity(*hw_);
    if (identity.SerialRead) StatusPanel[0]->setText(QString(" SN: %1").arg(hw_->SN));
    if (identity.VersionRead) StatusPanel[1]->setText(QString(" HW: %1").arg(hw_->HWVersion));

    tlbtnStartClick();
    // The tool windows have not been shown yet: their fields get the configuration's values before
    // the armed sine and sweep read them.
    if (SineSettings.NeedToStartSine) {
        fmSine->UpdateFace();
        fmSine->SetOnOffSine(true);
        fmSine->OnOffSineClick();
    }
    if (SweepSettings.NeedToStartSweep) {
        fmSweep->UpdateFace();
        fmSweep->SetOnOffSweep(true);
        fmSweep->OnOffSweepClick();
    }
    SetLanguage();
    hw_->ZorvanIsRun = true;
    startupDone_ = true;
}

// ---- Close -----------------------------------------------------------------------------------------

void TfmMain::closeEvent(QCloseEvent* event) {
    RunHandler([this] { FormCloseQuery(); });
    event->accept();  // the close always lets the window close; the program ends with it
}

void TfmMain::FormCloseQuery() {
    if (closed_) return;
    closed_ = true;
    Timer1.stop();
    if (runControl_) RunHandler([this] { runControl_->Close(); });
    // The storage saves the options and the configuration in force; it reads the hardware object.
    RunHandler([this] {
        StoregeObject = nullptr;
        std::unique_ptr<TStoregeClass> storage = std::move(storage_);
        if (storage) storage->SaveAtExit();
    });
    runControl_.reset();
    stream_.reset();
    fmService->SetStreamCounters(nullptr);
    ZorvanHWObject = nullptr;
    hw_.reset();  // disconnects the board
    DebugLogger.Disable();
}

// ---- Run control -----------------------------------------------------------------------------------

void TfmMain::tlbtnStartClick() {
    if (runControl_) runControl_->Start();
}

void TfmMain::tlbtnStopClick() {
    if (runControl_) runControl_->Stop();
}

void TfmMain::Timer1Timer() {
    if (runControl_) runControl_->TimerTick();
}

void TfmMain::ReadNoiseLevel() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    const std::string text = Text(ui.edNoise);
    if (text.empty()) {
        ShowMsgBox(MessageList[2], TMsgKind::Error, TMsgButtons::Ok);
        return;  // the level keeps its value
    }
    hw.Pomeha = std::clamp(StrToFloat(text), -40.0, 15.0);
    ShowNumber(ui.edNoise, hw.Pomeha);
}

std::string TfmMain::FileNameText() const {
    return Text(ui.edFileName);
}

void TfmMain::ShowRunning(bool running) {
    ui.tlbtnStop->setEnabled(running);
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui.edFileName, ui.cbSigSourceKind, ui.cbBin, ui.cbFilter})
        control->setEnabled(!running);
    ui.tlbtnStart->setEnabled(!running);
}

void TfmMain::TakeConfiguration() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    const TFieldLimits& carrier = kCarrierTakenLimits;
    hw.F_N = CheckObject->CheckRangeDouble(true, Text(ui.edCarrierFreq), carrier.Default, carrier.Low,
                                           carrier.High);
    hw.F_TI = CheckClkFreq(Text(ui.edClockFreq), kClockLimits.High, kClockLimits.Low, kClockLimits.Default);
    hw.ModKind = static_cast<std::uint8_t>(ui.cbSigKind->currentIndex());
    _SetModKind(hw.DevNum, hw.ModKind);
    hw.AttVH = CheckObject->CheckRangeDouble2(true, Text(ui.edVHAtt), 15, 0, 31);
    hw.AttNH = CheckObject->CheckRangeDouble2(true, Text(ui.edNHAtt), 15, 0, 31);
    hw.Filter = static_cast<std::uint8_t>(ui.cbFilter->currentIndex());
    _SetFilterType(hw.DevNum, hw.Filter);
    hw.Samples = static_cast<std::uint8_t>(ui.cbVos->currentIndex());
    if (hw.Noise == 1) ReadNoiseLevel();
    chbScremblClick();
    chbDiff1Click();
    hw.Code = static_cast<std::uint8_t>(ui.cbCode->currentIndex());
    chbDiff2Click();
    chbSpectrInvClick();
    hw.SourceCode = static_cast<std::uint8_t>(ui.cbBin->currentIndex());
    hw.SourceFile = Text(ui.edFileName);
}

void TfmMain::SetPositionTimer(bool on) {
    on ? Timer1.start() : Timer1.stop();
}

void TfmMain::ShowPosition(const std::string& panelText, int progress, bool progressVisible) {
    StatusPanel[2]->setText(QString::fromStdString(panelText));
    ProgressBar1->setValue(progress);
    ProgressBar1->setVisible(progressVisible);
}

void TfmMain::RAMModeView(bool on) {
    fmService->RAMModeView(on);
}

std::string TfmMain::MegaByte() const {
    return MegaByteText;
}

// ---- Window effects of the engine ------------------------------------------------------------------

void TfmMain::SetMainInputEnabled(bool enabled) {
    setEnabled(enabled);
    enabled ? QApplication::restoreOverrideCursor() : QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TfmMain::RestartArmedTools() {
    if (SineSettings.SineIsWork) fmSine->StartSine();
    if (SweepSettings.SweepIsWork) fmSweep->StartSweep();
}

void TfmMain::ResetStreamingDisplay() {
    ShowPosition("", 0, false);
}

// ---- Interface language ----------------------------------------------------------------------------

void TfmMain::ApplyLanguage() {
    fmSetup->SelectLanguage(current_language);
    SetLanguage();
}

void TfmMain::SetLanguage() {
    const int language = fmSetup->SelectedLanguage();
    ErrorTextLanguage = language;
    CreateWarning(language);
    fmVerInf->ClearText();
    if (language == 0 || language == 1) {
        const TFieldTextSink mainFields = [this](std::string_view field, int, const QString& text) {
            (field == "MegaByte" ? MegaByteText : SaveINIDialogTitle) = text.toStdString();
        };
        const TFieldTextSink serviceFields = [](std::string_view field, int index, const QString& text) {
            (field == "arrBWRCaptions" ? fmService->arrBWRCaptions : fmService->arrBRDCaptions).at(index) =
                text;
        };
        for (const TWindowTexts& table : WindowTexts()) {
            QWidget* window = ProgramWindow(table.window);
            if (!window) continue;
            const TFieldTextSink& fields = window == this ? mainFields : serviceFields;
            ApplyWindowTexts(window, table, language, fields);
            if (window == fmVerInf) fmVerInf->ShowHistory(language);
        }
        fmService->ShowButtonCaptions();
    }
    if (ZorvanHWObject) UpdateFace();
    fmSweep->UpdateFace();
    fmSine->UpdateFace();
}
