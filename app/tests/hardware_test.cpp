// The hardware object and the device load, against the emulated board.
#include <dlfcn.h>

#include <cstring>

#include "program_fixture.h"

// The library's _SetKVPS leaves no trace on the board, so this test program stands in front of it
// (the executable's definition takes precedence) to see what the device load passes, then forwards.
namespace {
std::vector<unsigned> kvpsCalls;
}
extern "C" int32_t _SetKVPS(uint8_t dev, uint8_t shift) {
    kvpsCalls.push_back(shift);
    static auto next = reinterpret_cast<int32_t (*)(uint8_t, uint8_t)>(dlsym(RTLD_NEXT, "_SetKVPS"));
    return next ? next(dev, shift) : -1;
}

namespace program_test {
namespace {

QmioTestFpga Fpga() {
    return QmioTestQuery(QmioTest_FpgaState);
}
QmioTestModulator Modulator() {
    return QmioTestQuery(QmioTest_Modulator);
}
QmioTestSourceRam SourceRam() {
    return QmioTestQuery(QmioTest_SourceRam);
}

class HardwareObjectTest : public ProgramTest {};

TEST_F(HardwareObjectTest, ASuccessShowsNothingAndEveryFailureOneBoxWithTextAndDetail) {
    CheckHWResult("LoadSynth", 0);
    EXPECT_TRUE(ui.boxes().empty());
    hw->FPGALoading(dir.file("missing.bit"));
    CheckHWResult("Something", 5);  // a positive code is a failure too
    CheckHWResult("Unknown", -99);  // a code the library has no text for
    const auto boxes = ui.boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, "[FPGALoading] Open file error. (" + dir.file("missing.bit") + ")");
    EXPECT_EQ(boxes[0].kind, TMsgKind::Error);
    EXPECT_EQ(boxes[1].text, "[Something] PLL error. ()");  // the detail was taken by the first box
    EXPECT_EQ(boxes[2].text, "[Unknown] ()");
}

TEST_F(HardwareObjectTest, LibraryTextsFollowTheErrorTextLanguage) {
    ErrorTextLanguage = 1;
    hw->FPGALoading(dir.file("нет.bit"));
    ErrorTextLanguage = 7;  // anything else: English
    CheckHWResult("Write_VN", -20);
    const auto texts = boxTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "[FPGALoading] Невозможно открыть файл. (" + dir.file("нет.bit") + ")");
    EXPECT_EQ(texts[1], "[Write_VN] FPGA not load. First you need to load FPGA.()");
    EXPECT_STREQ(MsgBoxCaption(TMsgKind::Error), "Error");
}

TEST_F(HardwareObjectTest, PortsReadZeroAfterAFailureAndWriteReportsTrue) {
    uint32_t serial = 0;
    ASSERT_EQ(GetSN(0, &serial), 0);
    EXPECT_TRUE(hw->WritePort(0x2A0, 7));
    EXPECT_EQ(hw->ReadPort(0x300), serial & 0xFF);  // the I2C engine's last received byte
    {
        TZorvanHWClass unconnected(5);
        ZorvanHWObject = &unconnected;
        EXPECT_EQ(unconnected.ReadPort(0x300), 0u);
        EXPECT_TRUE(unconnected.WritePort(0x300, 1));
    }
    ZorvanHWObject = hw.get();
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"[ReadPort] I/O error. ()", "[WritePort] I/O error. ()",
                                                    "[DisconnectDevice] I/O error. ()"}));
}

TEST_F(HardwareObjectTest, WriteNoisePassesTheLevelOfTheChosenInterferer) {
    hw->Pomeha = 4.0;
    hw->Sin_Att = -6.0;
    hw->Noise = 1;
    hw->WriteNoise();
    QmioTestNoise noise{};
    QmioTest_Noise(0, &noise);
    EXPECT_EQ(noise.mode, 1);
    EXPECT_EQ(noise.amplitude, 812);  // 4 dB: two coarse steps and the rest in the fine amplitude
    hw->Noise = 0;
    hw->WriteNoise();
    QmioTest_Noise(0, &noise);
    EXPECT_EQ(noise.mode, 0);
    hw->Sin_F = 1000.0;
    hw->Wr_Sin();
    QmioTest_Noise(0, &noise);
    EXPECT_EQ(noise.mode, 2);
    EXPECT_EQ(noise.sineWord, 0xBF79B476u);
    EXPECT_TRUE(ui.boxes().empty());
}

class SecondDevice : public ProgramTest {
    std::string boardConfig() const override { return "[Emulator]\nBoards=2\n[Board1]\nDriverSlot=1\n"; }
};

TEST_F(SecondDevice, EveryCallIncludingTheDetailQueryGoesToTheObjectsDevice) {
    ASSERT_EQ(ConnectDevice(1, AppPath("Firmware").c_str()), 0);
    TZorvanHWClass second(1);
    ZorvanHWObject = &second;
    second.FPGALoading(dir.file("absent.bit"));
    EXPECT_EQ(boxTexts(),
              (std::vector<std::string>{"[FPGALoading] Open file error. (" + dir.file("absent.bit") + ")"}));
    second.Read_Tempr();
    EXPECT_GT(second.TemprPCB, 0);
    ui.clear();
    // The object's destructor disconnects its own device only.
    ZorvanHWObject = hw.get();
}

// ---- Device load ----

class DeviceLoadTest : public ProgramTest {
 protected:
    void SetUp() override {
        ProgramTest::SetUp();
        kvpsCalls.clear();
        hw->F_N = 70.0;
        hw->F_TI = 1000.0;
        hw->ModKind = 3;  // QPSK
        _SetModKind(0, hw->ModKind);
        hw->Filter = 3;  // Nyquist 0.5
        _SetFilterType(0, hw->Filter);
        hw->Samples = 2;
        hw->AttVH = 10.3;
        hw->AttNH = 3.0;
        hw->Code = 1;
        hw->SourceFile = dir.file("source.bin");
        WriteFile(hw->SourceFile, PositionBytes(1000));
    }
};

TEST_F(DeviceLoadTest, ABitStreamInRamIsLoadedThenTheWorkingImageAndEveryTable) {
    hw->IstSig = 0;
    hw->SourceKind = 0;
    hw->packing_bit = 1;
    hw->packing_byte = 0;
    hw->LoadDev();
    EXPECT_TRUE(ui.boxes().empty()) << boxTexts()[0];
    EXPECT_EQ(ui.effects(), (std::vector<std::string>{"input off", "input on", "restart tools"}));

    const QmioTestFpga fpga = Fpga();
    EXPECT_STREQ(fpga.name, "emdi_32c");  // the working image after the RAM-load image
    EXPECT_EQ(fpga.configurations, 2u);
    const QmioTestSourceRam ram = SourceRam();
    EXPECT_EQ(ram.wordWrites, 500);  // 1000 bytes as 16-bit words
    EXPECT_EQ(ram.playLength, 500);
    EXPECT_EQ(ram.bitOrder, 1);
    EXPECT_EQ(ram.byteOrder, 0);
    std::vector<uint16_t> words(500);
    QmioTest_ReadSourceRam(0, static_cast<uint32_t>(-500), words.data(), 500);
    const auto bytes = PositionBytes(1000);
    EXPECT_EQ(std::memcmp(words.data(), bytes.data(), 1000), 0);  // little-endian words, in file order

    const QmioTestModulator modulator = Modulator();
    EXPECT_EQ(modulator.constShift, 14);  // QPSK constellation
    EXPECT_EQ(modulator.bitMapWrites, 4096u);
    EXPECT_EQ(modulator.coding, 0x100u);   // Viterbi 1/2
    EXPECT_EQ(modulator.punctWrites, 0u);  // code 1: no puncturing table
    EXPECT_EQ(modulator.ceWrites, 1024u);
    EXPECT_EQ(modulator.samplesPerSymbol, 32);  // Write_TI chose 32 samples per symbol at 1000 kHz
    EXPECT_DOUBLE_EQ(hw->AttVH, 10.5);          // the attenuation actually set was written back
    QmioTestConverter converter{};
    QmioTest_Converter(0, &converter);
    EXPECT_EQ(converter.mode, 12);  // 70 MHz lies between fs / 3 and 2 fs / 3
    EXPECT_EQ(hw->ExtForm, hw->SourceCode);
    EXPECT_EQ(kvpsCalls, std::vector<unsigned>{3});  // the samples choice + 1
}

TEST_F(DeviceLoadTest, AnIqSourceInRamSkipsConstellationCoderAndBitMapAndPacksNaturally) {
    hw->IstSig = 1;
    hw->SourceKind = 1;
    hw->packing_bit = 1;
    hw->packing_byte = 1;
    hw->Samples = 4;
    hw->LoadDev();
    EXPECT_TRUE(ui.boxes().empty());
    const QmioTestModulator modulator = Modulator();
    EXPECT_EQ(modulator.constWrites, 0u);
    EXPECT_EQ(modulator.bitMapWrites, 0u);
    EXPECT_EQ(modulator.coding, 0u);  // WriteDiffPU did not run
    EXPECT_EQ(modulator.ceWrites, 1024u);
    const QmioTestSourceRam ram = SourceRam();
    EXPECT_EQ(ram.bitOrder, 0);
    EXPECT_EQ(ram.byteOrder, 0);
    EXPECT_STREQ(Fpga().name, "modi_32c");
    EXPECT_EQ(kvpsCalls, std::vector<unsigned>{5});  // samples choice 4 reaches the library as 5
}

TEST_F(DeviceLoadTest, AStreamedSourceLoadsNoRamAndKeepsTheCoderAndBitMap) {
    hw->IstSig = 3;
    hw->SourceKind = 1;
    hw->LoadDev();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_EQ(SourceRam().wordWrites, 0);
    const QmioTestFpga fpga = Fpga();
    EXPECT_STREQ(fpga.name, "momi_32c");
    EXPECT_EQ(fpga.configurations, 1u);  // no RAM-load image
    EXPECT_EQ(Modulator().bitMapWrites, 4096u);
    EXPECT_EQ(Modulator().constShift, 14);
}

TEST_F(DeviceLoadTest, PuncturingIsLoadedOnlyForCodesAboveThree) {
    hw->IstSig = 2;
    hw->Code = 3;
    hw->LoadDev();
    EXPECT_EQ(Modulator().punctWrites, 0u);
    hw->Code = 4;
    hw->LoadDev();
    EXPECT_EQ(Modulator().punctWrites, 2u);  // Viterbi 3/4: two pattern words
    EXPECT_EQ(Modulator().coding, 0x100u);
}

TEST_F(DeviceLoadTest, ATextBitStreamInRamIsLoadedAsBinaryWords) {
    hw->IstSig = 0;
    hw->SourceCode = 1;
    WriteFile(hw->SourceFile, {'1', '0', '1', '1'});
    hw->LoadDev();
    EXPECT_EQ(SourceRam().wordWrites, 2);  // two words of two characters each, not four bits
}

TEST_F(DeviceLoadTest, AMissingWorkingImageShowsOneBoxPerFailedStepAndTheLoadRunsToItsEnd) {
    // A program directory whose firmware set lacks the working image of this configuration.
    std::filesystem::create_directories(dir.path() / "Firmware");
    for (const auto& entry : std::filesystem::directory_iterator(ProgramDir() + "Firmware"))
        if (entry.path().filename() != "mmdi_32c.bit")
            std::filesystem::create_symlink(entry.path(), dir.path() / "Firmware" / entry.path().filename());
    AppDir = dir.path().string() + "/";
    hw->IstSig = 2;
    hw->LoadDev();
    const std::string image = AppPath("Firmware/mmdi_32c.bit");
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{
                              "[FPGALoading] Open file error. (" + image + ")",
                              "[Write_AD9786] FPGA not load. First you need to load FPGA.()",
                              "[Write_AD9786] FPGA not load. First you need to load FPGA.()",
                              "[Write_VN] FPGA not load. First you need to load FPGA.()",
                          }));
    EXPECT_EQ(Modulator().ceWrites, 0u);  // no image: the modulator took nothing, but the load went on
    EXPECT_EQ(ui.effects(), (std::vector<std::string>{"input off", "input on", "restart tools"}));
}

TEST_F(DeviceLoadTest, ACarrierEditAsksForTheNameWithoutLoadingAnything) {
    hw->IstSig = 0;
    hw->F_N = 1000.0;
    hw->F_TI = 200000.0;
    EXPECT_EQ(hw->MakeWorkFile(false), "emdL_UF4.bit");
    EXPECT_EQ(Fpga().configurations, 0u);
    EXPECT_EQ(SourceRam().wordWrites, 0);
}

}  // namespace
}  // namespace program_test
