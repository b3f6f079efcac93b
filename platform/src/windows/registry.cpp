#include <windows.h>

#include "zplatform/registry.h"

namespace zplatform::registry {

struct Key::Impl {
    HKEY handle = nullptr;
    ~Impl() {
        if (handle) RegCloseKey(handle);
    }
};

Key::Key(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Key::~Key() = default;

std::string standInPath() {
    return {};
}

std::unique_ptr<Key> Key::openLocalMachine(const std::string& path) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->handle = handle;
    return std::unique_ptr<Key>(new Key(std::move(impl)));
}

std::optional<std::uint32_t> Key::readDword(const std::string& name) const {
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExA(impl_->handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

std::optional<std::vector<std::uint8_t>> Key::readBinary(const std::string& name,
                                                         std::size_t maxBytes) const {
    std::vector<std::uint8_t> data(maxBytes);
    DWORD type = 0, size = static_cast<DWORD>(maxBytes);
    const LONG rc = RegQueryValueExA(impl_->handle, name.c_str(), nullptr, &type, data.data(), &size);
    if ((rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) || type != REG_BINARY) return std::nullopt;
    data.resize(rc == ERROR_SUCCESS ? size : maxBytes);
    return data;
}

std::vector<Value> Key::values() const {
    std::vector<Value> result;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameSize = sizeof(name), type = 0, dataSize = 0;
        if (RegEnumValueA(impl_->handle, index, name, &nameSize, nullptr, &type, nullptr, &dataSize) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(dataSize + 2);
        nameSize = sizeof(name);
        DWORD size = dataSize;
        if (RegEnumValueA(impl_->handle, index, name, &nameSize, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            break;
        Value value;
        value.name.assign(name, nameSize);
        switch (type) {
            case REG_SZ:
                value.type = ValueType::String;
                value.text = reinterpret_cast<const char*>(data.data());
                break;
            case REG_EXPAND_SZ:
                value.type = ValueType::ExpandString;
                value.text = reinterpret_cast<const char*>(data.data());
                break;
            case REG_DWORD:
                value.type = ValueType::Dword;
                if (size >= 4) value.dword = *reinterpret_cast<const DWORD*>(data.data());
                break;
            case REG_BINARY:
            case REG_NONE:
                value.type = type == REG_BINARY ? ValueType::Binary : ValueType::None;
                value.data.assign(data.begin(), data.begin() + size);
                break;
            default:
                value.type = ValueType::Other;
                break;
        }
        result.push_back(std::move(value));
    }
    return result;
}

std::vector<std::string> Key::subkeys() const {
    std::vector<std::string> result;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(impl_->handle, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        result.emplace_back(name, size);
    }
    return result;
}

}  // namespace zplatform::registry
