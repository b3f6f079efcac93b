// A read-only view of an INI text file with the lookup rules of the Windows profile functions:
// section and key names compare case-insensitively, blanks around names and values are dropped,
// the first occurrence of a key in a section wins, lines starting with ';' or '#' are comments.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zplatform {

class IniFile {
 public:
    static std::optional<IniFile> load(const std::string& path);  // nullopt when the file can't be read
    static IniFile parse(const std::string& text);

    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    std::string text(const std::string& section, const std::string& key, const std::string& fallback) const;
    // Decimal, or hexadecimal with 0x; the fallback when missing or unparsable.
    long long integer(const std::string& section, const std::string& key, long long fallback) const;
    double number(const std::string& section, const std::string& key, double fallback) const;
    bool hasSection(const std::string& section) const;
    std::vector<std::string> keys(const std::string& section) const;

 private:
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> sections_;
};

bool equalsIgnoreCase(const std::string& a, const std::string& b);

}  // namespace zplatform
