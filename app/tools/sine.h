// The sine interferer window: a tone at an offset from the carrier and a level relative to the signal,
// made by the board's noise generator in its sine mode (so noise and sine exclude each other).
#pragma once

#include <QWidget>

class TMyLedRect;

class TfmSine : public QWidget {
    Q_OBJECT

 public:
    explicit TfmSine(QWidget* parent = nullptr);

    // The on/off button: pressed = interferer on. Setting it runs no handling; OnOffSineClick acts on
    // the button's state (starts or stops the interferer).
    bool OnOffSineDown() const;
    void SetOnOffSine(bool down);
    void OnOffSineClick();
    // Sends the tone to the board and switches the interferer on (also after every device load while
    // it runs).
    void StartSine();
    void StopSine();
    // Shows the offset and the level of the current configuration in the window.
    void UpdateFace();

    // The main window's sine LED.
    TMyLedRect* SineLed = nullptr;
};
