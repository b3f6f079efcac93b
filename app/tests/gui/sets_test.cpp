// Sets and configurations as the operator uses them: choosing, saving, saving to another set with the
// name dialog, and deleting.
#include <QTimer>

#include "config/profile.h"
#include "config/sets.h"
#include "gui_fixture.h"
#include "user_ini_dialog.h"

namespace gui_test {

class SetsTest : public QObject {
    Q_OBJECT

 private:
    std::unique_ptr<ProgramDirectory> dir;
    std::unique_ptr<Program> program;

    void start() {
        program = std::make_unique<Program>(*dir);
        program->recorder.boxes.clear();
    }
    QStringList items(const QComboBox* list) const {
        QStringList all;
        for (int i = 0; i < list->count(); ++i)
            all << list->itemText(i);
        return all;
    }
    std::uint32_t configurations() const { return Query(QmioTest_FpgaState).configurations; }
    // The operator answers the name dialog once it shows: types `name` and presses OK.
    static void AnswerNameDialog(const QString& name) {
        QTimer::singleShot(0, [name] {
            fmUserINIDialog->ui.cbUserSectionsSave->setEditText(name);
            fmUserINIDialog->ui.Button1->click();
        });
    }

 private slots:
    void init() { dir = std::make_unique<ProgramDirectory>(); }
    void cleanup() {
        program.reset();
        dir.reset();
    }

    void saveToANewSetSelectsIt() {
        start();
        TypeAndEnter(program->ui().edCarrierFreq, "1234");
        program->recorder.files.push_back(dir->file("User/Lab.cfg"));
        AnswerNameDialog("Test");
        program->ui().tlbtnSaveEx->trigger();
        QCOMPARE(program->recorder.saveTitle, std::string("Save to set"));
        QVERIFY(items(program->ui().cbSets).contains("Lab"));
        QCOMPARE(program->ui().cbSets->currentText(), QString("Lab"));
        QCOMPARE(program->ui().cbUserSections->currentText(), QString("Test"));
        QCOMPARE(CurrentSetName, std::string("Test"));
        QCOMPARE(profile::ReadString(dir->file("User/Lab.cfg"), "Options", "LastSet", ""),
                 std::string("Test"));
        QCOMPARE(program->hw().F_N, 1234.0);  // loaded back from the set
        QVERIFY(program->recorder.boxes.empty());
    }

    void nameDialogRefusesOptionsOnly() {
        start();
        fmUserINIDialog->SetNames({});
        QTimer::singleShot(0, [] {
            fmUserINIDialog->ui.cbUserSectionsSave->setEditText("Options");
            fmUserINIDialog->ui.Button1->click();
            QVERIFY(fmUserINIDialog->isVisible());  // it stays open
            fmUserINIDialog->ui.cbUserSectionsSave->setEditText("");
            fmUserINIDialog->ui.Button1->click();  // an empty name does nothing
            QVERIFY(fmUserINIDialog->isVisible());
            fmUserINIDialog->ui.cbUserSectionsSave->setEditText("options");
            fmUserINIDialog->ui.Button1->click();
        });
        QVERIFY(fmUserINIDialog->Execute(fmMain));
        QCOMPARE(fmUserINIDialog->ResultStr, std::string("options"));
        QCOMPARE(program->recorder.texts(), std::vector<std::string>{"Invalid configuration name."});
        QVERIFY(program->recorder.boxes.front().kind == TMsgKind::Error);
    }

    void lowerCaseOptionsGoesIntoTheOptionsSection() {
        dir->write("User/Lab.cfg", "[Options]\r\nLastSet=Old\r\n[Old]\r\nCarrier=900\r\n");
        start();
        program->recorder.files.push_back(dir->file("User/Lab.cfg"));
        AnswerNameDialog("options");
        program->ui().tlbtnSaveEx->trigger();
        QCOMPARE(profile::ReadString(dir->file("User/Lab.cfg"), "Options", "Carrier", ""),
                 std::string("1000"));
        QCOMPARE(items(program->ui().cbUserSections), QStringList{"Old"});
    }

    void closingTheNameDialogSavesNothing() {
        start();
        // An earlier confirmation does not count for the next showing closed with the close box.
        fmUserINIDialog->SetNames({});
        AnswerNameDialog("First");
        QVERIFY(fmUserINIDialog->Execute(fmMain));
        program->recorder.files.push_back(dir->file("User/Lab.cfg"));
        QTimer::singleShot(0, [] { fmUserINIDialog->close(); });
        program->ui().tlbtnSaveEx->trigger();
        QVERIFY(!dir->exists("User/Lab.cfg"));
        // Cancelling the file dialog ends Save to set as well.
        program->ui().tlbtnSaveEx->trigger();
        QVERIFY(!dir->exists("User/Lab.cfg"));
    }

    void setWhoseLastConfigurationIsGone() {
        dir->write("User/Other.cfg", "[Options]\r\nLastSet=Nope\r\n[Real]\r\nCarrier=1500\r\n");
        start();
        const std::uint32_t before = configurations();
        const int other = program->ui().cbSets->findText("Other");
        QVERIFY(other >= 0);
        Choose(program->ui().cbSets, other);
        QCOMPARE(program->ui().cbUserSections->currentIndex(), -1);
        QCOMPARE(program->hw().F_N, 1000.0);  // every field at its default
        QCOMPARE(program->hw().ModKind, std::uint8_t{3});
        QCOMPARE(profile::ReadString(dir->file("User/Other.cfg"), "Options", "LastSet", "?"),
                 std::string(""));
        QVERIFY(configurations() > before);  // after the start-up, a choice restarts the output
        QCOMPARE(QmioTest_Output(0), static_cast<int>(QMIO_OUTPUT_SOURCE_RAM));
        // Choosing the real configuration loads it.
        Choose(program->ui().cbUserSections, program->ui().cbUserSections->findText("Real"));
        QCOMPARE(program->hw().F_N, 1500.0);
        QCOMPARE(program->ui().edCarrierFreq->text(), QString("1500"));
    }

    void saveWritesTheFieldsIntoTheCurrentConfiguration() {
        start();
        TypeAndEnter(program->ui().edNHAtt, "7");
        program->ui().edCarrierFreq->setText("600");  // typed, not applied: Save takes it (5 to 2200)
        program->ui().tlbtnSave->trigger();
        const std::string file = dir->file("User/Default.cfg");
        QCOMPARE(profile::ReadString(file, CurrentSetName, "Carrier", ""), std::string("600"));
        QCOMPARE(profile::ReadString(file, CurrentSetName, "AttNH", ""), std::string("7"));
        QVERIFY(program->recorder.boxes.empty());
    }

    void saveStopsAtANoiseTextThatIsNoNumber() {
        dir->write("User/Default.cfg",
                   "[Options]\r\nLastSet=Default\r\n[Default]\r\nPomehaON=1\r\nPomeha=-5\r\n");
        start();
        QVERIFY(program->ui().chbPomeha->isChecked());
        program->ui().edNoise->setText("abc");
        program->ui().tlbtnSave->trigger();
        QCOMPARE(profile::ReadString(dir->file("User/Default.cfg"), "Default", "Pomeha", ""),
                 std::string("-5"));
        QCOMPARE(program->recorder.boxes.size(), std::size_t{1});
        // An empty noise field: the box of message 2, the level keeps its value, Save goes on.
        program->recorder.boxes.clear();
        program->ui().edNoise->setText("");
        program->ui().tlbtnSave->trigger();
        QCOMPARE(program->recorder.texts(),
                 std::vector<std::string>{"In one of the fields do not enter a value."});
        QCOMPARE(profile::ReadString(dir->file("User/Default.cfg"), "Default", "PomehaON", ""),
                 std::string("1"));
    }

    void deleteTheOnlyConfiguration() {
        dir->write("User/Solo.cfg", "[Options]\r\nLastSet=Only\r\n[Only]\r\nCarrier=1100\r\n");
        start();
        Choose(program->ui().cbSets, program->ui().cbSets->findText("Solo"));
        QCOMPARE(CurrentSetName, std::string("Only"));
        fmMain->FormKeyDown(Qt::Key_X, Qt::ControlModifier);
        program->ui().btnDelConf->click();
        QCOMPARE(program->recorder.texts(),
                 std::vector<std::string>{"Do you want to delete the configuration?"});
        QCOMPARE(program->ui().cbUserSections->count(), 0);
        QCOMPARE(CurrentSetName, std::string(""));
        QCOMPARE(profile::ReadSectionNames(dir->file("User/Solo.cfg")), std::vector<std::string>{"Options"});
    }

    void deleteASetAsksFirst() {
        dir->write("User/A.cfg", "[Options]\r\nLastSet=One\r\n[One]\r\nCarrier=1300\r\n");
        dir->write("User/B.cfg", "[Options]\r\nLastSet=Two\r\n[Two]\r\nCarrier=1400\r\n");
        start();
        Choose(program->ui().cbSets, program->ui().cbSets->findText("B"));
        fmMain->FormKeyDown(Qt::Key_X, Qt::ControlModifier);
        program->recorder.confirm = false;
        program->ui().btnDelSet->click();
        QVERIFY(dir->exists("User/B.cfg"));
        const QRect frame = fmMain->frameGeometry();
        QCOMPARE(program->recorder.askedAt.first,
                 frame.x() + static_cast<int>(RoundHalfEven(frame.width() / 3.0)));
        QCOMPARE(program->recorder.askedAt.second,
                 frame.y() + static_cast<int>(RoundHalfEven(frame.height() / 5.0)));
        program->recorder.confirm = true;
        program->ui().btnDelSet->click();
        QVERIFY(!dir->exists("User/B.cfg"));
        QCOMPARE(program->ui().cbSets->currentText(), QString("A"));  // the first set is chosen
        QCOMPARE(CurrentSetName, std::string("One"));
        QCOMPARE(program->hw().F_N, 1300.0);
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::SetsTest)
#include "sets_test.moc"
