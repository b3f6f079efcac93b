#include "config/options.h"

#include <algorithm>

std::string CurrentSetFile;
std::string CurrentSetName;
bool UseDebugLog = false;
bool DrvBuffEx = false;
std::uint8_t current_language = 0;
TSweepSettings SweepSettings;
TSineSettings SineSettings;

std::string NativeStoredPath(const std::string& stored) {
#ifdef _WIN32
    return stored;
#else
    std::string path = stored;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
#endif
}
