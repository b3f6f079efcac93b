#include "zplatform/dynlib.h"

#include <windows.h>

namespace zplatform {

DynamicLibrary DynamicLibrary::load(const std::string& name) {
    return DynamicLibrary(reinterpret_cast<void*>(LoadLibraryA(name.c_str())));
}

void* DynamicLibrary::symbol(const char* name) const {
    if (!handle_) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string sharedLibraryName(const std::string& stem) {
    return "lib" + stem + ".dll";
}

}  // namespace zplatform
