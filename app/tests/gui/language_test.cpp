// The interface language: every text of every window against the language tables, in both directions,
// with the selections, values and run states the operator had kept across the switch.
#include <QPushButton>

#include "gui_fixture.h"
#include "language.h"
#include "tools/service.h"
#include "tools/setup.h"
#include "tools/sweep.h"
#include "tools/ver_inf.h"

namespace gui_test {

class LanguageTest : public QObject {
    Q_OBJECT

 private:
    std::unique_ptr<ProgramDirectory> dir;
    std::unique_ptr<Program> program;

    // As the settings window's Apply: the language in force (which the texts set at run time follow)
    // and the list's selection, then the switch.
    static void Switch(int language) {
        if (language == 0 || language == 1) current_language = static_cast<std::uint8_t>(language);
        fmSetup->SelectLanguage(language);
        fmMain->SetLanguage();
    }

    // Every text the windows show equals the table's text in `language`; the fields too.
    static void CompareAll(int language) {
        for (const TWindowTexts& table : WindowTexts()) {
            QWidget* window = ProgramWindow(table.window);
            QVERIFY2(window, table.window);
            for (const TWindowText& t : table.texts) {
                const QString expected = QString::fromUtf8(t.Text(language));
                if (const std::optional<QString> shown = ShownText(window, t))
                    QVERIFY2(*shown == expected, qPrintable(QString("%1.%2[%3]: \"%4\", not \"%5\"")
                                                                .arg(table.window, t.control)
                                                                .arg(t.index)
                                                                .arg(*shown, expected)));
            }
        }
        QCOMPARE(QString::fromStdString(fmMain->MegaByteText), QString(language ? "МБ" : "MB"));
        QCOMPARE(QString::fromStdString(fmMain->SaveINIDialogTitle),
                 QString(language ? "Сохранить в набор" : "Save to set"));
        QCOMPARE(fmService->arrBRDCaptions[2], QString(language ? "Остановить чтение" : "Stop read"));
        QCOMPARE(fmService->arrBWRCaptions[0], QString(language ? "Запись" : "Write"));
        QCOMPARE(fmService->findChild<QPushButton*>("btnRd")->text(), QString(language ? "Чтение" : "Read"));
        QCOMPARE(QString::fromStdString(MessageList[4]), QString(language ? "Ошибка!" : "Error."));
        QCOMPARE(ErrorTextLanguage, language);
        QCOMPARE(fmVerInf->ui.Memo1->toPlainText().section('\n', 0, 0),
                 QString(language ? "Версия 2.16:" : "Version 2.16:"));
    }

 private slots:
    void init() {
        dir = std::make_unique<ProgramDirectory>();
        program = std::make_unique<Program>(*dir);
    }
    void cleanup() {
        program.reset();
        dir.reset();
    }

    // Each table names only controls its window has, with the kind of text the table gives them.
    void everyTableEntryHasItsControl() {
        for (int language : {0, 1})
            for (const TWindowTexts& table : WindowTexts()) {
                QWidget* window = ProgramWindow(table.window);
                QVERIFY2(window, table.window);
                const int missing = ApplyWindowTexts(window, table, language, [](auto, int, auto&) {});
                QVERIFY2(
                    missing == 0,
                    qPrintable(QString("%1: %2 texts without a control").arg(table.window).arg(missing)));
            }
    }

    void russianAndBackRestoresEveryTextAndKeepsWhatTheOperatorChose() {
        Choose(program->ui().cbSigKind, 7);
        Choose(program->ui().cbFilter, 2);
        TypeAndEnter(program->ui().edCarrierFreq, "1234");
        CompareAll(0);
        for (int language : {1, 0, 1, 0}) {
            Switch(language);
            CompareAll(language);
            QCOMPARE(program->ui().cbSigKind->currentIndex(), 7);
            QCOMPARE(program->ui().cbFilter->currentIndex(), 2);
            QCOMPARE(program->ui().edCarrierFreq->text(), Shown(1234));
        }
        // The exact texts the operator sees, leading blanks and the Cyrillic Ka of the English list.
        QCOMPARE(fmMain->windowTitle(), QString("  Signal simulator 2.16"));
        QCOMPARE(program->ui().chbPomeha->text(), QString("    Noise, dB"));
        QCOMPARE(program->ui().cbCode->itemText(1), QString("Viterbi 1/2 К=7"));
        QVERIFY(program->ui().cbCode->itemText(1).contains(QChar(0x041A)));
    }

    void aSwitchWhileTheSweepRunsGivesItsButtonThePressedCaption() {
        auto* onOff = fmSweep->findChild<QPushButton*>("OnOffSweep");
        QVERIFY(onOff);
        fmSweep->SetOnOffSweep(true);
        fmSweep->OnOffSweepClick();
        QVERIFY(SweepSettings.SweepIsWork);
        QCOMPARE(fmSweep->findChild<QComboBox*>("ComboBox1")->currentIndex(), 0);
        Switch(1);
        QCOMPARE(onOff->text(), QString("   Выключить"));
        QCOMPARE(fmSweep->findChild<QComboBox*>("ComboBox1")->currentText(), QString("Однокр."));
        CompareAll(1);
        fmSweep->SetOnOffSweep(false);
        fmSweep->OnOffSweepClick();
        QCOMPARE(onOff->text(), QString("   Включить"));
        Switch(0);
        QCOMPARE(onOff->text(), QString("   Enable"));
    }

    // An unknown language applies no texts and leaves the messages empty.
    void anUnknownSelectionAppliesNoTexts() {
        Switch(-1);
        QCOMPARE(fmMain->windowTitle(), QString("  Signal simulator 2.16"));
        QCOMPARE(QString::fromStdString(MessageList[4]), QString());
        Switch(0);
        CompareAll(0);
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::LanguageTest)
#include "language_test.moc"
