// Profile files as the Windows profile functions read and write them.
//
// The file is parsed and edited as the bytes it holds: '[', ']', '=', ';', blanks and line ends are
// the same bytes in every ANSI code page and in UTF-8, so lines the program does not write are copied
// without ever being converted, and a byte the code page cannot show survives a write untouched. Names
// and values given by the program are converted into the file's encoding before they are compared or
// written, as the ANSI ("A") profile functions convert them; a name with characters outside the code
// page is therefore stored, and found again, with '?' in their places.
//
// Where Windows and Wine were followed, and the choices made where their behaviour is not known here:
//  - Encoding: a file starting with the UTF-8 byte order mark is UTF-8 and one starting with a UTF-16
//    mark (either byte order) is UTF-16, read and written back in that form with its mark (Wine reads
//    and keeps all three; Windows keeps UTF-16). Every other file is text of the ANSI code page, and
//    a file the program creates is one. Unpaired surrogates of a UTF-16 file become U+FFFD.
//  - Lines end at LF; a CR before it belongs to the line end. Blanks (space, tab, CR, VT, FF and the
//    DOS end-of-file mark 0x1A, as in Wine) around a line, a name or a value are not part of it.
//  - "[Name]": the name runs to the last ']' of the line. A '[' line without ']' is read as a key line
//    (Wine). Lines before the first section header belong to no section.
//  - A key line without '=' is found by a write (which turns it into "Key=Value") but reads as missing,
//    so the default is returned (Wine).
//  - Only the first section of a name is consulted, for reading and for writing; keys in a later
//    section of the same name are not seen (Wine). Within it the first key of a name wins.
//  - Quotes: a value that starts and ends with the same quote character, '"' or '\'', at least two
//    characters long, loses both (Windows and Wine strip either kind).
//  - 2047 characters: counted in UTF-16 code units, as the Unicode profile functions fill a 2048-unit
//    buffer (a character outside the Basic Multilingual Plane counts two and is never split). The
//    default is cut the same way, and loses its trailing spaces first, as the Windows documentation
//    says (Wine keeps the first character of an all-blank default; here none is kept).
//  - Names given by the caller lose their surrounding blanks before they are compared (Wine).
//    Letter case is folded for ASCII only; Windows folds other letters too.
//  - A replaced line keeps its place, its line end and the key's spelling from the file; it becomes
//    "Key=Value" (blanks around '=' and before the key are not kept). A new key goes after the last
//    line of its section that is not blank, so blank lines separating it from the next section stay
//    where they are (Windows). A new section goes at the very end, after a CR LF if the last line had
//    no line end, without a blank line before it.
//  - A write that changes nothing does not touch the file and succeeds (Wine).
//  - A name or value holding a line break or a NUL is refused (false): written as it is, it would
//    break the file's structure and read back as other keys.
//  - Erasing a section removes its header and every line up to the next section header, blank lines
//    and comments included, for every section of that name.
//  - A file that exists but cannot be read is not replaced: a write returns false and a read gives the
//    default. A symbolic link (POSIX) stays a link: the file it names is replaced.
#include "config/profile.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "zplatform/codepage.h"
#include "zplatform/paths.h"
#include "zplatform/utf8.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace profile {
namespace {

namespace fs = std::filesystem;

// ---- Text helpers --------------------------------------------------------------------------------

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// The longest start of a UTF-8 text that holds at most `units` UTF-16 code units.
std::string CutToUtf16Units(std::string text, std::size_t units) {
    std::size_t i = 0;
    std::size_t used = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80    ? 1
                                   : lead >= 0xF0 ? 4
                                   : lead >= 0xE0 ? 3
                                   : lead >= 0xC0 ? 2
                                                  : 1;
        const std::size_t needed = length == 4 ? 2 : 1;
        if (used + needed > units) break;
        used += needed;
        i = std::min(text.size(), i + length);
    }
    text.resize(i);
    return text;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = unit(2 * i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count) {
            const char32_t low = unit(2 * (i + 1));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        zplatform::utf8::append(out, c);
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    const auto put = [&](char32_t u) {
        const auto hi = static_cast<char>(u >> 8);
        const auto lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = zplatform::utf8::decode(text, pos).value_or(0xFFFD);
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

// ---- The file as text ----------------------------------------------------------------------------

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// The file's text: ANSI bytes, or UTF-8 for a file with a byte order mark.
struct Document {
    Encoding encoding = Encoding::Ansi;
    std::string text;

    std::string ToFile(const std::string& utf8) const {
        return encoding == Encoding::Ansi ? zplatform::codepage::utf8ToAnsi(utf8) : utf8;
    }
    std::string FromFile(std::string_view text8) const {
        return encoding == Encoding::Ansi ? zplatform::codepage::ansiToUtf8(text8) : std::string(text8);
    }
    std::string Bytes() const {
        switch (encoding) {
            case Encoding::Ansi:
                return text;
            case Encoding::Utf8:
                return std::string(kUtf8Mark) + text;
            case Encoding::Utf16Le:
                return std::string(kUtf16LeMark) + Utf8ToUtf16(text, false);
            case Encoding::Utf16Be:
                return std::string(kUtf16BeMark) + Utf8ToUtf16(text, true);
        }
        return text;
    }
};

enum class Load { Ok, Missing, Failed };

Load LoadDocument(const std::string& FileName, Document& document) {
    const fs::path path = zplatform::pathFromUtf8(FileName);
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return Load::Missing;
    if (ec || fs::is_directory(status)) return Load::Failed;
    std::ifstream in(path, std::ios::binary);
    if (!in) return Load::Failed;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return Load::Failed;
    const std::string_view view(bytes);
    if (view.starts_with(kUtf8Mark)) {
        document = {Encoding::Utf8, bytes.substr(kUtf8Mark.size())};
    } else if (view.starts_with(kUtf16LeMark)) {
        document = {Encoding::Utf16Le, Utf16ToUtf8(view.substr(2), false)};
    } else if (view.starts_with(kUtf16BeMark)) {
        document = {Encoding::Utf16Be, Utf16ToUtf8(view.substr(2), true)};
    } else {
        document = {Encoding::Ansi, std::move(bytes)};
    }
    return Load::Ok;
}

// ---- Lines ---------------------------------------------------------------------------------------

enum class LineKind { Blank, Comment, Section, Key };

struct Line {
    std::size_t begin = 0;       // first byte of the line
    std::size_t contentEnd = 0;  // first byte of its line end (CR LF or LF), or the end of the text
    std::size_t end = 0;         // first byte of the next line
    LineKind kind = LineKind::Blank;
    std::string_view name;  // section or key name
    std::string_view value;
    bool hasValue = false;  // a key line with '='
};

std::vector<Line> ParseLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        Line line;
        line.begin = pos;
        const std::size_t lf = text.find('\n', pos);
        line.end = lf == std::string_view::npos ? text.size() : lf + 1;
        line.contentEnd = lf == std::string_view::npos ? text.size() : lf;
        if (line.contentEnd > line.begin && text[line.contentEnd - 1] == '\r' && lf != std::string_view::npos)
            --line.contentEnd;
        pos = line.end;

        const std::string_view content = Trim(text.substr(line.begin, line.contentEnd - line.begin));
        if (content.empty()) {
            line.kind = LineKind::Blank;
        } else if (content.front() == ';') {
            line.kind = LineKind::Comment;
        } else if (const std::size_t close = content.rfind(']');
                   content.front() == '[' && close != std::string_view::npos && close > 0) {
            line.kind = LineKind::Section;
            line.name = Trim(content.substr(1, close - 1));
        } else {
            line.kind = LineKind::Key;
            const std::size_t eq = content.find('=');
            line.name = Trim(content.substr(0, eq));
            if (eq != std::string_view::npos) {
                line.hasValue = true;
                line.value = Trim(content.substr(eq + 1));
            }
        }
        lines.push_back(line);
    }
    return lines;
}

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The line after the last line of the section whose header is line `header`.
std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

std::size_t FindSection(const std::vector<Line>& lines, std::string_view name, std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::Section && EqualsIgnoreCase(lines[i].name, name)) return i;
    return kNone;
}

std::size_t FindKey(const std::vector<Line>& lines, std::size_t header, std::string_view key) {
    const std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == LineKind::Key && EqualsIgnoreCase(lines[i].name, key)) return i;
    return kNone;
}

// The text with Key=Value written into Section (names and value already in the file's encoding).
void SetKey(std::string& text, std::string_view section, std::string_view key, std::string_view value) {
    const std::vector<Line> lines = ParseLines(text);
    const std::size_t header = FindSection(lines, section);
    if (header == kNone) {
        if (!text.empty() && text.back() != '\n') text += "\r\n";
        text.append("[").append(section).append("]\r\n").append(key).append("=").append(value).append("\r\n");
        return;
    }
    if (const std::size_t found = FindKey(lines, header, key); found != kNone) {
        const Line& line = lines[found];
        const std::string replacement = std::string(line.name) + "=" + std::string(value);
        text.replace(line.begin, line.contentEnd - line.begin, replacement);
        return;
    }
    std::size_t last = header;
    for (std::size_t i = header + 1; i < SectionEnd(lines, header); ++i)
        if (lines[i].kind != LineKind::Blank) last = i;
    std::string insertion;
    if (lines[last].end == lines[last].contentEnd) insertion = "\r\n";  // the last line of the text
    insertion.append(key).append("=").append(value).append("\r\n");
    text.insert(lines[last].end, insertion);
}

// ---- Replacing the file --------------------------------------------------------------------------

std::atomic<unsigned> temporaryCounter{0};

#ifdef _WIN32

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

bool ReplaceFileContent(const fs::path& target, const std::string& bytes) {
    const std::wstring targetName = target.wstring();
    const DWORD attributes = GetFileAttributesW(targetName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(L".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring temporary =
            (directory / (L"." + target.filename().wstring() + L"." + std::to_wstring(GetCurrentProcessId()) +
                          L"-" + std::to_wstring(temporaryCounter++) + L".tmp"))
                .wstring();
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
        const bool closed = CloseHandle(file) != 0;
        if (written && closed && attributes != INVALID_FILE_ATTRIBUTES) {
            // The replacement keeps the old file's hidden, system and archive marks.
            constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
            if (attributes & kept) SetFileAttributesW(temporary.c_str(), attributes & kept);
        }
        if (written && closed &&
            MoveFileExW(temporary.c_str(), targetName.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DeleteFileW(temporary.c_str());
        return false;
    }
    return false;
}

#else

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

bool ReplaceFileContent(fs::path target, const std::string& bytes) {
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        target = fs::canonical(target, ec);
        if (ec) return false;
    }
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    // A read-only file stays as it is, for the super-user too, as Windows keeps a read-only file.
    if (existed &&
        ((old.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        return false;

    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path temporary =
            directory / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "-" +
                         std::to_string(temporaryCounter++) + ".tmp");
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (existed) {
            // The replacement keeps the old file's permissions and, where allowed, its owner.
            (void)::fchown(fd, old.st_uid, old.st_gid);
            (void)::fchmod(fd, old.st_mode & 07777);
        }
        const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        // The rename itself reaches the disk with the directory.
        const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            (void)::fsync(dirFd);
            ::close(dirFd);
        }
        return true;
    }
    return false;
}

#endif

// Writes the edited document unless it equals what the file holds already.
bool Store(const std::string& FileName, const Document& document, const std::string& before, bool existed) {
    if (existed && document.text == before) return true;
    return ReplaceFileContent(zplatform::pathFromUtf8(FileName), document.Bytes());
}

}  // namespace

std::string ReadString(const std::string& FileName, const std::string& Section, const std::string& Key,
                       const std::string& Default) {
    std::string fallback = Default;
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.pop_back();
    fallback = CutToUtf16Units(std::move(fallback), kMaxValueLength);

    Document document;
    if (LoadDocument(FileName, document) != Load::Ok) return fallback;
    const std::vector<Line> lines = ParseLines(document.text);
    const std::size_t header = FindSection(lines, Trim(document.ToFile(Section)));
    if (header == kNone) return fallback;
    const std::size_t key = FindKey(lines, header, Trim(document.ToFile(Key)));
    if (key == kNone || !lines[key].hasValue) return fallback;
    std::string_view value = lines[key].value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return CutToUtf16Units(document.FromFile(value), kMaxValueLength);
}

std::vector<std::string> ReadSectionNames(const std::string& FileName) {
    Document document;
    if (LoadDocument(FileName, document) != Load::Ok) return {};
    std::vector<std::string_view> seen;
    std::vector<std::string> names;
    for (const Line& line : ParseLines(document.text)) {
        if (line.kind != LineKind::Section || line.name.empty()) continue;
        bool known = false;
        for (const auto name : seen)
            known = known || EqualsIgnoreCase(name, line.name);
        if (known) continue;
        seen.push_back(line.name);
        names.push_back(document.FromFile(line.name));
    }
    return names;
}

bool WriteString(const std::string& FileName, const std::string& Section, const std::string& Key,
                 const std::string& Value) {
    return WriteStrings(FileName, Section, {{Key, Value}});
}

bool WriteStrings(const std::string& FileName, const std::string& Section,
                  const std::vector<std::pair<std::string, std::string>>& KeyValues) {
    if (HasLineBreakOrNul(Section)) return false;
    for (const auto& [key, value] : KeyValues)
        if (HasLineBreakOrNul(key) || HasLineBreakOrNul(value)) return false;
    Document document;
    const Load load = LoadDocument(FileName, document);
    if (load == Load::Failed) return false;
    if (KeyValues.empty()) return true;
    const std::string before = document.text;
    const std::string section(Trim(document.ToFile(Section)));
    for (const auto& [key, value] : KeyValues)
        SetKey(document.text, section, Trim(document.ToFile(key)), document.ToFile(value));
    return Store(FileName, document, before, load == Load::Ok);
}

bool EraseSection(const std::string& FileName, const std::string& Section) {
    Document document;
    const Load load = LoadDocument(FileName, document);
    if (load == Load::Missing) return true;
    if (load == Load::Failed) return false;
    const std::string before = document.text;
    const std::string name(Trim(document.ToFile(Section)));
    for (;;) {
        const std::vector<Line> lines = ParseLines(document.text);
        const std::size_t header = FindSection(lines, name);
        if (header == kNone) break;
        const std::size_t end = SectionEnd(lines, header);
        const std::size_t last = end < lines.size() ? lines[end].begin : document.text.size();
        document.text.erase(lines[header].begin, last - lines[header].begin);
    }
    return Store(FileName, document, before, true);
}

}  // namespace profile
