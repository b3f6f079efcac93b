// The registry stand-in: one file in the Windows registry-export format (see registry.h).
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../text.h"
#include "zplatform/registry.h"

namespace zplatform::registry {
namespace {

constexpr const char* kRootPrefix = "hkey_local_machine\\";

struct ParsedKey {
    std::string path;  // without the root, as written
    std::vector<Value> values;
};

std::string withoutRoot(const std::string& path) {
    const std::string lowered = text::lower(path);
    if (lowered.rfind(kRootPrefix, 0) == 0) return path.substr(std::string(kRootPrefix).size());
    return path;
}

// "Name" or @ (the default value); returns the name and moves `pos` past it.
bool parseName(const std::string& line, std::size_t& pos, std::string& name) {
    if (line[pos] == '@') {
        name.clear();
        ++pos;
        return true;
    }
    if (line[pos] != '"') return false;
    for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
        if (line[pos] == '\\' && pos + 1 < line.size()) ++pos;
        name += line[pos];
    }
    if (pos >= line.size()) return false;
    ++pos;
    return true;
}

std::vector<std::uint8_t> parseHexBytes(const std::string& list) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        item = text::trim(item);
        if (item.empty()) continue;
        char* end = nullptr;
        const unsigned long byte = std::strtoul(item.c_str(), &end, 16);
        if (*end != '\0' || byte > 0xFF) break;
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    return bytes;
}

std::optional<Value> parseValue(const std::string& line) {
    Value value;
    std::size_t pos = 0;
    if (!parseName(line, pos, value.name)) return std::nullopt;
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    if (pos >= line.size() || line[pos] != '=') return std::nullopt;
    const std::string data = text::trim(line.substr(pos + 1));
    const std::string lowered = text::lower(data);
    if (!data.empty() && data.front() == '"') {
        value.type = ValueType::String;
        for (std::size_t i = 1; i < data.size() && data[i] != '"'; ++i) {
            if (data[i] == '\\' && i + 1 < data.size()) ++i;
            value.text += data[i];
        }
    } else if (lowered.rfind("dword:", 0) == 0) {
        value.type = ValueType::Dword;
        value.dword = static_cast<std::uint32_t>(std::strtoul(data.c_str() + 6, nullptr, 16));
    } else if (lowered.rfind("hex(2):", 0) == 0) {
        value.type = ValueType::ExpandString;
        const auto bytes = parseHexBytes(data.substr(7));
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {  // UTF-16LE, as exported
            const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
            if (unit == 0) break;
            value.text += unit < 0x100 ? static_cast<char>(unit) : '?';
        }
    } else if (lowered.rfind("hex:", 0) == 0) {
        value.type = ValueType::Binary;
        value.data = parseHexBytes(data.substr(4));
    } else if (lowered.rfind("hex(0):", 0) == 0) {
        value.type = ValueType::None;
        value.data = parseHexBytes(data.substr(7));
    } else {
        value.type = ValueType::Other;
    }
    return value;
}

std::vector<ParsedKey> parseFile(const std::string& path) {
    std::vector<ParsedKey> keys;
    std::ifstream in(path, std::ios::binary);
    if (!in) return keys;
    std::string raw, line;
    while (std::getline(in, raw)) {
        raw = text::trim(raw);
        // Hex lists continue over lines ending in a backslash.
        if (!raw.empty() && raw.back() == '\\' && raw.front() != '[') {
            line += raw.substr(0, raw.size() - 1);
            continue;
        }
        line += raw;
        const std::string current = text::trim(line);
        line.clear();
        if (current.empty() || current[0] == ';') continue;
        if (current.front() == '[' && current.back() == ']') {
            keys.push_back({withoutRoot(current.substr(1, current.size() - 2)), {}});
        } else if (!keys.empty()) {
            if (auto value = parseValue(current)) keys.back().values.push_back(std::move(*value));
        }
    }
    return keys;
}

}  // namespace

struct Key::Impl {
    std::string path;
    std::vector<ParsedKey> all;  // the whole file, as read when the key was opened
    const ParsedKey* own = nullptr;
};

Key::Key(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Key::~Key() = default;

std::string standInPath() {
    const char* env = std::getenv("ZORVANL_REGISTRY");
    return env && *env ? env : "/etc/zorvanl/registry.reg";
}

std::unique_ptr<Key> Key::openLocalMachine(const std::string& path) {
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->all = parseFile(standInPath());
    bool exists = false;
    const std::string wanted = text::lower(path) + "\\";
    for (const auto& key : impl->all) {
        const std::string name = text::lower(key.path);
        if (name + "\\" == wanted) {
            impl->own = &key;
            exists = true;
        } else if (name.rfind(wanted, 0) == 0) {
            exists = true;  // a key exists when it has subkeys, even without its own section
        }
    }
    if (!exists) return nullptr;
    return std::unique_ptr<Key>(new Key(std::move(impl)));
}

std::optional<std::uint32_t> Key::readDword(const std::string& name) const {
    if (!impl_->own) return std::nullopt;
    for (const auto& v : impl_->own->values)
        if (text::lower(v.name) == text::lower(name) && v.type == ValueType::Dword) return v.dword;
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> Key::readBinary(const std::string& name,
                                                         std::size_t maxBytes) const {
    if (!impl_->own) return std::nullopt;
    for (const auto& v : impl_->own->values) {
        if (text::lower(v.name) != text::lower(name) || v.type != ValueType::Binary) continue;
        auto data = v.data;
        if (data.size() > maxBytes) data.resize(maxBytes);
        return data;
    }
    return std::nullopt;
}

std::vector<Value> Key::values() const {
    return impl_->own ? impl_->own->values : std::vector<Value>{};
}

std::vector<std::string> Key::subkeys() const {
    std::vector<std::string> result;
    const std::string prefix = text::lower(impl_->path) + "\\";
    for (const auto& key : impl_->all) {
        const std::string name = text::lower(key.path);
        if (name.rfind(prefix, 0) != 0) continue;
        std::string rest = key.path.substr(prefix.size());
        rest = rest.substr(0, rest.find('\\'));
        bool seen = false;
        for (const auto& r : result)
            seen = seen || text::lower(r) == text::lower(rest);
        if (!seen && !rest.empty()) result.push_back(rest);
    }
    return result;
}

}  // namespace zplatform::registry
