// The settings window as far as the main window needs it today: it exists, carries its name and is shown
// and hidden by the main window. Its controls and handling follow.

#include <QComboBox>
#include <QVBoxLayout>

#include "setup.h"

TfmSetup::TfmSetup(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("fmSetup");
    setWindowTitle(" Settings ");
    auto* layout = new QVBoxLayout(this);
    cbLanguage_ = new QComboBox(this);
    cbLanguage_->setObjectName("cbLanguage");
    cbLanguage_->addItems({"English", QString::fromUtf8("Русский")});
    layout->addWidget(cbLanguage_);
}
int TfmSetup::SelectedLanguage() const {
    return cbLanguage_->currentIndex();
}
void TfmSetup::SelectLanguage(int language) {
    cbLanguage_->setCurrentIndex(language == 0 || language == 1 ? language : -1);
}
