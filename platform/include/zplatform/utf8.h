// UTF-8 decoding and encoding shared by the code page conversions.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zplatform::utf8 {

inline void append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes the character at `pos` and moves `pos` past it. A malformed sequence (stray continuation
// byte, overlong form, surrogate, beyond U+10FFFF, cut short) yields nullopt and moves `pos` past its
// longest valid-looking start, at least one byte, so that one bad sequence costs one replacement.
inline std::optional<char32_t> decode(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length;
    char32_t c;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        ++pos;
        return std::nullopt;
    }
    std::size_t i = 1;
    for (; i < length && pos + i < text.size(); ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        const unsigned char min = i == 1 ? low : 0x80, max = i == 1 ? high : 0xBF;
        if (next < min || next > max) break;
        c = (c << 6) | (next & 0x3F);
    }
    pos += i;
    if (i < length) return std::nullopt;
    return c;
}

// The text with every malformed sequence replaced by '?'.
inline std::string sanitize(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (decode(text, pos))
            out.append(text.substr(start, pos - start));
        else
            out += '?';
    }
    return out;
}

// The first `count` characters of a UTF-8 text (all of it when shorter).
inline std::string firstCharacters(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n)
        decode(text, pos);
    return std::string(text.substr(0, pos));
}

}  // namespace zplatform::utf8
