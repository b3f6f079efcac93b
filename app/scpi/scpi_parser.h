// The remote-control language of the instrument: SCPI program messages (one line each), their headers
// matched against a command table, their parameters, the error queue and the IEEE 488.2 status bytes.
// Nothing here knows the board: the instrument registers its commands (scpi_instrument.h), the server
// feeds lines from its client (scpi_server.h).
//
// Syntax accepted:
//   - a line is one program message; `;` separates its commands; `\n` or `\r\n` ends it (the server
//     strips the end); spaces and tabs around separators are ignored.
//   - a header is `*NAME` (a common command) or mnemonics joined by `:`; each mnemonic in its short
//     form (the capitals of the table's spelling) or its long form, in any letter case; a node in
//     brackets in the table may be left out; a node marked `#` takes a numeric suffix (1 when none is
//     given, e.g. ATTenuation2); `?` ends a query.
//   - a leading `:` starts at the root; a command without one after another in the same line starts at
//     the previous command's path (everything but its last node), as SCPI's tree rules say; common
//     commands leave the path as it is.
//   - parameters, separated by `,`: decimal numbers with an optional exponent and an optional unit
//     suffix (`1.2GHZ`, `500 KHZ`; SI multipliers G, MA, K, M (milli; MHZ is mega), U, N, P), character
//     data (`ON`, `MAXimum`), and strings in double or single quotes (a doubled quote stands for one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace scpi {

// The longest line the instrument takes; a longer one is discarded whole with -363.
inline constexpr std::size_t kLineLimit = 64 * 1024;
// Errors the queue holds; one more replaces the last with -350 "Queue overflow".
inline constexpr std::size_t kErrorQueueSize = 20;

// The standard text of a SCPI error code ("Syntax error" for -102); "Device-specific error" for a code
// without one.
const char* ErrorText(int code);

// A command's failure: the code goes into the queue with its text and the detail after a `;`.
struct Failure {
    int code;
    std::string detail;
};

// Event status register bits (IEEE 488.2).
inline constexpr std::uint8_t kEsrOperationComplete = 0x01;
inline constexpr std::uint8_t kEsrQueryError = 0x04;
inline constexpr std::uint8_t kEsrDeviceError = 0x08;
inline constexpr std::uint8_t kEsrExecutionError = 0x10;
inline constexpr std::uint8_t kEsrCommandError = 0x20;
// Status byte bits.
inline constexpr std::uint8_t kStbErrorQueue = 0x04;
inline constexpr std::uint8_t kStbMessageAvailable = 0x10;
inline constexpr std::uint8_t kStbEventSummary = 0x20;
inline constexpr std::uint8_t kStbRequestService = 0x40;
inline constexpr std::uint8_t kStbOperationSummary = 0x80;

// The error queue and the event status register. Errors may arrive from any thread (the streaming
// threads report through the operator messages); everything here is guarded by one mutex.
class ErrorQueue {
 public:
    // Queues an error (its standard text, then `;detail` when a detail is given) and sets its class's
    // bit in the event status register: -100..-199 command, -200..-299 execution, -400..-499 query,
    // every other negative code and every positive one device-specific.
    void Push(int code, const std::string& detail = "");
    // The oldest entry as SYSTem:ERRor? answers it (`-102,"Syntax error;..."`), `0,"No error"` when empty.
    std::string Next();
    std::size_t Count() const;
    void Clear();  // the queue and the event status register (*CLS)
    std::uint8_t Esr() const;
    std::uint8_t TakeEsr();  // *ESR?: read and cleared
    void SetEsrBits(std::uint8_t bits);

 private:
    mutable std::mutex mutex_;
    std::deque<std::string> entries_;
    std::uint8_t esr_ = 0;
};

struct Parameter {
    enum class Type { Numeric, Character, String };
    Type type = Type::Numeric;
    double number = 0;
    std::string suffix;  // unit suffix of a number, upper case; empty without one
    std::string text;    // character data in upper case, or a string's contents
};

// One command of a program message, as parsed.
struct ParsedCommand {
    bool common = false;    // *NAME
    bool query = false;     // ends in `?`
    bool absolute = false;  // starts with `:`
    struct Node {
        std::string mnemonic;  // upper case
        int suffix = -1;       // numeric suffix; -1 when none was given
    };
    std::vector<Node> nodes;  // for a common command: one node with the name without `*`
    std::vector<Parameter> parameters;
};

// Splits a line into its commands at the `;` outside strings (an unterminated string ends the line).
std::vector<std::string_view> SplitCommands(std::string_view line);
// Parses one command; throws Failure (-101, -102, -103, -104, -109, -120 .. -151) for bad syntax.
ParsedCommand ParseCommand(std::string_view text);

// A number as a command takes it: the unit it expects (without multiplier, upper case: "HZ", "DB",
// "S"; empty for a plain count), the factor from that unit to the value the program keeps (1e-6 for a
// carrier kept in MHz), and the limits and default in the program's units.
struct NumberSpec {
    const char* unit;
    double scale;
    double low;
    double high;
    double defaultValue;
};

// What a command's handler gets: its parameters, the numeric suffixes of its header (one per node that
// takes one, 1 when not given), and where its answer goes.
class Request {
 public:
    const ParsedCommand& command;
    std::vector<int> suffixes;
    std::string response;

    explicit Request(const ParsedCommand& c) : command(c) {}
    std::size_t Count() const { return command.parameters.size(); }
    // Exactly n parameters (-109 missing, -108 too many).
    void Expect(std::size_t n) const;
    const Parameter& At(std::size_t i) const;
    // A number in the program's units: MIN, MAX, DEF give the NumberSpec's limits and default; a value beyond
    // the limits is -222 unless `keepAboveHigh` (the caller warns); a wrong unit -131; not a number -104.
    double Number(std::size_t i, const NumberSpec& spec, bool keepAboveHigh = false) const;
    // ON|OFF|1|0 (a number: non-zero is ON).
    bool Boolean(std::size_t i) const;
    // A whole number within [low, high] (-222 beyond).
    long long Integer(std::size_t i, long long low, long long high) const;
    // Character data matched against mnemonics in the table's mixed-case spelling (short or long form);
    // the index of the one given, -224 for none.
    std::size_t Choice(std::size_t i, const std::vector<std::string>& mnemonics) const;
    // A string parameter (-104 for another type).
    const std::string& String(std::size_t i) const;
    // For a numeric query with an optional MIN|MAX|DEF parameter: the value to answer.
    double QueryNumber(const NumberSpec& spec, double value) const;
};

// Answer formats.
std::string FormatNumber(double value);             // NR3 when needed: 1E+09, 0.5, 1234
std::string FormatString(const std::string& text);  // "text" with quotes doubled
std::string FormatBoolean(bool on);                 // 1 or 0

using Handler = std::function<void(Request&)>;

// A command table and the execution of program messages against it.
class Interpreter {
 public:
    // `pattern`: the header in the table's spelling, e.g. "[SOURce:]FREQuency[:CW]" or "*IDN" or
    // "OUTPut:ATTenuation#". Either handler may be empty: that form is then an undefined header.
    void Add(const std::string& pattern, Handler set, Handler query);
    // Executes one line (its end already stripped). Returns the answers of its queries joined with `;`,
    // with a `\n`; empty when it has none. Errors go into the queue; a command in error ends neither
    // the line nor the ones after it.
    std::string Execute(std::string_view line);
    // The path rule's state: a new connection starts at the root.
    void ResetPath() { path_.clear(); }

    ErrorQueue errors;

 private:
    struct PatternNode {
        std::string shortForm;  // upper case
        std::string longForm;   // upper case
        bool optional = false;
        bool takesSuffix = false;
    };
    struct Entry {
        std::vector<PatternNode> nodes;
        bool common = false;
        Handler set;
        Handler query;
    };
    const Entry* Find(const std::vector<ParsedCommand::Node>& nodes, bool common,
                      std::vector<int>& suffixes) const;
    void ExecuteOne(std::string_view text, std::vector<std::string>& answers);

    std::vector<Entry> entries_;
    std::vector<ParsedCommand::Node> path_;
};

}  // namespace scpi
