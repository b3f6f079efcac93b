// Field validation and the command line: what the operator may type and which value a field yields.
#include "config/check.h"

#include "config/command_line.h"
#include "config/number_text.h"
#include "program_fixture.h"

namespace program_test {
namespace {

const std::string kAbove = "Value for the field above the maximum : ";
const std::string kBelow = "Value for the field below the minimum : ";
const std::string kByDefault = ". Value will be set by default.";
const std::string kInvalid = "Entered an invalid value. Value will be set by default.";

class CheckTest : public ::testing::Test {
 protected:
    void SetUp() override {
        InstallMessageBoxes(&ui);
        CreateWarning(0);
        LocaleDecimalChar = '.';
    }
    void TearDown() override {
        InstallMessageBoxes(nullptr);
        LocaleDecimalChar = '.';
    }
    // The texts of the boxes shown since the last call, all of the given kind.
    std::vector<std::string> takeBoxes(TMsgKind kind) {
        std::vector<std::string> texts;
        for (const auto& box : ui.boxes()) {
            EXPECT_EQ(box.kind, kind) << box.text;
            texts.push_back(box.text);
        }
        ui.clear();
        return texts;
    }
    std::vector<std::string> noBox() const { return {}; }

    RecordingUi ui;
    TCheckClass check;
};

TEST_F(CheckTest, KeyFiltersAdmitTheirSetAndSwallowEverythingElseWithOneMessage) {
    struct Case {
        char decimal;
        char16_t key;
        bool intAdmits;
        bool hexAdmits;
    };
    const Case cases[] = {
        {'.', u'5', true, true},    {'.', u'0', true, true},   {'.', u'9', true, true},
        {'.', u'.', true, true},    {'.', u',', false, false}, {',', u',', true, true},
        {',', u'.', false, false},  {'.', u'-', true, false},  {'.', u'x', false, false},
        {'.', u'e', false, true},   {'.', u'A', false, true},  {'.', u'f', false, true},
        {'.', u'G', false, false},  {'.', u'+', false, false}, {'.', u' ', false, false},
        {'.', 3, true, true},       {'.', 8, true, true},      {'.', 13, true, true},
        {'.', 22, true, true},      {'.', 26, true, true},     {'.', 24, false, false},
        {'.', 0, false, false},     {'.', u'Ж', false, false},  // a Cyrillic letter: above 255
        {'.', 0x12E, false, false},                             // above 255, though its low 8 bits are '.'
        {'.', 0x130, false, false},                             // above 255, though its low 8 bits are '0'
    };
    for (const auto& c : cases) {
        LocaleDecimalChar = c.decimal;
        char16_t key = c.key;
        EXPECT_EQ(check.CheckInt(key), c.intAdmits) << int(c.key);
        EXPECT_EQ(key, c.intAdmits ? c.key : 0) << int(c.key);
        EXPECT_EQ(takeBoxes(TMsgKind::Information),
                  c.intAdmits ? noBox() : std::vector<std::string>{MessageList[25]})
            << int(c.key);
        key = c.key;
        EXPECT_EQ(check.CheckHex(key), c.hexAdmits) << int(c.key);
        EXPECT_EQ(key, c.hexAdmits ? c.key : 0) << int(c.key);
        EXPECT_EQ(takeBoxes(TMsgKind::Information),
                  c.hexAdmits ? noBox() : std::vector<std::string>{MessageList[26]})
            << int(c.key);
    }
    EXPECT_EQ(MessageList[25], "In this field should be entered only numeric values.");
}

TEST_F(CheckTest, FloatingPointRangeChecksGiveTheValueOrTheDefaultWithTheReason) {
    struct Case {
        char decimal;
        const char* text;
        double low, high;
        double result;
        std::string message;  // empty: none
    };
    const Case cases[] = {
        {'.', "2200", 800, 2200, 2200, ""},
        {'.', "800", 800, 2200, 800, ""},
        {'.', "1500.25", 800, 2200, 1500.25, ""},
        {'.', "2200.5", 800, 2200, 1000, kAbove + "2200" + kByDefault},
        {',', "2200,5", 800, 2200, 1000, kAbove + "2200" + kByDefault},
        {',', "2200.5", 800, 2200, 1000, kInvalid},  // '.' is no separator under ','
        {'.', "799.99", 800, 2200, 1000, kBelow + "800" + kByDefault},
        {',', "0,1", 0.5, 2200, 1000, kBelow + "0,5" + kByDefault},  // the limit in the operator's form
        {',', "0,5", 0, 1, 0.5, ""},
        {'.', "", 800, 2200, 1000, kInvalid},
        {'.', "1-2", 800, 2200, 1000, kInvalid},
        {'.', "1.2.3", 800, 2200, 1000, kInvalid},
        {'.', "12a", 800, 2200, 1000, kInvalid},
        {'.', "-5", -40, 15, -5, ""},
        {'.', "16", -40, 15, 1000, kAbove + "15" + kByDefault},
        {'.', "1e-7", 1e-6, 1, 1000, kBelow + "1E-6" + kByDefault},
    };
    for (const bool second : {false, true}) {
        for (const auto& c : cases) {
            LocaleDecimalChar = c.decimal;
            const double value = second ? check.CheckRangeDouble2(true, c.text, 1000, c.low, c.high)
                                        : check.CheckRangeDouble(true, c.text, 1000, c.low, c.high);
            EXPECT_EQ(value, c.result) << c.text;
            EXPECT_EQ(takeBoxes(TMsgKind::Warning),
                      c.message.empty() ? noBox() : std::vector<std::string>{c.message})
                << c.text;
        }
    }
}

TEST_F(CheckTest, IntegerRangeCheckReadsDecimalAndHexadecimalAndShowsLimitsInDecimal) {
    struct Case {
        const char* text;
        std::int32_t result;
        std::string message;
    };
    const Case cases[] = {
        {"0x13", 19, ""},
        {"$64", 100, ""},
        {"-1", -1, ""},
        {"101", 7, kAbove + "100" + kByDefault},
        {"0x65", 7, kAbove + "100" + kByDefault},
        {"-2", 7, kBelow + "-1" + kByDefault},
        {"abc", 7, kInvalid},
        {"", 7, kInvalid},
        {"1.5", 7, kInvalid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(check.CheckRangeInt(true, c.text, 7, -1, 100), c.result) << c.text;
        EXPECT_EQ(takeBoxes(TMsgKind::Warning),
                  c.message.empty() ? noBox() : std::vector<std::string>{c.message})
            << c.text;
    }
}

TEST_F(CheckTest, HexadecimalRangeCheckComparesSixtyFourBitSignedValues) {
    struct Case {
        const char* text;
        const char* low;
        const char* high;
        std::uint32_t result;
        std::string message;
    };
    const std::string above = "Value for the field above the maximum : 0x";
    const std::string below = "Value for the field below the minimum : 0x";
    const Case cases[] = {
        {"FF", "0", "FF", 0xFF, ""},
        {"ab", "0", "FF", 0xAB, ""},
        {"100", "0", "FF", 0x12, above + "FF" + kByDefault},
        {"05", "10", "FF", 0x12, below + "10" + kByDefault},
        {"1G", "0", "FF", 0x12, kInvalid},
        {"", "0", "FF", 0x12, kInvalid},
        {"0x10", "0", "FF", 0x12, kInvalid},
        {"-1", "0", "FF", 0x12, kInvalid},
        {"1FFFFFFFF", "0", "FFFFFFFFF", 0xFFFFFFFF, ""},                  // the low 32 bits of the value
        {"FFFFFFFFFFFFFFFF", "0", "FF", 0x12, below + "0" + kByDefault},  // -1 as a signed number
        {"10000000000000000", "0", "FF", 0x12, kInvalid},                 // beyond 64 bits
        {"0000000000000000001", "0", "FF", 1, ""},
        {"7", "zz", "FF", 7, ""},  // a limit that is no number does not bound
    };
    for (const auto& c : cases) {
        EXPECT_EQ(check.CheckRangeHex(true, c.text, "12", c.low, c.high), c.result) << c.text;
        EXPECT_EQ(takeBoxes(TMsgKind::Warning),
                  c.message.empty() ? noBox() : std::vector<std::string>{c.message})
            << c.text;
    }
}

TEST_F(CheckTest, WithoutReadingTheFieldEveryRangeCheckReturnsItsDefaultSilently) {
    EXPECT_EQ(check.CheckRangeDouble(false, "5000", 1000, 800, 2200), 1000);
    EXPECT_EQ(check.CheckRangeDouble2(false, "x", 15, 0, 31), 15);
    EXPECT_EQ(check.CheckRangeInt(false, "x", 3, 0, 10), 3);
    EXPECT_EQ(check.CheckRangeHex(false, "x", "ABC", "0", "FF"), 0xABCu);
    EXPECT_EQ(check.CheckRangeHex(false, "1", "1FFFFFFFF", "0", "FF"), 0xFFFFFFFFu);
    EXPECT_EQ(check.CheckRangeHex(true, "x", "no", "0", "FF"), 0u);  // a default that is no number
    ui.clear();
    EXPECT_EQ(check.CheckRangeHex(false, "1", "no", "0", "FF"), 0u);
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(CheckTest, AnEmptyFieldIsReportedOnce) {
    EXPECT_FALSE(check.CheckRangeEmpty(""));
    EXPECT_EQ(takeBoxes(TMsgKind::Warning), std::vector<std::string>{"The field is empty."});
    EXPECT_TRUE(check.CheckRangeEmpty(" "));
    EXPECT_TRUE(check.CheckRangeEmpty("0"));
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(CheckTest, TheClockCheckKeepsAValueAboveTheMaximumAfterItsWarning) {
    const std::string notGuaranteed = kAbove + "220000. Correct work is not guaranteed.";
    struct Case {
        char decimal;
        const char* text;
        double result;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {'.', "250000", 250000, {notGuaranteed}},
        {',', "220000,5", 220000.5, {notGuaranteed}},
        {'.', "220000", 220000, {}},
        {'.', "0.5", 0.5, {}},
        {'.', "1000", 1000, {}},
        {'.', "0.1", 1000, {kBelow + "0.5" + kByDefault}},
        {',', "0,1", 1000, {kBelow + "0,5" + kByDefault}},
        {'.', "x", 1000, {kInvalid}},
        {'.', "", 1000, {kInvalid}},
    };
    for (const auto& c : cases) {
        LocaleDecimalChar = c.decimal;
        EXPECT_EQ(CheckClkFreq(c.text, 220000, 0.5, 1000), c.result) << c.text;
        EXPECT_EQ(takeBoxes(TMsgKind::Warning), c.messages) << c.text;
    }
    CreateWarning(1);
    EXPECT_EQ(CheckClkFreq("250000", 220000, 0.5, 1000), 250000);
    EXPECT_EQ(takeBoxes(TMsgKind::Warning),
              std::vector<std::string>{"Введенное значение выше максимального для данного поля : 220000. "
                                       "Корректное функционирование не гарантировано."});
}

TEST_F(CheckTest, TheCommandLineIsReadPairwiseAndCaseSensitively) {
    const std::string badDevice = "Cmd line param [-d] must be numerical! Example : Zorvanl.exe -d 0";
    struct Case {
        std::vector<std::string> arguments;
        int device;
        std::string file, name;
        int boxes;
    };
    const Case cases[] = {
        {{}, 0, "", "", 0},
        {{"-d", "x"}, 0, "", "", 1},
        {{"-d"}, 0, "", "", 1},  // the value is missing
        {{"-d", "300"}, 44, "", "", 0},
        {{"-d", "$A"}, 10, "", "", 0},
        {{"-d", "0x1F"}, 31, "", "", 0},
        {{"-d", "-1"}, 255, "", "", 0},
        {{"-x", "5", "-d", "1"}, 1, "", "", 0},
        {{"-D", "1"}, 0, "", "", 0},
        {{"-d", "3", "-d", "y"}, 3, "", "", 1},  // a bad value keeps the earlier one
        {{"-cf", "Lab.cfg"}, 0, "Lab.cfg", "", 0},
        {{"-d", "2", "-cf", "Lab.cfg", "-cn", "Test"}, 2, "Lab.cfg", "Test", 0},
        {{"-CF", "Lab.cfg", "-cn", "Test"}, 0, "", "Test", 0},
        {{"", "-d", "5"}, 0, "", "", 0},         // an empty argument ends the reading
        {{"-cf", "", "-d", "4"}, 4, "", "", 0},  // an empty value is taken as it is
        {{"-d", "5", "extra"}, 5, "", "", 0},    // a last option without value is skipped
        {{"-cn", "My conf", "-cf", "A B.cfg"}, 0, "A B.cfg", "My conf", 0},
    };
    for (const auto& c : cases) {
        const TCommandLine line = ReadCommandLine(c.arguments);
        const auto boxes = takeBoxes(TMsgKind::Error);
        EXPECT_EQ(line.DeviceNum, c.device) << testing::PrintToString(c.arguments);
        EXPECT_EQ(line.ConfFile, c.file) << testing::PrintToString(c.arguments);
        EXPECT_EQ(line.ConfName, c.name) << testing::PrintToString(c.arguments);
        EXPECT_EQ(boxes, std::vector<std::string>(static_cast<std::size_t>(c.boxes), badDevice))
            << testing::PrintToString(c.arguments);
    }
}

}  // namespace
}  // namespace program_test
