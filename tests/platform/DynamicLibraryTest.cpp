#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/win/DynamicLibrary.h"

TEST(DynamicLibrary, LoadsAndCallsAnEntry) {
    CDynamicLibrary lib;
    ASSERT_TRUE(lib.LoadWithEntries(PICREEL_TEST_LIBRARY, {"testlibAdd", "testlibName"})) << lib.LastError();
    auto add = lib.Entry<int (*)(int, int)>("testlibAdd");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 40), 42);
    EXPECT_EQ(lib.Symbol("noSuchEntry"), nullptr);
    EXPECT_TRUE(lib.IsLoaded()); // a failed look-up outside LoadWithEntries keeps the library

    // Moving hands the handle over; the moved-from object owns nothing.
    CDynamicLibrary moved = std::move(lib);
    EXPECT_FALSE(lib.IsLoaded());
    auto name = moved.Entry<const char* (*)()>("testlibName");
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name(), "picreel test library");
    moved.Unload();
    EXPECT_FALSE(moved.IsLoaded());
}

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
