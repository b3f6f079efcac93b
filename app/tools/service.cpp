#include "service.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLocale>
#include <QValidator>
#include <optional>

#include "ZorvanLRegisters.h"
#include "config/number_text.h"
#include "config/options.h"
#include "handlers.h"
#include "hw/hardware.h"
#include "hw/streaming.h"
#include "tools/hex_text.h"

namespace {

constexpr int kRefreshInterval = 1000;  // ms
constexpr int kWriteInterval = 100;     // ms, the repeat timers' intervals at creation
constexpr int kReadInterval = 200;

// Typed index and value texts: hexadecimal digits only, shown in upper case.
class THexDigits final : public QValidator {
 public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        for (const QChar c : input) {
            const char16_t u = c.unicode();
            if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f'))) return Invalid;
        }
        input = input.toUpper();
        return Acceptable;
    }
};

std::optional<std::uint32_t> HexOf(const QLineEdit* field) {
    const std::string text = field->text().toStdString();
    if (!IsHexText(text)) return std::nullopt;
    return HexStrToCardinal(text);
}

// The index of a field, when it names a register of the board's window.
std::optional<std::uint32_t> RegisterIndex(const QLineEdit* field) {
    const std::optional<std::uint32_t> index = HexOf(field);
    if (!index || *index >= zorvan::reg::kRegisterWindowWords) return std::nullopt;
    return index;
}

void Refuse() {
    ShowMsgBox(kIncorrectParameters, TMsgKind::Error, TMsgButtons::Ok);
}

// A path under the program's directory is shown from there ("Firmware/load_Ram.bit").
QString ShownPath(const std::string& path) {
    if (!AppDir.empty() && path.compare(0, AppDir.size(), AppDir) == 0)
        return QString::fromStdString(path.substr(AppDir.size()));
    return QString::fromStdString(path);
}

}  // namespace

TfmService::TfmService(QWidget* parent) : QWidget(parent, Qt::Window) {
    ui.setupUi(this);
    arrBWRCaptions = {"Write", "Start write", "Stop write"};
    arrBRDCaptions = {"Read", "Start read", "Stop read"};
    for (QLineEdit* field : {ui.edWriteAdr, ui.edWriteVal, ui.edReadAdr})
        field->setValidator(new THexDigits(field));
    // The binary digits of successive reads stand in columns.
    ui.mReadReg->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    // FormCreate.
    RegsVsblCnt = 0;
    RAMModeViewEn = false;
    ui.PageControl1->setTabVisible(ui.PageControl1->indexOf(ui.tsRegisters), false);
    ui.PageControl1->setCurrentWidget(ui.tsGeneral);
    Timer1.setInterval(kRefreshInterval);
    tmrWr.setInterval(kWriteInterval);
    tmrRd.setInterval(kReadInterval);

    const auto on = [this](auto* sender, auto signal, void (TfmService::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    on(&Timer1, &QTimer::timeout, &TfmService::Timer1Timer);
    on(&tmrRd, &QTimer::timeout, &TfmService::tmrRdTimer);
    on(&tmrWr, &QTimer::timeout, &TfmService::tmrWrTimer);
    // clicked: only the operator's clicks run the handlers, not the window's own changes of state.
    on(ui.chbDebugLog, &QCheckBox::clicked, &TfmService::chbDebugLogClick);
    on(ui.chbBuffersLogging, &QCheckBox::clicked, &TfmService::chbDebugLogClick);
    on(ui.btnRd, &QPushButton::clicked, &TfmService::btnRdClick);
    on(ui.btnWr, &QPushButton::clicked, &TfmService::btnWrClick);
    on(ui.chbRdTmr, &QCheckBox::clicked, &TfmService::chbRdTmrClick);
    on(ui.chbWrTmr, &QCheckBox::clicked, &TfmService::chbWrTmrClick);
    on(ui.btnClose, &QPushButton::clicked, &TfmService::btnCloseClick);
    qApp->installEventFilter(this);
}

TfmService::~TfmService() {
    qApp->removeEventFilter(this);
}

void TfmService::RAMModeView(bool En) {
    RAMModeViewEn = En;
    for (QWidget* control : {static_cast<QWidget*>(ui.edIRQCnt), static_cast<QWidget*>(ui.edTXCnt),
                             static_cast<QWidget*>(ui.lblIRQCounter),
                             static_cast<QWidget*>(ui.lblByteTXCounter), static_cast<QWidget*>(ui.lblMb),
                             static_cast<QWidget*>(ui.edPasses), static_cast<QWidget*>(ui.edOverruns),
                             static_cast<QWidget*>(ui.lblPasses), static_cast<QWidget*>(ui.lblOverruns)})
        control->setEnabled(!En);
    if (En)
        for (QLineEdit* field : {ui.edIRQCnt, ui.edTXCnt, ui.edPasses, ui.edOverruns})
            field->setText(" - ");
}

void TfmService::SetStreamCounters(const TStreamCounters* counters) {
    counters_ = counters;
}

// ---- Showing and hiding ----------------------------------------------------------------------------

void TfmService::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RunHandler([this] { FormShow(); });
}

void TfmService::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    RunHandler([this] { FormClose(); });
}

void TfmService::FormShow() {
    Timer1.start();
    const TZorvanHWClass* hw = ZorvanHWObject;
    ui.stDacTune->setText(hw && hw->HWVersion == 2 ? QString::number(_GetDACTuneValue(hw->DevNum)) : " - ");
    ui.sttxtSN->setText(hw ? QString::number(hw->SN) : "");
    ui.sttxtHW->setText(hw ? QString::number(hw->HWVersion) : "");
    ui.chbDebugLog->setChecked(UseDebugLog);
    ui.chbBuffersLogging->setEnabled(UseDebugLog);
    ui.chbBuffersLogging->setChecked(UseDebugLog && BuffersLogging);
    ShowLoadedFiles();
}

void TfmService::FormClose() {
    Timer1.stop();  // a repetition goes on while the window is hidden
}

void TfmService::btnCloseClick() {
    hide();
}

// ---- Keys ------------------------------------------------------------------------------------------

bool TfmService::eventFilter(QObject* watched, QEvent* event) {
    // The window sees a key before its focused control (only the key's first delivery counts, not its
    // propagation to the parents).
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        // A key goes first to the window's focused control, or to the window while none has the focus.
        QWidget* focus = focusWidget();
        if (watched == (focus ? focus : static_cast<QObject*>(this))) {
            const auto* key = static_cast<QKeyEvent*>(event);
            RunHandler([&] { FormKeyDown(key->key(), key->modifiers()); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfmService::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    if (key != Qt::Key_Left || !(modifiers & Qt::ShiftModifier)) return;
    ++RegsVsblCnt;
    if (RegsVsblCnt > 4) ui.PageControl1->setTabVisible(ui.PageControl1->indexOf(ui.tsRegisters), true);
}

// ---- General tab -----------------------------------------------------------------------------------

void TfmService::Timer1Timer() {
    if (!ZorvanHWObject) return;
    ZorvanHWObject->Read_Tempr();
    ui.sttxtPCBt->setText(QString::number(ZorvanHWObject->TemprPCB) + QString::fromUtf8(" °C"));
    ui.sttxtLCAt->setText(QString::number(ZorvanHWObject->TemprLCA) + QString::fromUtf8(" °C"));
    if (!RAMModeViewEn) ShowCounters();
    ShowLoadedFiles();
}

void TfmService::ShowCounters() {
    if (!counters_) return;
    // FormatThousands groups with a marker; the regional separator may be any character.
    QString bytes = QString::fromStdString(FormatThousands(counters_->CtrlByteTX.load(), ','));
    bytes.replace(',', QLocale::system().groupSeparator());
    ui.edTXCnt->setText(bytes);
    ui.edIRQCnt->setText(QString::number(counters_->CtrlIRQCount.load() - counters_->CtrlOldIRQCount.load()));
    ui.edPasses->setText(QString::number(counters_->Passes.load()));
    ui.edOverruns->setText(QString::number(counters_->Overruns.load()));
}

void TfmService::ShowLoadedFiles() {
    const TZorvanHWClass* hw = ZorvanHWObject;
    ui.edLastFPGAFile->setText(hw ? ShownPath(hw->LastFPGAFile) : "");
    ui.edLastFIRFile->setText(hw ? ShownPath(hw->LastFIRFile) : "");
}

void TfmService::chbDebugLogClick() {
    if (ui.chbDebugLog->isChecked()) {
        ui.chbBuffersLogging->setEnabled(true);
    } else {
        ui.chbBuffersLogging->setChecked(false);
        ui.chbBuffersLogging->setEnabled(false);
    }
    UseDebugLog = ui.chbDebugLog->isChecked();
    BuffersLogging = ui.chbBuffersLogging->isChecked();
}

// ---- Registers tab ---------------------------------------------------------------------------------

int TfmService::RepeatInterval(const QString& text) {
    // A timer of 0 ms would run on every pass of the event loop; nothing at or below 0 is an interval.
    const std::optional<std::int32_t> interval = TryStrToInt(text.toStdString());
    return interval && *interval > 0 ? *interval : kFallbackInterval;
}

void TfmService::AppendRead(std::uint32_t index) {
    const std::uint32_t value = ZorvanHWObject->ReadPort(index);
    const QString hex = QString("%1").arg(value, 8, 16, QChar('0')).toUpper();
    ui.mReadReg->appendPlainText("HEX : " + hex);
    ui.mReadReg->appendPlainText("BIN : " + QString::fromStdString(HexToBinStr(hex.toStdString())));
}

bool TfmService::WriteFromFields() {
    const std::optional<std::uint32_t> index = RegisterIndex(ui.edWriteAdr);
    const std::optional<std::uint32_t> value = HexOf(ui.edWriteVal);
    if (!index || !value || !ZorvanHWObject) return false;
    ZorvanHWObject->WritePort(*index, *value);
    return true;
}

void TfmService::EndRepetition(QTimer& timer, QPushButton* button, QCheckBox* repeat, QLineEdit* interval,
                               const char* caption) {
    timer.stop();
    button->setText(caption);
    repeat->setEnabled(true);
    interval->setEnabled(true);
    Refuse();
}

void TfmService::btnRdClick() {
    if (!ui.chbRdTmr->isChecked()) {
        ui.btnRd->setText(arrBRDCaptions[0]);
        const std::optional<std::uint32_t> index = RegisterIndex(ui.edReadAdr);
        if (!index || !ZorvanHWObject) return Refuse();
        ui.mReadReg->clear();
        AppendRead(*index);
    } else if (ui.chbRdTmr->isEnabled()) {  // idle: the repetition starts
        ui.btnRd->setText(arrBRDCaptions[2]);
        ui.mReadReg->clear();
        ui.chbRdTmr->setEnabled(false);
        ui.edRdInt->setEnabled(false);
        tmrRd.setInterval(RepeatInterval(ui.edRdInt->text()));
        tmrRd.start();
    } else {  // running: it stops
        ui.btnRd->setText(arrBRDCaptions[1]);
        ui.chbRdTmr->setEnabled(true);
        ui.edRdInt->setEnabled(true);
        tmrRd.stop();
    }
}

void TfmService::tmrRdTimer() {
    const std::optional<std::uint32_t> index = RegisterIndex(ui.edReadAdr);
    if (!index || !ZorvanHWObject)
        return EndRepetition(tmrRd, ui.btnRd, ui.chbRdTmr, ui.edRdInt, kStartReading);
    AppendRead(*index);
}

void TfmService::btnWrClick() {
    if (!ui.chbWrTmr->isChecked()) {
        ui.btnWr->setText(arrBWRCaptions[0]);
        if (!WriteFromFields()) Refuse();
    } else if (ui.chbWrTmr->isEnabled()) {
        ui.btnWr->setText(arrBWRCaptions[2]);
        ui.chbWrTmr->setEnabled(false);
        ui.edWrInt->setEnabled(false);
        tmrWr.setInterval(RepeatInterval(ui.edWrInt->text()));
        tmrWr.start();
    } else {
        ui.btnWr->setText(arrBWRCaptions[1]);
        ui.chbWrTmr->setEnabled(true);
        ui.edWrInt->setEnabled(true);
        tmrWr.stop();
    }
}

void TfmService::tmrWrTimer() {
    if (!WriteFromFields()) EndRepetition(tmrWr, ui.btnWr, ui.chbWrTmr, ui.edWrInt, kStartWriting);
}

void TfmService::ShowButtonCaptions() {
    const auto state = [](const QCheckBox* repeat) {
        return !repeat->isChecked() ? 0 : repeat->isEnabled() ? 1 : 2;
    };
    ui.btnRd->setText(arrBRDCaptions[state(ui.chbRdTmr)]);
    ui.btnWr->setText(arrBWRCaptions[state(ui.chbWrTmr)]);
}

void TfmService::chbRdTmrClick() {
    ui.btnRd->setText(arrBRDCaptions[ui.chbRdTmr->isChecked() ? 1 : 0]);
}

void TfmService::chbWrTmrClick() {
    ui.btnWr->setText(arrBWRCaptions[ui.chbWrTmr->isChecked() ? 1 : 0]);
}
