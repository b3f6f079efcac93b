// The sweep and the sine interferer windows on the emulated board: the step arithmetic, the poll and
// its direction changes through whole passes, the fields' keys and conversions, and the way the sine
// and the main window's noise option exclude each other.
#include <QCheckBox>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "gui_fixture.h"
#include "tools/my_leds.h"
#include "tools/sine.h"
#include "tools/sweep.h"
#include "tools/sweep_steps.h"

namespace gui_test {

namespace {

QmioTestSweep Sweep() {
    return Query(QmioTest_Sweep);
}

// Waits (at most 5 s) until the board has ended the pass it is sweeping.
bool WaitForPassEnd() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Sweep().passEnded) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

class SweepSineTest : public QObject {
    Q_OBJECT

 private:
    std::unique_ptr<ProgramDirectory> dir;
    std::unique_ptr<Program> program;

    std::vector<std::string> boxes() const { return program->recorder.texts(); }
    void clearBoxes() { program->recorder.boxes.clear(); }
    Ui::fmSweep& sweep() { return fmSweep->ui; }
    Ui::fmSine& sine() { return fmSine->ui; }
    // Switches the sweep on with these texts in the fields (the time 0 s gives the shortest passes).
    void startSweep(const QString& range, const QString& time, int mode) {
        fmSweep->show();
        TypeAndEnter(sweep().Edit1, range);
        TypeAndEnter(sweep().Edit2, time);
        Choose(sweep().ComboBox1, mode);
        sweep().OnOffSweep->click();
        fmSweep->Timer1.stop();  // the test drives the poll
    }

 private slots:
    void init() {
        dir = std::make_unique<ProgramDirectory>();
        dir->write("Config.ini", "[Options]\r\nUseDebugLog=1\r\n");
        program = std::make_unique<Program>(*dir);
        clearBoxes();
        current_language = 0;
    }
    void cleanup() {
        program.reset();
        dir.reset();
    }

    void stepArithmetic_data() {
        QTest::addColumn<double>("range");
        QTest::addColumn<double>("time");
        QTest::addColumn<double>("fs");
        QTest::addColumn<int>("stepsT");
        QTest::addColumn<int>("increment");
        QTest::addColumn<int>("warnings");
        QTest::newRow("1000 kHz in 1 s") << 1000.0 << 1.0 << 122000.0 << 116 << -537 << 0;
        QTest::newRow("0 s") << 1000.0 << 0.0 << 122000.0 << 1 << -537 << 1;
        QTest::newRow("0 kHz") << 0.0 << 1.0 << 122000.0 << 116 << 0 << 0;
        QTest::newRow("too long") << 1000.0 << 600.0 << 122000.0 << 65536 << -537 << 1;
        QTest::newRow("too wide") << 100000.0 << 1.0 << 122000.0 << 116 << -32768 << 1;
        QTest::newRow("negative range") << -1000.0 << 1.0 << 122000.0 << 116 << 537 << 0;
        QTest::newRow("negative range too wide") << -100000.0 << 1.0 << 122000.0 << 116 << 32767 << 1;
        QTest::newRow("both bounds") << 100000.0 << 0.0 << 122000.0 << 1 << -32768 << 2;
        // At 65536 kHz a step lasts 62.5 ticks per second and the increment is minus the range.
        QTest::newRow("ties to even, down") << 2.5 << 1.0 << 65536.0 << 62 << -2 << 0;
        QTest::newRow("ties to even, up") << 3.5 << 3.0 << 65536.0 << 188 << -4 << 0;
        QTest::newRow("no sample clock, no range") << 0.0 << 1.0 << 0.0 << 1 << 0 << 1;
        QTest::newRow("no sample clock") << 1000.0 << 1.0 << 0.0 << 1 << -32768 << 2;
    }
    void stepArithmetic() {
        QFETCH(double, range);
        QFETCH(double, time);
        QFETCH(double, fs);
        const TSweepSteps steps = ComputeSweepSteps(range, time, fs);
        QTEST(steps.StepsT, "stepsT");
        QTEST(steps.NL_N, "increment");
        QTEST(steps.Warnings(), "warnings");
    }

    void pollIgnoresOtherBits_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<uint>("status");
        QTest::addColumn<bool>("writes");
        QTest::addColumn<int>("shown");
        QTest::newRow("once, bit 0 only") << 0 << 0x00000001u << false << int(TSweepStatus::Tuning);
        QTest::newRow("once, bit 31 and more") << 0 << 0xC0000001u << false << int(TSweepStatus::Stop);
        QTest::newRow("cycle, all bits but 31") << 1 << 0x7FFFFFFFu << false << int(TSweepStatus::TuningPlus);
        QTest::newRow("other mode, pass ended") << 2 << 0x80000000u << false << int(TSweepStatus::Unchanged);
    }
    void pollIgnoresOtherBits() {
        QFETCH(int, mode);
        QFETCH(uint, status);
        const TSweepPoll poll = PollSweep(static_cast<std::uint8_t>(mode), status, 0);
        QTEST(poll.WritePass, "writes");
        QTEST(int(poll.Status), "shown");
    }

    void startWritesThePassAndLocks() {
        double fs = 0;
        _GetFSample(0, &fs);
        startSweep("1000", "1", 0);
        const TSweepSteps expected = ComputeSweepSteps(1000, 1, fs);
        const QmioTestSweep board = Sweep();
        QVERIFY(board.enabled);
        QCOMPARE(board.increment, expected.NL_N);
        QCOMPARE(board.dwellTicks, expected.StepsT);
        QVERIFY(boxes().empty());
        QVERIFY(SweepSettings.SweepIsWork);
        QCOMPARE(sweep().OnOffSweep->text(), QString("   Disable"));
        QCOMPARE(fmMain->SweepLed->ActiveColor(), kLedGreen);
        QCOMPARE(fmSweep->SweepLedBut->ActiveColor(), kLedGrey);
        for (QWidget* w : std::initializer_list<QWidget*>{sweep().Edit1, sweep().Edit2, sweep().ComboBox1})
            QVERIFY(!w->isEnabled());
        // A device load writes the carrier, which switches the board's sweep off; the sweep is
        // programmed again after it.
        program->ui().tlbtnStart->trigger();
        QVERIFY(Sweep().enabled);
        QCOMPARE(Sweep().increment, expected.NL_N);
    }

    void onceModeEndsInStop() {
        startSweep("1000", "0", 0);
        QCOMPARE(boxes(), std::vector<std::string>{"Error."});
        const int passes = Sweep().passes;
        fmSweep->Timer1Timer();
        QVERIFY(WaitForPassEnd());
        current_language = 1;
        fmSweep->Timer1Timer();
        QCOMPARE(sweep().Label6->text(), QString::fromUtf8("Стоп"));
        current_language = 0;
        fmSweep->Timer1Timer();
        QCOMPARE(sweep().Label6->text(), QString("Stop"));
        QCOMPARE(Sweep().passes, passes);  // once: no further pass
        sweep().OnOffSweep->click();
        QVERIFY(sweep().Label6->text().isEmpty());
        QVERIFY(!Sweep().enabled);
        QVERIFY(!fmSweep->Timer1.isActive());
        QVERIFY(sweep().Edit1->isEnabled());
        QCOMPARE(sweep().OnOffSweep->text(), QString("   Enable"));
        QCOMPARE(fmMain->SweepLed->ActiveColor(), kLedGrey);
        QCOMPARE(fmSweep->SweepLedBut->ActiveColor(), kLedGreen);
        const std::string log = ReadFile(DebugLogger.FileName());
        for (const char* line :
             {"Sweep [Enabled]  TfmSweep.OnOffSweepClick", "Sweep time, s = 0  TfmSweep.OnOffSweepClick",
              "Sweep mode [Once]  TfmSweep.OnOffSweepClick", "Sweep [Disabled]  TfmSweep.OnOffSweepClick",
              "Sweep range, kHz = 1000  TfmSweep.Edit1KeyPress"})
            QVERIFY2(log.find(line) != std::string::npos, line);
    }

    void cycleAlternatesOverMoreThan256Passes() {
        startSweep("1000", "0", 1);
        const int first = Sweep().increment;
        QVERIFY(first < 0);
        const int start = Sweep().passes;
        for (int pass = 0; pass < 300; ++pass) {
            QCOMPARE(Sweep().increment, pass % 2 == 0 ? first : -first);
            QCOMPARE(int(fmSweep->ParCic), pass % 256);
            fmSweep->Timer1Timer();
            if (!(fmSweep->tmp & kSweepPassEnded))  // the tick saw the pass running
                QCOMPARE(sweep().Label6->text(), QString(pass % 2 == 0 ? "Tuning +" : "Tuning -"));
            QVERIFY(WaitForPassEnd());
            fmSweep->Timer1Timer();  // writes the next pass
        }
        QCOMPARE(Sweep().passes, start + 300);
    }

    void cycleAtTheLowestBoundTurnsBack() {
        startSweep("100000", "0", 1);
        QCOMPARE(boxes().size(), std::size_t{2});
        QCOMPARE(Sweep().increment, -32767);
        QVERIFY(WaitForPassEnd());
        fmSweep->Timer1Timer();
        QCOMPARE(Sweep().increment, 32767);
    }

    void keysAndEmptyFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("range") << "Edit1"
                               << "1a -2.5"
                               << "12.5";
        QTest::newRow("time") << "Edit2"
                              << "x-3 "
                              << "3";
        QTest::newRow("offset") << "Edit3"
                                << "-1 b0.5"
                                << "-10.5";
        QTest::newRow("level") << "Edit4" << QString::fromUtf8("д-3") << "-3";
    }
    void keysAndEmptyFields() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        const QString sep{QChar(LocaleDecimalChar)};
        typed.replace('.', sep);
        kept.replace('.', sep);
        fmSweep->show();
        fmSine->show();
        QWidget* window =
            field.endsWith('1') || field.endsWith('2') ? static_cast<QWidget*>(fmSweep) : fmSine;
        auto* edit = window->findChild<QLineEdit*>(field);
        edit->setFocus(Qt::MouseFocusReason);
        edit->clear();
        TypeText(edit, typed);
        QCOMPARE(edit->text(), kept);
        // Enter in an empty field: the conversion error, the stored value kept.
        const TSweepSettings sweepBefore = SweepSettings;
        const TSineSettings sineBefore = SineSettings;
        edit->clear();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(boxes().size(), std::size_t{1});
        QVERIFY(boxes()[0].find("'' is not a valid") == 0);
        QCOMPARE(SweepSettings.IntervPerest, sweepBefore.IntervPerest);
        QCOMPARE(SweepSettings.PerestTime, sweepBefore.PerestTime);
        QCOMPARE(SineSettings.FreqOtstr, sineBefore.FreqOtstr);
        QCOMPARE(SineSettings.OtnosLevel, sineBefore.OtnosLevel);
    }

    void failedStartPutsTheWindowBack() {
        const int passes = Sweep().passes;
        fmSweep->show();
        sweep().Edit2->clear();
        sweep().OnOffSweep->click();
        QCOMPARE(boxes(), std::vector<std::string>{"'' is not a valid integer value"});
        QCOMPARE(Sweep().passes, passes);
        QVERIFY(!SweepSettings.SweepIsWork && !sweep().OnOffSweep->isChecked());
        QCOMPARE(sweep().OnOffSweep->text(), QString("   Enable"));
        QVERIFY(sweep().Edit1->isEnabled() && sweep().ComboBox1->isEnabled());
        QVERIFY(!fmSweep->Timer1.isActive());

        fmSine->show();
        TypeAndEnter(sine().Edit3, "1-2");  // passes the keys, not the conversion
        clearBoxes();
        sine().OnOffSine->click();
        QCOMPARE(boxes(), std::vector<std::string>{"'1-2' is not a valid floating point value"});
        QCOMPARE(Query(QmioTest_Noise).mode, 0);
        QVERIFY(!SineSettings.SineIsWork && !sine().OnOffSine->isChecked());
        QCOMPARE(sine().OnOffSine->text(), QString("   Enable"));
        QVERIFY(sine().Edit3->isEnabled() && program->ui().chbPomeha->isEnabled());
    }

    void armedToolsStartWithTheProgram() {
        program.reset();
        dir->write("User/Default.cfg",
                   "[Options]\r\nLastSet=Default\r\n[Default]\r\nPomehaON=1\r\nSine=1\r\nFreqOtstr=-100\r\n"
                   "Sweep=1\r\nPerestReg=1\r\nPerestTime=0\r\nIntervPerest=500\r\n");
        program = std::make_unique<Program>(*dir);
        QCOMPARE(boxes(), std::vector<std::string>{"Error."});  // the 0 s time
        QVERIFY(SineSettings.SineIsWork && sine().OnOffSine->isChecked());
        QCOMPARE(Query(QmioTest_Noise).mode, 2);
        QVERIFY(qAbs(Query(QmioTest_Noise).sineOffsetKHz + 100) < 0.001);
        QVERIFY(!program->ui().chbPomeha->isChecked() && !program->ui().chbPomeha->isEnabled());
        QVERIFY(SweepSettings.SweepIsWork && sweep().OnOffSweep->isChecked());
        QVERIFY(Sweep().enabled);
        QCOMPARE(sweep().ComboBox1->currentIndex(), 1);
        QVERIFY(fmSweep->Timer1.isActive());
    }

    void sineAndNoiseExcludeEachOther() {
        // Noise on, then the sine: the noise option is cleared first and locked.
        program->ui().chbPomeha->click();
        QCOMPARE(Query(QmioTest_Noise).mode, 1);
        fmSine->show();
        TypeAndEnter(sine().Edit3, "-250");
        TypeAndEnter(sine().Edit4, "-6");
        sine().OnOffSine->click();
        QVERIFY(boxes().empty());
        QCOMPARE(Query(QmioTest_Noise).mode, 2);
        QVERIFY(qAbs(Query(QmioTest_Noise).sineOffsetKHz + 250) < 0.001);
        QVERIFY(!program->ui().chbPomeha->isChecked() && !program->ui().chbPomeha->isEnabled());
        QCOMPARE(program->hw().Noise, std::uint8_t{0});
        QCOMPARE(fmMain->SineLed->ActiveColor(), kLedGreen);
        QCOMPARE(fmSine->SineLedBut->ActiveColor(), kLedGrey);
        QCOMPARE(sine().OnOffSine->text(), QString("   Disable"));
        // A device load sends the tone again.
        program->ui().tlbtnStart->trigger();
        QCOMPARE(Query(QmioTest_Noise).mode, 2);
        // Stopping leaves the noise option clear but usable.
        sine().OnOffSine->click();
        QCOMPARE(Query(QmioTest_Noise).mode, 0);
        QVERIFY(!program->ui().chbPomeha->isChecked() && program->ui().chbPomeha->isEnabled());
        QCOMPARE(fmMain->SineLed->ActiveColor(), kLedGrey);
        // On again, then a configuration with noise on is shown: the sine stops, its window hides and
        // its toolbar button is disabled.
        sine().OnOffSine->click();
        // A redraw without noise leaves the tone on the board.
        fmMain->UpdateFace();
        QCOMPARE(Query(QmioTest_Noise).mode, 2);
        program->hw().Noise = 1;
        fmMain->UpdateFace();
        QVERIFY(!SineSettings.SineIsWork && !sine().OnOffSine->isChecked());
        QVERIFY(!fmSine->isVisible());
        QVERIFY(!program->ui().tlbtnSine->isEnabled());
        QVERIFY(program->ui().chbPomeha->isChecked() && program->ui().chbPomeha->isEnabled());
        QCOMPARE(Query(QmioTest_Noise).mode, 1);
        const std::string log = ReadFile(DebugLogger.FileName());
        int stops = 0;
        for (auto at = log.find("Sine [Disabled]  TfmSine.OnOffSineClick"); at != std::string::npos;
             at = log.find("Sine [Disabled]", at + 1))
            ++stops;
        QCOMPARE(stops, 2);  // by the operator and by the noise option
        QVERIFY(log.find("Frequency offset, kHz = -250  TfmSine.OnOffSineClick") != std::string::npos);
        QVERIFY(log.find("Relative level, dB = -6  TfmSine.Edit4KeyPress") != std::string::npos);
        QVERIFY(boxes().empty());
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::SweepSineTest)
#include "sweep_sine_test.moc"
