// The carrier sweep window: the board steps its carrier across a range, once or back and forth. The
// program writes one pass at a time (how long each step lasts, how much the tuning word changes per
// step) and polls the board every 600 ms; in cycle mode every finished pass is followed by one in the
// other direction. The settings live in SweepSettings (config/options.h), which the configurations
// store.
#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "sweep_control.h"
#include "ui_sweep.h"

class TMyLedRect;

class TfmSweep : public QWidget, public TSweepControl {
    Q_OBJECT

 public:
    // FormCreate: the button's LED (active, green over grey), the key filters, the poll timer (off).
    explicit TfmSweep(QWidget* parent = nullptr);
    ~TfmSweep() override;

    // The on/off button: pressed = sweep on. Setting it runs no handling; OnOffSweepClick acts on the
    // button's state (starts or stops the sweep).
    bool OnOffSweepDown() const;
    void SetOnOffSweep(bool down);
    void OnOffSweepClick();
    // Reads the fields, programs the board and switches the sweep on (also after every device load
    // while the sweep runs: the new sample frequency, the first direction again).
    //
    // A field that does not convert stops the start before the board is touched: the conversion error
    // is shown and the window goes back to off as the operator would leave it, button released (with
    // its caption), fields and mode list unlocked, poll stopped, status line empty, both LEDs showing
    // off and the sweep marked off.
    void StartSweep();
    // Switches the board's sweep off, stops the poll and unlocks the fields.
    void StopSweep();
    // Shows the mode, the time and the range of the current configuration in the window.
    void UpdateFace();
    // Computes StepsT and NL_N (one warning box for each bound hit), writes the first pass and starts
    // the poll.
    void Load_Swip_N(double VN_dF, double VN_dt);

    // Handlers.
    void ComboBox1Change();
    void Edit1KeyPress();  // Enter in the range field
    void Edit2KeyPress();  // Enter in the time field
    void Timer1Timer();
    void btnCloseSweepClick();

    Ui::fmSweep ui;
    QTimer Timer1;

    std::unique_ptr<TMyLedRect> SweepLedBut;
    // The main window's sweep LED, whose active colour shows the state.
    TMyLedRect* SweepLed = nullptr;

 protected:
    void showEvent(QShowEvent* event) override;  // FormShow

 private:
    void ShowState(bool on);
    void PutBackOff();
};
