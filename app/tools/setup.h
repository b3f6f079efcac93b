// The settings window: the interface language and whether the output stops at program exit. "Apply"
// takes both and switches the whole interface to the chosen language (the window stays open); "Cancel"
// hides the window and takes nothing.
#pragma once

#include <QWidget>

#include "ui_setup.h"

class TfmSetup : public QWidget {
    Q_OBJECT

 public:
    explicit TfmSetup(QWidget* parent = nullptr);

    // The language list cbLanguage: 0 English, 1 Russian.
    int SelectedLanguage() const;
    void SelectLanguage(int language);

    // Event operations (the window's signals run them).
    void FormShow();
    void btnApplyClick();
    void btnCancelClick();

    Ui::fmSetup ui;

 protected:
    void showEvent(QShowEvent* event) override;
};
