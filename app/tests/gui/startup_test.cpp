// Start-up and close: the first start, the round trip through Config.ini and the Default set, the
// command-line configuration and device, the driver's buffer parameters and the board identity.
#include <cstdlib>

#include "config/profile.h"
#include "gui_fixture.h"
#include "hw/streaming.h"

namespace gui_test {

class StartupTest : public QObject {
    Q_OBJECT

 private:
    std::unique_ptr<ProgramDirectory> dir;
    std::unique_ptr<Program> program;

 private slots:
    void init() { dir = std::make_unique<ProgramDirectory>(); }
    void cleanup() {
        program.reset();
        dir.reset();
        unsetenv("ZORVANL_REGISTRY");
    }

    void firstStartPlaysTheDefaultConfiguration() {
        program = std::make_unique<Program>(*dir);
        QVERIFY(program->recorder.boxes.empty());  // no rights box on the emulated board, no failure
        QCOMPARE(QmioTest_Output(0), static_cast<int>(QMIO_OUTPUT_SOURCE_RAM));
        QCOMPARE(program->hw().SourceFile, std::string("Signals/IBS256.BIN"));
        QCOMPARE(program->hw().ModKind, std::uint8_t{3});
        QCOMPARE(program->ui().cbSigKind->currentText(), QString("QPSK"));
        QVERIFY(program->hw().TxDisableOnExit);
        QCOMPARE(current_language, std::uint8_t{0});
        QCOMPARE(CurrentSetFile, std::string("User/Default.cfg"));  // relative to the program's directory
        QCOMPARE(program->ui().cbUserSections->count(), 1);
        QCOMPARE(program->ui().cbUserSections->itemText(0), QString("Default"));
        QCOMPARE(fmMain->StatusPanel[0]->text(), QString(" SN: 2026065"));
        QCOMPARE(fmMain->StatusPanel[1]->text(), QString(" HW: 2"));
        QVERIFY(!program->ui().tlbtnStart->isEnabled());
        QVERIFY(program->ui().tlbtnStop->isEnabled());
        QCOMPARE(QmioTest_TuningDacValue(0), 0x7F3A);  // version 2: the reference is tuned at start
    }

    void versionOneIsNotTuned() {
        program = std::make_unique<Program>(*dir, "[Board0]\nHardwareVersion=1\n");
        QCOMPARE(fmMain->StatusPanel[1]->text(), QString(" HW: 1"));
        QCOMPARE(QmioTest_TuningDacValue(0), -1);
    }

    void closeAndStartAgainComeBackWhereTheOperatorLeft() {
        program = std::make_unique<Program>(*dir);
        TypeAndEnter(program->ui().edCarrierFreq, "1234");
        Choose(program->ui().cbFilter, 2);
        program->Close();
        // Config.ini holds the nine options, Default.cfg the configuration in force under "Default".
        const std::string options = dir->read("Config.ini");
        std::size_t at = 0;
        for (const char* key : {"Top=", "Left=", "Language=", "CurrentSetFile=", "CurrentSetName=",
                                "TxDisableOnExit=", "UseDebugLog=", "BuffersLogging=", "DrvBuffEx="}) {
            const std::size_t found = options.find(key, at);
            QVERIFY2(found != std::string::npos, key);
            at = found;
        }
        for (const char* key : kConfigurationKeys)
            QVERIFY2(profile::ReadString(dir->file("User/Default.cfg"), "Default", key, "<missing>") !=
                         "<missing>",
                     key);
        QCOMPARE(profile::ReadString(dir->file("User/Default.cfg"), "Default", "Carrier", ""),
                 std::string("1234"));

        program.reset();
        program = std::make_unique<Program>(*dir);
        QCOMPARE(program->hw().F_N, 1234.0);
        QCOMPARE(program->ui().cbFilter->currentIndex(), 2);
        QCOMPARE(program->ui().edCarrierFreq->text(), QString("1234"));
    }

    void commandLineConfigurationAndDevice() {
        dir->write("User/Lab.cfg",
                   "[Options]\r\nLastSet=Other\r\n[Other]\r\nCarrier=1100\r\n[Test]\r\nCarrier=1500\r\n");
        program = std::make_unique<Program>(*dir, "[Emulator]\nBoards=3\n", 2,
                                            TCommandConfiguration{"Lab.cfg", "Test", false});
        QVERIFY(fmMain->CommandConfiguration.Valid);
        QCOMPARE(program->hw().DevNum, std::uint8_t{2});
        QCOMPARE(program->ui().cbSets->currentText(), QString("Lab"));
        QCOMPARE(CurrentSetName, std::string("Test"));
        QCOMPARE(program->hw().F_N, 1500.0);
        QCOMPARE(QmioTest_Output(2), static_cast<int>(QMIO_OUTPUT_SOURCE_RAM));
        QCOMPARE(QmioTest_Output(0), static_cast<int>(QMIO_OUTPUT_SILENT));
    }

    void commandLineConfigurationWithoutACarrierIsIgnored() {
        dir->write("User/Lab.cfg", "[Options]\r\nLastSet=Test\r\n[Test]\r\nCarrier=0\r\n");
        program = std::make_unique<Program>(*dir, "", 0, TCommandConfiguration{"Lab.cfg", "Test", false});
        QVERIFY(!fmMain->CommandConfiguration.Valid);
        QCOMPARE(CurrentSetFile, std::string("User/Default.cfg"));
        QVERIFY(program->recorder.boxes.empty());
    }

    void driverBufferParametersFromTheRegistry() {
        dir->write("registry.reg",
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\r\n"
                   "\"BuffersPerCH\"=dword:00000000\r\n\"CHBufferLENs\"=hex:00,00,08,00\r\n");
        setenv("ZORVANL_REGISTRY", dir->file("registry.reg").c_str(), 1);
        program = std::make_unique<Program>(*dir);
        QCOMPARE(BuffersPerCH, 4);
        QCOMPARE(DrvBufferLen, 0x80000u);
        QCOMPARE(DrvBufCount, std::uint8_t{4});
    }

    void streamingShowsItsPosition() {
        dir->writeBytes("big.bin", 3u << 20);  // above the 2 MiB of a version 2 board
        program = std::make_unique<Program>(*dir);
        program->ui().tlbtnStop->trigger();  // the file name can be changed while nothing runs
        TypeAndEnter(program->ui().edFileName, dir->file("big.bin").c_str());
        QCOMPARE(program->hw().SourceFile, dir->file("big.bin"));
        program->ui().tlbtnStart->trigger();
        QCOMPARE(QmioTest_Output(0), static_cast<int>(QMIO_OUTPUT_DMA_RING));
        QVERIFY(fmMain->ProgressBar1->isVisible());
        QVERIFY(!program->ui().edFileName->isEnabled());
        QVERIFY(!program->ui().cbFilter->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(fmMain->StatusPanel[2]->text().endsWith(" MB"), 5000);
        program->ui().tlbtnStop->trigger();
        QVERIFY(!fmMain->ProgressBar1->isVisible());
        QVERIFY(program->ui().edFileName->isEnabled());
        QVERIFY(program->ui().tlbtnStart->isEnabled());
        QVERIFY(program->recorder.boxes.empty());
    }

    void debugLogRecordsTheOperatorsActions() {
        dir->write("Config.ini", "[Options]\r\nUseDebugLog=1\r\n");
        program = std::make_unique<Program>(*dir);
        const std::string logFile = DebugLogger.FileName();
        QVERIFY(logFile.rfind(dir->file("logs/"), 0) == 0);
        program->ui().tlbtnStop->trigger();
        program->Close();
        std::ifstream in(logFile, std::ios::binary);
        const std::string text(std::istreambuf_iterator<char>(in), {});
        QVERIFY(text.find("Button [Start] click  TfmMain.tlbtnStartClick") != std::string::npos);
        QVERIFY(text.find("Button [Stop] click  TfmMain.tlbtnStopClick") != std::string::npos);
        QVERIFY(text.find("Stop debug session") != std::string::npos);
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::StartupTest)
#include "startup_test.moc"
