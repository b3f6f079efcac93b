// Loading a shared library and its entry points by name.
#pragma once

#include <string>

namespace zplatform {

class DynamicLibrary {
 public:
    DynamicLibrary() = default;
    // Loads `name` with the platform's default search order (a bare name: the loader's own rules).
    // The library stays loaded until the process ends: modules of the board's driver are never
    // unloaded under running code.
    static DynamicLibrary load(const std::string& name);

    bool loaded() const { return handle_ != nullptr; }
    // Address of the exported entry `name`, or nullptr when the library or the entry is missing.
    void* symbol(const char* name) const;

 private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

// Platform file name of a shared library: "libqmio.so" on Linux, "libqmio.dll" on Windows.
std::string sharedLibraryName(const std::string& stem);

}  // namespace zplatform
