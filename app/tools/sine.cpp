// The sine interferer window as far as the main window needs it today: it exists, carries its name and is
// shown and hidden by the main window. Its controls and handling follow.

#include "sine.h"
#include "config/options.h"

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
void TfmSine::UpdateFace() {}
