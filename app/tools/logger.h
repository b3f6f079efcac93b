// The debug log: a plain-text session log for diagnosis, one file per program start that asked for it.
//
// File: "Debug_dd.mm.yyyy_hh.nn.ss.log" (local time at Enable) in the directory given to Enable, lines
// ended by CR LF, stored in the system's ANSI code page (characters it cannot hold become '?').
//
// Line: "[" + "dd.mm.yyyy hh.nn.ss.zzz" + "]  " + mark + "  " + channel + "  " + prefix + text + "  " +
// location, where
//   mark     "x" for type "e", "!" for "w", one blank for "i", nothing for any other type;
//   channel  four blanks for 255, "CH0" + value below 10 (so -1 gives "CH0-1"), else "CH" + value;
//   prefix   "Error : " for type "e", "Warning : " for "w", else nothing.
// The program logs operator actions with type "i" and channel 255:
//   "[08.12.2026 09.05.41.318]           Sweep [Enabled]  TfmSweep.OnOffSweepClick"
//
// Threads. Add is called from the user-interface thread and from the streaming threads. Each line is
// formatted and converted outside any lock, then written under the logger's mutex with a single write
// call on a file opened for appending and shared with other processes: lines never interleave or
// overwrite each other, and their order in the file is the order of their timestamps (the time is
// taken under the mutex, just before the write). Lines of one thread keep their order.
//
// Header. Enable writes "Start debug session" and a report in sections; each section ends with a line
// whose text is a single blank. Every header line has type "i", channel 255 and location "  ".
//   Software   "Software name        = ", "Software version     = ", one line per companion library
//              (file name + " version", padded with blanks to 21 characters, + "= "; the libraries are
//              kCompanionLibraries: the library of the board, its I/O access layer and the kernel
//              driver), "CMD Line             = " (full path of the program), "CMD Line parameter   = "
//              (first parameter); every value between double quotes.
//   OS         "***** OS Version information *****" with Version, Build number, Platform ID, Other info,
//              Service pack, Suite mask, Product type and "Windows type           : WIN64" or WIN32.
//   System     "***** System information *****": OEM ID, Processor architecture, Page size, Min and Max
//              app address ("0x" + at least 8 upper-case hex digits), Active processor mask (decimal),
//              Number of processors, Processor type, Allocation granularity, Processor level and
//              Processor revision.
//   Memory     "***** Memory information *****": Memory load (percent) and the total and available
//              physical memory, page file and virtual address space, and the available extended
//              virtual memory, in bytes.
//   Disks      "***** HDD information *****": name + ": Size:" + total + "Mb Free:" + free + "Mb", in MiB
//              rounded to the nearest, ties to even (BytesToMiB).
//   Machine    "***** PC information *****": "PC Name = " (quoted) and "PC IP = " (first IPv4 address
//              of the host name), each only when the platform supplies it.
//   Registry   "***** Registry information *****": the driver's service key
//              SYSTEM\CurrentControlSet\services\qmbus of the local machine, dumped depth first
//              (DumpRegistryKey), then one line with an empty text.
//
// Windows reports the fields of its version record (RtlGetVersion), GetSystemInfo,
// GlobalMemoryStatusEx, the drive letters C to Z whose root exists (GetDiskFreeSpaceEx), the computer
// name and the address that the socket library (version 1.1) resolves for the host name.
//
// Linux reports the same kinds of facts under the same section titles. The labels stay those of
// Windows where the fact is the same kind; where Windows has a field that Linux lacks, the closest
// Linux fact stands under a label of the same form:
//   Version                 kernel major.minor (uname)
//   Build number            the full kernel release, "6.1.0-18-amd64"
//   Platform ID             the kernel's name, "Linux"
//   Other info              the distribution's name (os-release PRETTY_NAME), at most 128 characters
//   Distribution version    replaces Service pack: os-release VERSION_ID
//   Kernel build            replaces Suite mask: the kernel's build text (uname version)
//   Distribution ID         replaces Product type: os-release ID
//   Windows type            kept: WIN64 for a 64-bit operating system, WIN32 otherwise
//   CPU vendor              replaces OEM ID: the processor's vendor (/proc/cpuinfo)
//   Processor architecture  the machine name of uname, "x86_64"
//   Min app address         the lowest address a program may map (/proc/sys/vm/mmap_min_addr)
//   Max app address         the last address of the program's highest mapping (its stack top)
//   Active processor mask   the process's CPU affinity (first 64 CPUs)
//   Number of processors    online CPUs
//   Processor type          the CPU's model name
//   Allocation granularity  the page size, the granularity of mmap
//   Processor level         the CPU family; Processor revision: model << 8 | stepping
//   Total/Available pagefile  swap space; Total virtual: the user address space (Max app address
//                           + 1); Available virtual: that less the program's mapped size;
//                           Available ex virtual: 0, as on Windows
//   HDD lines               one per mounted file system, named by its mount point ("/: Size:...");
//                           pseudo and memory file systems are left out
//   PC Name                 the host name
//   Registry                the registry stand-in file (zplatform/registry.h), which the emulated
//                           driver reads as well
// Registry names and texts are taken as text of the ANSI code page on both platforms.
//
// Life. Off after construction; Enable turns it on (a second Enable closes the first file without a
// stop line and opens a new one); Disable writes "Stop debug session" and closes the file. A program
// that ends without Disable still releases the file: the destructor closes it without a stop line, so
// a log without "Stop debug session" tells of a program that did not go through its close. A file that
// cannot be created leaves the logger on, and every line is dropped silently.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace zplatform {
class SharedFile;
}

struct TSoftVersion {
    std::string SoftwareName;
    std::string SoftwareVersion;
    std::string Companion1Version;
    std::string Companion2Version;
    std::string Companion3Version;
};

// The companion libraries of the product family named in the header, in the order of the three
// companion versions of TSoftVersion.
inline constexpr std::array<const char*, 3> kCompanionLibraries = {"libZorvanL", "libqmio", "qmbus"};

class TLogger {
 public:
    TLogger();   // off
    ~TLogger();  // releases an open file without writing a stop line
    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // Opens a new log file in LogDir (created with its parents; a missing trailing separator is
    // added) and writes "Start debug session" and the header.
    void Enable(const std::string& LogDir);
    // Writes one line if the log is on, else returns at once. Safe from any thread.
    void Add(const std::string& MessageType, const std::string& Location, std::int32_t Channel,
             const std::string& DebugString);
    // If on: writes "Stop debug session", closes the file and turns the log off.
    void Disable();

    // Path of the file the last Enable created (or tried to create); empty before.
    std::string FileName() const;

    std::atomic<bool> LogEnabled{false};
    TSoftVersion SoftwareVer;

 private:
    static std::string LineBody(const std::string& MessageType, const std::string& Location,
                                std::int32_t Channel, const std::string& DebugString);
    void WriteStamped(const std::string& body);
    void WriteLine(const std::string& ansiLine);
    static bool IsWindows64();
    void DumpRegistryKey(const std::string& path);
    void WriteHeader();

    mutable std::mutex mutex_;  // guards FileD, FileH and every write
    std::string FileD;          // path of the open log file
    std::unique_ptr<zplatform::SharedFile> FileH;
};

// Bytes in MiB, rounded to the nearest integer with ties to the even one.
std::uint64_t BytesToMiB(std::uint64_t bytes);

// The program's one logger.
extern TLogger DebugLogger;
