#include "tool_window.h"

#include <QEvent>
#include <QPushButton>

#include "config/number_text.h"
#include "config/options.h"
#include "my_leds.h"

bool NumberFieldKey(char16_t code, bool minus) {
    if (code > 255) return false;
    return code == 8 || code == 13 || (code >= '0' && code <= '9') ||
           code == static_cast<unsigned char>(LocaleDecimalChar) || (minus && code == '-');
}

void ShowOnOffCaption(QPushButton* button) {
    const bool pressed = button->isChecked();
    if (current_language == 0)
        button->setText(pressed ? "   Disable" : "   Enable");
    else if (current_language == 1)
        button->setText(QString::fromUtf8(pressed ? "   Выключить" : "   Включить"));
}

TButtonLed::TButtonLed(QPushButton* button, QWidget* area, TMyLedRect* led)
    : QObject(button), button_(button), area_(area), led_(led) {
    button->installEventFilter(this);
    area->installEventFilter(this);
    area->setAttribute(Qt::WA_TransparentForMouseEvents);  // a click on the LED presses the button
}

bool TButtonLed::eventFilter(QObject* watched, QEvent* event) {
    if (watched == area_ && event->type() == QEvent::Paint) {
        led_->Draw();
        return true;
    }
    if (watched == button_ && event->type() == QEvent::Resize)
        area_->move(8, (button_->height() - area_->height()) / 2);
    return false;
}
