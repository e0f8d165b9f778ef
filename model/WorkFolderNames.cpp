#include "model/WorkFolderNames.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "model/GlobalUtils.h"
#include "model/XmlNumber.h"

std::string CreateWorkingFolderName(const std::string& dataFolder) {
    const std::string prefix = "Project_";
    int32_t best = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dataFolder.empty() ? "." : dataFolder, ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const int32_t number = XmlToInt(name.substr(prefix.size()));
        if (number > best) best = number;
    }
    // "Project_2147483647" already there: stay at the top rather than overflow.
    const int32_t next = best == INT_MAX ? INT_MAX : best + 1;
    return JoinPath(dataFolder, prefix + std::to_string(next));
}

std::string GetFreeProjectFileName(const std::string& dataFolder) {
    for (int32_t n = 0; n < INT_MAX; ++n) {
        const std::string path = JoinPath(dataFolder, "project" + std::to_string(n) + ".prg");
        FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) return path;
        std::fclose(f);
    }
    return JoinPath(dataFolder, "project" + std::to_string(INT_MAX) + ".prg");
}
