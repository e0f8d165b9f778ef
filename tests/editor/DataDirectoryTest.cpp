#include "editor/DataDirectory.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace {
// "-" leaves a variable unset.
struct DataCase {
    const char* chosen;
    const char* xdg;
    const char* home;
    const char* expected; // "~" stands for the current folder, "*" for the user's home folder
};
const DataCase kCases[] = {
    {"/d/own", "/x", "/h", "/d/own/"},
    {"/d/own/", "-", "-", "/d/own/"},
    {"/d/a/../own", "-", "/h", "/d/own/"},
    {"rel/own", "/x", "/h", "~/rel/own/"},
    {"", "/x/", "/h", "/x/picreel/"},
    {"-", "/x", "/h", "/x/picreel/"},
    {"-", "relative", "/h", "/h/.local/share/picreel/"},
    {"-", "", "/h/", "/h/.local/share/picreel/"},
    {"-", "-", "-", "*/.local/share/picreel/"},
};
} // namespace

TEST(DataDirectory, VariableThenXdgThenHome) {
    const std::string here = std::filesystem::current_path().string();
    for (const DataCase& c : kCases) {
        ScopedEnv chosen(DATA_DIRECTORY_VARIABLE, c.chosen), xdg("XDG_DATA_HOME", c.xdg), home("HOME", c.home);
        for (const auto& [name, value] : {std::pair{DATA_DIRECTORY_VARIABLE, c.chosen}, {"XDG_DATA_HOME", c.xdg}, {"HOME", c.home}})
            if (std::string(value) == "-") unsetenv(name);
        std::string expected = c.expected;
        if (expected[0] == '~') expected = here + expected.substr(1);
        if (expected[0] == '*') expected = getpwuid(getuid())->pw_dir + expected.substr(1);
        EXPECT_EQ(GetDataDirectory(), expected) << c.chosen << " " << c.xdg << " " << c.home;
    }
}

TEST(DataDirectory, CreatedWithItsParentsOnlyWhereAFolderCanBe) {
    TempDir dir;
    EXPECT_TRUE(CreateDataDirectory(dir.File("a/b/picreel")));
    for (const char* made : {"a", "a/b", "a/b/picreel"})
        EXPECT_EQ(std::filesystem::status(dir.File(made)).permissions(), std::filesystem::perms::owner_all) << made;
    EXPECT_TRUE(CreateDataDirectory(dir.File("a/b/picreel/")));
    WriteFileBytes(dir.File("file"), "x");
    EXPECT_FALSE(CreateDataDirectory(dir.File("file")));
    EXPECT_FALSE(CreateDataDirectory(dir.File("file/picreel")));
}
