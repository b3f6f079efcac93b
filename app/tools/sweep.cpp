#include "sweep.h"

#include <charconv>

#include "config/number_text.h"
#include "config/options.h"
#include "hw/hardware.h"
#include "my_leds.h"
#include "sweep_steps.h"
#include "tool_window.h"
#include "tools/logger.h"
#include "ui/field_keys.h"
#include "ui/handlers.h"

namespace {

void Log(const char* handler, const std::string& text) {
    DebugLogger.Add("i", std::string("TfmSweep.") + handler, 255, text);
}

std::string Text(const QLineEdit* field) {
    return field->text().toStdString();
}

// The sweep time as a whole number of seconds. The field takes digits only; a pasted negative number
// is no time at all and is refused like any other text that is not a number, rather than wrapping to
// a huge unsigned time. Times up to 2^32 - 1 s (what a configuration can hold) are accepted.
std::uint32_t WholeSeconds(const std::string& text) {
    if (const auto value = TryStrToInt(text); value && *value >= 0) return static_cast<std::uint32_t>(*value);
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (!text.empty() && error == std::errc() && at == end) return value;
    throw EConvertError("'" + text + "' is not a valid integer value");
}

}  // namespace

TfmSweep::TfmSweep(QWidget* parent) : QWidget(parent, Qt::Window) {
    ui.setupUi(this);
    Timer1.setObjectName("Timer1");
    Timer1.setInterval(600);

    SweepLedBut = std::make_unique<TMyLedRect>(ui.pbSweepLedBut, kLedGreen, kLedGrey, true);
    new TButtonLed(ui.OnOffSweep, ui.pbSweepLedBut, SweepLedBut.get());
    const auto keys = [](char16_t& code) { return NumberFieldKey(code, false); };
    new TFieldKeys(
        ui.Edit1, keys, [this](bool) { Edit1KeyPress(); }, false);
    new TFieldKeys(
        ui.Edit2, keys, [this](bool) { Edit2KeyPress(); }, false);

    const auto on = [this](auto* sender, auto signal, void (TfmSweep::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    on(ui.OnOffSweep, &QPushButton::clicked, &TfmSweep::OnOffSweepClick);
    on(ui.ComboBox1, &QComboBox::activated, &TfmSweep::ComboBox1Change);
    on(ui.btnCloseSweep, &QPushButton::clicked, &TfmSweep::btnCloseSweepClick);
    on(&Timer1, &QTimer::timeout, &TfmSweep::Timer1Timer);
}

TfmSweep::~TfmSweep() = default;

bool TfmSweep::OnOffSweepDown() const {
    return ui.OnOffSweep->isChecked();
}

void TfmSweep::SetOnOffSweep(bool down) {
    ui.OnOffSweep->setChecked(down);
}

void TfmSweep::showEvent(QShowEvent* event) {
    UpdateFace();
    QWidget::showEvent(event);
}

void TfmSweep::UpdateFace() {
    const TSweepSettings& s = SweepSettings;
    ui.ComboBox1->setCurrentIndex(s.PerestReg < ui.ComboBox1->count() ? s.PerestReg : -1);
    ui.Edit2->setText(QString::number(s.PerestTime));
    ui.Edit1->setText(QString::fromStdString(FloatToStr(s.IntervPerest)));
}

void TfmSweep::Edit1KeyPress() {
    SweepSettings.IntervPerest = StrToFloat(Text(ui.Edit1));
    Log("Edit1KeyPress", "Sweep range, kHz = " + FloatToStr(SweepSettings.IntervPerest));
}

void TfmSweep::Edit2KeyPress() {
    SweepSettings.PerestTime = WholeSeconds(Text(ui.Edit2));
    Log("Edit2KeyPress", "Sweep time, s = " + std::to_string(SweepSettings.PerestTime));
}

void TfmSweep::ComboBox1Change() {
    SweepSettings.PerestReg = static_cast<std::uint8_t>(ui.ComboBox1->currentIndex());
    Log("ComboBox1Change", "Sweep mode [" + ui.ComboBox1->currentText().toStdString() + "]");
}

void TfmSweep::OnOffSweepClick() {
    if (ui.OnOffSweep->isChecked()) {
        StartSweep();
        if (SweepSettings.SweepIsWork) {
            const char* at = "OnOffSweepClick";
            Log(at, "Sweep [Enabled]");
            Log(at, "Sweep range, kHz = " + FloatToStr(SweepSettings.IntervPerest));
            Log(at, "Sweep time, s = " + std::to_string(SweepSettings.PerestTime));
            Log(at, "Sweep mode [" + ui.ComboBox1->currentText().toStdString() + "]");
        }
    } else {
        StopSweep();
        Log("OnOffSweepClick", "Sweep [Disabled]");
    }
    ShowOnOffCaption(ui.OnOffSweep);
}

void TfmSweep::StartSweep() {
    ui.Edit1->setEnabled(false);
    ui.Edit2->setEnabled(false);
    ui.ComboBox1->setEnabled(false);
    TSweepSettings& s = SweepSettings;
    s.PerestReg = static_cast<std::uint8_t>(ui.ComboBox1->currentIndex());
    try {
        s.IntervPerest = StrToFloat(Text(ui.Edit1));
        s.PerestTime = WholeSeconds(Text(ui.Edit2));
    } catch (const EConvertError& error) {
        PutBackOff();
        ShowProgramError(error);
        return;
    }
    Load_Swip_N(s.IntervPerest, s.PerestTime);
    ShowState(true);
    s.SweepIsWork = true;
}

void TfmSweep::Load_Swip_N(double VN_dF, double VN_dt) {
    WriteFirstPass(VN_dF, VN_dt);
    Timer1.start();
}

void TfmSweep::Timer1Timer() {
    if (!ZorvanHWObject) return;
    if (const char* text = SweepStatusText(PollPass(), current_language))
        ui.Label6->setText(QString::fromUtf8(text));
}

void TfmSweep::StopSweep() {
    ui.Edit1->setEnabled(true);
    ui.Edit2->setEnabled(true);
    ui.ComboBox1->setEnabled(true);
    Timer1.stop();
    SwitchOff();
    ui.Label6->clear();
    ShowState(false);
}

void TfmSweep::ShowState(bool on) {
    if (SweepLed) SweepLed->SetActiveColor(on ? kLedGreen : kLedGrey);
    SweepLedBut->SetActiveColor(on ? kLedGrey : kLedGreen);
}

void TfmSweep::PutBackOff() {
    ui.Edit1->setEnabled(true);
    ui.Edit2->setEnabled(true);
    ui.ComboBox1->setEnabled(true);
    Timer1.stop();
    ui.Label6->clear();
    ShowState(false);
    SweepSettings.SweepIsWork = false;
    ui.OnOffSweep->setChecked(false);
    ShowOnOffCaption(ui.OnOffSweep);
}

void TfmSweep::btnCloseSweepClick() {
    hide();
}
