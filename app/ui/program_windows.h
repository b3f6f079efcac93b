// The program's windows, created once at start in this order and hidden until shown: fmMain (the main
// window), Form1 (packing order), fmSetup (settings), fmSine, fmSlider, fmSweep, fmUserINIDialog,
// fmVerInf (About), fmService, fmDlg. Closing a tool window only hides it; the program ends when the
// main window closes.
#pragma once

#include <QWidget>
#include <string_view>

class TfmMain;
class TForm1;
class TfmSetup;
class TfmSine;
class TfmSlider;
class TfmSweep;
class TfmUserINIDialog;
class TfmVerInf;
class TfmService;

extern TfmMain* fmMain;
extern TForm1* Form1;
extern TfmSetup* fmSetup;
extern TfmSine* fmSine;
extern TfmSlider* fmSlider;
extern TfmSweep* fmSweep;
extern TfmUserINIDialog* fmUserINIDialog;
extern TfmVerInf* fmVerInf;
extern TfmService* fmService;
// fmDlg has no part in the program's work; it exists so that the windows keep their creation order.
extern QWidget* fmDlg;

// The program window of that objectName (nullptr when there is none).
QWidget* ProgramWindow(std::string_view name);

// Creates every window (the main window is shown by the caller). The main window owns the others.
void CreateProgramWindows();
// Destroys them all (the main window last): for a program or test that ends without the close.
void DestroyProgramWindows();
