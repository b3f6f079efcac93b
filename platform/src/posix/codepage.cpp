#include "zplatform/codepage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <vector>

#include "../text.h"
#include "zplatform/utf8.h"

namespace zplatform::codepage {
namespace {

constexpr const char* kAscii = "ANSI_X3.4-1968";

bool isUtf8(const std::string& codePage) {
    std::string name;
    for (const char c : text::lower(codePage))
        if (c != '-' && c != '_') name += c;
    return name == "utf8";
}

// iconv descriptors are not safe to share between threads; each thread keeps the few it used.
class ConverterCache {
 public:
    ~ConverterCache() {
        for (const auto& entry : entries_)
            if (entry.cd != invalid()) iconv_close(entry.cd);
    }
    // (iconv_t)-1 when the platform has no converter between the two.
    iconv_t get(const std::string& to, const std::string& from) {
        for (const auto& entry : entries_)
            if (entry.to == to && entry.from == from) return entry.cd;
        entries_.push_back({to, from, iconv_open(to.c_str(), from.c_str())});
        return entries_.back().cd;
    }
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

 private:
    struct Entry {
        std::string to, from;
        iconv_t cd;
    };
    std::vector<Entry> entries_;
};

thread_local ConverterCache converters;

// Without a converter only ASCII passes; every other byte or character is one '?'.
std::string asciiOnly(std::string_view text, bool fromUtf8) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto c = static_cast<unsigned char>(text[pos]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++pos;
            continue;
        }
        if (fromUtf8)
            utf8::decode(text, pos);
        else
            ++pos;
        out += '?';
    }
    return out;
}

std::string convert(std::string_view input, const std::string& to, const std::string& from, bool fromUtf8) {
    const iconv_t cd = converters.get(to, from);
    if (cd == ConverterCache::invalid()) return asciiOnly(input, fromUtf8);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial shift state

    std::string out(input.size() * 4 + 16, '\0');
    std::size_t produced = 0;
    auto* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    const auto grow = [&] { out.resize(out.size() * 2); };
    while (inLeft > 0) {
        char* outPtr = out.data() + produced;
        std::size_t outLeft = out.size() - produced;
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        produced = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            grow();
            continue;
        }
        // EILSEQ: a character the target can't hold or a malformed one; EINVAL: cut short at the end.
        // Either way one '?' stands for it and the conversion goes on after it.
        if (produced + 1 > out.size()) grow();
        out[produced++] = '?';
        std::size_t skipped = 1;
        if (fromUtf8) {
            const std::string_view rest(in, inLeft);
            std::size_t pos = 0;
            utf8::decode(rest, pos);
            skipped = pos;
        }
        in += skipped;
        inLeft -= skipped;
    }
    // Flush a stateful target's closing shift sequence.
    for (;;) {
        char* outPtr = out.data() + produced;
        std::size_t outLeft = out.size() - produced;
        const std::size_t rc = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        produced = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1) || errno != E2BIG) break;
        grow();
    }
    out.resize(produced);
    return out;
}

}  // namespace

std::string ansiCodePageName() {
    // The locale the environment names, looked up without setlocale(): the process's own locale
    // belongs to the program (and is "C" until someone sets it).
    static const std::string name = [] {
        const locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (!locale) return std::string(kAscii);
        std::string codeset = nl_langinfo_l(CODESET, locale);
        freelocale(locale);
        return codeset.empty() ? std::string(kAscii) : codeset;
    }();
    return name;
}

std::string utf8ToCodePage(std::string_view utf8, const std::string& codePage) {
    if (isUtf8(codePage)) return utf8::sanitize(utf8);
    return convert(utf8, codePage, "UTF-8", true);
}

std::string codePageToUtf8(std::string_view text, const std::string& codePage) {
    if (isUtf8(codePage)) return utf8::sanitize(text);
    return convert(text, "UTF-8", codePage, false);
}

std::string utf8ToAnsi(std::string_view utf8) {
    return utf8ToCodePage(utf8, ansiCodePageName());
}

std::string ansiToUtf8(std::string_view ansi) {
    return codePageToUtf8(ansi, ansiCodePageName());
}

}  // namespace zplatform::codepage
