// The settings window: the interface language and whether the output stops at program exit.
#pragma once

#include <QWidget>

class QComboBox;

class TfmSetup : public QWidget {
    Q_OBJECT

 public:
    explicit TfmSetup(QWidget* parent = nullptr);

    // The language list cbLanguage: 0 English, 1 Russian.
    int SelectedLanguage() const;
    void SelectLanguage(int language);

 private:
    QComboBox* cbLanguage_ = nullptr;
};
