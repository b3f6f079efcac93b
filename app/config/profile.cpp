#include "profile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "zplatform/codepage.h"
#include "zplatform/paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace profile {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr const char* kLineEnd = "\r\n";

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// One line of the file as it stands: its text and its line end ("\r\n", "\n" or none for the last).
struct Line {
    std::string text;
    std::string end;
};

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    std::string name;   // section or key name (trimmed)
    std::string value;  // key value (trimmed, one pair of quotes removed)
};

Parsed Parse(std::string_view text) {
    Parsed parsed;
    const std::string_view line = Trim(text);
    if (line.empty() || line.front() == ';') return parsed;
    if (line.front() == '[') {
        const auto close = line.find(']');
        parsed.kind = Kind::Section;
        parsed.name = std::string(Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
        return parsed;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return parsed;  // a line without '=' holds no value
    parsed.kind = Kind::Key;
    parsed.name = std::string(Trim(line.substr(0, equals)));
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    parsed.value = std::string(value);
    return parsed;
}

// The file's text and its encoding.
struct FileText {
    bool exists = false;
    bool utf8 = false;  // began with the byte-order mark (kept on writing)
    std::vector<Line> lines;
};

std::optional<std::string> ReadBytes(const std::string& FileName) {
    std::ifstream in(zplatform::pathFromUtf8(FileName), std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return bytes;
}

// nullopt when the file exists but cannot be read.
std::optional<FileText> LoadText(const std::string& FileName) {
    FileText file;
    std::error_code error;
    const auto path = zplatform::pathFromUtf8(FileName);
    if (!std::filesystem::exists(path, error)) return file;
    if (std::filesystem::is_directory(path, error)) return std::nullopt;
    std::optional<std::string> bytes = ReadBytes(FileName);
    if (!bytes) return std::nullopt;
    file.exists = true;
    std::string_view rest = *bytes;
    if (rest.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        file.utf8 = true;
        rest.remove_prefix(kUtf8Bom.size());
    }
    while (!rest.empty()) {
        const auto newline = rest.find('\n');
        Line line;
        if (newline == std::string_view::npos) {
            line.text = std::string(rest);
            rest = {};
        } else {
            line.text = std::string(rest.substr(0, newline));
            line.end = "\n";
            rest.remove_prefix(newline + 1);
        }
        if (!line.end.empty() && !line.text.empty() && line.text.back() == '\r') {
            line.text.pop_back();
            line.end = kLineEnd;
        }
        file.lines.push_back(std::move(line));
    }
    return file;
}

std::string ToFile(const FileText& file, const std::string& utf8) {
    return file.utf8 ? utf8 : zplatform::codepage::utf8ToAnsi(utf8);
}

std::string FromFile(bool utf8, const std::string& text) {
    return utf8 ? text : zplatform::codepage::ansiToUtf8(text);
}

// At most kMaxValueLength characters of the file's text (bytes of the ANSI page, code points of UTF-8).
std::string Limit(bool utf8, std::string value) {
    if (!utf8) {
        if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
        return value;
    }
    std::size_t characters = 0;
    for (std::size_t i = 0; i < value.size(); ++i)
        if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80 && ++characters > kMaxValueLength) {
            value.resize(i);
            break;
        }
    return value;
}

// Replaces FileName by `content` atomically: a temporary file in the same directory, flushed to the
// disk, renamed over the old one.
bool ReplaceFile(const std::string& FileName, const std::string& content) {
    const std::filesystem::path path = zplatform::pathFromUtf8(FileName);
    static unsigned counter = 0;
#ifdef _WIN32
    const std::filesystem::path temporary =
        path.parent_path() / (path.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                              std::to_wstring(++counter) + L".tmp");
    HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(handle, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                    written == content.size() && FlushFileBuffers(handle);
    CloseHandle(handle);
    if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
#else
    const std::string temporary = (path.parent_path() / ("." + path.filename().string() + "." +
                                                         std::to_string(getpid()) + "." + std::to_string(++counter)))
                                      .string() +
                                  ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat old {};
    if (stat(path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);  // the file keeps its permissions
    bool ok = true;
    for (std::size_t done = 0; ok && done < content.size();) {
        const ssize_t n = write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
#endif
}

bool Save(const std::string& FileName, const FileText& file) {
    std::string content = file.utf8 ? std::string(kUtf8Bom) : std::string();
    for (const Line& line : file.lines)
        content += line.text + line.end;
    return ReplaceFile(FileName, content);
}

// The range of lines [first, last) of the first section named `section`; nullopt when there is none.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const FileText& file, const std::string& section) {
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const Parsed header = Parse(file.lines[i].text);
        if (header.kind != Kind::Section || !SameName(FromFile(file.utf8, header.name), section)) continue;
        std::size_t end = i + 1;
        while (end < file.lines.size() && Parse(file.lines[end].text).kind != Kind::Section)
            ++end;
        return std::make_pair(i, end);
    }
    return std::nullopt;
}

void Insert(FileText& file, std::size_t at, std::string text) {
    if (at > 0 && file.lines[at - 1].end.empty()) file.lines[at - 1].end = kLineEnd;
    file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), kLineEnd});
}

void SetKey(FileText& file, const std::string& section, const std::string& key, const std::string& value) {
    auto range = FindSection(file, section);
    if (!range) {
        if (!file.lines.empty() && !Trim(file.lines.back().text).empty()) Insert(file, file.lines.size(), "");
        Insert(file, file.lines.size(), "[" + ToFile(file, section) + "]");
        range = std::make_pair(file.lines.size() - 1, file.lines.size());
    }
    const auto [header, end] = *range;
    std::size_t lastContent = header;
    for (std::size_t i = header + 1; i < end; ++i) {
        const Parsed line = Parse(file.lines[i].text);
        if (line.kind == Kind::Key && SameName(FromFile(file.utf8, line.name), key)) {
            file.lines[i].text = line.name + "=" + ToFile(file, value);  // the key keeps its spelling
            return;
        }
        if (!Trim(file.lines[i].text).empty()) lastContent = i;
    }
    Insert(file, lastContent + 1, ToFile(file, key) + "=" + ToFile(file, value));
}

}  // namespace

Snapshot Snapshot::Load(const std::string& FileName) {
    Snapshot snapshot;
    const std::optional<FileText> file = LoadText(FileName);
    if (!file) return snapshot;
    std::optional<std::size_t> current;
    for (const Line& line : file->lines) {
        Parsed parsed = Parse(line.text);
        if (parsed.kind == Kind::Section) {
            snapshot.sections_.push_back(FromFile(file->utf8, parsed.name));
            current = snapshot.sections_.size() - 1;
        } else if (parsed.kind == Kind::Key && current) {
            snapshot.entries_.push_back({*current, FromFile(file->utf8, parsed.name),
                                         FromFile(file->utf8, Limit(file->utf8, std::move(parsed.value)))});
        }
    }
    return snapshot;
}

std::string Snapshot::Read(const std::string& Section, const std::string& Key, const std::string& Default) const {
    // The first section of the name holds the keys; the first key of the name wins.
    std::optional<std::size_t> section;
    for (std::size_t i = 0; i < sections_.size() && !section; ++i)
        if (SameName(sections_[i], Section)) section = i;
    if (!section) return Default;
    for (const Entry& entry : entries_)
        if (entry.section == *section && SameName(entry.key, Key)) return entry.value;
    return Default;
}

std::vector<std::string> Snapshot::SectionNames() const {
    std::vector<std::string> names;
    for (const std::string& section : sections_) {
        bool seen = false;
        for (const std::string& name : names)
            seen = seen || SameName(name, section);
        if (!seen) names.push_back(section);
    }
    return names;
}

std::string ReadString(const std::string& FileName, const std::string& Section, const std::string& Key,
                       const std::string& Default) {
    return Snapshot::Load(FileName).Read(Section, Key, Default);
}

std::vector<std::string> ReadSectionNames(const std::string& FileName) {
    return Snapshot::Load(FileName).SectionNames();
}

bool WriteString(const std::string& FileName, const std::string& Section, const std::string& Key,
                 const std::string& Value) {
    return WriteStrings(FileName, Section, {{Key, Value}});
}

bool WriteStrings(const std::string& FileName, const std::string& Section,
                  const std::vector<std::pair<std::string, std::string>>& KeyValues) {
    std::optional<FileText> file = LoadText(FileName);
    if (!file) return false;
    for (const auto& [key, value] : KeyValues)
        SetKey(*file, Section, key, value);
    return Save(FileName, *file);
}

bool EraseSection(const std::string& FileName, const std::string& Section) {
    std::optional<FileText> file = LoadText(FileName);
    if (!file) return false;
    if (!file->exists) return true;
    bool erased = false;
    while (const auto range = FindSection(*file, Section)) {
        file->lines.erase(file->lines.begin() + static_cast<std::ptrdiff_t>(range->first),
                          file->lines.begin() + static_cast<std::ptrdiff_t>(range->second));
        erased = true;
    }
    return !erased || Save(FileName, *file);
}

}  // namespace profile
