#include "zplatform/dynlib.h"

#include <dlfcn.h>

namespace zplatform {

DynamicLibrary DynamicLibrary::load(const std::string& name) {
    return DynamicLibrary(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* DynamicLibrary::symbol(const char* name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}

std::string sharedLibraryName(const std::string& stem) {
    return "lib" + stem + ".so";
}

}  // namespace zplatform
