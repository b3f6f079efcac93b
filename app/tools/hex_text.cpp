#include "hex_text.h"

namespace {

// The digit value of c, or -1 when c is not a hexadecimal digit.
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr std::size_t kMaxBinChars = 80;

}  // namespace

std::uint32_t HexStrToCardinal(const std::string& S) {
    std::uint32_t value = 0;
    int digit = 0;
    for (char c : S) {
        if (int d = HexDigit(c); d >= 0) digit = d;
        value = value * 16u + static_cast<std::uint32_t>(digit);  // wraps modulo 2^32
    }
    return value;
}

bool IsHexText(const std::string& S) {
    for (char c : S)
        if (HexDigit(c) < 0) return false;
    return true;
}

std::string HexToBinStr(const std::string& S) {
    std::string bits;
    int digit = 0;
    for (char c : S) {
        if (bits.size() + 4 > kMaxBinChars) break;
        if (int d = HexDigit(c); d >= 0) digit = d;
        for (int b = 3; b >= 0; --b)
            bits += ((digit >> b) & 1) ? '1' : '0';
    }
    return bits;
}
