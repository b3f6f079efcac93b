// The name dialog of "Save to set": the operator gives the configuration's name, or picks one of the
// set file's existing names. "Options" is refused (message 40): it is the set file's own section.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "ui_user_ini_dialog.h"

class TfmUserINIDialog : public QDialog {
    Q_OBJECT

 public:
    explicit TfmUserINIDialog(QWidget* parent = nullptr);

    // The names offered in the list (the configurations of the set file being written).
    void SetNames(const std::vector<std::string>& names);
    // Shows the dialog modally, centred on `owner`; true when the operator confirmed a name
    // (ResultStr). Result reports a confirmation of this showing only.
    bool Execute(QWidget* owner);

    void FormShow();
    void Button1Click();  // OK
    void Button2Click();  // Cancel

    bool Result = false;
    std::string ResultStr;
    Ui::fmUserINIDialog ui;
};
