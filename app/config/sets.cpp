#include "sets.h"

#include <algorithm>
#include <filesystem>

#include "hw/hardware.h"
#include "zplatform/paths.h"

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerCase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), Lower);
    return s;
}

}  // namespace

std::string SetDirectory() {
    return AppPath("User/");
}

std::string SetFilePath(const std::string& SetName) {
    return AppPath("User/" + SetName + ".cfg");
}

std::vector<std::string> ListSetNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(zplatform::pathFromUtf8(SetDirectory()), error)) {
        if (!entry.is_regular_file(error)) continue;
        const std::u8string file = entry.path().filename().u8string();
        std::string name(file.begin(), file.end());
        if (name.size() < 4 || LowerCase(name.substr(name.size() - 4)) != ".cfg") continue;
        if (const auto at = name.find(".cfg"); at != std::string::npos) name.erase(at, 4);
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = LowerCase(a), lb = LowerCase(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

bool SamePathIgnoreCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}
