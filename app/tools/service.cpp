// The service window as far as the main window needs it today: it exists, carries its name and is shown
// and hidden by the main window. Its controls and handling follow.

#include "service.h"

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
