// The operator messages that exist in English and Russian, looked up by index in the interface
// language in force. Several entries are fragments joined with a value ("File " + name + " not found.");
// their leading and trailing blanks are part of the text.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

inline constexpr std::size_t kMessageCount = 41;

class TMessageList {
 public:
    // The text of entry `index`. An index outside the list, and any index of the empty list that an
    // unknown language leaves, yields an empty string: a message box then shows no text rather than
    // the program failing.
    std::string operator[](int index) const;
    std::size_t Count() const;
    // Replaces the whole list at once. Lookups from other threads see the old or the new list, never
    // a mixture.
    void Assign(std::vector<std::string> entries);

 private:
    mutable std::mutex mutex_;
    std::vector<std::string> entries_;
};

// The program's message list, in the current interface language.
extern TMessageList MessageList;

// The 41 texts of language `lang` (0 English, 1 Russian) in index order; empty for any other value.
std::vector<std::string> WarningTexts(int lang);

// Rebuilds MessageList for language `lang`: 0 English, 1 Russian. Any other value leaves it empty.
void CreateWarning(int lang);
