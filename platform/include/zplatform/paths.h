// File paths in the platform's own form. The program and the library name their files with '/'
// between the parts; these helpers turn such names into what the platform's file functions take.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zplatform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// True for a character that separates the parts of a path here ('\' and '/' on Windows).
inline bool isPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// `base` followed by `relative`, each '/' of `relative` replaced by the platform's separator.
inline std::string nativePath(std::string base, std::string_view relative) {
    base.reserve(base.size() + relative.size());
    for (char c : relative)
        base += (c == '/') ? kPathSeparator : c;
    return base;
}

// The file-system path of a UTF-8 file name (on Windows the name is not read in the ANSI code page).
inline std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace zplatform
