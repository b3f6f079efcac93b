#include "zplatform/ini.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "text.h"

namespace zplatform {

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
    return text::lower(a) == text::lower(b);
}

std::optional<IniFile> IniFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return parse(content.str());
}

IniFile IniFile::parse(const std::string& content) {
    IniFile ini;
    std::istringstream in(content);
    std::string line, section;
    while (std::getline(in, line)) {
        line = text::trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            const auto close = line.find(']');
            section = text::trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            ini.sections_.push_back(section);
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        ini.entries_.push_back({section, text::trim(line.substr(0, eq)), text::trim(line.substr(eq + 1))});
    }
    return ini;
}

std::optional<std::string> IniFile::value(const std::string& section, const std::string& key) const {
    for (const auto& e : entries_)
        if (equalsIgnoreCase(e.section, section) && equalsIgnoreCase(e.key, key)) return e.value;
    return std::nullopt;
}

std::string IniFile::text(const std::string& section, const std::string& key,
                          const std::string& fallback) const {
    return value(section, key).value_or(fallback);
}

long long IniFile::integer(const std::string& section, const std::string& key, long long fallback) const {
    const auto v = value(section, key);
    if (!v || v->empty()) return fallback;
    char* end = nullptr;
    const long long parsed = std::strtoll(v->c_str(), &end, 0);
    return (end && *end == '\0') ? parsed : fallback;
}

double IniFile::number(const std::string& section, const std::string& key, double fallback) const {
    const auto v = value(section, key);
    if (!v || v->empty()) return fallback;
    double parsed = 0;
    const char* last = v->data() + v->size();
    const auto [end, error] = std::from_chars(v->data(), last, parsed);
    return (error == std::errc() && end == last) ? parsed : fallback;
}

bool IniFile::hasSection(const std::string& section) const {
    for (const auto& s : sections_)
        if (equalsIgnoreCase(s, section)) return true;
    return false;
}

std::vector<std::string> IniFile::keys(const std::string& section) const {
    std::vector<std::string> result;
    for (const auto& e : entries_)
        if (equalsIgnoreCase(e.section, section)) result.push_back(e.key);
    return result;
}

}  // namespace zplatform
