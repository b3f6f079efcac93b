#include "sine.h"

#include <QCheckBox>

#include "config/number_text.h"
#include "config/options.h"
#include "hw/hardware.h"
#include "my_leds.h"
#include "sine_control.h"
#include "tool_window.h"
#include "tools/logger.h"
#include "ui/field_keys.h"
#include "ui/handlers.h"

namespace {

void Log(const char* handler, const std::string& text) {
    DebugLogger.Add("i", std::string("TfmSine.") + handler, 255, text);
}

std::string Text(const QLineEdit* field) {
    return field->text().toStdString();
}

}  // namespace

TfmSine::TfmSine(QWidget* parent) : QWidget(parent, Qt::Window) {
    ui.setupUi(this);
    SineLedBut = std::make_unique<TMyLedRect>(ui.pbSineLedBut, kLedGreen, kLedGreen, true);
    new TButtonLed(ui.OnOffSine, ui.pbSineLedBut, SineLedBut.get());
    const auto keys = [](char16_t& code) { return NumberFieldKey(code, true); };
    new TFieldKeys(
        ui.Edit3, keys, [this](bool) { Edit3KeyPress(); }, false);
    new TFieldKeys(
        ui.Edit4, keys, [this](bool) { Edit4KeyPress(); }, false);
    connect(ui.OnOffSine, &QPushButton::clicked, this, [this] { RunHandler([this] { OnOffSineClick(); }); });
    connect(ui.btnCloseSine, &QPushButton::clicked, this, [this] { btnCloseSineClick(); });
}

TfmSine::~TfmSine() = default;

bool TfmSine::OnOffSineDown() const {
    return ui.OnOffSine->isChecked();
}

void TfmSine::SetOnOffSine(bool down) {
    ui.OnOffSine->setChecked(down);
}

void TfmSine::showEvent(QShowEvent* event) {
    UpdateFace();
    QWidget::showEvent(event);
}

void TfmSine::UpdateFace() {
    ui.Edit4->setText(QString::fromStdString(FloatToStr(SineSettings.OtnosLevel)));
    ui.Edit3->setText(QString::fromStdString(FloatToStr(SineSettings.FreqOtstr)));
}

void TfmSine::Edit3KeyPress() {
    SineSettings.FreqOtstr = StrToFloat(Text(ui.Edit3));
    Log("Edit3KeyPress", "Frequency offset, kHz = " + FloatToStr(SineSettings.FreqOtstr));
}

void TfmSine::Edit4KeyPress() {
    SineSettings.OtnosLevel = StrToFloat(Text(ui.Edit4));
    Log("Edit4KeyPress", "Relative level, dB = " + FloatToStr(SineSettings.OtnosLevel));
}

void TfmSine::OnOffSineClick() {
    if (ui.OnOffSine->isChecked()) {
        StartSine();
        if (SineSettings.SineIsWork) {
            const char* at = "OnOffSineClick";
            Log(at, "Sine [Enabled]");
            Log(at, "Frequency offset, kHz = " + FloatToStr(SineSettings.FreqOtstr));
            Log(at, "Relative level, dB = " + FloatToStr(SineSettings.OtnosLevel));
        }
    } else {
        StopSine();
        Log("OnOffSineClick", "Sine [Disabled]");
    }
    ShowOnOffCaption(ui.OnOffSine);
}

void TfmSine::StartSine() {
    // Clearing a checked noise option runs its handling (noise off, level field locked, Sine button
    // enabled) before the generator is given to the tone.
    if (chbPomeha) {
        chbPomeha->setChecked(false);
        chbPomeha->setEnabled(false);
    }
    ui.Edit3->setEnabled(false);
    ui.Edit4->setEnabled(false);
    TSineSettings& s = SineSettings;
    try {
        s.FreqOtstr = StrToFloat(Text(ui.Edit3));
        s.OtnosLevel = StrToFloat(Text(ui.Edit4));
    } catch (const EConvertError& error) {
        PutBackOff();
        ShowProgramError(error);
        return;
    }
    SwitchSineOn(ZorvanHWObject);
    ShowState(true);
}

void TfmSine::StopSine() {
    ui.Edit3->setEnabled(true);
    ui.Edit4->setEnabled(true);
    if (chbPomeha) chbPomeha->setEnabled(true);
    SwitchSineOff(ZorvanHWObject);
    ShowState(false);
}

void TfmSine::ShowState(bool on) {
    if (SineLed) SineLed->SetActiveColor(on ? kLedGreen : kLedGrey);
    SineLedBut->SetActiveColor(on ? kLedGrey : kLedGreen);
}

void TfmSine::PutBackOff() {
    ui.Edit3->setEnabled(true);
    ui.Edit4->setEnabled(true);
    if (chbPomeha) chbPomeha->setEnabled(true);
    ShowState(false);
    SineSettings.SineIsWork = false;
    ui.OnOffSine->setChecked(false);
    ShowOnOffCaption(ui.OnOffSine);
}

void TfmSine::btnCloseSineClick() {
    hide();
}
