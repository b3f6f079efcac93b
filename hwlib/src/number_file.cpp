#include "number_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>

namespace zorvan {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
// A "number" of more characters than this without white space cannot be one of ours: the reading
// stops there, as at any other value that does not convert, and memory stays bounded.
constexpr std::size_t kLongestToken = 4096;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads the file a chunk at a time and hands out whole white-space separated tokens.
class Tokens {
 public:
    explicit Tokens(std::FILE* file) : file_(file) {}

    // The next token: [first, last) of the buffer, valid until the next call; false at the end.
    bool next(const char*& first, const char*& last) {
        for (;;) {
            while (pos_ < buf_.size() && isSpace(buf_[pos_]))
                ++pos_;
            if (pos_ < buf_.size()) break;
            if (!refill()) return false;
        }
        std::size_t end = pos_;
        for (;;) {
            while (end < buf_.size() && !isSpace(buf_[end]))
                ++end;
            if (end < buf_.size() || eof_) break;
            if (end - pos_ > kLongestToken) return false;
            const std::size_t offset = end - pos_;
            const bool more = refill();  // moves the unconsumed rest to the front
            end = pos_ + offset;
            if (!more) break;
        }
        if (end - pos_ > kLongestToken) return false;
        first = buf_.data() + pos_;
        last = buf_.data() + end;
        return true;
    }
    // Marks the characters up to `to` (inside the current token) as consumed.
    void consume(const char* to) { pos_ = static_cast<std::size_t>(to - buf_.data()); }

 private:
    // Appends the next chunk, dropping what was consumed. False when nothing more could be read.
    bool refill() {
        if (eof_) return false;
        buf_.erase(0, pos_);
        pos_ = 0;
        const std::size_t old = buf_.size();
        buf_.resize(old + kChunk);
        const std::size_t got = std::fread(buf_.data() + old, 1, kChunk, file_);
        buf_.resize(old + got);
        if (got < kChunk) eof_ = true;
        return got > 0;
    }

    std::FILE* file_;
    std::string buf_;
    std::size_t pos_ = 0;
    bool eof_ = false;
};

// A leading '+' is accepted as the C conversions accept it (but not "+-").
const char* skipPlus(const char* first, const char* last) {
    return (last - first > 1 && *first == '+' && first[1] != '-') ? first + 1 : first;
}

bool convert(const char* first, const char* last, int& value, const char*& end) {
    long long wide = 0;
    auto [ptr, ec] = std::from_chars(skipPlus(first, last), last, wide);
    if (ec == std::errc::invalid_argument) return false;
    if (ec == std::errc::result_out_of_range)
        wide =
            (*first == '-') ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    if (wide > std::numeric_limits<int>::max()) wide = std::numeric_limits<int>::max();
    if (wide < std::numeric_limits<int>::min()) wide = std::numeric_limits<int>::min();
    value = static_cast<int>(wide);
    end = ptr;
    return true;
}

// Whether a decimal number that does not fit a double is too large (rather than too small): its
// decimal order of magnitude, from the digits before the point (or the zeros after it) and the exponent.
bool tooLarge(const char* first, const char* last) {
    long long order = 0;
    bool point = false, significant = false;
    const char* p = first;
    if (p < last && (*p == '-' || *p == '+')) ++p;
    for (; p < last && ((*p >= '0' && *p <= '9') || *p == '.'); ++p) {
        if (*p == '.') {
            point = true;
        } else if (!significant) {
            significant = *p != '0';
            if (significant && !point) order = 1;
            if (!significant && point) --order;
        } else if (!point) {
            ++order;
        }
    }
    long long exponent = 0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        const char* e = skipPlus(p + 1, last);
        if (std::from_chars(e, last, exponent).ec == std::errc::result_out_of_range)
            exponent = (*e == '-') ? -(1LL << 40) : (1LL << 40);
    }
    return order + exponent > 0;
}

bool convert(const char* first, const char* last, double& value, const char*& end) {
    const char* start = skipPlus(first, last);
    auto [ptr, ec] = std::from_chars(start, last, value, std::chars_format::general);
    if (ec == std::errc::invalid_argument) return false;
    if (ec == std::errc::result_out_of_range) {
        // Too large reads as an infinity, too small as zero, each with its sign.
        const bool negative = *start == '-';
        constexpr double kInfinity = std::numeric_limits<double>::infinity();
        value = tooLarge(start, ptr) ? (negative ? -kInfinity : kInfinity) : (negative ? -0.0 : 0.0);
    }
    end = ptr;
    return true;
}

template <typename T>
std::optional<std::vector<T>> readNumbers(const std::string& path, std::size_t capacity) {
    File file(openFile(path, "r"));  // text mode
    if (!file) return std::nullopt;
    std::vector<T> values;
    values.reserve(capacity);
    Tokens tokens(file.get());
    const char* first = nullptr;
    const char* last = nullptr;
    while (values.size() < capacity && tokens.next(first, last)) {
        T value{};
        const char* end = nullptr;
        if (!convert(first, last, value, end)) break;
        values.push_back(value);
        tokens.consume(end);
    }
    return values;
}

}  // namespace

std::FILE* openFile(const std::string& path, const char* mode) {
#ifndef _WIN32
    // A POSIX path is a byte string: no conversion can fail here. (Windows does not open a directory.)
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(path), ec)) return nullptr;
#endif
    return std::fopen(path.c_str(), mode);
}

std::optional<std::vector<int>> readIntegers(const std::string& path, std::size_t capacity) {
    return readNumbers<int>(path, capacity);
}

std::optional<std::vector<double>> readReals(const std::string& path, std::size_t capacity) {
    return readNumbers<double>(path, capacity);
}

}  // namespace zorvan
