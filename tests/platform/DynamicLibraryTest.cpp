#include <gtest/gtest.h>

#include <string>

#include "platform/win/DynamicLibrary.h"

TEST(DynamicLibrary, MissingEntryPointOrBadFileIsALoadFailureWithAReason) {
    CDynamicLibrary lib;
    EXPECT_FALSE(lib.LoadWithEntries(PICREEL_TEST_LIBRARY, {"testlibAdd", "initEncoder"}));
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_NE(lib.LastError().find("initEncoder"), std::string::npos) << lib.LastError();
    // A missing file, no name, a file that is no library at all (this test's own source).
    for (const std::string& path : {std::string("/nonexistent/folder/VelmorEncoder.so"), std::string(),
                                   std::string(PICREEL_SOURCE_DIR) + "tests/platform/DynamicLibraryTest.cpp"}) {
        EXPECT_FALSE(lib.Load(path)) << path;
        EXPECT_FALSE(lib.IsLoaded());
        EXPECT_FALSE(lib.LastError().empty());
    }
}
