#include "slider.h"

#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "config/number_text.h"
#include "handlers.h"
#include "hw/hardware.h"
#include "tools/logger.h"

TfmSlider::TfmSlider(QWidget* parent) : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint) {
    ui.setupUi(this);
    setFixedSize(170, 31);
    // actionTriggered is the operator's alone (keys, clicks, the wheel, dragging); setting the range or
    // the value from the program does not reach it. The value follows the action afterwards: take the
    // position the action moved to.
    connect(ui.SliderBar, &QSlider::actionTriggered, this,
            [this](int) { RunHandler([this] { SliderBarChange(ui.SliderBar->sliderPosition()); }); });
}

void TfmSlider::SetOcupation(QLineEdit* pControl, int Mode, int Min, int Max) {
    const QPoint fieldTopLeft = pControl->mapToGlobal(QPoint(0, 0));
    int left = fieldTopLeft.x() - 2;
    const int top = fieldTopLeft.y() + pControl->height() - 2;
    if (const QScreen* screen = pControl->screen()) {
        const int screenRight = screen->geometry().right() + 1;
        if (left + width() > screenRight) left = screenRight - width();
    }
    move(left, top);
    SenderControl = pControl;
    pMode = Mode;
    pMin = Min;
    pMax = Max;
    const QSignalBlocker blocker(ui.SliderBar);
    ui.SliderBar->setRange(pMin, pMax);
    // A text that is not a number throws: the popup then does not open.
    presetByValue_ = false;
    if (!pControl->text().isEmpty()) {
        const double value = StrToFloat(pControl->text().toStdString());
        if (value > pMin && value < pMax) {
            ui.SliderBar->setValue(static_cast<int>(RoundHalfEven(value)));
            presetByValue_ = true;
        }
    }
}

void TfmSlider::FormShow() {
    if (!SenderControl) return;
    if (SenderControl->text().isEmpty()) SenderControl->setText("0");
    const QSignalBlocker blocker(ui.SliderBar);
    if (const auto value = TryStrToInt(SenderControl->text().toStdString()))
        ui.SliderBar->setValue(std::clamp(*value, pMin, pMax));
    else if (!presetByValue_)
        ui.SliderBar->setValue(std::clamp(0, pMin, pMax));
}

void TfmSlider::SliderBarChange(int position) {
    if (!SenderControl || !ZorvanHWObject) return;
    SenderControl->setText(QString::number(position));
    TZorvanHWClass& hw = *ZorvanHWObject;
    switch (pMode) {
        case 0:
            hw.Pomeha = position;
            hw.WriteNoise();
            hw.Write_TI();
            break;
        case 1:
            hw.AttNH = position;
            hw.Write_Att_L();
            break;
        case 2:
            hw.AttVH = position;
            hw.Write_Att_H();
            break;
        default:
            break;
    }
}

void TfmSlider::FormDeactivate() {
    LogFinalValue();
    hide();
}

void TfmSlider::LogFinalValue() {
    if (logged_) return;
    logged_ = true;
    if (ZorvanHWObject) {
        const TZorvanHWClass& hw = *ZorvanHWObject;
        switch (pMode) {
            case 0:
                DebugLogger.Add("i", "TfmSlider.FormDeactivate", 255,
                                "Noise level change [" + FloatToStr(hw.Pomeha) + "]");
                break;
            case 1:
                DebugLogger.Add("i", "TfmSlider.FormDeactivate", 255,
                                "ATT NH change [" + FloatToStr(hw.AttNH) + "]");
                break;
            case 2:
                DebugLogger.Add("i", "TfmSlider.FormDeactivate", 255,
                                "ATT VH change [" + FloatToStr(hw.AttVH) + "]");
                break;
            default:
                break;
        }
    }
}

void TfmSlider::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    logged_ = false;
    RunHandler([this] { FormShow(); });
}

// A popup closes when the operator clicks or types outside it: that is its loss of the focus.
void TfmSlider::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    RunHandler([this] { LogFinalValue(); });
}
