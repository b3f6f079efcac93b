// Text conversion between the program's UTF-8 strings and the 8-bit code pages that text meets where it
// leaves the program: log files and the strings the board library takes and returns.
//
// Characters that the target code page cannot hold, and malformed input, become '?' (the replacement
// character of the Windows ANSI pages); nothing is dropped silently, so a line keeps its length in
// characters.
//
// Windows: MultiByteToWideChar / WideCharToMultiByte; the ANSI code page is CP_ACP.
// POSIX: iconv (part of the C library); the ANSI code page is the codeset of the locale that the
// environment names (LC_ALL, LC_CTYPE, LANG), read without touching the process's own locale.
#pragma once

#include <string>
#include <string_view>

namespace zplatform::codepage {

// The system's ANSI code page as the platform names it: the code page number on Windows ("1251"),
// the locale's codeset on POSIX ("UTF-8", "ANSI_X3.4-1968", "CP1251").
std::string ansiCodePageName();

std::string utf8ToAnsi(std::string_view utf8);
std::string ansiToUtf8(std::string_view ansi);

// The same conversions for a code page named as ansiCodePageName() names it.
std::string utf8ToCodePage(std::string_view utf8, const std::string& codePage);
std::string codePageToUtf8(std::string_view text, const std::string& codePage);

// Windows-1251 (Cyrillic) to UTF-8 on every platform, from a built-in table: the board library's
// Russian texts are Windows-1251 bytes whatever the system's code page. The one byte that the code
// page leaves undefined (0x98) becomes '?'.
std::string windows1251ToUtf8(std::string_view text);

}  // namespace zplatform::codepage
