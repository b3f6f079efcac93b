// The program's version history as the About window shows it, in English and Russian.
#pragma once

#include <string>
#include <vector>

// The program's version: the main window's title and the debug log's software version.
inline constexpr const char* kProgramVersion = "2.16";

// The About window's text for language `lang` (0 English, 1 Russian; none for any other), line by
// line: for each version, newest first, "Version N:" ("Версия N:"), its lines, and an empty line
// between versions. Lines starting with "+" report additions, "*" changes and fixes; a line starting
// with two blanks continues the one before. The English history has no entry for 2.06.1.
std::vector<std::string> VersionHistoryLines(int lang);
