#pragma once

namespace zorvan {

struct ErrorText {
    const char* english;
    const char* russian;  // Windows-1251 bytes
};

inline constexpr int kErrorTextCount = 26;  // codes 0 to -25
extern const ErrorText kErrorTexts[kErrorTextCount];

}  // namespace zorvan
