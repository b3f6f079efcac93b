#include "zplatform/system_info.h"

// winsock2.h must come before windows.h, which would pull in the old winsock.h; shellapi.h needs
// windows.h. Each stands in a block of its own so that the order survives formatting.
#include <winsock2.h>

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace zplatform::system {
namespace {

std::string toUtf8(const wchar_t* wide, int length = -1) {
    if (!wide) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), size, nullptr, nullptr);
    if (length < 0 && !text.empty()) text.pop_back();  // the terminating zero
    return text;
}

std::string toUtf8FromAnsi(const char* ansi) {
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), size);
    return toUtf8(wide.c_str());
}

// The true version record: GetVersionEx reports the version the program's manifest names, so ask
// ntdll's RtlGetVersion first.
OSVERSIONINFOEXW versionRecord() {
    OSVERSIONINFOEXW record{};
    record.dwOSVersionInfoSize = sizeof(record);
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        const FARPROC entry = GetProcAddress(ntdll, "RtlGetVersion");
        if (entry) {
            const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(entry));
            if (rtlGetVersion(&record) == 0) return record;
        }
    }
    record = {};
    record.dwOSVersionInfoSize = sizeof(record);
    GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&record));
    return record;
}

}  // namespace

LocalTime localTimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

bool raiseCurrentThreadPriority(int level) {
    return SetThreadPriority(GetCurrentThread(),
                             level >= 2 ? THREAD_PRIORITY_TIME_CRITICAL : THREAD_PRIORITY_HIGHEST) != 0;
}

bool favourCurrentThread() {
    return SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL) != 0;
}

std::chrono::nanoseconds currentThreadCpuTime() {
    FILETIME creation, exit, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user)) return {};
    const auto ticks = [](const FILETIME& t) {  // 100 ns units
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return std::chrono::nanoseconds((ticks(kernel) + ticks(user)) * 100);
}

std::string executablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return toUtf8(path.c_str(), static_cast<int>(length));
        path.resize(path.size() * 2);
    }
}

std::vector<std::string> commandLineParameters() {
    std::vector<std::string> parameters;
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return parameters;
    for (int i = 1; i < count; ++i)
        parameters.push_back(toUtf8(arguments[i]));
    LocalFree(arguments);
    return parameters;
}

bool operatingSystemIs64Bit() {
#if defined(_WIN64)
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

OsVersion osVersion() {
    const OSVERSIONINFOEXW record = versionRecord();
    OsVersion result;
    result.version = std::to_string(record.dwMajorVersion) + "." + std::to_string(record.dwMinorVersion);
    result.buildNumber = std::to_string(record.dwBuildNumber);
    result.platformId = std::to_string(record.dwPlatformId);
    result.otherInfo = toUtf8(record.szCSDVersion);  // at most 128 characters by its size
    result.servicePack =
        std::to_string(record.wServicePackMajor) + "." + std::to_string(record.wServicePackMinor);
    result.suiteMask = std::to_string(record.wSuiteMask);
    result.productType = std::to_string(record.wProductType);
    return result;
}

SystemInfo systemInfo() {
    SYSTEM_INFO record{};
    GetSystemInfo(&record);
    SystemInfo info;
    info.oemId = std::to_string(record.dwOemId);
    info.processorArchitecture = std::to_string(record.wProcessorArchitecture);
    info.pageSize = record.dwPageSize;
    info.minAppAddress = reinterpret_cast<std::uintptr_t>(record.lpMinimumApplicationAddress);
    info.maxAppAddress = reinterpret_cast<std::uintptr_t>(record.lpMaximumApplicationAddress);
    info.activeProcessorMask = record.dwActiveProcessorMask;
    info.numberOfProcessors = record.dwNumberOfProcessors;
    info.processorType = std::to_string(record.dwProcessorType);
    info.allocationGranularity = record.dwAllocationGranularity;
    info.processorLevel = std::to_string(record.wProcessorLevel);
    info.processorRevision = std::to_string(record.wProcessorRevision);
    return info;
}

MemoryStatus memoryStatus() {
    MEMORYSTATUSEX record{};
    record.dwLength = sizeof(record);
    MemoryStatus status;
    if (!GlobalMemoryStatusEx(&record)) return status;
    status.memoryLoad = record.dwMemoryLoad;
    status.totalPhysical = record.ullTotalPhys;
    status.availablePhysical = record.ullAvailPhys;
    status.totalPageFile = record.ullTotalPageFile;
    status.availablePageFile = record.ullAvailPageFile;
    status.totalVirtual = record.ullTotalVirtual;
    status.availableVirtual = record.ullAvailVirtual;
    status.availableExtendedVirtual = record.ullAvailExtendedVirtual;
    return status;
}

std::vector<Disk> disks() {
    std::vector<Disk> result;
    // An empty removable drive must not raise the system's "insert a disk" box.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        const DWORD attributes = GetFileAttributesW(root);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        Disk disk;
        disk.name = std::string(1, static_cast<char>(letter));
        ULARGE_INTEGER available{}, total{}, free{};
        if (GetDiskFreeSpaceExW(root, &available, &total, &free)) {
            disk.totalBytes = total.QuadPart;
            disk.freeBytes = free.QuadPart;
        }
        result.push_back(disk);
    }
    SetErrorMode(previousMode);
    return result;
}

std::optional<std::string> computerName() {
    wchar_t name[256] = {};
    DWORD size = 255;
    if (!GetComputerNameW(name, &size)) return std::nullopt;
    return toUtf8(name, static_cast<int>(size));
}

std::optional<std::string> hostIPv4Address() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return std::nullopt;
    std::optional<std::string> address;
    char host[256] = {};
    if (gethostname(host, sizeof(host) - 1) == 0) {
        if (const hostent* entry = gethostbyname(host);
            entry && entry->h_addrtype == AF_INET && entry->h_addr_list && entry->h_addr_list[0]) {
            in_addr ipv4{};
            std::memcpy(&ipv4, entry->h_addr_list[0], sizeof(ipv4));
            address = toUtf8FromAnsi(inet_ntoa(ipv4));
        }
    }
    WSACleanup();
    return address;
}

}  // namespace zplatform::system
