// The sets of configurations: one file AppDir + "User/<set name>.cfg" per set.
#pragma once

#include <string>
#include <vector>

// AppDir + "User/".
std::string SetDirectory();
// AppDir + "User/" + name + ".cfg".
std::string SetFilePath(const std::string& SetName);
// The set names found in SetDirectory(): every regular file whose name ends in ".cfg" (any letter
// case, as the Windows file search matches "*.cfg"), with the first ".cfg" removed (case-sensitive, so
// "X.CFG" is listed as "X.CFG"), sorted without regard to case. A missing directory gives none.
std::vector<std::string> ListSetNames();
// Whether two paths name the same file as the Windows program compares them: without regard to case.
bool SamePathIgnoreCase(const std::string& a, const std::string& b);
