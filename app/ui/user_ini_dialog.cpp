#include "user_ini_dialog.h"

#include "config/options.h"
#include "handlers.h"
#include "hw/hardware.h"
#include "hw/messages.h"

TfmUserINIDialog::TfmUserINIDialog(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    connect(ui.Button1, &QPushButton::clicked, this, [this] { RunHandler([this] { Button1Click(); }); });
    connect(ui.Button2, &QPushButton::clicked, this, [this] { RunHandler([this] { Button2Click(); }); });
}

void TfmUserINIDialog::SetNames(const std::vector<std::string>& names) {
    ui.cbUserSectionsSave->clear();
    for (const std::string& name : names)
        ui.cbUserSectionsSave->addItem(QString::fromStdString(name));
}

bool TfmUserINIDialog::Execute(QWidget* owner) {
    Result = false;
    FormShow();
    adjustSize();
    if (owner) move(owner->frameGeometry().center() - rect().center());
    exec();  // any way of closing but OK leaves Result false
    return Result;
}

void TfmUserINIDialog::FormShow() {
    ui.cbUserSectionsSave->setEditText(QString::fromStdString(CurrentSetName));
}

void TfmUserINIDialog::Button1Click() {
    const std::string text = ui.cbUserSectionsSave->currentText().toStdString();
    if (text == "Options") {
        ShowMsgBox(MessageList[40], TMsgKind::Error, TMsgButtons::Ok);
        return;  // the dialog stays open
    }
    if (text.empty()) return;
    ResultStr = text;
    Result = true;
    accept();
}

void TfmUserINIDialog::Button2Click() {
    Result = false;
    reject();
}
