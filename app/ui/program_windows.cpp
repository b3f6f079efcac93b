#include "program_windows.h"

#include "main_window.h"
#include "slider.h"
#include "tools/bits.h"
#include "tools/service.h"
#include "tools/setup.h"
#include "tools/sine.h"
#include "tools/sweep.h"
#include "tools/ver_inf.h"
#include "user_ini_dialog.h"

TfmMain* fmMain = nullptr;
TForm1* Form1 = nullptr;
TfmSetup* fmSetup = nullptr;
TfmSine* fmSine = nullptr;
TfmSlider* fmSlider = nullptr;
TfmSweep* fmSweep = nullptr;
TfmUserINIDialog* fmUserINIDialog = nullptr;
TfmVerInf* fmVerInf = nullptr;
TfmService* fmService = nullptr;
QWidget* fmDlg = nullptr;

QWidget* ProgramWindow(std::string_view name) {
    QWidget* const windows[] = {fmMain,  Form1,           fmSetup,  fmSine,    fmSlider,
                                fmSweep, fmUserINIDialog, fmVerInf, fmService, fmDlg};
    for (QWidget* w : windows)
        if (w && w->objectName().toStdString() == name) return w;
    return nullptr;
}

void CreateProgramWindows() {
    fmMain = new TfmMain;
    Form1 = new TForm1(fmMain);
    fmSetup = new TfmSetup(fmMain);
    fmSine = new TfmSine(fmMain);
    fmSlider = new TfmSlider(fmMain);
    fmSweep = new TfmSweep(fmMain);
    fmUserINIDialog = new TfmUserINIDialog(fmMain);
    fmVerInf = new TfmVerInf(fmMain);
    fmService = new TfmService(fmMain);
    fmDlg = new QWidget(fmMain, Qt::Dialog);
    fmDlg->setObjectName("fmDlg");
    fmMain->WindowsCreated();
}

void DestroyProgramWindows() {
    delete fmMain;  // and with it every other window
    fmMain = nullptr;
    Form1 = nullptr;
    fmSetup = nullptr;
    fmSine = nullptr;
    fmSlider = nullptr;
    fmSweep = nullptr;
    fmUserINIDialog = nullptr;
    fmVerInf = nullptr;
    fmService = nullptr;
    fmDlg = nullptr;
}
