// Facts about the running program and the machine: the local clock, the program's path and command
// line, and the system report that the debug log prints at its start.
//
// The report records hold the same kinds of facts on every platform; the comment of each field names
// its source on Windows and on Linux. Amounts are in bytes. Text is UTF-8.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zplatform::system {

struct LocalTime {
    int year = 0;    // four digits
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59 (60 only in a leap second)
    int millisecond = 0;
};
// Windows: GetLocalTime. POSIX: clock_gettime(CLOCK_REALTIME) + localtime_r.
LocalTime localTimeNow();

// Full path of the running program's file. Windows: GetModuleFileNameW. Linux: /proc/self/exe.
std::string executablePath();

// Raises the calling thread's scheduling priority for time-critical work (a thread that must answer
// the board within a few milliseconds), by `level` 1 or 2 (2 above 1), where the platform allows it.
// POSIX: real-time round-robin scheduling at priority 10 x level (allowed to root, to CAP_SYS_NICE and
// within an rtprio limit); otherwise the thread keeps its priority. Windows: THREAD_PRIORITY_HIGHEST,
// or THREAD_PRIORITY_TIME_CRITICAL for level 2. Returns whether it was raised.
bool raiseCurrentThreadPriority(int level);

// Puts the calling thread ahead of ordinary work without making it time-critical: a thread that must
// keep up with the board over tenths of a second (the file reader) while other programs keep the
// processors busy. POSIX: the thread's nice value -10 (allowed to root and to CAP_SYS_NICE);
// Windows: THREAD_PRIORITY_ABOVE_NORMAL. Returns whether it was raised.
bool favourCurrentThread();

// CPU time the calling thread has used so far.
std::chrono::nanoseconds currentThreadCpuTime();
// The program's command-line parameters without the program itself.
// Windows: CommandLineToArgvW(GetCommandLineW()). Linux: /proc/self/cmdline.
std::vector<std::string> commandLineParameters();

// Whether the operating system is 64-bit, whatever this build is. Windows: a 64-bit build is; a
// 32-bit build asks IsWow64Process. Linux: a 64-bit build is; else uname's machine name.
bool operatingSystemIs64Bit();

struct OsVersion {
    std::string version;      // Windows: major.minor (RtlGetVersion). Linux: kernel major.minor (uname)
    std::string buildNumber;  // Windows: build number. Linux: full kernel release ("6.1.0-18-amd64")
    std::string platformId;   // Windows: platform identifier (2 = NT). Linux: kernel name ("Linux")
    std::string otherInfo;    // Windows: service-pack text. Linux: distribution name (os-release
                              // PRETTY_NAME). At most 128 characters.
    std::string servicePack;  // Windows: service pack major.minor. Linux: distribution version
                              // (os-release VERSION_ID)
    std::string suiteMask;    // Windows: suite mask. Linux: kernel build text (uname version)
    std::string productType;  // Windows: product type (1 workstation, 2 domain controller, 3 server).
                              // Linux: distribution identifier (os-release ID)
};
OsVersion osVersion();

struct SystemInfo {
    std::string oemId;                        // Windows: OEM identifier. Linux: CPU vendor (/proc/cpuinfo)
    std::string processorArchitecture;        // Windows: architecture code (9 = x64). Linux: uname machine
    std::uint64_t pageSize = 0;               // Windows: page size. Linux: sysconf(_SC_PAGESIZE)
    std::uint64_t minAppAddress = 0;          // Windows: lowest application address.
                                              // Linux: /proc/sys/vm/mmap_min_addr (lowest mappable address)
    std::uint64_t maxAppAddress = 0;          // Windows: highest application address. Linux: the last
                                              // address of the program's highest user mapping (the stack
                                              // top, /proc/self/maps)
    std::uint64_t activeProcessorMask = 0;    // Windows: active processor mask. Linux: the process's
                                              // CPU affinity (first 64 CPUs)
    std::uint32_t numberOfProcessors = 0;     // Windows: processors. Linux: online CPUs (sysconf)
    std::string processorType;                // Windows: type code (8664). Linux: CPU model name
    std::uint64_t allocationGranularity = 0;  // Windows: allocation granularity. Linux: the page
                                              // size, the granularity of mmap
    std::string processorLevel;               // Windows: processor level. Linux: CPU family (/proc/cpuinfo)
    std::string processorRevision;            // Windows: processor revision. Linux: model << 8 | stepping,
                                              // composed as Windows composes it for x86
};
SystemInfo systemInfo();

struct MemoryStatus {
    std::uint32_t memoryLoad = 0;  // percentage of physical memory in use
    std::uint64_t totalPhysical = 0;
    std::uint64_t availablePhysical = 0;  // Linux: MemAvailable (/proc/meminfo)
    std::uint64_t totalPageFile = 0;      // Windows: commit limit. Linux: swap space (SwapTotal)
    std::uint64_t availablePageFile = 0;  // Linux: SwapFree
    std::uint64_t totalVirtual = 0;       // user address space of the process. Linux: maxAppAddress + 1
    std::uint64_t availableVirtual = 0;   // Linux: totalVirtual less the process's VmSize
    std::uint64_t availableExtendedVirtual = 0;  // always 0 on Windows, and so on Linux
};
// Windows: GlobalMemoryStatusEx. Linux: /proc/meminfo, /proc/self/status.
MemoryStatus memoryStatus();

struct Disk {
    std::string name;  // Windows: the drive letter ("C"). Linux: the mount point ("/", "/home")
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;  // free space of the whole file system
};
// Windows: drive letters C to Z whose root directory exists, in that order (GetDiskFreeSpaceExW;
// a drive that answers no sizes reports 0). Linux: each mounted file system of /proc/mounts in its
// order, once per mount point, without pseudo and memory file systems (proc, sysfs, tmpfs, cgroup, ...)
// and without file systems of size 0 (statvfs).
std::vector<Disk> disks();

// Windows: GetComputerNameW. Linux: the host name (gethostname). nullopt when it cannot be read.
std::optional<std::string> computerName();
// First IPv4 address of the host name in dotted form. Windows: WSAStartup 1.1, gethostname,
// gethostbyname, WSACleanup. Linux: gethostname + getaddrinfo. nullopt when the name can't be resolved.
std::optional<std::string> hostIPv4Address();

}  // namespace zplatform::system
