// Profile (INI) files, with the semantics of the Windows profile functions on every platform
// (GetPrivateProfileString, WritePrivateProfileString, GetPrivateProfileSectionNames): the program's
// own code, so that Config.ini and the set files behave the same wherever the program runs, and files
// written or edited for the Windows program read the same here.
//
// Text. Lines "[Section]" open a section; lines "Key=Value" follow. Names match without regard to
// letter case (ASCII). Blanks around names and values are dropped; a value held between one pair of
// matching quotes loses them. Lines that start with ';' are comments. Of several keys or sections of
// one name, the first wins. LF and CR LF line ends are read alike; a last line without a line end is
// read. A value is read up to 2047 characters.
//
// Names, values and paths are UTF-8 in the program; the file holds 8-bit text in the system's ANSI code
// page (zplatform/codepage.h), so a file written by the program reads the same in the Windows program;
// a file that starts with a UTF-8 or UTF-16 byte-order mark is read and written in that form.
//
// Writes. Writing a key replaces its value in place (the line keeps its place and the key its
// spelling), or appends "Key=Value" after the last line of its section; a missing section is appended
// at the end of the file; a missing file is created. Everything else in the file (comments, blank
// lines, other sections, line ends) stays byte for byte. Lines the program writes end with CR LF.
//
// Every write reaches the file at once and is atomic: the new content is written to a temporary file
// in the same directory, flushed to the disk and renamed over the old file. A full disk, a refused
// write or a program killed in the middle of it leaves the old file whole; nothing is ever half
// written or truncated. A write the file system refuses returns false and changes nothing.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace profile {

inline constexpr std::size_t kMaxValueLength = 2047;

// The value of Key in Section, or Default when the file, the section or the key is missing.
std::string ReadString(const std::string& FileName, const std::string& Section, const std::string& Key,
                       const std::string& Default);

// The section names of the file in file order (each name once, first spelling); none for a missing
// file.
std::vector<std::string> ReadSectionNames(const std::string& FileName);

// Writes one key (see Writes above). false when the file system refused the write.
bool WriteString(const std::string& FileName, const std::string& Section, const std::string& Key,
                 const std::string& Value);

// Writes several keys of one section in one atomic replacement of the file: the result is the file that
// writing them one by one, in order, would give. Either all of them reach the file or none does.
bool WriteStrings(const std::string& FileName, const std::string& Section,
                  const std::vector<std::pair<std::string, std::string>>& KeyValues);

// Removes the section (every section of that name) with all its keys. A missing file or section is
// not an error. false when the file system refused the write.
bool EraseSection(const std::string& FileName, const std::string& Section);

}  // namespace profile
