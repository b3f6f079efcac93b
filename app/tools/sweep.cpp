// The carrier sweep window as far as the main window needs it today: it exists, carries its name and is shown
// and hidden by the main window. Its controls and handling follow.

#include "sweep.h"
#include "config/options.h"

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
void TfmSweep::UpdateFace() {}
