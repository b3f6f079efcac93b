// Write sequences of the profile code on any starting file: after every write, every key written so
// far (and not erased since) reads back what was written, and a section written reads in the list of
// sections.
#include <algorithm>
#include <map>

#include "config/profile.h"
#include "fuzz_common.h"

namespace {
std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}
// Names of sections and keys as the program writes them: letters, digits and inner blanks.
std::string name(fuzz::Input& in) {
    static const char kChars[] = "abcABC019_. -";
    std::string out;
    const unsigned length = 1 + in.byte() % 6;
    for (unsigned i = 0; i < length; ++i)
        out.push_back(kChars[in.byte() % (sizeof kChars - 1)]);
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    while (!out.empty() && out.front() == ' ')
        out.erase(out.begin());
    return out.empty() ? "k" : out;
}
// Values: printable ASCII without blanks at the ends and not held in quotes.
std::string value(fuzz::Input& in) {
    std::string out;
    const unsigned length = in.byte() % 12;
    for (unsigned i = 0; i < length; ++i)
        out.push_back(static_cast<char>(0x20 + in.byte() % 0x5F));
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    while (!out.empty() && out.front() == ' ')
        out.erase(out.begin());
    if (out.size() >= 2 && (out.front() == '"' || out.front() == '\'') && out.back() == out.front())
        out.back() = 'x';
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::scratchPath("write.ini");
    fuzz::Input in(data, size);
    const std::string start = in.text('\0');
    if (start.size() > 2048) return -1;
    fuzz::writeFile(path, reinterpret_cast<const std::uint8_t*>(start.data()), start.size());
    // The starting file's own keys of the sections used here are not part of the model: only what the
    // sequence writes is checked.
    std::map<std::pair<std::string, std::string>, std::pair<std::pair<std::string, std::string>, std::string>>
        written;
    for (int op = 0; op < 12 && !in.empty(); ++op) {
        const std::uint8_t kind = in.byte() % 8;
        const std::string section = name(in);
        if (kind == 0) {
            FUZZ_CHECK(profile::EraseSection(path, section), section);
            std::erase_if(written, [&](const auto& entry) { return entry.first.first == lower(section); });
        } else if (kind == 1) {
            std::vector<std::pair<std::string, std::string>> pairs;
            for (unsigned n = in.byte() % 4; n > 0; --n)
                pairs.emplace_back(name(in), value(in));
            FUZZ_CHECK(profile::WriteStrings(path, section, pairs), section);
            for (const auto& [key, text] : pairs)
                written[{lower(section), lower(key)}] = {{section, key}, text};
        } else {
            const std::string key = name(in), text = value(in);
            FUZZ_CHECK(profile::WriteString(path, section, key, text), section);
            written[{lower(section), lower(key)}] = {{section, key}, text};
        }
        for (const auto& [id, entry] : written) {
            const auto& [names, text] = entry;
            const std::string read = profile::ReadString(path, names.first, names.second, "\x01");
            FUZZ_CHECK(read == text, names.first + "/" + names.second + "=" + text + " read " + read);
        }
        const auto sections = profile::ReadSectionNames(path);
        for (const auto& entry : written) {
            const std::string& wanted = entry.first.first;
            FUZZ_CHECK(std::any_of(sections.begin(), sections.end(),
                                   [&](const std::string& s) { return lower(s) == wanted; }),
                       wanted);
        }
    }
    return 0;
}
