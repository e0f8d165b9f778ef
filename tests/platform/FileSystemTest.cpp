#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/win/FileSystem.h"
#include "tests/support/TempDir.h"

namespace {
std::vector<std::string> Names(const std::vector<FoundFile>& files) {
    std::vector<std::string> names;
    for (const auto& f : files) names.push_back(f.name);
    return names;
}

// Nothing but the expected names in a folder: no leftovers of a copy.
std::vector<std::string> Entries(const std::string& folder) { return Names(FindFiles(folder + "/*", true)); }
} // namespace

TEST(FileSystem, CreateExistsStatusBeyondFourGigabytesAndDelete) {
    TempDir tmp;
    const std::string deep = tmp.File("a/b/c"), file = deep + "/f.bin";
    EXPECT_TRUE(CreateFolder(deep));
    EXPECT_TRUE(CreateFolder(deep)); // already there is fine
    EXPECT_FALSE(CreateFolder(""));
    EXPECT_TRUE(CreateEmptyFile(file));
    EXPECT_TRUE(FileExists(file) && FolderExists(deep));
    EXPECT_FALSE(FolderExists(file) || FileExists(deep));
    EXPECT_FALSE(CreateFolder(file)); // a file stands in the way

    uint64_t size = 0;
    std::time_t mtime = 0;
    ASSERT_EQ(::truncate(file.c_str(), 5'000'000'000LL), 0); // sparse: takes no space
    ASSERT_TRUE(GetFileStatus(file, size, mtime));
    EXPECT_EQ(size, 5'000'000'000ULL);
    EXPECT_GT(mtime, 0);
    EXPECT_FALSE(GetFileStatus(tmp.File("missing"), size, mtime));

    EXPECT_FALSE(DeleteFile(deep)); // folders are not files
    EXPECT_TRUE(DeleteFile(file));
    EXPECT_FALSE(FileExists(file));
    EXPECT_FALSE(DeleteFile(file));
}

TEST(FileSystem, RegularFileFollowsLinksAndRefusesFoldersAndPipes) {
    TempDir tmp;
    const std::string file = tmp.File("f.txt");
    WriteFileBytes(file, "x");
    ASSERT_EQ(::mkfifo(tmp.File("pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink(file.c_str(), tmp.File("link").c_str()), 0);
    ASSERT_EQ(::symlink(tmp.File("gone").c_str(), tmp.File("dangling").c_str()), 0);
    EXPECT_TRUE(IsRegularFile(file));
    EXPECT_TRUE(IsRegularFile(tmp.File("link")));
    EXPECT_FALSE(IsRegularFile(tmp.File("dangling")));
    EXPECT_FALSE(IsRegularFile(tmp.File("pipe")));
    EXPECT_TRUE(FileExists(tmp.File("pipe"))); // exists, but is no plain file
    EXPECT_FALSE(IsRegularFile(tmp.Path().string()));
    EXPECT_FALSE(IsRegularFile(tmp.File("missing")));
    EXPECT_FALSE(IsRegularFile(""));
}

TEST(FileSystem, RenameAndCopyMoveReplaceOnlyWhenAskedAndKeepModeAndTime) {
    std::string bytes;
    for (int i = 0; i < 300000; ++i) bytes += static_cast<char>(i * 7);
    for (auto move : {&MoveFile, &MoveByCopy}) {
        TempDir tmp;
        const std::string from = tmp.File("src/pic.jpg"), to = tmp.File("dst/pic.jpg");
        WriteFileBytes(from, bytes);
        WriteFileBytes(to, "old");
        ASSERT_EQ(::chmod(from.c_str(), 0640), 0);
        const struct timespec times[2] = {{1000000000, 0}, {1200000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, from.c_str(), times, 0), 0);

        EXPECT_FALSE(move(from, to, false));
        EXPECT_EQ(ReadFileBytes(to), "old");
        ASSERT_TRUE(move(from, to, true));
        EXPECT_FALSE(FileExists(from));
        EXPECT_EQ(ReadFileBytes(to), bytes);
        struct stat st;
        ASSERT_EQ(::stat(to.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        EXPECT_EQ(st.st_mtime, 1200000000);
        EXPECT_EQ(Entries(tmp.File("dst")), std::vector<std::string>{"pic.jpg"});
        EXPECT_FALSE(move(tmp.File("missing"), tmp.File("x"), false));
    }
    // A rename takes a folder with it.
    TempDir tmp;
    WriteFileBytes(tmp.File("dir/inner.txt"), "inner");
    EXPECT_TRUE(MoveFile(tmp.File("dir"), tmp.File("moved")));
    EXPECT_EQ(ReadFileBytes(tmp.File("moved/inner.txt")), "inner");
}

TEST(FileSystem, CopyMoveOfAFolderTakesTheWholeTreeOrNothing) {
    TempDir tmp;
    WriteFileBytes(tmp.File("show/a.png"), "A");
    WriteFileBytes(tmp.File("show/sub/b.png"), "B");
    CreateFolder(tmp.File("show/empty"));
    ASSERT_EQ(::symlink("a.png", tmp.File("show/link").c_str()), 0);
    ASSERT_EQ(::mkfifo(tmp.File("show/sub/pipe").c_str(), 0600), 0); // cannot be copied

    ASSERT_FALSE(MoveByCopy(tmp.File("show"), tmp.File("out/show"))); // parent missing
    CreateFolder(tmp.File("out"));
    EXPECT_FALSE(MoveByCopy(tmp.File("show"), tmp.File("out/show")));
    EXPECT_TRUE(Entries(tmp.File("out")).empty()); // neither the target nor a partial copy
    EXPECT_EQ(Entries(tmp.File("show/sub")), (std::vector<std::string>{"b.png", "pipe"}));

    ::unlink(tmp.File("show/sub/pipe").c_str());
    ASSERT_TRUE(MoveByCopy(tmp.File("show"), tmp.File("out/show")));
    EXPECT_FALSE(FolderExists(tmp.File("show")));
    EXPECT_EQ(ReadFileBytes(tmp.File("out/show/a.png")), "A");
    EXPECT_EQ(ReadFileBytes(tmp.File("out/show/sub/b.png")), "B");
    EXPECT_TRUE(FolderExists(tmp.File("out/show/empty")));
    char target[32] = {};
    EXPECT_GT(::readlink(tmp.File("out/show/link").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "a.png");
    EXPECT_EQ(Entries(tmp.File("out")), std::vector<std::string>{"show"});

    // A folder never replaces an existing target by copying.
    WriteFileBytes(tmp.File("again/x.png"), "X");
    EXPECT_FALSE(MoveByCopy(tmp.File("again"), tmp.File("out/show"), true));
    EXPECT_TRUE(FolderExists(tmp.File("again")));
}

TEST(FileSystem, FindFilesMatchesWildcardsOnTheName) {
    TempDir tmp;
    for (const char* name : {"b.xml", "A.XML", "c.xml.bak", "noext", "x[1].xml", ".hidden.xml"})
        WriteFileBytes(tmp.File(name), "");
    CreateFolder(tmp.File("folder.xml"));

    using List = std::vector<std::string>;
    const std::tuple<const char*, bool, List> cases[] = {
        {"*.xml", false, {".hidden.xml", "A.XML", "b.xml", "x[1].xml"}},
        {"*.xml", true, {".hidden.xml", "A.XML", "b.xml", "folder.xml", "x[1].xml"}},
        {"?.xml", false, {"A.XML", "b.xml"}},
        {"x[1].xml", false, {"x[1].xml"}},
        {"*.*", false, {".hidden.xml", "A.XML", "b.xml", "c.xml.bak", "noext", "x[1].xml"}},
        {"noext.*", false, {"noext"}},
        {"missing/*", false, {}},
        {"", false, {}},
    };
    for (const auto& [pattern, folders, expected] : cases)
        EXPECT_EQ(Names(FindFiles(tmp.File(pattern), folders)), expected) << pattern << " " << folders;
    const auto found = FindFiles(tmp.File("folder*"), true);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found[0].isFolder);
    EXPECT_EQ(found[0].path, tmp.File("folder.xml"));
}
