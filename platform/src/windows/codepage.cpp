#include "zplatform/codepage.h"

#include <windows.h>

#include <cstdlib>

namespace zplatform::codepage {
namespace {

UINT codePageNumber(const std::string& codePage) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(codePage.c_str(), &end, 10);
    return end != codePage.c_str() && *end == '\0' ? static_cast<UINT>(number) : CP_ACP;
}

// Malformed input becomes U+FFFD (flags 0 without MB_ERR_INVALID_CHARS).
std::wstring toWide(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

// Characters the code page cannot hold become its default character '?'. WC_NO_BEST_FIT_CHARS keeps
// Windows from substituting look-alikes ("e" for "é"), which would make a text read differently.
std::string fromWide(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return {};
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(wide.size());
    int length = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, nullptr);
    DWORD used = flags;
    if (length <= 0 && flags != 0) {  // a code page that refuses the flag
        used = 0;
        length = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    }
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, used, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

}  // namespace

std::string ansiCodePageName() {
    return std::to_string(GetACP());
}

std::string utf8ToCodePage(std::string_view utf8, const std::string& codePage) {
    return fromWide(toWide(utf8, CP_UTF8), codePageNumber(codePage));
}

std::string codePageToUtf8(std::string_view text, const std::string& codePage) {
    return fromWide(toWide(text, codePageNumber(codePage)), CP_UTF8);
}

std::string utf8ToAnsi(std::string_view utf8) {
    return fromWide(toWide(utf8, CP_UTF8), CP_ACP);
}

std::string ansiToUtf8(std::string_view ansi) {
    return fromWide(toWide(ansi, CP_ACP), CP_UTF8);
}

}  // namespace zplatform::codepage
