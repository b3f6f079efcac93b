// The main window's parameters as the operator edits them: the key filter, the fields' limits, the
// up/down buttons, the lists and check boxes, the slider popup and the keys the window sees first.
// Runs under a '.' and a ',' locale (two ctest entries).
#include <QAction>
#include <QCheckBox>
#include <QToolButton>

#include "gui_fixture.h"
#include "slider.h"
#include "tools/bits.h"

namespace gui_test {

class MainWindowTest : public QObject {
    Q_OBJECT

 private:
    std::unique_ptr<ProgramDirectory> dir;
    std::unique_ptr<Program> program;
    QString sep;

    std::vector<std::string>& none() {
        program->recorder.boxes.clear();
        static std::vector<std::string> empty;
        return empty;
    }
    std::vector<std::string> boxes() const { return program->recorder.texts(); }
    QmioTestAttenuators Attenuators() { return Query(QmioTest_Attenuators); }

 private slots:
    void init() {
        dir = std::make_unique<ProgramDirectory>();
        program = std::make_unique<Program>(*dir);
        program->recorder.boxes.clear();
        sep = QString(QChar(LocaleDecimalChar));
    }
    void cleanup() {
        program.reset();
        dir.reset();
    }

    void keyFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("boxes");
        QTest::newRow("letter") << "12x3"
                                << "123" << 1;
        QTest::newRow("Cyrillic letter") << QString::fromUtf8("1ж2") << "12" << 1;
        QTest::newRow("blank") << "1 2"
                               << "12" << 1;
        QTest::newRow("minus and digits") << "-12"
                                          << "-12" << 0;
        QTest::newRow("two separators pass the filter") << "1..2"
                                                        << "1..2" << 0;
    }
    void keyFilter() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(int, boxes);
        typed.replace('.', sep);
        kept.replace('.', sep);
        QLineEdit* field = program->ui().edFreqStep;
        field->setFocus(Qt::MouseFocusReason);
        field->clear();
        TypeText(field, typed);
        QCOMPARE(field->text(), kept);
        QCOMPARE(static_cast<int>(program->recorder.boxes.size()), boxes);
        for (const Box& box : program->recorder.boxes) {
            QCOMPARE(box.text, std::string("In this field should be entered only numeric values."));
            QVERIFY(box.kind == TMsgKind::Information);
        }
    }

    void otherSeparatorIsSwallowed() {
        const QChar other = LocaleDecimalChar == ',' ? '.' : ',';
        QLineEdit* field = program->ui().edFreqStep;
        field->setFocus(Qt::MouseFocusReason);
        field->clear();
        TypeText(field, QString("0") + other + "5");
        QCOMPARE(field->text(), QString("05"));
        QCOMPARE(program->recorder.boxes.size(), std::size_t{1});
        TypeAndEnter(field, "0" + sep + "5");
        QCOMPARE(program->hw().FreqStep, 0.5);
    }

    void ctrlKeysAreNotFiltered() {
        QLineEdit* field = program->ui().edCarrierFreq;
        field->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);  // select all
        QCOMPARE(field->selectedText(), field->text());
        QVERIFY(program->recorder.boxes.empty());
    }

    void carrierField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("carrier");
        QTest::addColumn<QString>("box");
        QTest::newRow("lower limit of the field") << "800" << 800.0 << "";
        QTest::newRow("upper limit") << "2200" << 2200.0 << "";
        QTest::newRow("below the field's 800")
            << "750" << 1000.0
            << "Value for the field below the minimum : 800. Value will be set by default.";
        QTest::newRow("above")
            << "2200.5" << 1000.0
            << "Value for the field above the maximum : 2200. Value will be set by default.";
        QTest::newRow("not a number")
            << "1-2" << 1000.0 << "Entered an invalid value. Value will be set by default.";
        QTest::newRow("empty") << "" << 1000.0 << "Entered an invalid value. Value will be set by default.";
    }
    void carrierField() {
        QFETCH(QString, typed);
        QFETCH(double, carrier);
        QFETCH(QString, box);
        typed.replace('.', sep);
        TypeAndEnter(program->ui().edCarrierFreq, typed);
        QCOMPARE(program->hw().F_N, carrier);
        QCOMPARE(program->ui().edCarrierFreq->text(), Shown(carrier));  // the redraw shows what is held
        QCOMPARE(boxes(),
                 box.isEmpty() ? std::vector<std::string>{} : std::vector<std::string>{box.toStdString()});
        // The board follows: the L-band LO is programmed for the carrier.
        QCOMPARE(Query(QmioTest_LocalOscillator).frequencyMHz, carrier);
    }

    void leavingTheFieldAppliesItOnceAndTheBoxIsNoLeave() {
        TypeAndLeave(program->ui().edCarrierFreq, "750");
        QCOMPARE(program->hw().F_N, 1000.0);
        QCOMPARE(program->recorder.boxes.size(), std::size_t{1});
        // Enter then leaving: applied again (nothing wrong now), no further box.
        TypeAndEnter(program->ui().edCarrierFreq, "1200");
        QTest::keyClick(program->ui().edCarrierFreq, Qt::Key_Tab);
        QCOMPARE(program->hw().F_N, 1200.0);
        QCOMPARE(program->recorder.boxes.size(), std::size_t{1});
    }

    void carrierButtonsGoDownToFive() {
        TypeAndEnter(program->ui().edFreqStep, "500");
        TypeAndEnter(program->ui().edCarrierFreq, "1000");
        none();
        program->ui().SpinButton1Down->click();
        QCOMPARE(program->hw().F_N, 500.0);
        QCOMPARE(program->ui().edCarrierFreq->text(), QString("500"));
        program->ui().SpinButton1Down->click();
        QCOMPARE(program->hw().F_N, 5.0);
        program->ui().SpinButton1Down->click();
        QCOMPARE(program->hw().F_N, 5.0);
        QVERIFY(boxes().empty());
        // The next start loads the IF image that 5 MHz needs; the carrier is then 5 MHz.
        fmMain->tlbtnStartClick();
        QVERIFY(std::abs(Query(QmioTest_Carrier).ifOutputMHz - 5.0) < 1e-6);  // within the NCO's resolution
    }

    void clockFieldKeepsAboveTheMaximum() {
        TypeAndEnter(program->ui().edClockFreq, "250000");
        QCOMPARE(program->hw().F_TI, 250000.0);
        QCOMPARE(boxes(),
                 std::vector<std::string>{"Value for the field above the maximum : 220000. Correct work is "
                                          "not guaranteed."});
        none();
        TypeAndEnter(program->ui().edClockFreq, "0" + sep + "1");
        QCOMPARE(program->hw().F_TI, 1000.0);
        QCOMPARE(boxes(), std::vector<std::string>{"Value for the field below the minimum : 0" +
                                                   sep.toStdString() + "5. Value will be set by default."});
    }

    void clockButtonBelowTheMinimumGivesTheDefault() {
        TypeAndEnter(program->ui().edFreqStep, "999");
        TypeAndEnter(program->ui().edClockFreq, "998");
        none();
        program->ui().SpinButton2Down->click();
        QCOMPARE(program->hw().F_TI, 1000.0);
        QCOMPARE(program->recorder.boxes.size(), std::size_t{1});
        program->ui().SpinButton2Up->click();
        QCOMPARE(program->hw().F_TI, 1999.0);
    }

    void attenuatorsAndNoiseFields() {
        TypeAndEnter(program->ui().edNHAtt, "10" + sep + "3");
        QCOMPARE(Attenuators().dbL, 10.5);  // the attenuator's step is 0.5 dB; the field shows what it holds
        QCOMPARE(program->hw().AttNH, 10.5);
        QCOMPARE(program->ui().edNHAtt->text(), "10" + sep + "3");
        TypeAndEnter(program->ui().edVHAtt, "32");
        QCOMPARE(program->hw().AttVH, 15.0);
        QCOMPARE(boxes(),
                 std::vector<std::string>{"Value for the field above the maximum : 31. Value will be set by "
                                          "default."});
    }

    void sourceKindRule() {
        Choose(program->ui().cbSigSourceKind, 1);  // I/Q 8-bit
        QCOMPARE(program->hw().SourceKind, std::uint8_t{1});
        for (QWidget* control : std::initializer_list<QWidget*>{
                 program->ui().Label3, program->ui().cbSigKind, program->ui().chbScrembl,
                 program->ui().chbDiff1, program->ui().chbDiff2, program->ui().Label4, program->ui().cbCode,
                 Form1->ui.Button1})
            QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
        Choose(program->ui().cbSigSourceKind, 0);
        for (QWidget* control : std::initializer_list<QWidget*>{program->ui().cbSigKind, program->ui().cbCode,
                                                                program->ui().chbDiff2, Form1->ui.Button1})
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    }

    void redrawOfUnusualStoredValues() {
        // Noise 2 (the library's sine mode) leaves the check box as it was; source kind 5 selects
        // nothing, is stored back as 255, and the coding controls are disabled.
        program->ui().chbPomeha->setChecked(true);
        program->hw().Noise = 2;
        program->hw().SourceKind = 5;
        fmMain->UpdateFace();
        QVERIFY(program->ui().chbPomeha->isChecked());
        QCOMPARE(program->ui().cbSigSourceKind->currentIndex(), -1);
        QCOMPARE(program->hw().SourceKind, std::uint8_t{255});
        QVERIFY(!program->ui().cbCode->isEnabled());
    }

    void checkBoxesWriteTheBoard() {
        program->ui().chbSpectrInv->click();
        QCOMPARE(program->hw().SpectrInv, std::uint8_t{1});
        QVERIFY(Query(QmioTest_Modulator).filterSpectrInv);
        // The program's change of a box runs its handler too.
        program->hw().SpectrInv = 0;
        fmMain->UpdateFace();
        QVERIFY(!program->ui().chbSpectrInv->isChecked());
        QVERIFY(!Query(QmioTest_Modulator).filterSpectrInv);
    }

    void noiseBoxSwitchesTheGenerator() {
        TypeAndEnter(program->ui().edNoise, "4");
        program->ui().chbPomeha->click();
        QCOMPARE(program->hw().Noise, std::uint8_t{1});
        QVERIFY(program->ui().edNoise->isEnabled());
        QVERIFY(!program->ui().tlbtnSine->isEnabled());
        QCOMPARE(Query(QmioTest_Noise).mode, 1);
        program->ui().chbPomeha->click();
        QVERIFY(!program->ui().edNoise->isEnabled());
        QVERIFY(program->ui().tlbtnSine->isEnabled());
        QCOMPARE(Query(QmioTest_Noise).mode, 0);
    }

    void sliderOpensWithoutWriting() {
        TypeAndEnter(program->ui().edNHAtt, "12" + sep + "5");
        const double before = Attenuators().dbL;
        fmMain->edNHAttRightButton->trigger();
        QVERIFY(fmSlider->isVisible());
        QCOMPARE(fmSlider->ui.SliderBar->value(), 12);  // 12.5 rounds to the even 12
        QCOMPARE(program->ui().edNHAtt->text(), "12" + sep + "5");
        QCOMPARE(Attenuators().dbL, before);
        fmSlider->ui.SliderBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(program->ui().edNHAtt->text(), QString("13"));
        QCOMPARE(program->hw().AttNH, 13.0);
        QCOMPARE(Attenuators().dbL, 13.0);
        fmSlider->FormDeactivate();
        QVERIFY(!fmSlider->isVisible());
    }

    void sliderKeepsEachFieldsOwnValue() {
        program->ui().chbPomeha->click();  // the noise field and its button work while noise is on
        fmMain->edNoiseRightButton->trigger();
        fmSlider->ui.SliderBar->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(program->hw().Pomeha, -40.0);
        fmSlider->FormDeactivate();
        TypeAndEnter(program->ui().edVHAtt, "20");
        fmMain->edVHAttRightButton->trigger();
        QCOMPARE(fmSlider->ui.SliderBar->value(), 20);
        QCOMPARE(program->ui().edVHAtt->text(), QString("20"));
        fmMain->edVHAttRightButton->trigger();  // a second press closes it
        QVERIFY(!fmSlider->isVisible());
    }

    void sliderRefusesTextThatIsNoNumber() {
        program->ui().edNHAtt->setText("abc");
        fmMain->edNHAttRightButton->trigger();
        QVERIFY(!fmSlider->isVisible());
        QCOMPARE(program->recorder.boxes.size(), std::size_t{1});
        QVERIFY(program->recorder.boxes.front().kind == TMsgKind::Error);
    }

    void ctrlXUnlocksTheDeleteButtons() {
        QVERIFY(!program->ui().btnDelSet->isEnabled());
        QWidget* focus = program->ui().edCarrierFreq;  // a text field has the focus: the window still sees it
        focus->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(focus, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(program->ui().btnDelSet->isEnabled());
        QVERIFY(program->ui().btnDelConf->isEnabled());
        QTest::keyClick(focus, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!program->ui().btnDelSet->isEnabled());
        QVERIFY(!program->ui().btnDelConf->isEnabled());
    }

    void f2StartsAlsoWhileStartIsDisabled() {
        QVERIFY(!program->ui().tlbtnStart->isEnabled());  // the start-up started the output
        program->ui().tlbtnStop->trigger();
        QCOMPARE(QmioTest_Output(0), static_cast<int>(QMIO_OUTPUT_SILENT));
        program->ui().edFreqStep->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(program->ui().edFreqStep, Qt::Key_F2);
        QCOMPARE(QmioTest_Output(0), static_cast<int>(QMIO_OUTPUT_SOURCE_RAM));
        QTest::keyClick(program->ui().edFreqStep, Qt::Key_F2);  // Start is disabled now: F2 restarts
        QCOMPARE(QmioTest_Output(0), static_cast<int>(QMIO_OUTPUT_SOURCE_RAM));
        QVERIFY(program->recorder.boxes.empty());
    }

    void packingOrderDialog() {
        program->ui().tlbtnBits->trigger();
        QVERIFY(Form1->isVisible());
        QCOMPARE(Form1->PackBitsIndex(), 0);
        Form1->ui.pack_bits1->click();
        Form1->ui.pack_byte0->click();
        Form1->ui.Button1->click();
        QVERIFY(!Form1->isVisible());
        QCOMPARE(program->hw().packing_bit, 1);
        QCOMPARE(program->hw().packing_byte, 0);
        const QmioTestSourceRam ram = Query(QmioTest_SourceRam);
        QCOMPARE(ram.bitOrder, 1);
        QCOMPARE(ram.byteOrder, 0);
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::MainWindowTest)
#include "main_window_test.moc"
