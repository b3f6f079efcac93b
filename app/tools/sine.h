// The sine interferer window: a tone at an offset from the carrier and a level relative to the signal,
// made by the board's noise generator in its sine mode (so noise and sine exclude each other: the
// interferer clears and locks the main window's noise option while it runs). The settings live in
// SineSettings (config/options.h), which the configurations store.
#pragma once

#include <QWidget>
#include <memory>

#include "ui_sine.h"

class QCheckBox;
class TMyLedRect;

class TfmSine : public QWidget {
    Q_OBJECT

 public:
    // FormCreate: the button's LED (active, green over green) and the key filters.
    explicit TfmSine(QWidget* parent = nullptr);
    ~TfmSine() override;

    // The on/off button: pressed = interferer on. Setting it runs no handling; OnOffSineClick acts on
    // the button's state (starts or stops the interferer).
    bool OnOffSineDown() const;
    void SetOnOffSine(bool down);
    void OnOffSineClick();
    // Clears and locks the noise option, reads the two fields, sends the tone to the board and switches
    // the interferer on (also after every device load while it runs).
    //
    // A field that does not convert stops the start before the board is sent a tone: the conversion
    // error is shown and the window goes back to off, button released (with its caption), fields and
    // noise option unlocked (the option stays cleared), both LEDs showing off and the interferer
    // marked off.
    void StartSine();
    // Switches the generator off and unlocks the fields and the noise option.
    void StopSine();
    // Shows the offset and the level of the current configuration in the window.
    void UpdateFace();

    // Handlers.
    void Edit3KeyPress();  // Enter in the offset field
    void Edit4KeyPress();  // Enter in the level field
    void btnCloseSineClick();

    Ui::fmSine ui;
    std::unique_ptr<TMyLedRect> SineLedBut;
    // The main window's sine LED and noise option.
    TMyLedRect* SineLed = nullptr;
    QCheckBox* chbPomeha = nullptr;

 protected:
    void showEvent(QShowEvent* event) override;  // FormShow

 private:
    void ShowState(bool on);
    void PutBackOff();
};
