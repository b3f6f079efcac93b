// The carrier sweep window: the board steps its carrier across a range, once or back and forth.
#pragma once

#include <QWidget>

class TMyLedRect;

class TfmSweep : public QWidget {
    Q_OBJECT

 public:
    explicit TfmSweep(QWidget* parent = nullptr);

    // The on/off button: pressed = sweep on. Setting it runs no handling; OnOffSweepClick acts on the
    // button's state (starts or stops the sweep).
    bool OnOffSweepDown() const;
    void SetOnOffSweep(bool down);
    void OnOffSweepClick();
    // Reads the fields, programs the board and switches the sweep on (also after every device load
    // while the sweep runs).
    void StartSweep();
    void StopSweep();
    // Shows the mode, the time and the range of the current configuration in the window.
    void UpdateFace();

    // The main window's sweep LED, whose active colour shows the state.
    TMyLedRect* SweepLed = nullptr;
};
