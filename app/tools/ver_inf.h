// The About window: the program's version history in the interface language (written by SetLanguage).
#pragma once

#include <QWidget>

#include "ui_ver_inf.h"

class TfmVerInf : public QWidget {
    Q_OBJECT

 public:
    explicit TfmVerInf(QWidget* parent = nullptr);

    // Memo1 cleared, or filled with the history of language `lang` (version_history.h).
    void ClearText();
    void ShowHistory(int lang);
    void bApplyClick();  // hides the window

    Ui::fmVerInf ui;
};
