// What the sweep and the sine window share: the keys their number fields take, the caption of their
// on/off button and the LED painted on that button.
#pragma once

#include <QObject>

class QPushButton;
class QWidget;
class TMyLedRect;

// A typed key of a sweep or sine field: backspace (8), Enter (13), the digits, the operator's decimal
// separator and, where `minus` allows it, '-'. Every other key, and any code above 255, is discarded.
bool NumberFieldKey(char16_t code, bool minus);

// The on/off button's caption for its state in the interface language: "   Disable" while pressed,
// "   Enable" while released (Russian "   Выключить" / "   Включить"; the three blanks leave room for
// the LED). Another language leaves the caption as it is.
void ShowOnOffCaption(QPushButton* button);

// Paints `led` on its 12 x 12 area whenever the area repaints, and keeps the area at the left edge of
// the button, centred in its height.
class TButtonLed : public QObject {
 public:
    TButtonLed(QPushButton* button, QWidget* area, TMyLedRect* led);

 protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

 private:
    QPushButton* button_;
    QWidget* area_;
    TMyLedRect* led_;
};
