// The tool windows as far as the main window needs them today: each exists, carries its name and is
// shown and hidden by the main window. Their controls and handling follow.
#include <QComboBox>
#include <QVBoxLayout>

#include "config/options.h"
#include "service.h"
#include "setup.h"
#include "sine.h"
#include "sweep.h"

TfmSweep::TfmSweep(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("fmSweep");
    setWindowTitle("  Sweep");
}
bool TfmSweep::OnOffSweepDown() const {
    return SweepSettings.SweepIsWork;
}
void TfmSweep::SetOnOffSweep(bool) {}
void TfmSweep::OnOffSweepClick() {}
void TfmSweep::StartSweep() {}
void TfmSweep::StopSweep() {}

TfmSine::TfmSine(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("fmSine");
    setWindowTitle("  Sine");
}
bool TfmSine::OnOffSineDown() const {
    return SineSettings.SineIsWork;
}
void TfmSine::SetOnOffSine(bool) {}
void TfmSine::OnOffSineClick() {}
void TfmSine::StartSine() {}
void TfmSine::StopSine() {}

TfmService::TfmService(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("fmService");
    setWindowTitle("  Service  ");
}
void TfmService::RAMModeView(bool En) {
    RAMModeViewEn = En;
}
void TfmService::SetStreamCounters(const TStreamCounters* counters) {
    counters_ = counters;
}

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
