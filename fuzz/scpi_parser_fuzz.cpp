// The SCPI command parser of the remote interface: lines as a client sends them, executed against a
// table with every kind of header and parameter the instrument uses.
#include <string>
#include <string_view>

#include "fuzz_common.h"
#include "scpi_parser.h"

namespace {

void Build(scpi::Interpreter& table) {
    const scpi::NumberSpec mhz{"HZ", 1e-6, 800, 2200, 1000};
    const auto numberQuery = [mhz](scpi::Request& r) {
        r.response = scpi::FormatNumber(r.QueryNumber(mhz, 1));
    };
    table.Add(
        "[SOURce:]FREQuency[:CW]", [mhz](scpi::Request& r) { r.Number(0, mhz, r.Count() > 1); }, numberQuery);
    table.Add(
        "[SOURce:]NOISe[:STATe]", [](scpi::Request& r) { r.Boolean(0); }, nullptr);
    table.Add(
        "[SOURce:]MODulation[:TYPE]",
        [](scpi::Request& r) {
            r.Choice(0, {"QPSK", "MANChester"});
        },
        [](scpi::Request& r) { r.response = "QPSK"; });
    table.Add(
        "OUTPut:ATTenuation#", [](scpi::Request& r) { r.Integer(0, 0, 31); },
        [](scpi::Request& r) { r.response = std::to_string(r.suffixes.at(0)); });
    table.Add(
        "MMEMory:LOAD:STATe",
        [](scpi::Request& r) {
            r.Expect(2);
            r.String(0);
            r.String(1);
        },
        nullptr);
    table.Add("*IDN", nullptr, [](scpi::Request& r) { r.response = "a,b,c,d"; });
    table.Add("SYSTem:ERRor[:NEXT]", nullptr,
              [&table](scpi::Request& r) { r.response = table.errors.Next(); });
}

scpi::Interpreter& Table() {
    static scpi::Interpreter t;
    static const bool built = (Build(t), true);
    (void)built;
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    scpi::Interpreter& t = Table();
    t.errors.Clear();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        std::string_view line = input.substr(start, end - start);
        start = end + 1;
        if (line.size() > scpi::kLineLimit) continue;  // the server discards it
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::string answer = t.Execute(line);
        if (!answer.empty())
            FUZZ_CHECK(answer.back() == '\n' && answer.find('\n') == answer.size() - 1, answer);
        FUZZ_CHECK(t.errors.Count() <= scpi::kErrorQueueSize, line);
    }
    while (t.errors.Count() > 0) {
        const std::string entry = t.errors.Next();
        FUZZ_CHECK(entry.find(",\"") != std::string::npos && entry.back() == '"', entry);
        for (char c : entry)
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20, entry);
    }
    return 0;
}
