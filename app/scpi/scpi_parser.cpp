#include "scpi_parser.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace scpi {

namespace {

struct KnownError {
    int code;
    const char* text;
};

constexpr KnownError kErrors[] = {
    {0, "No error"},
    {-100, "Command error"},
    {-101, "Invalid character"},
    {-102, "Syntax error"},
    {-103, "Invalid separator"},
    {-104, "Data type error"},
    {-108, "Parameter not allowed"},
    {-109, "Missing parameter"},
    {-110, "Command header error"},
    {-112, "Program mnemonic too long"},
    {-113, "Undefined header"},
    {-114, "Header suffix out of range"},
    {-120, "Numeric data error"},
    {-121, "Invalid character in number"},
    {-123, "Exponent too large"},
    {-131, "Invalid suffix"},
    {-138, "Suffix not allowed"},
    {-141, "Invalid character data"},
    {-144, "Character data too long"},
    {-150, "String data error"},
    {-151, "Invalid string data"},
    {-200, "Execution error"},
    {-221, "Settings conflict"},
    {-222, "Data out of range"},
    {-224, "Illegal parameter value"},
    {-250, "Mass storage error"},
    {-256, "File name not found"},
    {-257, "File name error"},
    {-300, "Device-specific error"},
    {-330, "Self-test failed"},
    {-350, "Queue overflow"},
    {-363, "Input buffer overrun"},
    {-400, "Query error"},
};

constexpr std::size_t kMnemonicLimit = 12;  // SCPI's longest mnemonic
constexpr std::size_t kCharacterDataLimit = 64;

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

bool IsAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperText(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = Upper(c);
    return upper;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// The printable characters a program message may hold outside strings.
bool Printable(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x20 && u < 0x7F;
}

// The short form of a table mnemonic: its capitals (and digits).
std::string ShortForm(std::string_view mixed) {
    std::string shortForm;
    for (char c : mixed)
        if ((c >= 'A' && c <= 'Z') || IsDigit(c)) shortForm += c;
    return shortForm;
}

// Multipliers of SCPI unit suffixes.
bool Multiplier(std::string_view prefix, std::string_view unit, double& factor) {
    if (prefix.empty()) return factor = 1, true;
    // SCPI's exception: MHZ and MOHM are mega, every other M is milli.
    if (prefix == "M") return factor = (unit == "HZ" || unit == "OHM") ? 1e6 : 1e-3, true;
    if (prefix == "MA") return factor = 1e6, true;
    if (prefix == "EX") return factor = 1e18, true;
    if (prefix == "PE") return factor = 1e15, true;
    if (prefix == "T") return factor = 1e12, true;
    if (prefix == "G") return factor = 1e9, true;
    if (prefix == "K") return factor = 1e3, true;
    if (prefix == "U") return factor = 1e-6, true;
    if (prefix == "N") return factor = 1e-9, true;
    if (prefix == "P") return factor = 1e-12, true;
    if (prefix == "F") return factor = 1e-15, true;
    return false;
}

bool IsMnemonic(const Parameter& p, const char* shortForm, const char* longForm) {
    return p.type == Parameter::Type::Character && (p.text == shortForm || p.text == longForm);
}

// Parses the parameter text (already trimmed, not empty).
Parameter ParseParameter(std::string_view text) {
    Parameter p;
    const char first = text.front();
    if (first == '"' || first == '\'') {
        p.type = Parameter::Type::String;
        std::size_t i = 1;
        for (;;) {
            if (i >= text.size()) throw Failure{-151, "unterminated string"};
            if (text[i] == first) {
                if (i + 1 < text.size() && text[i + 1] == first) {
                    p.text += first;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            p.text += text[i++];
        }
        if (i != text.size()) throw Failure{-103, "text after a string"};
        return p;
    }
    if (IsAlpha(first)) {
        p.type = Parameter::Type::Character;
        for (char c : text)
            if (!IsAlpha(c) && !IsDigit(c) && c != '_') throw Failure{-141, std::string(text)};
        if (text.size() > kCharacterDataLimit) throw Failure{-144, ""};
        p.text = UpperText(text);
        return p;
    }
    if (IsDigit(first) || first == '+' || first == '-' || first == '.') {
        p.type = Parameter::Type::Numeric;
        std::size_t i = 0;
        if (text[i] == '+' || text[i] == '-') ++i;
        const std::size_t mantissaStart = i;
        bool digits = false;
        while (i < text.size() && IsDigit(text[i]))
            ++i, digits = true;
        if (i < text.size() && text[i] == '.') {
            ++i;
            while (i < text.size() && IsDigit(text[i]))
                ++i, digits = true;
        }
        if (!digits || i == mantissaStart) throw Failure{-121, std::string(text)};
        // An exponent: E or e, an optional sign, digits. "E" alone followed by letters is no exponent
        // but a suffix (there is none starting with E but EX, which is no unit on its own).
        if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
            std::size_t j = i + 1;
            while (j < text.size() && IsSpace(text[j]))
                ++j;
            if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
            while (j < text.size() && IsSpace(text[j]))
                ++j;
            if (j < text.size() && IsDigit(text[j])) {
                while (j < text.size() && IsDigit(text[j]))
                    ++j;
                i = j;
            }
        }
        std::string number;
        for (char c : text.substr(0, i))
            if (!IsSpace(c)) number += c;
        errno = 0;
        char* end = nullptr;
        p.number = std::strtod(number.c_str(), &end);
        if (end != number.c_str() + number.size()) throw Failure{-121, std::string(text)};
        if (errno == ERANGE || !std::isfinite(p.number)) throw Failure{-123, std::string(text)};
        std::string_view rest = Trim(text.substr(i));
        if (!rest.empty()) {
            for (char c : rest)
                if (!IsAlpha(c) && c != '/') throw Failure{-121, std::string(text)};
            if (rest.size() > kMnemonicLimit) throw Failure{-131, std::string(rest)};
            p.suffix = UpperText(rest);
        }
        return p;
    }
    if (first == '#') throw Failure{-104, "non-decimal and block data are not taken"};
    throw Failure{Printable(first) ? -102 : -101, ""};
}

}  // namespace

const char* ErrorText(int code) {
    for (const KnownError& e : kErrors)
        if (e.code == code) return e.text;
    return "Device-specific error";
}

// ---- Error queue ------------------------------------------------------------------------------------

void ErrorQueue::Push(int code, const std::string& detail) {
    std::string entry = std::to_string(code) + ",\"" + ErrorText(code);
    if (!detail.empty()) entry += ";" + detail;
    entry += "\"";
    // The text is a SCPI string: its own quotes are doubled, control characters left out.
    std::string quoted;
    quoted.reserve(entry.size());
    const std::size_t open = entry.find('"');
    for (std::size_t i = 0; i < entry.size(); ++i) {
        const char c = entry[i];
        if (static_cast<unsigned char>(c) < 0x20) continue;
        if (c == '"' && i != open && i != entry.size() - 1) quoted += '"';
        quoted += c;
    }
    std::uint8_t bit = kEsrDeviceError;
    if (code <= -100 && code > -200) bit = kEsrCommandError;
    if (code <= -200 && code > -300) bit = kEsrExecutionError;
    if (code <= -400 && code > -500) bit = kEsrQueryError;
    const std::lock_guard lock(mutex_);
    esr_ |= bit;
    if (entries_.size() >= kErrorQueueSize) {
        entries_.back() = "-350,\"Queue overflow\"";
        return;
    }
    entries_.push_back(std::move(quoted));
}

std::string ErrorQueue::Next() {
    const std::lock_guard lock(mutex_);
    if (entries_.empty()) return "0,\"No error\"";
    std::string entry = std::move(entries_.front());
    entries_.pop_front();
    return entry;
}

std::size_t ErrorQueue::Count() const {
    const std::lock_guard lock(mutex_);
    return entries_.size();
}

void ErrorQueue::Clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
    esr_ = 0;
}

std::uint8_t ErrorQueue::Esr() const {
    const std::lock_guard lock(mutex_);
    return esr_;
}

std::uint8_t ErrorQueue::TakeEsr() {
    const std::lock_guard lock(mutex_);
    const std::uint8_t esr = esr_;
    esr_ = 0;
    return esr;
}

void ErrorQueue::SetEsrBits(std::uint8_t bits) {
    const std::lock_guard lock(mutex_);
    esr_ |= bits;
}

// ---- Syntax -----------------------------------------------------------------------------------------

std::vector<std::string_view> SplitCommands(std::string_view line) {
    std::vector<std::string_view> commands;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote) {
            if (c == quote) quote = 0;  // a doubled quote closes and opens again: the same result
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            commands.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    commands.push_back(line.substr(start));
    return commands;
}

ParsedCommand ParseCommand(std::string_view text) {
    ParsedCommand command;
    text = Trim(text);
    std::size_t i = 0;
    if (i < text.size() && text[i] == ':') {
        command.absolute = true;
        ++i;
    }
    if (i < text.size() && text[i] == '*') {
        if (command.absolute) throw Failure{-102, "':' before a common command"};
        command.common = true;
        ++i;
        const std::size_t start = i;
        while (i < text.size() && IsAlpha(text[i]))
            ++i;
        if (i == start) throw Failure{-102, "no name after '*'"};
        if (i - start > kMnemonicLimit) throw Failure{-112, ""};
        command.nodes.push_back({UpperText(text.substr(start, i - start)), -1});
    } else {
        for (;;) {
            const std::size_t start = i;
            while (i < text.size() && IsAlpha(text[i]))
                ++i;
            if (i == start) {
                if (i < text.size() && !Printable(text[i])) throw Failure{-101, ""};
                throw Failure{-102, i < text.size() ? "unexpected character in header" : "no header"};
            }
            if (i - start > kMnemonicLimit) throw Failure{-112, ""};
            ParsedCommand::Node node{UpperText(text.substr(start, i - start)), -1};
            const std::size_t digitsStart = i;
            while (i < text.size() && IsDigit(text[i]))
                ++i;
            if (i > digitsStart) {
                if (i - digitsStart > 9) throw Failure{-114, ""};
                node.suffix = std::atoi(std::string(text.substr(digitsStart, i - digitsStart)).c_str());
            }
            command.nodes.push_back(std::move(node));
            if (i < text.size() && text[i] == ':') {
                ++i;
                continue;
            }
            break;
        }
    }
    if (i < text.size() && text[i] == '?') {
        command.query = true;
        ++i;
    }
    if (i == text.size()) return command;
    if (!IsSpace(text[i])) {
        if (!Printable(text[i])) throw Failure{-101, ""};
        throw Failure{-102, "unexpected character in header"};
    }
    // Parameters: split at commas outside strings.
    std::string_view rest = Trim(text.substr(i));
    if (rest.empty()) return command;
    for (char c : rest)
        if (!Printable(c) && c != '\t') throw Failure{-101, ""};
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t j = 0; j <= rest.size(); ++j) {
        if (j < rest.size() && quote) {
            if (rest[j] == quote) quote = 0;
            continue;
        }
        if (j < rest.size() && (rest[j] == '"' || rest[j] == '\'')) {
            quote = rest[j];
            continue;
        }
        if (j == rest.size() || rest[j] == ',') {
            const std::string_view item = Trim(rest.substr(start, j - start));
            if (item.empty()) throw Failure{j == rest.size() && start > 0 ? -109 : -103, "empty parameter"};
            command.parameters.push_back(ParseParameter(item));
            start = j + 1;
        }
    }
    return command;
}

// ---- Parameters -------------------------------------------------------------------------------------

void Request::Expect(std::size_t n) const {
    if (Count() < n) throw Failure{-109, ""};
    if (Count() > n) throw Failure{-108, ""};
}

const Parameter& Request::At(std::size_t i) const {
    if (i >= Count()) throw Failure{-109, ""};
    return command.parameters[i];
}

double Request::Number(std::size_t i, const NumberSpec& spec, bool keepAboveHigh) const {
    const Parameter& p = At(i);
    if (IsMnemonic(p, "MIN", "MINIMUM")) return spec.low;
    if (IsMnemonic(p, "MAX", "MAXIMUM")) return spec.high;
    if (IsMnemonic(p, "DEF", "DEFAULT")) return spec.defaultValue;
    if (p.type != Parameter::Type::Numeric) throw Failure{-104, "a number is expected"};
    double factor = 1;
    if (!p.suffix.empty()) {
        const std::string_view unit = spec.unit;
        const std::string_view suffix = p.suffix;
        if (unit.empty() || suffix.size() < unit.size() ||
            suffix.substr(suffix.size() - unit.size()) != unit ||
            !Multiplier(suffix.substr(0, suffix.size() - unit.size()), unit, factor))
            throw Failure{unit.empty() ? -138 : -131, p.suffix};
    }
    const double value = p.number * factor * spec.scale;
    if (!std::isfinite(value)) throw Failure{-222, ""};
    // A value that differs from a limit only in the last digits of its conversion is the limit.
    const double slack = 1e-9 * std::max(std::fabs(spec.low), std::fabs(spec.high));
    if (value < spec.low - slack) throw Failure{-222, "below " + FormatNumber(spec.low / spec.scale)};
    if (value > spec.high + slack && !keepAboveHigh)
        throw Failure{-222, "above " + FormatNumber(spec.high / spec.scale)};
    return std::fabs(value - spec.low) <= slack    ? spec.low
           : std::fabs(value - spec.high) <= slack ? spec.high
                                                   : value;
}

bool Request::Boolean(std::size_t i) const {
    const Parameter& p = At(i);
    if (IsMnemonic(p, "ON", "ON")) return true;
    if (IsMnemonic(p, "OFF", "OFF")) return false;
    if (p.type == Parameter::Type::Numeric && p.suffix.empty()) return std::lround(p.number) != 0;
    if (p.type == Parameter::Type::Character) throw Failure{-224, p.text};
    throw Failure{-104, "ON, OFF, 1 or 0 is expected"};
}

long long Request::Integer(std::size_t i, long long low, long long high) const {
    const Parameter& p = At(i);
    if (IsMnemonic(p, "MIN", "MINIMUM")) return low;
    if (IsMnemonic(p, "MAX", "MAXIMUM")) return high;
    if (p.type != Parameter::Type::Numeric) throw Failure{-104, "a number is expected"};
    if (!p.suffix.empty()) throw Failure{-138, p.suffix};
    if (!(p.number >= static_cast<double>(low) - 0.5 && p.number < static_cast<double>(high) + 0.5))
        throw Failure{-222, ""};
    return std::llround(p.number);
}

std::size_t Request::Choice(std::size_t i, const std::vector<std::string>& mnemonics) const {
    const Parameter& p = At(i);
    if (p.type != Parameter::Type::Character) throw Failure{-104, "a name is expected"};
    for (std::size_t k = 0; k < mnemonics.size(); ++k)
        if (p.text == ShortForm(mnemonics[k]) || p.text == UpperText(mnemonics[k])) return k;
    throw Failure{-224, p.text};
}

const std::string& Request::String(std::size_t i) const {
    const Parameter& p = At(i);
    if (p.type != Parameter::Type::String) throw Failure{-104, "a string is expected"};
    return p.text;
}

double Request::QueryNumber(const NumberSpec& spec, double value) const {
    if (Count() == 0) return value;
    if (Count() > 1) throw Failure{-108, ""};
    const Parameter& p = At(0);
    if (IsMnemonic(p, "MIN", "MINIMUM")) return spec.low;
    if (IsMnemonic(p, "MAX", "MAXIMUM")) return spec.high;
    if (IsMnemonic(p, "DEF", "DEFAULT")) return spec.defaultValue;
    throw Failure{-224, "MIN, MAX or DEF is expected"};
}

std::string FormatNumber(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.12G", value);
    return text;
}

std::string FormatString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string FormatBoolean(bool on) {
    return on ? "1" : "0";
}

// ---- Command table ----------------------------------------------------------------------------------

void Interpreter::Add(const std::string& pattern, Handler set, Handler query) {
    Entry entry;
    entry.set = std::move(set);
    entry.query = std::move(query);
    std::string_view rest = pattern;
    if (!rest.empty() && rest.front() == '*') {
        entry.common = true;
        entry.nodes.push_back({UpperText(rest.substr(1)), UpperText(rest.substr(1)), false, false});
        entries_.push_back(std::move(entry));
        return;
    }
    // Nodes: "[SOURce:]FREQuency[:CW]" gives SOURce (optional), FREQuency, CW (optional).
    bool optional = false;
    std::string name;
    const auto flush = [&] {
        if (name.empty()) return;
        PatternNode node;
        node.optional = optional;
        if (name.back() == '#') {
            node.takesSuffix = true;
            name.pop_back();
        }
        node.shortForm = ShortForm(name);
        node.longForm = UpperText(name);
        entry.nodes.push_back(std::move(node));
        name.clear();
    };
    for (char c : rest) {
        if (c == '[') {
            flush();
            optional = true;
        } else if (c == ']') {
            flush();
            optional = false;
        } else if (c == ':') {
            flush();
        } else {
            name += c;
        }
    }
    flush();
    entries_.push_back(std::move(entry));
}

const Interpreter::Entry* Interpreter::Find(const std::vector<ParsedCommand::Node>& nodes, bool common,
                                            std::vector<int>& suffixes) const {
    for (const Entry& entry : entries_) {
        if (entry.common != common) continue;
        std::vector<int> found;
        // Pattern position p against input position n; optional nodes may be skipped.
        const std::function<bool(std::size_t, std::size_t)> match = [&](std::size_t p, std::size_t n) {
            if (p == entry.nodes.size()) return n == nodes.size();
            const PatternNode& node = entry.nodes[p];
            const std::size_t mark = found.size();
            if (n < nodes.size() &&
                (nodes[n].mnemonic == node.shortForm || nodes[n].mnemonic == node.longForm) &&
                (node.takesSuffix || nodes[n].suffix < 0)) {
                if (node.takesSuffix) found.push_back(nodes[n].suffix < 0 ? 1 : nodes[n].suffix);
                if (match(p + 1, n + 1)) return true;
                found.resize(mark);
            }
            if (node.optional) {
                if (node.takesSuffix) found.push_back(1);
                if (match(p + 1, n)) return true;
                found.resize(mark);
            }
            return false;
        };
        if (match(0, 0)) {
            suffixes = std::move(found);
            return &entry;
        }
    }
    return nullptr;
}

void Interpreter::ExecuteOne(std::string_view text, std::vector<std::string>& answers) {
    if (Trim(text).empty()) return;  // an empty command (";;" or a blank line) does nothing
    ParsedCommand command = ParseCommand(text);
    std::vector<int> suffixes;
    const Entry* entry = nullptr;
    std::vector<ParsedCommand::Node> nodes = command.nodes;
    if (command.common) {
        entry = Find(nodes, true, suffixes);
    } else {
        if (!command.absolute && !path_.empty()) {
            std::vector<ParsedCommand::Node> relative = path_;
            relative.insert(relative.end(), nodes.begin(), nodes.end());
            entry = Find(relative, false, suffixes);
            if (entry) nodes = std::move(relative);
        }
        if (!entry) entry = Find(nodes, false, suffixes);
    }
    if (!entry || !(command.query ? entry->query : entry->set)) throw Failure{-113, ""};
    if (!command.common) path_.assign(nodes.begin(), nodes.end() - 1);
    Request request(command);
    request.suffixes = std::move(suffixes);
    (command.query ? entry->query : entry->set)(request);
    if (command.query) answers.push_back(std::move(request.response));
}

std::string Interpreter::Execute(std::string_view line) {
    std::vector<std::string> answers;
    path_.clear();  // every program message starts at the root
    for (std::string_view text : SplitCommands(line)) {
        try {
            ExecuteOne(text, answers);
        } catch (const Failure& failure) {
            errors.Push(failure.code, failure.detail);
        }
    }
    if (answers.empty()) return {};
    std::string joined;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (i) joined += ';';
        joined += answers[i];
    }
    return joined + "\n";
}

}  // namespace scpi
