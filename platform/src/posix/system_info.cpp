#include "zplatform/system_info.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "../text.h"
#include "zplatform/utf8.h"

namespace zplatform::system {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// "key : value" lines (/proc/cpuinfo, /proc/meminfo, /proc/self/status); the first block only, as
// /proc/cpuinfo repeats its keys once per processor.
std::map<std::string, std::string> colonFields(const std::string& content) {
    std::map<std::string, std::string> fields;
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        if (text::trim(line).empty()) {
            if (!fields.empty()) break;
            continue;
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        fields.emplace(text::trim(line.substr(0, colon)), text::trim(line.substr(colon + 1)));
    }
    return fields;
}

std::string field(const std::map<std::string, std::string>& fields, std::initializer_list<const char*> keys) {
    for (const char* key : keys)
        if (const auto it = fields.find(key); it != fields.end() && !it->second.empty()) return it->second;
    return {};
}

// A "1234 kB" amount of /proc/meminfo or /proc/self/status, in bytes.
std::uint64_t kilobytes(const std::map<std::string, std::string>& fields, const char* key) {
    const auto it = fields.find(key);
    return it == fields.end() ? 0 : std::strtoull(it->second.c_str(), nullptr, 10) * 1024;
}

// KEY=value lines of os-release, with the shell quoting the file uses.
std::map<std::string, std::string> osRelease() {
    std::string content = readFile("/etc/os-release");
    if (content.empty()) content = readFile("/usr/lib/os-release");
    std::map<std::string, std::string> fields;
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        const auto equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        std::string value = line.substr(equals + 1), unquoted;
        const char quote = !value.empty() && (value[0] == '"' || value[0] == '\'') ? value[0] : '\0';
        for (std::size_t i = quote ? 1 : 0; i < value.size() && value[i] != quote; ++i) {
            if (quote == '"' && value[i] == '\\' && i + 1 < value.size()) ++i;
            unquoted += value[i];
        }
        fields[text::trim(line.substr(0, equals))] = unquoted;
    }
    return fields;
}

std::uint64_t parseNumber(const std::string& s) {
    return std::strtoull(s.c_str(), nullptr, 10);
}

std::uint64_t highestUserAddress() {
    std::istringstream in(readFile("/proc/self/maps"));
    std::string line;
    std::uint64_t highest = 0;
    while (std::getline(in, line)) {
        if (line.find("[vsyscall]") != std::string::npos) continue;  // kernel page shown to user space
        const auto dash = line.find('-');
        if (dash == std::string::npos) continue;
        const std::uint64_t end = std::strtoull(line.c_str() + dash + 1, nullptr, 16);
        if (end > highest) highest = end;
    }
    return highest ? highest - 1 : 0;
}

// File systems that hold no files of the machine's disks: kernel interfaces, memory file systems
// and read-only package images.
const std::set<std::string>& pseudoFileSystems() {
    static const std::set<std::string> types = {
        "autofs",      "binfmt_misc", "bpf",      "cgroup",  "cgroup2",    "configfs",   "debugfs",
        "devpts",      "devtmpfs",    "efivarfs", "fusectl", "hugetlbfs",  "mqueue",     "nsfs",
        "pipefs",      "proc",        "pstore",   "ramfs",   "rpc_pipefs", "securityfs", "selinuxfs",
        "sockfs",      "squashfs",    "sysfs",    "tmpfs",   "tracefs",    "nfsd",       "fuse.gvfsd-fuse",
        "fuse.portal", "fuse.lxcfs",
    };
    return types;
}

// /proc/mounts writes blanks, tabs, newlines and backslashes of paths as octal escapes.
std::string unescapeMountField(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool octal = s[i] == '\\' && i + 3 < s.size() &&
                           s.substr(i + 1, 3).find_first_not_of("01234567") == std::string::npos;
        if (octal) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

}  // namespace

LocalTime localTimeNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(now.tv_nsec / 1000000)};
}

bool raiseCurrentThreadPriority(int level) {
    sched_param parameters{};
    parameters.sched_priority = 10 * std::clamp(level, 1, 2);
    return pthread_setschedparam(pthread_self(), SCHED_RR, &parameters) == 0;
}

bool favourCurrentThread() {
    // Linux keeps a nice value per thread: the thread's own id names it.
    return setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), -10) == 0;
}

std::chrono::nanoseconds currentThreadCpuTime() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

std::string executablePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::vector<std::string> commandLineParameters() {
    const std::string content = readFile("/proc/self/cmdline");
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < content.size();) {
        auto end = content.find('\0', start);
        if (end == std::string::npos) end = content.size();
        arguments.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    if (!arguments.empty()) arguments.erase(arguments.begin());  // the program itself
    return arguments;
}

bool operatingSystemIs64Bit() {
    if constexpr (sizeof(void*) == 8) return true;
    utsname names{};
    return uname(&names) == 0 && std::string(names.machine).find("64") != std::string::npos;
}

OsVersion osVersion() {
    OsVersion result;
    utsname names{};
    if (uname(&names) == 0) {
        const std::string release = names.release;
        // "6.1.0-18-amd64": major and minor are the first two numbers.
        const auto firstDot = release.find('.');
        const auto minorEnd = release.find_first_not_of("0123456789", firstDot + 1);
        result.version = firstDot == std::string::npos ? release : release.substr(0, minorEnd);
        result.buildNumber = release;
        result.platformId = names.sysname;
        result.suiteMask = names.version;
    }
    const auto release = osRelease();
    const auto get = [&](const char* key) {
        const auto it = release.find(key);
        return it == release.end() ? std::string() : it->second;
    };
    result.otherInfo =
        utf8::firstCharacters(get("PRETTY_NAME").empty() ? get("NAME") : get("PRETTY_NAME"), 128);
    result.servicePack = get("VERSION_ID");
    result.productType = get("ID");
    return result;
}

SystemInfo systemInfo() {
    SystemInfo info;
    const auto cpu = colonFields(readFile("/proc/cpuinfo"));
    utsname names{};
    const std::string machine = uname(&names) == 0 ? names.machine : "";

    info.oemId = field(cpu, {"vendor_id", "CPU implementer", "vendor"});
    info.processorArchitecture = machine;
    const long page = sysconf(_SC_PAGESIZE);
    info.pageSize = page > 0 ? static_cast<std::uint64_t>(page) : 0;
    info.minAppAddress = parseNumber(text::trim(readFile("/proc/sys/vm/mmap_min_addr")));
    if (info.minAppAddress == 0) info.minAppAddress = info.pageSize;
    info.maxAppAddress = highestUserAddress();

    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0)
        for (int i = 0; i < 64; ++i)
            if (CPU_ISSET(i, &set)) info.activeProcessorMask |= std::uint64_t{1} << i;
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    info.numberOfProcessors = online > 0 ? static_cast<std::uint32_t>(online) : 0;

    info.processorType = field(cpu, {"model name", "Processor", "Hardware", "cpu model", "cpu"});
    if (info.processorType.empty()) info.processorType = machine;
    info.allocationGranularity = info.pageSize;
    info.processorLevel = field(cpu, {"cpu family", "CPU architecture"});
    const std::string model = field(cpu, {"model"}), stepping = field(cpu, {"stepping"});
    if (!model.empty() && !stepping.empty())
        info.processorRevision = std::to_string((parseNumber(model) << 8) | parseNumber(stepping));
    else
        info.processorRevision = field(cpu, {"CPU revision"});
    return info;
}

MemoryStatus memoryStatus() {
    MemoryStatus status;
    const auto meminfo = colonFields(readFile("/proc/meminfo"));
    status.totalPhysical = kilobytes(meminfo, "MemTotal");
    status.availablePhysical = kilobytes(meminfo, "MemAvailable");
    if (status.availablePhysical == 0) status.availablePhysical = kilobytes(meminfo, "MemFree");
    if (status.totalPhysical > 0 && status.availablePhysical <= status.totalPhysical) {
        const std::uint64_t used = status.totalPhysical - status.availablePhysical;
        status.memoryLoad =
            static_cast<std::uint32_t>((used * 100 + status.totalPhysical / 2) / status.totalPhysical);
    }
    status.totalPageFile = kilobytes(meminfo, "SwapTotal");
    status.availablePageFile = kilobytes(meminfo, "SwapFree");
    const std::uint64_t highest = highestUserAddress();
    status.totalVirtual = highest ? highest + 1 : 0;
    const std::uint64_t used = kilobytes(colonFields(readFile("/proc/self/status")), "VmSize");
    status.availableVirtual = status.totalVirtual > used ? status.totalVirtual - used : 0;
    return status;
}

std::vector<Disk> disks() {
    std::vector<Disk> result;
    std::set<std::string> seen;
    std::istringstream in(readFile("/proc/mounts"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) continue;
        if (pseudoFileSystems().count(type)) continue;
        mountPoint = unescapeMountField(mountPoint);
        if (!seen.insert(mountPoint).second) continue;
        struct statvfs stats {};
        if (statvfs(mountPoint.c_str(), &stats) != 0 || stats.f_blocks == 0) continue;
        const std::uint64_t unit = stats.f_frsize ? stats.f_frsize : stats.f_bsize;
        result.push_back(
            {mountPoint, std::uint64_t{stats.f_blocks} * unit, std::uint64_t{stats.f_bfree} * unit});
    }
    return result;
}

std::optional<std::string> computerName() {
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0 || name[0] == '\0') return std::nullopt;
    return std::string(name);
}

std::optional<std::string> hostIPv4Address() {
    const auto host = computerName();
    if (!host) return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host->c_str(), nullptr, &hints, &list) != 0 || !list) return std::nullopt;
    std::optional<std::string> address;
    for (const addrinfo* entry = list; entry && !address; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET) continue;
        char dotted[INET_ADDRSTRLEN] = {};
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
        if (inet_ntop(AF_INET, &ipv4->sin_addr, dotted, sizeof(dotted))) address = dotted;
    }
    freeaddrinfo(list);
    return address;
}

}  // namespace zplatform::system
