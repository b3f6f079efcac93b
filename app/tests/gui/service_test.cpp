// The service window and the settings window on the emulated board: identity, temperatures, counters
// and the RAM view, the logging options, the Registers tab and its key, single and repeated register
// access with their refusals; Apply and Cancel of the settings.
#include <QPlainTextEdit>
#include <QSignalSpy>

#include "gui_fixture.h"
#include "hw/streaming.h"
#include "tools/hex_text.h"
#include "tools/service.h"
#include "tools/setup.h"
#include "zplatform/codepage.h"

namespace gui_test {

namespace {

// The register accesses the board sees while `action` runs.
template <typename Action>
std::vector<QmioTestAccess> AccessesDuring(Action&& action) {
    QmioTest_LogRegisters(0, 1, 64);
    action();
    std::vector<QmioTestAccess> log(64);
    const int count = QmioTest_ReadRegisterLog(0, 0, log.data(), 64);
    QmioTest_LogRegisters(0, 0, 0);
    log.resize(static_cast<std::size_t>(std::clamp(count, 0, 64)));
    return log;
}

// A click on a check box's indicator.
void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

QStringList Lines(const QPlainTextEdit* memo) {
    return memo->toPlainText().split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class ServiceTest : public QObject {
    Q_OBJECT

 private:
    std::unique_ptr<ProgramDirectory> dir;
    std::unique_ptr<Program> program;

    TfmService& service() { return *fmService; }
    Ui::fmService& sui() { return fmService->ui; }
    void start(const std::string& boardConfig = "") {
        program = std::make_unique<Program>(*dir, boardConfig);
        fmService->show();
        QVERIFY(QTest::qWaitForWindowExposed(fmService));
        QApplication::setActiveWindow(fmService);
        QVERIFY(QTest::qWaitForWindowActive(fmService));
    }
    void pressShiftLeft(int times) {
        // The keys go where the operator's keys go: to the control that has the focus.
        for (int i = 0; i < times; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::ShiftModifier);
    }
    bool registersVisible() {
        return sui().PageControl1->isTabVisible(sui().PageControl1->indexOf(sui().tsRegisters));
    }

 private slots:
    void init() {
        dir = std::make_unique<ProgramDirectory>();
        UseDebugLog = false;
        BuffersLogging = false;
    }
    void cleanup() {
        program.reset();
        dir.reset();
    }

    // ---- General tab ----

    void identity_data() {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("tune");
        QTest::addColumn<QString>("version");
        QTest::newRow("version 2 shows the tune value") << ""
                                                        << "32570"
                                                        << "2";
        QTest::newRow("version 1 has no tune value") << "HardwareVersion=1\n"
                                                     << " - "
                                                     << "1";
        QTest::newRow("version 3 has none either") << "HardwareVersion=3\n"
                                                   << " - "
                                                   << "3";
    }
    void identity() {
        QFETCH(QString, board);
        QFETCH(QString, tune);
        QFETCH(QString, version);
        start("[Board0]\n" + board.toStdString());
        QmioTest_PinSensorRegister(0, 0x00, 41);
        QmioTest_PinSensorRegister(0, 0x01, 57);
        QmioTest_PinSensorRegister(0, 0x10, 0);
        QCOMPARE(sui().stDacTune->text(), tune);
        QCOMPARE(sui().sttxtHW->text(), version);
        QCOMPARE(sui().sttxtSN->text(), QString("2026065"));
        QVERIFY(service().Timer1.isActive());
        QTRY_COMPARE(sui().sttxtPCBt->text(), QString::fromUtf8("41 °C"));
        QCOMPARE(sui().sttxtLCAt->text(), QString::fromUtf8("57 °C"));
        fmService->hide();
        QVERIFY(!service().Timer1.isActive());
    }

    void ramRunShowsNoCountersAndAStreamedRunShowsThem() {
        start();  // the start-up plays the default source from the board's RAM
        QVERIFY(service().RAMModeViewEn);
        for (QLineEdit* field : {sui().edIRQCnt, sui().edTXCnt, sui().edPasses, sui().edOverruns}) {
            QCOMPARE(field->text(), QString(" - "));
            QVERIFY(!field->isEnabled());
        }
        QVERIFY(!sui().lblMb->isEnabled() && !sui().lblIRQCounter->isEnabled() &&
                !sui().lblByteTXCounter->isEnabled());

        TStreamCounters counters;
        counters.CtrlOldIRQCount = 1000;
        counters.CtrlIRQCount = 1017;
        counters.CtrlByteTX = 1234567890;
        counters.Passes = 12;
        counters.Overruns = 3;
        service().SetStreamCounters(&counters);
        service().Timer1Timer();
        QCOMPARE(sui().edTXCnt->text(), QString(" - "));  // a RAM run keeps its dashes
        service().RAMModeView(false);
        QVERIFY(sui().edTXCnt->isEnabled() && sui().lblMb->isEnabled() && sui().edPasses->isEnabled());
        service().Timer1Timer();
        const QString sep = QLocale::system().groupSeparator();
        QCOMPARE(sui().edTXCnt->text(), "1" + sep + "234" + sep + "567" + sep + "890");
        QCOMPARE(sui().edIRQCnt->text(), QString("17"));
        QCOMPARE(sui().edPasses->text(), QString("12"));
        QCOMPARE(sui().edOverruns->text(), QString("3"));
        service().SetStreamCounters(nullptr);
    }

    void streamedStartCountsPasses() {
        start();
        // A source above the board's RAM is streamed.
        dir->writeBytes("Signals/big.bin", 3u << 20);
        program->hw().SourceFile = "Signals/big.bin";
        program->ui().edFileName->setText("Signals/big.bin");
        QmioTest_SetMasterRate(0, -1.0);
        program->ui().tlbtnStart->setEnabled(true);
        fmMain->tlbtnStartClick();
        QVERIFY(!service().RAMModeViewEn);
        QTRY_VERIFY_WITH_TIMEOUT(sui().edPasses->text().toInt() >= 2, 20000);
        QVERIFY(sui().edTXCnt->text() != " - ");
        QVERIFY(sui().edIRQCnt->text().toLongLong() > 0);
        fmMain->tlbtnStopClick();
        service().Timer1Timer();  // the stopped run's counters stand still: one pass per whole file sent
        QString bytes = sui().edTXCnt->text();
        bytes.remove(QLocale::system().groupSeparator());
        QCOMPARE(sui().edPasses->text().toULongLong(), bytes.toULongLong() / (3u << 20));
    }

    void loadedFilesAreShown() {
        start();
        const std::string sep(1, std::filesystem::path::preferred_separator);
        QTRY_VERIFY(sui().edLastFPGAFile->text().startsWith(QString::fromStdString("Firmware" + sep)));
        QCOMPARE(sui().edLastFIRFile->text(),
                 QString::fromStdString("Firmware" + sep + "Filter" + sep + "pf512_70.dat"));
        fmMain->tlbtnStopClick();  // the stop returns the FPGA to its RAM-load image
        QTRY_COMPARE(sui().edLastFPGAFile->text(), QString::fromStdString("Firmware" + sep + "load_Ram.bit"));
        program->hw().FPGALoading(dir->file("missing.bit"));  // a failed load leaves no whole image
        QTRY_COMPARE(sui().edLastFPGAFile->text(), QString());
    }

    void loggingCheckBoxes() {
        dir->write("Config.ini", "[Options]\nUseDebugLog=1\nBuffersLogging=1\n");
        start();
        QVERIFY(sui().chbDebugLog->isChecked());
        QVERIFY(sui().chbBuffersLogging->isEnabled() && sui().chbBuffersLogging->isChecked());
        ClickBox(sui().chbDebugLog);  // "Enable logging" off
        QVERIFY(!sui().chbBuffersLogging->isChecked() && !sui().chbBuffersLogging->isEnabled());
        QVERIFY(!UseDebugLog && !BuffersLogging);
        ClickBox(sui().chbDebugLog);  // on again: buffers logging usable, still off
        QVERIFY(UseDebugLog && !BuffersLogging && sui().chbBuffersLogging->isEnabled());
        ClickBox(sui().chbBuffersLogging);
        QVERIFY(UseDebugLog && BuffersLogging);
        // Shown again with the log off: buffers logging is shown cleared and locked.
        fmService->hide();
        UseDebugLog = false;
        fmService->show();
        QVERIFY(!sui().chbDebugLog->isChecked() && !sui().chbBuffersLogging->isChecked());
        QVERIFY(!sui().chbBuffersLogging->isEnabled());
    }

    // ---- Registers tab ----

    void fifthShiftLeftRevealsTheRegisters() {
        start();
        QVERIFY(!registersVisible());
        // A field that takes Left itself: the window sees the key first.
        sui().edLastFPGAFile->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);  // without Shift: not counted
        pressShiftLeft(4);
        QVERIFY(!registersVisible());
        QCOMPARE(service().RegsVsblCnt, 4);
        pressShiftLeft(1);
        QVERIFY(registersVisible());
        QTest::mouseClick(sui().btnClose, Qt::LeftButton);
        QVERIFY(!fmService->isVisible());
        fmService->show();
        QVERIFY(registersVisible());
        QCOMPARE(service().RegsVsblCnt, 5);
    }

    void singleRead_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<uint>("index");
        QTest::newRow("index 10 is register 16") << "10"
                                                 << "10" << 16u;
        QTest::newRow("lower case digits") << "ff"
                                           << "FF" << 255u;
        QTest::newRow("other keys are not taken") << "1x-2"
                                                  << "12" << 18u;
        QTest::newRow("last register") << "3FF"
                                       << "3FF" << 1023u;
        QTest::newRow("only the last eight digits count") << "100000006"
                                                          << "100000006" << 6u;
    }
    void singleRead() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(uint, index);
        start();
        sui().edReadAdr->setFocus();
        TypeText(sui().edReadAdr, typed);
        QCOMPARE(sui().edReadAdr->text(), shown);
        sui().mReadReg->setPlainText("old");
        const auto log = AccessesDuring([&] { QTest::mouseClick(sui().btnRd, Qt::LeftButton); });
        QCOMPARE(log.size(), std::size_t{1});
        QCOMPARE(log[0].index, index);
        QCOMPARE(log[0].write, std::uint8_t{0});
        const QString hex = QString("%1").arg(log[0].value, 8, 16, QChar('0')).toUpper();
        QCOMPARE(
            Lines(sui().mReadReg),
            QStringList({"HEX : " + hex, "BIN : " + QString::fromStdString(HexToBinStr(hex.toStdString()))}));
        QCOMPARE(sui().btnRd->text(), QString("Read"));
        QVERIFY(program->recorder.boxes.empty());
    }

    void aRegisterHoldingFiveShowsItsLines() {
        // Without the board's register trap the window is plain memory: what is written stays.
        start("[Board0]\nNoTrap=1\n");
        program->recorder.boxes.clear();
        sui().edWriteAdr->setText("10");
        sui().edWriteVal->setText("5");
        QTest::mouseClick(sui().btnWr, Qt::LeftButton);
        sui().edReadAdr->setText("10");
        QTest::mouseClick(sui().btnRd, Qt::LeftButton);
        QCOMPARE(Lines(sui().mReadReg),
                 QStringList({"HEX : 00000005", "BIN : 00000000000000000000000000000101"}));
        QVERIFY(program->recorder.boxes.empty());
    }

    void singleWrite_data() {
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("value");
        QTest::addColumn<uint>("reg");
        QTest::addColumn<uint>("written");
        QTest::newRow("FFFFFFFF") << "10"
                                  << "FFFFFFFF" << 16u << 4294967295u;
        QTest::newRow("1FFFFFFFF keeps the last eight digits") << "10"
                                                               << "1FFFFFFFF" << 16u << 4294967295u;
        QTest::newRow("empty value writes 0") << "10"
                                              << "" << 16u << 0u;
        QTest::newRow("lower case") << "c"
                                    << "ff" << 12u << 255u;
    }
    void singleWrite() {
        QFETCH(QString, index);
        QFETCH(QString, value);
        QFETCH(uint, reg);
        QFETCH(uint, written);
        start();
        sui().edWriteAdr->setFocus();
        TypeText(sui().edWriteAdr, index);
        sui().edWriteVal->setFocus();
        TypeText(sui().edWriteVal, value);
        const auto log = AccessesDuring([&] { QTest::mouseClick(sui().btnWr, Qt::LeftButton); });
        QCOMPARE(log.size(), std::size_t{1});
        QCOMPARE(log[0].index, reg);
        QCOMPARE(log[0].value, written);
        QCOMPARE(log[0].write, std::uint8_t{1});
        QCOMPARE(sui().btnWr->text(), QString("Write"));
    }

    void refusedSingleAccess_data() {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("value");
        QTest::newRow("read beyond the register window") << false << "400"
                                                         << "";
        QTest::newRow("read, index not hexadecimal") << false << "1G"
                                                     << "";
        QTest::newRow("write beyond the register window") << true << "FFFFFFFF"
                                                          << "1";
        QTest::newRow("write, value not hexadecimal") << true << "10"
                                                      << "0x5";
        QTest::newRow("write, index with a blank") << true << " 10"
                                                   << "5";
    }
    void refusedSingleAccess() {
        QFETCH(bool, write);
        QFETCH(QString, index);
        QFETCH(QString, value);
        start();
        program->recorder.boxes.clear();
        // Texts put there other than by typing, as a paste the fields refuse cannot.
        (write ? sui().edWriteAdr : sui().edReadAdr)->setText(index);
        sui().edWriteVal->setText(value);
        const auto log =
            AccessesDuring([&] { QTest::mouseClick(write ? sui().btnWr : sui().btnRd, Qt::LeftButton); });
        QVERIFY(log.empty());
        QCOMPARE(program->recorder.texts(), std::vector<std::string>{"Incorrect parameters"});
    }

    void repeatedRead_data() {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<int>("ms");
        QTest::newRow("abc") << "abc" << 100;
        QTest::newRow("empty") << "" << 100;
        QTest::newRow("zero would run without pause") << "0" << 100;
        QTest::newRow("negative") << "-5" << 100;
        QTest::newRow("whole number") << "150" << 150;
    }
    void repeatedRead() {
        QFETCH(QString, interval);
        QFETCH(int, ms);
        start();
        sui().edReadAdr->setText("10");
        ClickBox(sui().chbRdTmr);
        QCOMPARE(sui().btnRd->text(), QString("Start read"));
        sui().edRdInt->setText(interval);
        sui().mReadReg->setPlainText("old");
        QSignalSpy ticks(&service().tmrRd, &QTimer::timeout);
        QTest::mouseClick(sui().btnRd, Qt::LeftButton);
        QCOMPARE(sui().btnRd->text(), QString("Stop read"));
        QVERIFY(!sui().chbRdTmr->isEnabled() && !sui().edRdInt->isEnabled());
        QCOMPARE(service().tmrRd.interval(), ms);
        QVERIFY(sui().mReadReg->toPlainText().isEmpty());
        QTRY_VERIFY(ticks.count() >= 3);
        QCOMPARE(Lines(sui().mReadReg).size(), 2 * ticks.count());  // two lines per tick, none cleared
        QCOMPARE(Lines(sui().mReadReg).last(), QString("BIN : ") + QString(32, '0'));
        QTest::mouseClick(sui().btnRd, Qt::LeftButton);
        QCOMPARE(sui().btnRd->text(), QString("Start read"));
        QVERIFY(sui().chbRdTmr->isEnabled() && sui().edRdInt->isEnabled() && !service().tmrRd.isActive());
        ClickBox(sui().chbRdTmr);
        QCOMPARE(sui().btnRd->text(), QString("Read"));
    }

    void repeatedWriteTakesTheFieldsOfEachTick() {
        start();
        sui().edWriteAdr->setText("20");
        sui().edWriteVal->setText("7");
        ClickBox(sui().chbWrTmr);
        sui().edWrInt->setText("abc");
        QTest::mouseClick(sui().btnWr, Qt::LeftButton);
        QCOMPARE(sui().btnWr->text(), QString("Stop write"));
        QCOMPARE(service().tmrWr.interval(), 100);
        QSignalSpy ticks(&service().tmrWr, &QTimer::timeout);
        QVERIFY(ticks.wait(1000));
        sui().edWriteVal->setText("9");
        const auto log = AccessesDuring([&] { QVERIFY(ticks.wait(1000)); });
        QVERIFY(!log.empty());
        QCOMPARE(log.back().index, 32u);
        QCOMPARE(log.back().value, 9u);
        fmService->hide();  // the repetition goes on while the window is hidden
        QVERIFY(service().tmrWr.isActive());
        QTest::mouseClick(sui().btnWr, Qt::LeftButton);
        QCOMPARE(sui().btnWr->text(), QString("Start write"));
        QVERIFY(!service().tmrWr.isActive());
    }

    void failingRepeatedTick_data() {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("caption");
        QTest::newRow("read beyond the window") << false << "400"
                                                << "Start reading";
        QTest::newRow("read, not hexadecimal") << false << "Z"
                                               << "Start reading";
        QTest::newRow("write beyond the window") << true << "1000"
                                                 << "Start writing";
    }
    void failingRepeatedTick() {
        QFETCH(bool, write);
        QFETCH(QString, index);
        QFETCH(QString, caption);
        start();
        program->recorder.boxes.clear();
        QLineEdit* address = write ? sui().edWriteAdr : sui().edReadAdr;
        QPushButton* button = write ? sui().btnWr : sui().btnRd;
        QCheckBox* repeat = write ? sui().chbWrTmr : sui().chbRdTmr;
        QLineEdit* interval = write ? sui().edWrInt : sui().edRdInt;
        QTimer& timer = write ? service().tmrWr : service().tmrRd;
        address->setText("10");
        ClickBox(repeat);
        QTest::mouseClick(button, Qt::LeftButton);
        QSignalSpy ticks(&timer, &QTimer::timeout);
        QVERIFY(ticks.wait(1000));
        address->setText(index);  // the next tick finds an index it cannot use
        QTRY_VERIFY(!timer.isActive());
        QCOMPARE(program->recorder.texts(), std::vector<std::string>{"Incorrect parameters"});
        QCOMPARE(button->text(), caption);
        QVERIFY(repeat->isEnabled() && repeat->isChecked() && interval->isEnabled());
        // The next press starts a new repetition.
        address->setText("10");
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(timer.isActive());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void buttonCaptionsFollowTheirArraysByState() {
        start();
        sui().edReadAdr->setText("10");
        ClickBox(sui().chbRdTmr);
        QTest::mouseClick(sui().btnRd, Qt::LeftButton);  // the read repeats, the write is single
        service().arrBRDCaptions = {"Чтение", "Начать чтение", "Остановить чтение"};
        service().arrBWRCaptions = {"Запись", "Начать запись", "Остановить запись"};
        service().ShowButtonCaptions();
        QCOMPARE(sui().btnRd->text(), QString("Остановить чтение"));
        QCOMPARE(sui().btnWr->text(), QString("Запись"));
        ClickBox(sui().chbWrTmr);
        QTest::mouseClick(sui().btnRd, Qt::LeftButton);  // the read stops
        service().ShowButtonCaptions();
        QCOMPARE(sui().btnRd->text(), QString("Начать чтение"));
        QCOMPARE(sui().btnWr->text(), QString("Начать запись"));
    }

    // ---- Settings window ----

    void settingsApplyAndCancel() {
        dir->write("Config.ini", "[Options]\nUseDebugLog=1\n");
        program = std::make_unique<Program>(*dir);
        QVERIFY(UseDebugLog);
        program->ui().tlbtnOptions->trigger();
        QVERIFY(fmSetup->isVisible());
        QCOMPARE(fmSetup->ui.cbLanguage->currentIndex(), 0);
        QVERIFY(fmSetup->ui.chbTxDisableOnExit->isChecked());  // the default

        // Cancel after changes: nothing taken, the window hidden.
        fmSetup->ui.cbLanguage->setCurrentIndex(1);
        ClickBox(fmSetup->ui.chbTxDisableOnExit);
        QTest::mouseClick(fmSetup->ui.btnCancel, Qt::LeftButton);
        QVERIFY(!fmSetup->isVisible());
        QCOMPARE(current_language, std::uint8_t{0});
        QVERIFY(program->hw().TxDisableOnExit);
        QCOMPARE(ErrorTextLanguage, 0);

        // Apply: language and option taken, the interface switched, two log lines; the window stays.
        program->ui().tlbtnOptions->trigger();
        QCOMPARE(fmSetup->ui.cbLanguage->currentIndex(), 0);  // opened on the language in force
        QVERIFY(fmSetup->ui.chbTxDisableOnExit->isChecked());
        fmSetup->ui.cbLanguage->setCurrentIndex(1);
        ClickBox(fmSetup->ui.chbTxDisableOnExit);
        QTest::mouseClick(fmSetup->ui.btnApply, Qt::LeftButton);
        QVERIFY(fmSetup->isVisible());
        QCOMPARE(current_language, std::uint8_t{1});
        QCOMPARE(ErrorTextLanguage, 1);
        QVERIFY(!program->hw().TxDisableOnExit);
        QCOMPARE(fmMain->MegaByte(), std::string("МБ"));
        fmSetup->ui.cbLanguage->setCurrentIndex(0);
        ClickBox(fmSetup->ui.chbTxDisableOnExit);
        QTest::mouseClick(fmSetup->ui.btnApply, Qt::LeftButton);
        QCOMPARE(current_language, std::uint8_t{0});
        QVERIFY(program->hw().TxDisableOnExit);
        program->Close();

        std::string log;
        for (const auto& entry : std::filesystem::directory_iterator(dir->file("logs")))
            log += dir->read("logs/" + entry.path().filename().string());
        for (const char* line :
             {"Language : [Русский]  TfmSetup.btnApplyClick", "TxDisableOnExit : [0]  TfmSetup.btnApplyClick",
              "Language : [English]  TfmSetup.btnApplyClick",
              "TxDisableOnExit : [-1]  TfmSetup.btnApplyClick"})
            QVERIFY2(log.find(line) != std::string::npos ||
                         log.find(zplatform::codepage::utf8ToAnsi(line)) != std::string::npos,
                     line);
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::ServiceTest)
#include "service_test.moc"
