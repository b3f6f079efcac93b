#include "setup.h"

#include "config/options.h"
#include "handlers.h"
#include "hw/hardware.h"
#include "main_window.h"
#include "program_windows.h"
#include "tools/logger.h"

TfmSetup::TfmSetup(QWidget* parent) : QWidget(parent, Qt::Window) {
    ui.setupUi(this);
    connect(ui.btnApply, &QPushButton::clicked, this, [this] { RunHandler([this] { btnApplyClick(); }); });
    connect(ui.btnCancel, &QPushButton::clicked, this, [this] { RunHandler([this] { btnCancelClick(); }); });
}

int TfmSetup::SelectedLanguage() const {
    return ui.cbLanguage->currentIndex();
}

void TfmSetup::SelectLanguage(int language) {
    ui.cbLanguage->setCurrentIndex(language == 0 || language == 1 ? language : -1);
}

void TfmSetup::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RunHandler([this] { FormShow(); });
}

void TfmSetup::FormShow() {
    if (ZorvanHWObject) ui.chbTxDisableOnExit->setChecked(ZorvanHWObject->TxDisableOnExit);
}

void TfmSetup::btnApplyClick() {
    const int language = SelectedLanguage();
    // With no language selected the language in force stays (the list always has one selected).
    if (language == 0 || language == 1) current_language = static_cast<std::uint8_t>(language);
    if (fmMain) fmMain->SetLanguage();
    const bool txDisable = ui.chbTxDisableOnExit->isChecked();
    if (ZorvanHWObject) ZorvanHWObject->TxDisableOnExit = txDisable;
    if (UseDebugLog) {
        DebugLogger.Add("i", "TfmSetup.btnApplyClick", 255,
                        "Language : [" + ui.cbLanguage->currentText().toStdString() + "]");
        DebugLogger.Add("i", "TfmSetup.btnApplyClick", 255,
                        std::string("TxDisableOnExit : [") + (txDisable ? "-1" : "0") + "]");
    }
}

void TfmSetup::btnCancelClick() {
    hide();
}
