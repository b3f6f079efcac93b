// The SCPI language without a board: header forms and the tree's path rule, parameters and units,
// the error queue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scpi_parser.h"

namespace {

// A table of a few commands that record what they were given.
class ParserTest : public ::testing::Test {
 protected:
    void SetUp() override {
        const scpi::NumberSpec mhz{"HZ", 1e-6, 800, 2200, 1000};
        t.Add(
            "[SOURce:]FREQuency[:CW]",
            [this, mhz](scpi::Request& r) {
                r.Expect(1);
                carrier = r.Number(0, mhz);
            },
            [this, mhz](scpi::Request& r) {
                r.response = scpi::FormatNumber(r.QueryNumber(mhz, carrier) * 1e6);
            });
        t.Add(
            "[SOURce:]NOISe[:STATe]", [this](scpi::Request& r) { noise = r.Boolean(0); },
            [this](scpi::Request& r) { r.response = scpi::FormatBoolean(noise); });
        t.Add(
            "[SOURce:]NOISe:LEVel",
            [this](scpi::Request& r) {
                level = r.Number(0, {"DB", 1, -40, 15, 0});
            },
            nullptr);
        t.Add(
            "OUTPut:ATTenuation#", [this](scpi::Request& r) { attenuators.push_back(r.suffixes.at(0)); },
            nullptr);
        t.Add(
            "MMEMory:LOAD:STATe",
            [this](scpi::Request& r) {
                r.Expect(2);
                names = {r.String(0), r.String(1)};
            },
            nullptr);
        t.Add("*IDN", nullptr, [](scpi::Request& r) { r.response = "id"; });
    }

    int NextCode() { return std::stoi(t.errors.Next()); }

    scpi::Interpreter t;
    double carrier = 1000;
    bool noise = false;
    double level = 0;
    std::vector<int> attenuators;
    std::vector<std::string> names;
};

TEST_F(ParserTest, ShortAndLongFormsAnyCaseAndOptionalNodesReachOneCommand) {
    const struct {
        const char* line;
        double mhz;
    } cases[] = {{"FREQ 1.1GHZ", 1100},        {"source:frequency:cw 1200 MHz", 1200},
                 {"SOUR:FREQ 1.3e9", 1300},    {"FrEq:Cw 1400000 khz", 1400},
                 {"  :FREQ\t1500E+6  ", 1500}, {"FREQ MAX", 2200},
                 {"FREQ minimum", 800},        {"FREQ DEF", 1000}};
    for (const auto& c : cases) {
        EXPECT_EQ(t.Execute(c.line), "") << c.line;
        EXPECT_DOUBLE_EQ(carrier, c.mhz) << c.line;
        EXPECT_EQ(t.errors.Count(), 0u) << c.line;
    }
    // A long form cut at another point than the short form is no form at all.
    t.Execute("FREQU 1GHZ");
    EXPECT_EQ(NextCode(), -113);
    t.Execute("SOURC:FREQ 1GHZ");
    EXPECT_EQ(NextCode(), -113);
}

TEST_F(ParserTest, APathStaysForTheNextCommandOfTheLineAndTheRootResetsIt) {
    EXPECT_EQ(t.Execute("NOIS:STAT ON;LEV -5;:FREQ?;FREQ?;*IDN?;NOIS?"), "1000000000;1000000000;id;1\n");
    EXPECT_DOUBLE_EQ(level, -5);
    EXPECT_EQ(t.errors.Count(), 0u);
    t.Execute("OUTP:ATT 1;ATT2 1;ATT7 1");
    EXPECT_EQ(attenuators, (std::vector<int>{1, 2, 7}));
    // A new line starts at the root.
    t.Execute("NOIS:LEV -3");
    EXPECT_EQ(t.Execute("STAT?"), "");
    EXPECT_EQ(NextCode(), -113);
}

TEST_F(ParserTest, ParametersAndTheirErrors) {
    const struct {
        const char* line;
        int code;
    } cases[] = {{"FREQ", -109},
                 {"FREQ 1,2", -108},
                 {"FREQ 1.2.3", -121},
                 {"FREQ 1 PARSEC", -131},
                 {"FREQ 1 DB", -131},
                 {"FREQ ON", -104},
                 {"FREQ \"1\"", -104},
                 {"FREQ 1e400", -123},
                 {"FREQ 2.3GHZ", -222},
                 {"FREQ 700MHZ", -222},
                 {"FREQ #H10", -104},
                 {"NOIS MAYBE", -224},
                 {"NOIS:LEV 1 HZ", -131},
                 {"FREQ$", -102},
                 {"FREQ 1,", -109},
                 {"FREQ ,1", -103},
                 {"MMEM:LOAD:STAT \"a", -151},
                 {"\x01FREQ 1", -101},
                 {"ABCDEFGHIJKLMN 1", -112},
                 {"*RST", -113},
                 {":*IDN?", -102}};
    for (const auto& c : cases) {
        t.Execute(c.line);
        EXPECT_EQ(NextCode(), c.code) << c.line;
        EXPECT_EQ(t.errors.Count(), 0u) << c.line;
    }
    EXPECT_DOUBLE_EQ(carrier, 1000) << "no refused value reached the command";
    t.Execute("MMEM:LOAD:STAT \"Lab;1\",'It''s'");
    EXPECT_EQ(names, (std::vector<std::string>{"Lab;1", "It's"}));
}

TEST_F(ParserTest, TheQueueKeepsTwentyEntriesTheLastBecomingOverflowAndSetsEventBits) {
    for (int i = 0; i < 25; ++i)
        t.Execute("BAD");
    EXPECT_EQ(t.errors.Count(), scpi::kErrorQueueSize);
    for (std::size_t i = 0; i + 1 < scpi::kErrorQueueSize; ++i)
        EXPECT_EQ(t.errors.Next(), "-113,\"Undefined header\"");
    EXPECT_EQ(t.errors.Next(), "-350,\"Queue overflow\"");
    EXPECT_EQ(t.errors.Next(), "0,\"No error\"");
    EXPECT_EQ(t.errors.TakeEsr(), scpi::kEsrCommandError);
    t.errors.Push(-222, "a \"quoted\"\ndetail");
    t.errors.Push(-300, "device");
    t.errors.Push(-410);
    EXPECT_EQ(t.errors.Next(), "-222,\"Data out of range;a \"\"quoted\"\"detail\"");
    EXPECT_EQ(t.errors.Esr(), scpi::kEsrExecutionError | scpi::kEsrDeviceError | scpi::kEsrQueryError);
}

}  // namespace
