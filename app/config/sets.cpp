#include "config/sets.h"

#include <algorithm>
#include <filesystem>

#include "hw/hardware.h"
#include "zplatform/paths.h"
#include "zplatform/utf8.h"

namespace {

// Letter case folded as the Windows program folds it for the languages it speaks: ASCII, the Latin-1
// letters and Cyrillic (including Ё and the other letters of U+0400-U+040F). Other characters compare
// as they are.
char32_t FoldCase(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

// The code points of a UTF-8 text, case folded; a malformed byte stands for itself.
std::u32string Folded(const std::string& text) {
    std::u32string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        const std::size_t start = pos;
        const auto c = zplatform::utf8::decode(text, pos);
        if (!c) pos = start + 1;
        out += FoldCase(c.value_or(lead));
    }
    return out;
}

bool EndsWithCfgIgnoreCase(const std::string& name) {
    if (name.size() < 4) return false;
    const std::string tail = name.substr(name.size() - 4);
    return tail[0] == '.' && (tail[1] | 0x20) == 'c' && (tail[2] | 0x20) == 'f' && (tail[3] | 0x20) == 'g';
}

}  // namespace

std::string SetDirectory() {
    return AppPath("User/");
}

std::string SetFilePath(const std::string& SetName) {
    return SetDirectory() + SetName + ".cfg";
}

std::vector<std::string> ListSetNames() {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(zplatform::pathFromUtf8(SetDirectory()), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::u8string u8name = it->path().filename().u8string();
        std::string name(u8name.begin(), u8name.end());
        if (!EndsWithCfgIgnoreCase(name)) continue;
        if (const auto first = name.find(".cfg"); first != std::string::npos) name.erase(first, 4);
        names.push_back(std::move(name));
    }
    // Without regard to case; names that differ only in case (possible outside Windows) keep a fixed
    // order by their bytes.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const auto fa = Folded(a);
        const auto fb = Folded(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

bool SamePathIgnoreCase(const std::string& a, const std::string& b) {
    return Folded(a) == Folded(b);
}
