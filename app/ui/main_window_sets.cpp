// The main window's sets and configurations: the set list, the configuration list, Save, Save to set and
// the two delete buttons.
#include <QDir>
#include <filesystem>

#include "config/check.h"
#include "config/configuration_choice.h"
#include "config/number_text.h"
#include "config/options.h"
#include "config/profile.h"
#include "config/sets.h"
#include "hw/hardware.h"
#include "hw/messages.h"
#include "main_window.h"
#include "program_windows.h"
#include "tools/logger.h"
#include "user_ini_dialog.h"
#include "zplatform/paths.h"

namespace {

void Log(const std::string& handler, const std::string& text) {
    DebugLogger.Add("i", "TfmMain." + handler, 255, text);
}

int FindIgnoreCase(const QComboBox* list, const std::string& text) {
    for (int i = 0; i < list->count(); ++i)
        if (QString::compare(list->itemText(i), QString::fromStdString(text), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

std::string SelectedText(const QComboBox* list) {
    return list->currentIndex() < 0 ? std::string() : list->currentText().toStdString();
}

}  // namespace

void TfmMain::ReadCfgFiles() {
    ui.cbSets->clear();
    for (const std::string& name : ListSetNames())
        ui.cbSets->addItem(QString::fromStdString(name));
    ui.cbSets->setCurrentIndex(-1);
}

void TfmMain::RefillConfigurationLists(const std::string& file) {
    const std::vector<std::string> names = TStoregeClass::ReadAllINISections(file);
    ui.cbUserSections->clear();
    for (const std::string& name : names)
        ui.cbUserSections->addItem(QString::fromStdString(name));
    ui.cbUserSections->setCurrentIndex(-1);
    fmUserINIDialog->SetNames(names);
}

void TfmMain::cbSetsOnChange(TStoregeClass& storage) {
    const std::string name = SelectedText(ui.cbSets);
    Log("cbSetsOnChange", "Set [" + name + "] selected");
    const std::string last = ChooseCurrentSet(storage, name);
    RefillConfigurationLists(CurrentSetFile);
    ui.cbUserSections->setCurrentIndex(FindIgnoreCase(ui.cbUserSections, last));
    cbUserSectionsChange(storage);
}

void TfmMain::cbUserSectionsChange(TStoregeClass& storage) {
    const std::string name = SelectedText(ui.cbUserSections);
    Log("cbUserSectionsChange", "Section [" + name + "] selected");
    LoadChosenConfiguration(storage, name);  // a section that does not exist loads every default
    UpdateFace();
    RememberChosenConfiguration(storage);
    if (ZorvanHWObject->ZorvanIsRun) tlbtnStartClick();  // the board plays the new configuration
}

void TfmMain::TakeFieldsForSave() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.SourceFile = Text(ui.edFileName);
    hw.F_N = CheckObject->CheckRangeDouble(true, Text(ui.edCarrierFreq), 1000, 5, 2200);
    hw.F_TI = CheckClkFreq(Text(ui.edClockFreq), 220000, 0.5, 1000);
    hw.AttVH = CheckObject->CheckRangeDouble2(true, Text(ui.edVHAtt), 15, 0, 31);
    hw.AttNH = CheckObject->CheckRangeDouble2(true, Text(ui.edNHAtt), 15, 0, 31);
    if (hw.Noise == 1) ReadNoiseLevel();  // a noise text that is not a number ends here: nothing is written
}

void TfmMain::tlbtnSaveClick() {
    Log("tlbtnSaveClick", "Button [Save] click");
    TakeFieldsForSave();
    StoregeObject->SaveUserConfig(CurrentSetName, CurrentSetFile);
    RefillConfigurationLists(CurrentSetFile);
    UpdateFace();
}

void TfmMain::tlbtnSaveExClick() {
    Log("tlbtnSaveExClick", "Button [SaveEx] click; ZorvanHWObject.SourceFile=" + Text(ui.edFileName));
    TakeFieldsForSave();
    std::error_code ignored;
    std::filesystem::create_directories(SetDirectory(),
                                        ignored);  // the dialog opens on an existing directory
    const std::optional<std::string> chosen = FileDialogs().SaveSetFile(SetDirectory(), SaveINIDialogTitle);
    if (!chosen) return;
    fmUserINIDialog->SetNames(TStoregeClass::ReadAllINISections(*chosen));
    if (!fmUserINIDialog->Execute(this)) return;
    const std::string name = fmUserINIDialog->ResultStr;
    StoregeObject->SaveUserConfig(name, *chosen);
    ReadCfgFiles();

    // A set file outside the set directory selects nothing: the current set and configuration stay.
    for (int i = 0; i < ui.cbSets->count(); ++i) {
        if (!SamePathIgnoreCase(SetFilePath(ui.cbSets->itemText(i).toStdString()), *chosen)) continue;
        ui.cbSets->setCurrentIndex(i);
        cbSetsOnChange(*StoregeObject);
        ui.cbUserSections->setCurrentIndex(FindIgnoreCase(ui.cbUserSections, name));
        cbUserSectionsChange(*StoregeObject);
        UpdateFace();
        break;
    }
}

void TfmMain::btnDelSetClick() {
    Log("btnDelSetClick", "Button [DeleteSet] click");
    const QRect frame = frameGeometry();
    if (!MessageBoxes().AskOkCancel(MessageList[34], TMsgKind::Warning,
                                    frame.x() + static_cast<int>(RoundHalfEven(frame.width() / 3.0)),
                                    frame.y() + static_cast<int>(RoundHalfEven(frame.height() / 5.0))))
        return;
    std::error_code ignored;  // a file that cannot be deleted stays, without a message
    std::filesystem::remove(zplatform::pathFromUtf8(CurrentSetFile), ignored);
    ReadCfgFiles();
    ui.cbSets->setCurrentIndex(ui.cbSets->count() > 0 ? 0 : -1);
    cbSetsOnChange(*StoregeObject);
    ui.cbUserSections->setCurrentIndex(ui.cbUserSections->count() > 0 ? 0 : -1);
    CurrentSetName = SelectedText(ui.cbUserSections);
    cbUserSectionsChange(*StoregeObject);
}

void TfmMain::btnDelConfClick() {
    Log("btnDelConfClick", "Button [DeleteConfig] click");
    const QRect frame = frameGeometry();
    if (!MessageBoxes().AskOkCancel(MessageList[35], TMsgKind::Warning,
                                    frame.x() + static_cast<int>(RoundHalfEven(frame.width() / 3.0)),
                                    frame.y() + static_cast<int>(RoundHalfEven(frame.height() / 5.0))))
        return;
    if (!profile::EraseSection(CurrentSetFile, CurrentSetName))
        throw EStorageError("Unable to write to " + CurrentSetFile);
    RefillConfigurationLists(CurrentSetFile);
    ui.cbUserSections->setCurrentIndex(ui.cbUserSections->count() > 0 ? 0 : -1);
    CurrentSetName = SelectedText(ui.cbUserSections);
    cbUserSectionsChange(*StoregeObject);
}

// ---- The storage's view of the window ---------------------------------------------------------------

int TfmMain::WindowTop() const {
    return frameGeometry().y();
}

int TfmMain::WindowLeft() const {
    return frameGeometry().x();
}

void TfmMain::MoveWindow(int Top, int Left) {
    move(Left, Top);
}

std::vector<std::string> TfmMain::SetEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < ui.cbSets->count(); ++i)
        entries.push_back(ui.cbSets->itemText(i).toStdString());
    return entries;
}

void TfmMain::ChooseSet(TStoregeClass& storage, int index) {
    ui.cbSets->setCurrentIndex(index);
    cbSetsOnChange(storage);
}
