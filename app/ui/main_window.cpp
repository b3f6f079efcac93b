// The main window: creation, the parameter controls and their handling, the redraw, the keys and the
// tool buttons that open other windows. Sets and configurations, run control and start-up are in
// main_window_sets.cpp and main_window_run.cpp.
#include "main_window.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QSignalBlocker>
#include <algorithm>

#include "config/check.h"
#include "config/number_text.h"
#include "config/options.h"
#include "field_keys.h"
#include "handlers.h"
#include "hw/hardware.h"
#include "hw/parameters.h"
#include "hw/streaming.h"
#include "icons.h"
#include "program_windows.h"
#include "qt_operator_ui.h"
#include "slider.h"
#include "tools/bits.h"
#include "tools/logger.h"
#include "tools/service.h"
#include "tools/setup.h"
#include "tools/sine.h"
#include "tools/sweep.h"
#include "tools/ver_inf.h"
#include "tools/version_history.h"

namespace {

constexpr const char* kLocation = "TfmMain.";

void Log(const std::string& handler, const std::string& text) {
    DebugLogger.Add("i", kLocation + handler, 255, text);
}

// "-1" for a checked box, "0" for a clear one, as the log shows a check box's state.
std::string CheckedText(const QCheckBox* box) {
    return box->isChecked() ? "-1" : "0";
}

std::uint8_t Checked(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

// A list's selected position as the configuration holds it (no selection: 255).
std::uint8_t Position(const QComboBox* list) {
    return static_cast<std::uint8_t>(list->currentIndex());
}

std::string ItemText(const QComboBox* list) {
    return list->currentText().toStdString();
}

// A check box shows 1 as checked and 0 as clear; any other value leaves it as it is. A change of state
// runs the box's handler, as a click does.
void ShowFlag(QCheckBox* box, std::uint8_t value) {
    if (value == 0 || value == 1) box->setChecked(value == 1);
}

// A list shows a position without running its handler; a position outside the list selects nothing.
void ShowListPosition(QComboBox* list, int position) {
    list->setCurrentIndex(position < list->count() ? position : -1);
}

}  // namespace

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent) {
    ui.setupUi(this);
    boxes_ = std::make_unique<TQtMessageBoxes>();
    dialogs_ = std::make_unique<TQtFileDialogs>();
    InstallMessageBoxes(boxes_.get());
    InstallFileDialogs(dialogs_.get());
    InstallMainWindowEffects(this);

    // FormCreate.
    DebugLogger.SoftwareVer = {"Zorvan-L", kProgramVersion, "-", "-", "-"};
    SweepLed = std::make_unique<TMyLedRect>(ui.pbSweepLed, kLedGrey, kLedGrey, true);
    SineLed = std::make_unique<TMyLedRect>(ui.pbSineLed, kLedGrey, kLedGrey, true);
    ui.pbSweepLed->installEventFilter(this);
    ui.pbSineLed->installEventFilter(this);
    const QString separator = QLocale::system().decimalPoint();
    LocaleDecimalChar = separator.isEmpty() ? '.' : static_cast<char>(separator.at(0).unicode() & 0xFF);

    for (int i = 0; i < 3; ++i) {
        StatusPanel[i] = new QLabel(ui.StatusBar1);
        StatusPanel[i]->setObjectName(QString("StatusPanel%1").arg(i));
        StatusPanel[i]->setMinimumWidth(i < 2 ? 110 : 120);
        ui.StatusBar1->addWidget(StatusPanel[i]);
    }
    ProgressBar1 = new QProgressBar(ui.StatusBar1);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setMaximumWidth(180);
    ui.StatusBar1->addPermanentWidget(ProgressBar1);
    ProgressBar1->hide();

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(50);
    ui.tlbtnStop->setEnabled(false);

    // Images and side buttons.
    ui.tlbtnSaveEx->setIcon(ProgramIcon(TImage::SaveToSet));
    ui.tlbtnSave->setIcon(ProgramIcon(TImage::Save));
    ui.tlbtnStart->setIcon(ProgramIcon(TImage::Start));
    ui.tlbtnStop->setIcon(ProgramIcon(TImage::Stop));
    ui.tlbtnSweep->setIcon(ProgramIcon(TImage::Sweep));
    ui.tlbtnSine->setIcon(ProgramIcon(TImage::Sine));
    ui.tlbtnBits->setIcon(ProgramIcon(TImage::Bits));
    ui.tlbtnOptions->setIcon(ProgramIcon(TImage::Settings));
    ui.tlbtnAbout->setIcon(ProgramIcon(TImage::About));
    ui.ToolBar1->setIconSize(QSize(24, 24));
    for (QAction* action : ui.ToolBar1->actions())
        if (QWidget* button = ui.ToolBar1->widgetForAction(action))
            button->setObjectName(action->objectName());
    const auto sideButton = [](QLineEdit* field, TImage image, const char* name) {
        QAction* button = field->addAction(ProgramIcon(image), QLineEdit::TrailingPosition);
        button->setObjectName(name);
        return button;
    };
    edVHAttRightButton = sideButton(ui.edVHAtt, TImage::Slider, "edVHAttRightButton");
    edNHAttRightButton = sideButton(ui.edNHAtt, TImage::Slider, "edNHAttRightButton");
    edNoiseRightButton = sideButton(ui.edNoise, TImage::Slider, "edNoiseRightButton");
    edFileNameRightButton = sideButton(ui.edFileName, TImage::OpenFile, "edFileNameRightButton");
    ShowDeleteButtons(false);

    // Initial states: the samples-per-symbol list and its label are never shown; the filter list starts
    // on "Off"; nothing else is selected before a configuration is loaded.
    ui.cbVos->hide();
    ui.Label2->hide();
    ui.cbFilter->setCurrentIndex(0);
    for (QComboBox* list : {ui.cbSigKind, ui.cbCode, ui.cbSigSourceKind, ui.cbBin, ui.cbVos})
        list->setCurrentIndex(-1);

    ConnectHandlers();
    ConnectFields();
    qApp->installEventFilter(this);
}

TfmMain::~TfmMain() {
    qApp->removeEventFilter(this);
    if (!closed_) RunHandler([this] { FormCloseQuery(); });
    InstallMainWindowEffects(nullptr);
    InstallFileDialogs(nullptr);
    InstallMessageBoxes(nullptr);
}

void TfmMain::WindowsCreated() {
    fmSweep->SweepLed = SweepLed.get();
    fmSine->SineLed = SineLed.get();
    fmSine->chbPomeha = ui.chbPomeha;
}

void TfmMain::ConnectHandlers() {
    const auto on = [this](auto* sender, auto signal, void (TfmMain::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); });
    };
    on(ui.cbSigKind, &QComboBox::activated, &TfmMain::cbSigKindChange);
    on(ui.cbFilter, &QComboBox::activated, &TfmMain::cbFilterChange);
    on(ui.cbCode, &QComboBox::activated, &TfmMain::cbCodeChange);
    on(ui.cbSigSourceKind, &QComboBox::activated, &TfmMain::cbSigSourceKindChange);
    on(ui.cbBin, &QComboBox::activated, &TfmMain::cbBinChange);
    on(ui.cbVos, &QComboBox::activated, &TfmMain::cbVosChange);
    // toggled: the program's changes of state run the handlers too.
    on(ui.chbScrembl, &QCheckBox::toggled, &TfmMain::chbScremblClick);
    on(ui.chbDiff1, &QCheckBox::toggled, &TfmMain::chbDiff1Click);
    on(ui.chbDiff2, &QCheckBox::toggled, &TfmMain::chbDiff2Click);
    on(ui.chbSpectrInv, &QCheckBox::toggled, &TfmMain::chbSpectrInvClick);
    on(ui.chbPomeha, &QCheckBox::toggled, &TfmMain::chbPomehaClick);
    on(ui.SpinButton1Up, &QToolButton::clicked, &TfmMain::SpinButton1UpClick);
    on(ui.SpinButton1Down, &QToolButton::clicked, &TfmMain::SpinButton1DownClick);
    on(ui.SpinButton2Up, &QToolButton::clicked, &TfmMain::SpinButton2UpClick);
    on(ui.SpinButton2Down, &QToolButton::clicked, &TfmMain::SpinButton2DownClick);
    on(edVHAttRightButton, &QAction::triggered, &TfmMain::edVHAttRightButtonClick);
    on(edNHAttRightButton, &QAction::triggered, &TfmMain::edNHAttRightButtonClick);
    on(edNoiseRightButton, &QAction::triggered, &TfmMain::edNoiseRightButtonClick);
    on(edFileNameRightButton, &QAction::triggered, &TfmMain::edFileNameRightButtonClick);
    on(ui.tlbtnStart, &QAction::triggered, &TfmMain::tlbtnStartClick);
    on(ui.tlbtnStop, &QAction::triggered, &TfmMain::tlbtnStopClick);
    on(ui.tlbtnSave, &QAction::triggered, &TfmMain::tlbtnSaveClick);
    on(ui.tlbtnSaveEx, &QAction::triggered, &TfmMain::tlbtnSaveExClick);
    on(ui.tlbtnSweep, &QAction::triggered, &TfmMain::tlbtnSweepClick);
    on(ui.tlbtnSine, &QAction::triggered, &TfmMain::tlbtnSineClick);
    on(ui.tlbtnBits, &QAction::triggered, &TfmMain::tlbtnBitsClick);
    on(ui.tlbtnOptions, &QAction::triggered, &TfmMain::tlbtnOptionsClick);
    on(ui.tlbtnAbout, &QAction::triggered, &TfmMain::tlbtnAboutClick);
    on(ui.btnDelSet, &QToolButton::clicked, &TfmMain::btnDelSetClick);
    on(ui.btnDelConf, &QToolButton::clicked, &TfmMain::btnDelConfClick);
    on(&Timer1, &QTimer::timeout, &TfmMain::Timer1Timer);
    connect(ui.cbSets, &QComboBox::activated, this, [this] {
        RunHandler([this] {
            if (StoregeObject) cbSetsOnChange(*StoregeObject);
        });
    });
    connect(ui.cbUserSections, &QComboBox::activated, this, [this] {
        RunHandler([this] {
            if (StoregeObject) cbUserSectionsChange(*StoregeObject);
        });
    });
}

void TfmMain::ConnectFields() {
    const auto numeric = [](char16_t& key) { return CheckObject && CheckObject->CheckInt(key); };
    new TFieldKeys(ui.edCarrierFreq, numeric, [this](bool byEnter) { edCarrierFreqExit(byEnter); });
    new TFieldKeys(ui.edClockFreq, numeric, [this](bool byEnter) { edClockFreqExit(byEnter); });
    new TFieldKeys(ui.edFreqStep, numeric, [this](bool byEnter) { edFreqStepExit(byEnter); });
    new TFieldKeys(ui.edVHAtt, numeric, [this](bool byEnter) { edVHAttExit(byEnter); });
    new TFieldKeys(ui.edNHAtt, numeric, [this](bool byEnter) { edNHAttExit(byEnter); });
    new TFieldKeys(ui.edNoise, numeric, [this](bool byEnter) { edNoiseExit(byEnter); });
    // The file name has no filter and is applied by Enter only.
    new TFieldKeys(
        ui.edFileName, nullptr, [this](bool) { edFileNameKeyPress(); }, false);
}

std::string TfmMain::Text(const QLineEdit* field) {
    return field->text().toStdString();
}

void TfmMain::ShowNumber(QLineEdit* field, double value) {
    field->setText(QString::fromStdString(FloatToStr(value)));
}

// ---- The redraw ------------------------------------------------------------------------------------

void TfmMain::UpdateFace() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    int configuration = -1;
    for (int i = 0; i < ui.cbUserSections->count(); ++i)
        if (QString::compare(ui.cbUserSections->itemText(i), QString::fromStdString(CurrentSetName),
                             Qt::CaseInsensitive) == 0) {
            configuration = i;
            break;
        }
    ui.cbUserSections->setCurrentIndex(configuration);

    ShowNumber(ui.edCarrierFreq, hw.F_N);
    ShowNumber(ui.edClockFreq, hw.F_TI);
    ShowListPosition(ui.cbSigKind, hw.ModKind);
    ShowNumber(ui.edFreqStep, hw.FreqStep);
    ShowNumber(ui.edVHAtt, hw.AttVH);
    ShowNumber(ui.edNHAtt, hw.AttNH);
    ShowListPosition(ui.cbVos, hw.Samples);

    // The noise box's handling runs once whether or not the state changes.
    if (hw.Noise == 0 || hw.Noise == 1) {
        const QSignalBlocker blocker(ui.chbPomeha);
        ui.chbPomeha->setChecked(hw.Noise == 1);
    }
    chbPomehaClick();

    ShowListPosition(ui.cbFilter, hw.Filter);
    ShowNumber(ui.edNoise, hw.Pomeha);
    ShowFlag(ui.chbScrembl, hw.Scram320);
    ShowFlag(ui.chbDiff1, hw.Diff1);
    ShowListPosition(ui.cbCode, hw.Code);
    ShowFlag(ui.chbDiff2, hw.Diff2);
    ShowFlag(ui.chbSpectrInv, hw.SpectrInv);

    ShowListPosition(ui.cbSigSourceKind, hw.SourceKind);
    ShowListPosition(ui.cbBin, hw.SourceCode);
    ui.edFileName->setText(QString::fromStdString(hw.SourceFile));
    ui.Label3->setEnabled(hw.SourceKind == 0);
    ui.cbSigKind->setEnabled(hw.SourceKind == 0);
    cbSigSourceKindChange();
    fmSetup->SelectLanguage(current_language);
}

// ---- Fields ----------------------------------------------------------------------------------------

void TfmMain::edCarrierFreqExit(bool) {
    TZorvanHWClass& hw = *ZorvanHWObject;
    const TFieldLimits& limits = kCarrierLimits;
    hw.F_N =
        CheckObject->CheckRangeDouble(true, Text(ui.edCarrierFreq), limits.Default, limits.Low, limits.High);
    UpdateFace();
    WriteFrequencies(hw);
}

void TfmMain::edClockFreqExit(bool) {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.F_TI = CheckClkFreq(Text(ui.edClockFreq), kClockLimits.High, kClockLimits.Low, kClockLimits.Default);
    UpdateFace();
    WriteFrequencies(hw);
}

void TfmMain::edFreqStepExit(bool byEnter) {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.FreqStep = CheckObject->CheckRangeDouble(true, Text(ui.edFreqStep), kFreqStepLimits.Default,
                                                kFreqStepLimits.Low, kFreqStepLimits.High);
    Log(byEnter ? "edFreqStepKeyPress" : "edFreqStepExit",
        "Frequency step change [" + FloatToStr(hw.FreqStep) + "]");
    UpdateFace();
}

void TfmMain::edVHAttExit(bool byEnter) {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.AttVH = CheckObject->CheckRangeDouble2(true, Text(ui.edVHAtt), kAttenuatorLimits.Default,
                                              kAttenuatorLimits.Low, kAttenuatorLimits.High);
    Log(byEnter ? "edVHAttKeyPress" : "edVHAttExit", "VH ATT change [" + FloatToStr(hw.AttVH) + "]");
    UpdateFace();
    hw.Write_Att_H();
}

void TfmMain::edNHAttExit(bool byEnter) {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.AttNH = CheckObject->CheckRangeDouble2(true, Text(ui.edNHAtt), kAttenuatorLimits.Default,
                                              kAttenuatorLimits.Low, kAttenuatorLimits.High);
    Log(byEnter ? "edNHAttKeyPress" : "edNHAttExit", "NH ATT change [" + FloatToStr(hw.AttNH) + "]");
    UpdateFace();
    hw.Write_Att_L();
}

void TfmMain::edNoiseExit(bool byEnter) {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.Pomeha = CheckObject->CheckRangeDouble2(true, Text(ui.edNoise), kNoiseLimits.Default, kNoiseLimits.Low,
                                               kNoiseLimits.High);
    Log(byEnter ? "edNoiseKeyPress" : "edNoiseExit", "Noise level change [" + FloatToStr(hw.Pomeha) + "]");
    UpdateFace();
    WriteNoiseLevel(hw);
}

void TfmMain::edFileNameKeyPress() {
    ZorvanHWObject->SourceFile = Text(ui.edFileName);
    Log("edFileNameKeyPress", "Signal file = [" + ZorvanHWObject->SourceFile + "]");
}

// ---- Lists -----------------------------------------------------------------------------------------

void TfmMain::cbSigKindChange() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    Log("cbSigKindChange", "SignalType [" + ItemText(ui.cbSigKind) + "] selected");
    ApplyModKind(hw, Position(ui.cbSigKind));
}

void TfmMain::cbFilterChange() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    Log("cbFilterChange", "SignalType [" + ItemText(ui.cbFilter) + "] selected");
    ApplyFilter(hw, Position(ui.cbFilter));
}

void TfmMain::cbCodeChange() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    Log("cbCodeChange", "FEC [" + ItemText(ui.cbCode) + "] selected");
    ApplyCode(hw, Position(ui.cbCode));
}

void TfmMain::cbSigSourceKindChange() {
    ZorvanHWObject->SourceKind = Position(ui.cbSigSourceKind);
    DebugLogger.Add("i", "cbSigSourceKindChange", 255,
                    "SourceKind [" + ItemText(ui.cbSigSourceKind) + "] selected");
    ApplySourceKindRule();
}

void TfmMain::ApplySourceKindRule() {
    // Modulation, coding and packing apply to bit streams only.
    const bool bitStream = BitStreamSource(*ZorvanHWObject);
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui.Label3, ui.cbSigKind, ui.chbScrembl, ui.chbDiff1, ui.chbDiff2,
                                         ui.Label4, ui.cbCode, Form1->ui.Button1})
        control->setEnabled(bitStream);
}

void TfmMain::cbBinChange() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    Log("cbBinChange", "SourceBinary [" + ItemText(ui.cbBin) + "] selected");
    ApplySourceCode(hw, Position(ui.cbBin));
}

void TfmMain::cbVosChange() {
    ApplySamples(*ZorvanHWObject, Position(ui.cbVos));
}

// ---- Check boxes -----------------------------------------------------------------------------------

// The common part of the code check boxes: the log line, then the box's state applied.
void TfmMain::StoreFlag(const char* handler, const char* name, const QCheckBox* box,
                        void (*apply)(TZorvanHWClass&, std::uint8_t)) {
    if (!ZorvanHWObject) return;
    Log(handler, std::string("Checkbox ") + name + " switched [" + CheckedText(box) + "]");
    apply(*ZorvanHWObject, Checked(box));
}

void TfmMain::chbScremblClick() {
    StoreFlag("chbScremblClick", "Scrambler", ui.chbScrembl, ApplyScrambler);
}

void TfmMain::chbDiff1Click() {
    StoreFlag("chbDiff1Click", "DiffCode1", ui.chbDiff1, ApplyDiffCoder);
}

void TfmMain::chbDiff2Click() {
    StoreFlag("chbDiff2Click", "DiffCode2", ui.chbDiff2, ApplyDiffMapping);
}

void TfmMain::chbSpectrInvClick() {
    StoreFlag("chbSpectrInvClick", "SpectrInversion", ui.chbSpectrInv, ApplySpectrumInversion);
}

void TfmMain::chbPomehaClick() {
    if (!ZorvanHWObject) return;
    TZorvanHWClass& hw = *ZorvanHWObject;
    Log("chbPomehaClick", "Checkbox Noise switched [" + CheckedText(ui.chbPomeha) + "]");
    if (ui.chbPomeha->isChecked()) {
        // Noise and the sine interferer share the board's generator: noise on stops the interferer.
        if (fmSine->OnOffSineDown()) {
            fmSine->SetOnOffSine(false);
            fmSine->OnOffSineClick();
        }
        fmSine->hide();
        ui.tlbtnSine->setEnabled(false);
        ShowNoiseFieldState(true);
    } else {
        ui.tlbtnSine->setEnabled(true);
        ShowNoiseFieldState(false);
    }
    // While the interferer runs the generator is the tone's: a redraw without noise (the start-up's
    // language switch, a configuration chosen) keeps the tone on the board rather than switching the
    // generator off under a window that shows the sine on.
    ApplyNoiseState(hw, ui.chbPomeha->isChecked());
}

void TfmMain::ShowNoiseFieldState(bool enabled) {
    ui.edNoise->setEnabled(enabled);
    edNoiseRightButton->setEnabled(enabled);
    QPalette palette = ui.edNoise->palette();
    palette.setColor(QPalette::Text, enabled ? Qt::red : Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, Qt::black);
    palette.setColor(QPalette::Base, enabled ? QApplication::palette().color(QPalette::Base)
                                             : QApplication::palette().color(QPalette::Button));
    palette.setColor(QPalette::Disabled, QPalette::Base, QApplication::palette().color(QPalette::Button));
    ui.edNoise->setPalette(palette);
}

// ---- Up/down buttons -------------------------------------------------------------------------------

void TfmMain::SpinButton1UpClick() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.F_N = std::clamp(hw.F_N + hw.FreqStep, kCarrierTakenLimits.Low, kCarrierTakenLimits.High);
    ShowNumber(ui.edCarrierFreq, hw.F_N);
    WriteFrequencies(hw);
}

void TfmMain::SpinButton1DownClick() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.F_N = std::clamp(hw.F_N - hw.FreqStep, kCarrierTakenLimits.Low, kCarrierTakenLimits.High);
    ShowNumber(ui.edCarrierFreq, hw.F_N);
    WriteFrequencies(hw);
}

void TfmMain::SpinButton2UpClick() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.F_TI += hw.FreqStep;
    ShowNumber(ui.edClockFreq, hw.F_TI);
    hw.F_TI = CheckClkFreq(Text(ui.edClockFreq), 220000, 0.5, 1000);
    UpdateFace();
    hw.Write_TI();
}

void TfmMain::SpinButton2DownClick() {
    TZorvanHWClass& hw = *ZorvanHWObject;
    hw.F_TI -= hw.FreqStep;
    ShowNumber(ui.edClockFreq, hw.F_TI);
    hw.F_TI = CheckClkFreq(Text(ui.edClockFreq), 220000, 0.5, 1000);
    UpdateFace();
    hw.Write_TI();
}

// ---- Side buttons ----------------------------------------------------------------------------------

void TfmMain::OpenSlider(QLineEdit* field, int mode, int min, int max) {
    if (fmSlider->isVisible()) {
        fmSlider->hide();
        return;
    }
    fmSlider->SetOcupation(field, mode, min, max);
    fmSlider->show();
    fmSlider->ui.SliderBar->setFocus();
}

void TfmMain::edVHAttRightButtonClick() {
    OpenSlider(ui.edVHAtt, 2, 0, 31);
}

void TfmMain::edNHAttRightButtonClick() {
    OpenSlider(ui.edNHAtt, 1, 0, 31);
}

void TfmMain::edNoiseRightButtonClick() {
    OpenSlider(ui.edNoise, 0, -40, 15);
}

void TfmMain::edFileNameRightButtonClick() {
    const std::optional<std::string> chosen = FileDialogs().OpenSourceFile(AppDir);
    if (chosen) {
        // A file below the program's directory is kept relative to it.
        QString path = QString::fromStdString(*chosen);
        const int at = path.indexOf(QString::fromStdString(AppDir), 0, Qt::CaseInsensitive);
        if (at >= 0) path.remove(at, static_cast<int>(QString::fromStdString(AppDir).size()));
        ZorvanHWObject->SourceFile = path.toStdString();
        ui.edFileName->setText(path);
        Log("edFileNameRightButtonClick", "Signal file = [" + ZorvanHWObject->SourceFile + "]");
    }
    QDir::setCurrent(QString::fromStdString(AppDir));
}

// ---- Keys and tool buttons -------------------------------------------------------------------------

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        if (watched == ui.pbSweepLed) SweepLed->Draw();
        if (watched == ui.pbSineLed) SineLed->Draw();
        if (watched == ui.pbSweepLed || watched == ui.pbSineLed) return true;
    }
    // The window sees a key before its focused control: the key is delivered first to the focus
    // widget (or the window itself), and only that first delivery counts.
    if (event->type() == QEvent::KeyPress && isActiveWindow() && watched->isWidgetType()) {
        QWidget* focus = QApplication::focusWidget();
        if (watched == (focus ? focus : static_cast<QObject*>(this)) &&
            static_cast<QWidget*>(watched)->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            RunHandler([&] { FormKeyDown(key->key(), key->modifiers()); });
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfmMain::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (key == Qt::Key_F2) {
        tlbtnStartClick();  // also while the Start button is disabled
    } else if (ctrl && key == Qt::Key_X) {
        ShowDeleteButtons(!deleteButtonsEnabled_);
    } else if (ctrl && key == Qt::Key_J) {
        fmService->show();
        fmService->raise();
    }
}

void TfmMain::ShowDeleteButtons(bool enabled) {
    deleteButtonsEnabled_ = enabled;
    for (QToolButton* button : {ui.btnDelSet, ui.btnDelConf}) {
        button->setEnabled(enabled);
        button->setIcon(ProgramIcon(enabled ? TImage::DeleteEnabled : TImage::DeleteDisabled));
    }
}

void TfmMain::tlbtnSweepClick() {
    Log("tlbtnSweepClick", "Button [Sweep] click");
    fmSweep->show();
    fmSweep->raise();
}

void TfmMain::tlbtnSineClick() {
    Log("tlbtnSineClick", "Button [Sine] click");
    fmSine->show();
    fmSine->raise();
}

void TfmMain::tlbtnBitsClick() {
    Log("tlbtnBitsClick", "Button [Bits] click");
    Form1->show();
    Form1->raise();
    Form1->SetPackBitsIndex(ZorvanHWObject ? ZorvanHWObject->packing_bit : 0);
    Form1->SetPackByteIndex(ZorvanHWObject ? ZorvanHWObject->packing_byte : 0);
}

void TfmMain::tlbtnOptionsClick() {
    Log("tlbtnOptionsClick", "Button [Options] click");
    fmSetup->SelectLanguage(current_language);
    fmSetup->show();
    fmSetup->raise();
}

void TfmMain::tlbtnAboutClick() {
    Log("tlbtnAboutClick", "Button [About] click");
    fmVerInf->show();
    fmVerInf->raise();
}
