#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/win/AtomicFileWriter.h"
#include "platform/win/FileSystem.h"
#include "tests/support/TempDir.h"

namespace {
size_t EntryCount(const TempDir& tmp) { return FindFiles(tmp.Path().string() + "/*", true).size(); }

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}
} // namespace

TEST(AtomicFileWriter, TargetChangesOnlyOnCommitAndNoTemporaryStays) {
    TempDir tmp;
    const std::string path = tmp.File("doc.xml");
    WriteFileBytes(path, "old");
    {
        CAtomicFileWriter out;
        ASSERT_TRUE(out.Open(path));
        ASSERT_TRUE(out.Write("new, half", 9));
        EXPECT_EQ(ReadFileBytes(path), "old");
    } // dropped: no commit
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(EntryCount(tmp), 1u);

    CAtomicFileWriter out;
    ASSERT_TRUE(out.Open(path));
    ASSERT_TRUE(out.Write("new", 3));
    ASSERT_TRUE(out.Commit());
    EXPECT_FALSE(out.Commit()); // once only
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(EntryCount(tmp), 1u);

    CAtomicFileWriter missing;
    EXPECT_FALSE(missing.Open(tmp.File("no/such/folder.xml")));
    // A folder in the way fails at the rename, and the temporary file goes.
    CreateFolder(tmp.File("dir"));
    CAtomicFileWriter onFolder;
    ASSERT_TRUE(onFolder.Open(tmp.File("dir")));
    EXPECT_FALSE(onFolder.Commit());
    EXPECT_EQ(EntryCount(tmp), 2u);
}

TEST(AtomicFileWriter, ReplaceTakesTheLinkAndKeepFollowsIt) {
    TempDir tmp;
    const std::string real = tmp.File("real.bin");
    const std::string link = tmp.File("link.bin");
    WriteFileBytes(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);

    CAtomicFileWriter keep;
    ASSERT_TRUE(keep.Open(link, CAtomicFileWriter::Existing::KeepModeFollowLink, 0644));
    ASSERT_TRUE(keep.Write("kept", 4) && keep.Commit());
    EXPECT_EQ(ReadFileBytes(real), "kept");
    EXPECT_EQ(ModeOf(real), 0600u);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // The link itself is replaced by a file of its own (ModeOf does not follow links).
    CAtomicFileWriter replace;
    ASSERT_TRUE(replace.Open(link, CAtomicFileWriter::Existing::Replace, 0640));
    ASSERT_TRUE(replace.Write("own", 3) && replace.Commit());
    EXPECT_EQ(ModeOf(link), 0640u);
    EXPECT_EQ(ReadFileBytes(link), "own");
    EXPECT_EQ(ReadFileBytes(real), "kept");

    CAtomicFileWriter folder;
    EXPECT_FALSE(folder.Open(tmp.Path().string(), CAtomicFileWriter::Existing::KeepModeFollowLink));
}
