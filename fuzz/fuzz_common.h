// Helpers shared by the fuzz targets: a private scratch file per process, and a check that reports a
// broken property the way a crash is reported, so that the fuzzer keeps the input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// A file in the scratch directory (FUZZ_SCRATCH, else /tmp) named after the process.
inline std::string scratchPath(const std::string& name) {
    const char* dir = std::getenv("FUZZ_SCRATCH");
    return std::string(dir && *dir ? dir : "/tmp") + "/zvl_fuzz_" + std::to_string(getpid()) + "_" + name;
}

inline void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

[[noreturn]] inline void broken(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "property broken: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

#define FUZZ_CHECK(condition, detail)                         \
    do {                                                      \
        if (!(condition)) ::fuzz::broken(#condition, detail); \
    } while (0)

// Reads the input piece by piece: bytes, and texts ended by a separator byte.
class Input {
 public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string text(char separator = '\0') {
        std::string out;
        while (pos_ < size_ && static_cast<char>(data_[pos_]) != separator)
            out.push_back(static_cast<char>(data_[pos_++]));
        if (pos_ < size_) ++pos_;
        return out;
    }
    std::string rest() {
        std::string out(reinterpret_cast<const char*>(data_ + pos_), size_ - pos_);
        pos_ = size_;
        return out;
    }

 private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace fuzz
