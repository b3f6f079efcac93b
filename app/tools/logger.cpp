#include "tools/logger.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "zplatform/codepage.h"
#include "zplatform/paths.h"
#include "zplatform/registry.h"
#include "zplatform/shared_file.h"
#include "zplatform/system_info.h"

TLogger DebugLogger;

namespace {

constexpr std::int32_t kNoChannel = 255;
constexpr const char* kHeaderLocation = "  ";
constexpr std::size_t kCompanionLabelWidth = 21;
constexpr std::size_t kMaxBinaryBytes = 1024;

// Labels of the lines whose fact differs between the platforms (see logger.h).
#ifdef _WIN32
constexpr const char* kServicePackLabel = "Service pack";
constexpr const char* kSuiteMaskLabel = "Suite mask";
constexpr const char* kProductTypeLabel = "Product type";
constexpr const char* kOemIdLabel = "OEM ID";
#else
constexpr const char* kServicePackLabel = "Distribution version";
constexpr const char* kSuiteMaskLabel = "Kernel build";
constexpr const char* kProductTypeLabel = "Distribution ID";
constexpr const char* kOemIdLabel = "CPU vendor";
#endif

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string inQuotes(const std::string& value) {
    return "\"" + value + "\"";
}

// "Label" padded to the column of its section, then ": ".
std::string fact(const char* label, std::size_t width, const std::string& value) {
    return padded(label, width) + ": " + value;
}

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02d", value);
    return text;
}

std::string hexAddress(std::uint64_t address) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%08" PRIX64, address);
    return text;
}

std::string markOf(const std::string& type) {
    if (type == "e") return "x";
    if (type == "w") return "!";
    if (type == "i") return " ";
    return "";
}

std::string prefixOf(const std::string& type) {
    if (type == "e") return "Error : ";
    if (type == "w") return "Warning : ";
    return "";
}

std::string channelOf(std::int32_t channel) {
    if (channel == kNoChannel) return "    ";
    return (channel < 10 ? "CH0" : "CH") + std::to_string(channel);
}

}  // namespace

std::uint64_t BytesToMiB(std::uint64_t bytes) {
    constexpr std::uint64_t kHalf = 1u << 19;
    std::uint64_t mib = bytes >> 20;
    const std::uint64_t rest = bytes & ((1u << 20) - 1);
    if (rest > kHalf || (rest == kHalf && (mib & 1))) ++mib;
    return mib;
}

TLogger::TLogger() = default;

TLogger::~TLogger() = default;

std::string TLogger::FileName() const {
    std::lock_guard lock(mutex_);
    return FileD;
}

void TLogger::Enable(const std::string& LogDir) {
    LogEnabled = true;
    const auto now = zplatform::system::localTimeNow();
    const std::string name = "Debug_" + twoDigits(now.day) + "." + twoDigits(now.month) + "." +
                             std::to_string(now.year) + "_" + twoDigits(now.hour) + "." +
                             twoDigits(now.minute) + "." + twoDigits(now.second) + ".log";
    std::string dir = LogDir;
    if (!dir.empty() && !zplatform::isPathSeparator(dir.back())) dir += zplatform::kPathSeparator;
    std::error_code ignored;
    if (!dir.empty()) std::filesystem::create_directories(zplatform::pathFromUtf8(dir), ignored);
    {
        std::lock_guard lock(mutex_);
        FileH.reset();
        FileD = dir + name;
        FileH = zplatform::SharedFile::create(FileD);
    }
    Add("i", "TLogger.Enable", kNoChannel, "Start debug session");
    WriteHeader();
}

void TLogger::Add(const std::string& MessageType, const std::string& Location, std::int32_t Channel,
                  const std::string& DebugString) {
    if (!LogEnabled) return;
    const std::string body = LineBody(MessageType, Location, Channel, DebugString);
    std::lock_guard lock(mutex_);
    WriteStamped(body);
}

void TLogger::Disable() {
    if (!LogEnabled) return;
    const std::string body = LineBody("i", "TLogger.Disable", kNoChannel, "Stop debug session");
    // The stop line and the close under one lock: no line of another thread can follow the stop line.
    std::lock_guard lock(mutex_);
    WriteStamped(body);
    FileH.reset();
    LogEnabled = false;
}

// Everything of a line but its timestamp, in the ANSI code page. Built before the lock is taken.
std::string TLogger::LineBody(const std::string& MessageType, const std::string& Location,
                              std::int32_t Channel, const std::string& DebugString) {
    return zplatform::codepage::utf8ToAnsi(markOf(MessageType) + "  " + channelOf(Channel) + "  " +
                                           prefixOf(MessageType) + DebugString + "  " + Location) +
           "\r\n";
}

// Called with the mutex held. The timestamp is ASCII in every ANSI code page; taking it here keeps the
// lines of the file in the order of their timestamps.
void TLogger::WriteStamped(const std::string& body) {
    if (!FileH) return;
    const auto now = zplatform::system::localTimeNow();
    char stamp[40];
    std::snprintf(stamp, sizeof(stamp), "[%02d.%02d.%04d %02d.%02d.%02d.%03d]  ", now.day, now.month,
                  now.year, now.hour, now.minute, now.second, now.millisecond);
    WriteLine(stamp + body);
}

// Called with the mutex held: the whole line goes to the file in one write call.
void TLogger::WriteLine(const std::string& ansiLine) {
    FileH->append(ansiLine.data(), ansiLine.size());  // a failed write is dropped
}

bool TLogger::IsWindows64() {
    if constexpr (sizeof(void*) == 8) return true;
    return zplatform::system::operatingSystemIs64Bit();
}

void TLogger::DumpRegistryKey(const std::string& path) {
    using zplatform::codepage::ansiToUtf8;
    using zplatform::registry::ValueType;
    const auto line = [this](const std::string& text) { Add("i", kHeaderLocation, kNoChannel, text); };
    line("[" + path + "]");
    const auto key = zplatform::registry::Key::openLocalMachine(path);
    if (!key) return;
    for (const auto& value : key->values()) {
        const std::string head = "    " + ansiToUtf8(value.name) + "=";
        switch (value.type) {
            case ValueType::String:
                line(head + inQuotes(ansiToUtf8(value.text)));
                break;
            case ValueType::ExpandString:
                line(head + ansiToUtf8(value.text));
                break;
            case ValueType::Dword:
                line(head + std::to_string(static_cast<std::int32_t>(value.dword)));
                break;
            case ValueType::Binary:
            case ValueType::None: {
                std::string bytes;
                const std::size_t count = std::min(value.data.size(), kMaxBinaryBytes);
                for (std::size_t i = 0; i < count; ++i) {
                    char item[8];
                    std::snprintf(item, sizeof(item), " %02X,", value.data[i]);
                    bytes += item;
                }
                line(head + bytes);
                break;
            }
            case ValueType::Other:
                break;
        }
    }
    for (const auto& subkey : key->subkeys())
        DumpRegistryKey(path + "\\" + ansiToUtf8(subkey));
}

void TLogger::WriteHeader() {
    namespace sys = zplatform::system;
    const auto line = [this](const std::string& text) { Add("i", kHeaderLocation, kNoChannel, text); };
    const auto endOfSection = [&] { line(" "); };

    line("***** Software information *****");
    line("Software name        = " + inQuotes(SoftwareVer.SoftwareName));
    line("Software version     = " + inQuotes(SoftwareVer.SoftwareVersion));
    const std::string* companions[] = {&SoftwareVer.Companion1Version, &SoftwareVer.Companion2Version,
                                       &SoftwareVer.Companion3Version};
    for (std::size_t i = 0; i < kCompanionLibraries.size(); ++i)
        line(padded(std::string(kCompanionLibraries[i]) + " version", kCompanionLabelWidth) + "= " +
             inQuotes(*companions[i]));
    line("CMD Line             = " + inQuotes(sys::executablePath()));
    const auto parameters = sys::commandLineParameters();
    line("CMD Line parameter   = " + inQuotes(parameters.empty() ? std::string() : parameters.front()));
    endOfSection();

    constexpr std::size_t kOsWidth = 23;
    const auto os = sys::osVersion();
    line("***** OS Version information *****");
    line(fact("Version", kOsWidth, os.version));
    line(fact("Build number", kOsWidth, os.buildNumber));
    line(fact("Platform ID", kOsWidth, os.platformId));
    line(fact("Other info", kOsWidth, os.otherInfo));
    line(fact(kServicePackLabel, kOsWidth, os.servicePack));
    line(fact(kSuiteMaskLabel, kOsWidth, os.suiteMask));
    line(fact(kProductTypeLabel, kOsWidth, os.productType));
    line(fact("Windows type", kOsWidth, IsWindows64() ? "WIN64" : "WIN32"));
    endOfSection();

    const auto info = sys::systemInfo();
    line("***** System information *****");
    line(fact(kOemIdLabel, kOsWidth, info.oemId));
    line(fact("Processor architecture", kOsWidth, info.processorArchitecture));
    line(fact("Page size", kOsWidth, std::to_string(info.pageSize)));
    line(fact("Min app address", kOsWidth, hexAddress(info.minAppAddress)));
    line(fact("Max app address", kOsWidth, hexAddress(info.maxAppAddress)));
    line(fact("Active processor mask", kOsWidth, std::to_string(info.activeProcessorMask)));
    line(fact("Number of processors", kOsWidth, std::to_string(info.numberOfProcessors)));
    line(fact("Processor type", kOsWidth, info.processorType));
    line(fact("Allocation granularity", kOsWidth, std::to_string(info.allocationGranularity)));
    line(fact("Processor level", kOsWidth, info.processorLevel));
    line(fact("Processor revision", kOsWidth, info.processorRevision));
    endOfSection();

    constexpr std::size_t kMemoryWidth = 24;
    const auto memory = sys::memoryStatus();
    line("***** Memory information *****");
    line(fact("Memory load", kMemoryWidth, std::to_string(memory.memoryLoad)));
    line(fact("Total physical", kMemoryWidth, std::to_string(memory.totalPhysical)));
    line(fact("Available physical", kMemoryWidth, std::to_string(memory.availablePhysical)));
    line(fact("Total pagefile", kMemoryWidth, std::to_string(memory.totalPageFile)));
    line(fact("Available pagefile", kMemoryWidth, std::to_string(memory.availablePageFile)));
    line(fact("Total virtual", kMemoryWidth, std::to_string(memory.totalVirtual)));
    line(fact("Available virtual", kMemoryWidth, std::to_string(memory.availableVirtual)));
    line(fact("Available ex virtual", kMemoryWidth, std::to_string(memory.availableExtendedVirtual)));
    endOfSection();

    line("***** HDD information *****");
    for (const auto& disk : sys::disks())
        line(disk.name + ": Size:" + std::to_string(BytesToMiB(disk.totalBytes)) +
             "Mb Free:" + std::to_string(BytesToMiB(disk.freeBytes)) + "Mb");
    endOfSection();

    line("***** PC information *****");
    if (const auto name = sys::computerName()) line("PC Name = " + inQuotes(*name));
    if (const auto address = sys::hostIPv4Address()) line("PC IP = " + *address);
    endOfSection();

    line("***** Registry information *****");
    DumpRegistryKey(zplatform::registry::kDriverServiceKey);
    line("");
}
