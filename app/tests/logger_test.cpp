#include "tools/logger.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kStampLength = 27;  // "[dd.mm.yyyy hh.nn.ss.zzz]  "
const std::regex kStamp(R"(\[\d\d\.\d\d\.\d{4} \d\d\.\d\d\.\d\d\.\d{3}\]  )");

class LoggerTest : public ::testing::Test {
 protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("zorvanl_logger_" + std::to_string(getpid()) + "_" +
                                            info->test_suite_name() + "_" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        registry_ = dir_ / "registry.reg";
        setenv("ZORVANL_REGISTRY", registry_.c_str(), 1);  // no key at all unless a test writes one
        logger_.SoftwareVer = {"Zorvan-L", "2.16", "-", "-", "-"};
    }
    void TearDown() override {
        unsetenv("ZORVANL_REGISTRY");
        fs::remove_all(dir_);
    }

    std::string logDir() const { return (dir_ / "logs").string() + "/"; }

    // The lines of the one log file, without their CR LF. Fails the test on a bare LF or a missing
    // CR LF at the end.
    std::vector<std::string> lines() const {
        std::ifstream in(logger_.FileName(), std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        const std::string text = content.str();
        std::vector<std::string> result;
        std::size_t start = 0;
        while (start < text.size()) {
            const auto end = text.find("\r\n", start);
            if (end == std::string::npos) {
                ADD_FAILURE() << "unterminated last line: " << text.substr(start);
                break;
            }
            result.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        for (const auto& line : result)
            EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        return result;
    }

    fs::path dir_;
    fs::path registry_;
    TLogger logger_;
};

// The header's lines as texts, from the first header line to the registry section's empty line. Each
// has the stamp, the blank mark, four blanks for channel 255 with their separators and the location "  ".
std::vector<std::string> headerTexts(const std::vector<std::string>& lines) {
    const std::string head(9, ' ');
    std::vector<std::string> texts;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        EXPECT_TRUE(std::regex_match(line.substr(0, kStampLength), kStamp)) << line;
        EXPECT_EQ(line.compare(kStampLength, head.size(), head), 0) << line;
        EXPECT_EQ(line.substr(line.size() - 4), "    ") << line;
        texts.push_back(
            line.substr(kStampLength + head.size(), line.size() - kStampLength - head.size() - 4));
        if (texts.back().empty()) break;
    }
    return texts;
}

// The C library's local time, in `format` (strftime), for every second from `from` to `to`.
std::vector<std::string> localTimesBetween(std::time_t from, std::time_t to, const char* format) {
    std::vector<std::string> texts;
    for (std::time_t t = from; t <= to; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        std::ostringstream text;
        text << std::put_time(&local, format);
        texts.push_back(text.str());
    }
    return texts;
}

}  // namespace

TEST(BytesToMiB, RoundsToNearestWithTiesToEven) {
    constexpr std::uint64_t MiB = 1 << 20, half = MiB / 2;
    EXPECT_EQ(BytesToMiB(0), 0u);
    EXPECT_EQ(BytesToMiB(half - 1), 0u);
    EXPECT_EQ(BytesToMiB(half), 0u);  // tie: to even 0
    EXPECT_EQ(BytesToMiB(half + 1), 1u);
    EXPECT_EQ(BytesToMiB(MiB + half), 2u);  // tie: to even 2
    EXPECT_EQ(BytesToMiB(2 * MiB + half), 2u);
    EXPECT_EQ(BytesToMiB(3 * MiB + half), 4u);
    EXPECT_EQ(BytesToMiB(476937 * MiB + half - 1), 476937u);
    EXPECT_EQ(BytesToMiB(std::uint64_t{1} << 50), std::uint64_t{1} << 30);  // above 4 GiB and 4 TiB
}

TEST_F(LoggerTest, OffLoggerCreatesNothingAndWritesNothing) {
    const fs::path previous = fs::current_path();
    fs::current_path(dir_);
    TLogger off;
    off.Add("i", "TfmMain.tlbtnStartClick", 255, "Start");
    off.Add("e", "X", 1, "failure");
    off.Disable();
    fs::current_path(previous);
    EXPECT_FALSE(off.LogEnabled);
    EXPECT_EQ(off.FileName(), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 0);
}

TEST_F(LoggerTest, EnableCreatesTheDirectoryAndADateNamedFile) {
    const std::string nested = (dir_ / "a" / "b" / "logs").string() + "/";
    const std::time_t before = std::time(nullptr);
    logger_.Enable(nested);
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(logger_.LogEnabled);

    std::vector<fs::path> files{fs::directory_iterator(nested), fs::directory_iterator()};
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].string(), logger_.FileName());
    const std::string name = files[0].filename().string();
    ASSERT_TRUE(std::regex_match(name, std::regex(R"(Debug_\d\d\.\d\d\.\d{4}_\d\d\.\d\d\.\d\d\.log)")))
        << name;
    const auto names = localTimesBetween(before, after, "Debug_%d.%m.%Y_%H.%M.%S.log");
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

TEST_F(LoggerTest, DirectoryWithoutTrailingSeparatorStillHoldsTheFile) {
    logger_.Enable((dir_ / "plain").string());
    EXPECT_EQ(fs::path(logger_.FileName()).parent_path(), dir_ / "plain");
    EXPECT_TRUE(fs::exists(logger_.FileName()));
}

TEST_F(LoggerTest, AnExistingFileOfTheSameNameIsTruncated) {
    // Two starts within one second share a name; the second start's file must not keep the first's
    // lines. Plant stale files under the names of the next few seconds.
    fs::create_directories(logDir());
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now; t < now + 5; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        char name[64];
        std::strftime(name, sizeof(name), "Debug_%d.%m.%Y_%H.%M.%S.log", &local);
        std::ofstream(logDir() + name) << std::string(100000, 'S') << "\r\n";
    }
    logger_.Enable(logDir());
    const auto all = lines();
    ASSERT_FALSE(all.empty());
    EXPECT_NE(all[0].find("Start debug session"), std::string::npos) << all[0];
    for (const auto& line : all)
        EXPECT_EQ(line.find("SSSS"), std::string::npos);
}

TEST_F(LoggerTest, LinesHaveTheExactFormat) {
    logger_.Enable(logDir());
    logger_.Add("i", "TfmSweep.OnOffSweepClick", 255, "Sweep [Enabled]");
    logger_.Add("e", "TZorvanHWClass.Load", 7, "X");
    logger_.Add("w", "Loc", 12, "careful");
    logger_.Add("d", "L", -1, "T");
    logger_.Add("i", "L", 0, "zero");
    logger_.Add("i", "L", 10, "ten");
    logger_.Add("", "", 9, "");
    const auto all = lines();
    ASSERT_GE(all.size(), 7u);
    const std::vector<std::string> expected = {
        "           Sweep [Enabled]  TfmSweep.OnOffSweepClick",  // eleven blanks after "]"
        "  x  CH07  Error : X  TZorvanHWClass.Load",
        "  !  CH12  Warning : careful  Loc",
        "    CH0-1  T  L",  // unknown type: no mark, no prefix, only the separators
        "     CH00  zero  L",
        "     CH10  ten  L",
        "    CH09    ",
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& line = all[all.size() - expected.size() + i];
        EXPECT_TRUE(std::regex_match(line.substr(0, kStampLength), kStamp)) << line;
        EXPECT_EQ(line.substr(kStampLength - 2), expected[i]) << line;
    }
}

TEST_F(LoggerTest, TimestampIsTheLocalTimeOfTheCall) {
    logger_.Enable(logDir());
    const std::time_t before = std::time(nullptr);
    logger_.Add("i", "L", 255, "now");
    const std::time_t after = std::time(nullptr);
    const std::string line = lines().back();
    const auto stamps = localTimesBetween(before, after, "[%d.%m.%Y %H.%M.%S.");
    EXPECT_NE(std::find(stamps.begin(), stamps.end(), line.substr(0, 21)), stamps.end()) << line;
}

TEST_F(LoggerTest, HeaderHasEverySectionAndLineInOrder) {
    logger_.Enable(logDir());
    const auto all = lines();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0].substr(kStampLength), "         Start debug session  TLogger.Enable");
    const auto texts = headerTexts(all);
    // One pattern per line, in order; the HDD section has one line per file system.
    const std::vector<std::string> before = {
        R"(\*\*\*\*\* Software information \*\*\*\*\*)",
        R"(Software name        = "Zorvan-L")",
        R"(Software version     = "2\.16")",
        R"(libZorvanL version   = "-")",
        R"(libqmio version      = "-")",
        R"(qmbus version        = "-")",
        R"(CMD Line             = "/.*program_logger_test")",
        R"(CMD Line parameter   = ".*")",
        " ",
        R"(\*\*\*\*\* OS Version information \*\*\*\*\*)",
        R"(Version                : \d+\.\d+)",
        R"(Build number           : \d+\.\d+.*)",
        R"(Platform ID            : Linux)",
        R"(Other info             : .*)",
        R"(Distribution version   : .*)",
        R"(Kernel build           : .*)",
        R"(Distribution ID        : .*)",
        R"(Windows type           : WIN64)",
        " ",
        R"(\*\*\*\*\* System information \*\*\*\*\*)",
        R"(CPU vendor             : .*)",
        R"(Processor architecture : \S+)",
        R"(Page size              : [1-9]\d*)",
        R"(Min app address        : 0x[0-9A-F]{8,})",
        R"(Max app address        : 0x[0-9A-F]{8,})",
        R"(Active processor mask  : [1-9]\d*)",
        R"(Number of processors   : [1-9]\d*)",
        R"(Processor type         : .+)",
        R"(Allocation granularity : [1-9]\d*)",
        R"(Processor level        : .*)",
        R"(Processor revision     : .*)",
        " ",
        R"(\*\*\*\*\* Memory information \*\*\*\*\*)",
        R"(Memory load             : \d{1,3})",
        R"(Total physical          : [1-9]\d*)",
        R"(Available physical      : \d+)",
        R"(Total pagefile          : \d+)",
        R"(Available pagefile      : \d+)",
        R"(Total virtual           : [1-9]\d*)",
        R"(Available virtual       : \d+)",
        R"(Available ex virtual    : 0)",
        " ",
        R"(\*\*\*\*\* HDD information \*\*\*\*\*)",
    };
    const std::regex disk(R"(/\S*: Size:\d+Mb Free:\d+Mb)");
    const std::vector<std::string> after = {
        " ",
        R"(\*\*\*\*\* PC information \*\*\*\*\*)",
        R"(PC Name = ".+")",
        R"(PC IP = \d+\.\d+\.\d+\.\d+)",
        " ",
        R"(\*\*\*\*\* Registry information \*\*\*\*\*)",
        R"(\[SYSTEM\\CurrentControlSet\\services\\qmbus\])",  // no such key here: its bracket line only
        "",
    };
    std::size_t at = 0;
    for (const auto& pattern : before) {
        ASSERT_LT(at, texts.size());
        EXPECT_TRUE(std::regex_match(texts[at], std::regex(pattern)))
            << "line " << at << ": '" << texts[at] << "' against " << pattern;
        ++at;
    }
    std::size_t disks = 0;
    for (; at < texts.size() && texts[at] != " "; ++at, ++disks)
        EXPECT_TRUE(std::regex_match(texts[at], disk)) << texts[at];
    EXPECT_GE(disks, 1u);
    EXPECT_TRUE(std::any_of(texts.begin() + static_cast<long>(at - disks),
                            texts.begin() + static_cast<long>(at),
                            [](const std::string& text) { return text.rfind("/: Size:", 0) == 0; }))
        << "the root file system is listed";
    for (const auto& pattern : after) {
        ASSERT_LT(at, texts.size());
        EXPECT_TRUE(std::regex_match(texts[at], std::regex(pattern)))
            << "line " << at << ": '" << texts[at] << "' against " << pattern;
        ++at;
    }
    EXPECT_EQ(at, texts.size());
    EXPECT_EQ(at + 1, all.size()) << "nothing after the header";
}

TEST_F(LoggerTest, RegistrySectionDumpsTheDriverKeyDepthFirst) {
    std::string bigBinary = "\"Big\"=hex:";
    for (int i = 0; i < 1030; ++i)
        bigBinary += i ? ",5a" : "5a";
    std::ofstream(registry_)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus]\r\n"
           "\"DisplayName\"=\"Zorvan board\"\r\n"
           // "%SystemRoot%\qm" as exported: UTF-16LE bytes
           "\"ImagePath\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,\\\r\n"
           "  6f,00,74,00,25,00,5c,00,71,00,6d,00,00,00\r\n"
           "\"Start\"=dword:00000003\r\n"
           "\"Blob\"=hex:01,ab,ff\r\n"
           "\"Empty\"=hex:\r\n"
           "\"Negative\"=dword:ffffffff\r\n"
           "\"Group\"=hex(7):41,00,00,00,00,00\r\n"
        << bigBinary
        << "\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters]\r\n"
           "\"BuffersPerCH\"=dword:00000004\r\n"
           "\"CHBufferLENs\"=hex:00,00,10,00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Enum]\r\n"
           "\"Count\"=dword:00000001\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\qmbus\\Parameters\\Deep]\r\n"
           "\"Level\"=dword:00000002\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\other]\r\n"
           "\"Foreign\"=dword:00000009\r\n";
    logger_.Enable(logDir());
    const auto texts = headerTexts(lines());
    const auto title = std::find(texts.begin(), texts.end(), "***** Registry information *****");
    ASSERT_NE(title, texts.end());
    std::string big;
    for (int i = 0; i < 1024; ++i)
        big += " 5A,";
    const std::vector<std::string> expected = {
        "[SYSTEM\\CurrentControlSet\\services\\qmbus]",
        "    DisplayName=\"Zorvan board\"",
        "    ImagePath=%SystemRoot%\\qm",
        "    Start=3",
        "    Blob= 01, AB, FF,",
        "    Empty=",
        "    Negative=-1",
        "    Big=" + big,
        "[SYSTEM\\CurrentControlSet\\services\\qmbus\\Parameters]",
        "    BuffersPerCH=4",
        "    CHBufferLENs= 00, 00, 10, 00,",
        "[SYSTEM\\CurrentControlSet\\services\\qmbus\\Parameters\\Deep]",
        "    Level=2",
        "[SYSTEM\\CurrentControlSet\\services\\qmbus\\Enum]",
        "    Count=1",
        "",
    };
    EXPECT_EQ(std::vector<std::string>(title + 1, texts.end()), expected);
}

TEST_F(LoggerTest, DisableWritesTheStopLineAndTurnsTheLogOff) {
    logger_.Enable(logDir());
    logger_.Add("i", "L", 255, "last before stop");
    logger_.Disable();
    EXPECT_FALSE(logger_.LogEnabled);
    logger_.Add("i", "L", 255, "after stop");
    logger_.Disable();
    const auto all = lines();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2].substr(kStampLength), "         last before stop  L");
    EXPECT_EQ(all.back().substr(kStampLength), "         Stop debug session  TLogger.Disable");
}

TEST_F(LoggerTest, DestructionWithoutDisableReleasesTheFileWithoutAStopLine) {
    const auto openHandles = [](const std::string& path) {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            if (fs::read_symlink(entry.path(), error) == fs::path(path)) ++count;
        }
        return count;
    };
    std::string path;
    {
        TLogger scoped;
        scoped.Enable(logDir());
        scoped.Add("i", "L", 255, "still running");
        path = scoped.FileName();
        EXPECT_EQ(openHandles(path), 1);
    }
    EXPECT_EQ(openHandles(path), 0);
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    EXPECT_NE(text.find("still running  L\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Stop debug session"), std::string::npos);
}

TEST_F(LoggerTest, FileThatCannotBeCreatedLeavesTheLoggerOnAndSilent) {
    std::ofstream(dir_ / "blocker") << "a file where the directory should be";
    logger_.Enable((dir_ / "blocker" / "logs").string() + "/");
    EXPECT_TRUE(logger_.LogEnabled);
    logger_.Add("e", "L", 3, "goes nowhere");
    EXPECT_FALSE(fs::exists(logger_.FileName()));
    logger_.Disable();
    EXPECT_FALSE(logger_.LogEnabled);
}

TEST_F(LoggerTest, CharactersOutsideTheCodePageAreReplaced) {
    // The test runs with LC_ALL=C: the ANSI code page is ASCII.
    logger_.Enable(logDir());
    logger_.Add("i", "TfmMain.SetLanguage", 255, "Zorvan сигналов 2.16 é");
    logger_.Add("w", "Место", 255, "x");
    const auto all = lines();
    EXPECT_EQ(all[all.size() - 2].substr(kStampLength),
              "         Zorvan ???????? 2.16 ?  TfmMain.SetLanguage");
    EXPECT_EQ(all.back().substr(kStampLength), "!        Warning : x  ?????");
}

TEST_F(LoggerTest, ConcurrentWritersProduceWholeLinesInTheirOrder) {
    logger_.Enable(logDir());
    const std::size_t headerLines = lines().size();
    constexpr int kThreads = 8, kLines = 2000;
    const std::string payload(180, '#');
    std::atomic<bool> go{false};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t)
        writers.emplace_back([&, t] {
            while (!go)
                std::this_thread::yield();
            for (int n = 0; n < kLines; ++n)
                logger_.Add("w", "Writer." + std::to_string(t), t,
                            std::to_string(t) + ":" + std::to_string(n) + payload);
        });
    go = true;
    for (auto& writer : writers)
        writer.join();
    logger_.Disable();

    const auto all = lines();
    ASSERT_EQ(all.size(), headerLines + kThreads * kLines + 1);
    const std::regex whole(
        R"(\[\d\d\.\d\d\.\d{4} \d\d\.\d\d\.\d\d\.\d{3}\]  !  CH0(\d)  Warning : (\d):(\d+)#{180}  Writer\.(\d))");
    std::vector<int> next(kThreads, 0);
    for (std::size_t i = headerLines; i + 1 < all.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(all[i], match, whole)) << "line " << i << ": " << all[i];
        const int thread = std::stoi(match[1]);
        ASSERT_EQ(std::stoi(match[2]), thread);
        ASSERT_EQ(std::stoi(match[4]), thread);
        ASSERT_EQ(std::stoi(match[3]), next[thread]) << "thread " << thread << " lost or reordered a line";
        ++next[thread];
    }
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(next[t], kLines);
    EXPECT_NE(all.back().find("Stop debug session"), std::string::npos);
}
