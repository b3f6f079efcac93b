// The main window fmMain: every parameter of the signal configuration, the sets and configurations, and
// Start / Stop with the streaming position. The hardware object is the single copy of the
// configuration: each accepted change writes its field and the affected part of the board, and the
// window redraws from the object (UpdateFace).
//
// Handlers run on the operator's actions only, with two exceptions the program relies on: a check box
// whose state the program changes runs its handler as a click does, and the noise check box's handling
// runs at every redraw. Lists react to the operator's choice only (QComboBox::activated).
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QTimer>
#include <memory>
#include <string>

#include "config/storage.h"
#include "hw/hardware.h"
#include "hw/operator_ui.h"
#include "hw/run_control.h"
#include "tools/my_leds.h"
#include "ui_main_window.h"

class TDataStream;
class TQtMessageBoxes;
class TQtFileDialogs;

class TfmMain : public QMainWindow, public TRunWindow, public TStorageHost, public TMainWindowEffects {
    Q_OBJECT

 public:
    // FormCreate: the debug logger's software record, the LEDs, the decimal separator, the progress bar
    // hidden, Stop disabled.
    explicit TfmMain(QWidget* parent = nullptr);
    ~TfmMain() override;

    // Called once the other windows exist (they are created after this one).
    void WindowsCreated();

    // ---- Start-up (first showing) and close ----
    void FormShow();
    void FormCloseQuery();
    bool StartupDone() const { return startupDone_; }

    // ---- Parameters ----
    void UpdateFace();
    // Applying a field, on leaving it or on Enter (byEnter; the log names the handler accordingly).
    void edCarrierFreqExit(bool byEnter = false);
    void edClockFreqExit(bool byEnter = false);
    void edFreqStepExit(bool byEnter = false);
    void edVHAttExit(bool byEnter = false);
    void edNHAttExit(bool byEnter = false);
    void edNoiseExit(bool byEnter = false);
    void edFileNameKeyPress();  // Enter in the file-name field
    void cbSigKindChange();
    void cbFilterChange();
    void cbCodeChange();
    void cbSigSourceKindChange();
    void cbBinChange();
    void cbVosChange();
    void chbScremblClick();
    void chbDiff1Click();
    void chbDiff2Click();
    void chbSpectrInvClick();
    void chbPomehaClick();
    void SpinButton1UpClick();
    void SpinButton1DownClick();
    void SpinButton2UpClick();
    void SpinButton2DownClick();
    void edVHAttRightButtonClick();
    void edNHAttRightButtonClick();
    void edNoiseRightButtonClick();
    void edFileNameRightButtonClick();
    // F2 (Start), Ctrl+X (unlock or lock the delete buttons), Ctrl+J (service window): seen before the
    // focused control gets the key.
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void tlbtnSweepClick();
    void tlbtnSineClick();
    void tlbtnBitsClick();
    void tlbtnOptionsClick();
    void tlbtnAboutClick();

    // ---- Sets and configurations ----
    void ReadCfgFiles() override;  // also the storage's refill of the set list
    void cbSetsOnChange(TStoregeClass& storage);
    void cbUserSectionsChange(TStoregeClass& storage);
    void tlbtnSaveClick();
    void tlbtnSaveExClick();
    void btnDelSetClick();
    void btnDelConfClick();

    // ---- Run control ----
    void tlbtnStartClick();
    void tlbtnStopClick();
    void Timer1Timer();
    void ReadNoiseLevel();

    // ---- Interface language ----
    // Every text of every window in the language selected in the settings window's list, the message
    // catalogue and the library's error texts in it too; then the values shown again.
    void SetLanguage();
    // The texts the main window keeps in fields: the position unit and the save dialog's title.
    std::string MegaByteText = "MB";
    std::string SaveINIDialogTitle = "Save to set";

    // Command-line values, copied in by the program entry.
    std::uint8_t DeviceNum = 0;
    TCommandConfiguration CommandConfiguration;  // GCMDConfFile, GCMDConfName, GCMDConfValid

    Ui::fmMain ui;
    QTimer Timer1;
    QLabel* StatusPanel[3] = {};
    QProgressBar* ProgressBar1 = nullptr;
    std::unique_ptr<TMyLedRect> SweepLed;
    std::unique_ptr<TMyLedRect> SineLed;
    QAction* edVHAttRightButton = nullptr;
    QAction* edNHAttRightButton = nullptr;
    QAction* edNoiseRightButton = nullptr;
    QAction* edFileNameRightButton = nullptr;

    TDataStream* Stream() const { return stream_.get(); }
    TRunControl* RunControl() const { return runControl_.get(); }

    // ---- TRunWindow ----
    std::string FileNameText() const override;
    void ShowRunning(bool running) override;
    void TakeConfiguration() override;
    void SetPositionTimer(bool on) override;
    void ShowPosition(const std::string& panelText, int progress, bool progressVisible) override;
    void RAMModeView(bool on) override;
    std::string MegaByte() const override;

    // ---- TStorageHost ----
    int WindowTop() const override;
    int WindowLeft() const override;
    void MoveWindow(int Top, int Left) override;
    std::vector<std::string> SetEntries() const override;
    void ChooseSet(TStoregeClass& storage, int index) override;
    void ApplyLanguage() override;

    // ---- TMainWindowEffects ----
    void SetMainInputEnabled(bool enabled) override;
    void RestartArmedTools() override;
    void ResetStreamingDisplay() override;

 protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

 private:
    void ConnectHandlers();
    void ConnectFields();
    // Both configuration lists (the main window's and the name dialog's) from a set file.
    void RefillConfigurationLists(const std::string& file);
    void ApplySourceKindRule();
    void StoreFlag(const char* handler, const char* name, const QCheckBox* box,
                   void (*apply)(TZorvanHWClass&, std::uint8_t));
    void ShowNoiseFieldState(bool enabled);
    void ShowDeleteButtons(bool enabled);
    void OpenSlider(QLineEdit* field, int mode, int min, int max);
    // Save's steps 2 to 4: the source file, the four checked fields and the noise level.
    void TakeFieldsForSave();
    static std::string Text(const QLineEdit* field);
    static void ShowNumber(QLineEdit* field, double value);

    std::unique_ptr<TQtMessageBoxes> boxes_;
    std::unique_ptr<TQtFileDialogs> dialogs_;
    std::unique_ptr<TZorvanHWClass> hw_;
    std::unique_ptr<TDataStream> stream_;
    std::unique_ptr<TRunControl> runControl_;
    std::unique_ptr<TStoregeClass> storage_;
    bool firstShow_ = true;
    bool startupDone_ = false;
    bool closed_ = false;
    bool deleteButtonsEnabled_ = false;
};
