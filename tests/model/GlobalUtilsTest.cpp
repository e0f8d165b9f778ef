#include "model/GlobalUtils.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

TEST(GlobalUtilsTest, FileExtAndImageType) {
    EXPECT_EQ(GetFileExt("/a/b/pic.JPG"), "JPG");
    EXPECT_EQ(GetFileExt("/a/b/archive.tar.gz"), "gz");
    EXPECT_EQ(GetFileExt("/my.folder/file"), "folder/file");
    EXPECT_EQ(GetFileExt("/a/file"), "");
    EXPECT_EQ(GetFileExt("name."), "");

    const struct {
        const char* ext;
        int type;
    } rows[] = {{"bmp", 1},  {"jpg", 3},  {"jpeg", 3}, {"gif", 2},  {"png", 4},  {"ico", 5},  {"tiff", 6},
                {"tif", 6},  {"tga", 7},  {"pcx", 8},  {"wbmp", 9}, {"wmf", 10}, {"emf", 10}, {"jp2", 11},
                {"j2k", 11}, {"jpc", 12}, {"j2c", 12}, {"pgx", 13}, {"ras", 15}, {"pnm", 14}, {"pgm", 14},
                {"ppm", 14}, {"JPG", 0},  {"", 0},     {"txt", 0},  {"jp", 0}};
    for (const auto& r : rows) EXPECT_EQ(GetImageTypeFromExt(r.ext), r.type) << r.ext;
}

TEST(GlobalUtilsTest, PathPieces) {
    EXPECT_EQ(JoinPath("/a", "b.txt"), "/a/b.txt");
    EXPECT_EQ(JoinPath("/a/", "b.txt"), "/a/b.txt");
    EXPECT_EQ(JoinPath("/", "b"), "/b");
    EXPECT_EQ(GetFileName("/a/b.txt"), "b.txt");
    EXPECT_EQ(GetFileName("b.txt"), "b.txt");
    EXPECT_EQ(GetFileName("/a/"), "");
    EXPECT_EQ(GetFolderPart("/a/b.txt"), "/a");
    EXPECT_EQ(GetFolderPart("/b.txt"), "");
    EXPECT_EQ(GetFolderPart("b.txt"), "");
    EXPECT_EQ(ToLowerAscii("Pic.JPG \xC3\x84"), "pic.jpg \xC3\x84");
}

TEST(GlobalUtilsTest, ImageFileFilter) {
    const std::string open = BuildImageFileFilter(TRUE);
    const std::string save = BuildImageFileFilter(FALSE);
    // Eight rows for opening, the first seven for saving; a NUL after each part.
    EXPECT_EQ(open, save + std::string("WMF EMF files\0*.wmf;*.emf\0", 26));
    EXPECT_EQ(std::count(save.begin(), save.end(), '\0'), 14);
    EXPECT_EQ(save.substr(0, 24), std::string("Supported files\0*.bmp;*.", 24));
    EXPECT_EQ(save.substr(save.size() - 17), std::string("ICON files\0*.ico\0", 17));
}

TEST(GlobalUtilsTest, FormatFileSizeEdges) {
    // Up to 1024 of a unit stays in it; sizes past what 32 bits hold still come out right.
    const std::pair<int64_t, const char*> rows[] = {
        {-5, "0KB"},           {0, "0KB"},          {1, "1KB"},           {1024, "1KB"},
        {1025, "1KB"},         {2048, "2KB"},       {1048576, "1024KB"},  {1048577, "1MB"},
        {1073741824, "1024MB"}, {1073741825, "1GB"}, {int64_t{5} << 40, "5120GB"}, {INT64_MAX, "8589934591GB"}};
    for (const auto& [bytes, text] : rows) EXPECT_EQ(FormatFileSize(bytes), text) << bytes;
}

TEST(GlobalUtilsTest, DeleteFolderRemovesTreeButNotLinkTargets) {
    TempDir dir;
    const fs::path outside = dir.Path() / "outside";
    fs::create_directories(outside / "deep");
    WriteFileBytes((outside / "keep.txt").string(), "keep");
    WriteFileBytes((outside / "deep/keep2.txt").string(), "keep");

    const fs::path tree = dir.Path() / "tree";
    fs::create_directories(tree / "a/b/c");
    WriteFileBytes((tree / "top.txt").string(), "x");
    WriteFileBytes((tree / "a/b/c/leaf.txt").string(), "x");
    fs::create_directory_symlink(outside, tree / "a/link-to-outside");
    fs::create_symlink(outside / "keep.txt", tree / "file-link");
    fs::create_symlink(dir.Path() / "nowhere", tree / "dangling");

    EXPECT_EQ(DeleteFolder(tree.string()), TRUE);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_EQ(ReadFileBytes((outside / "keep.txt").string()), "keep");
    EXPECT_EQ(ReadFileBytes((outside / "deep/keep2.txt").string()), "keep");

    // A path that is itself a link is not followed.
    const fs::path link = dir.Path() / "link";
    fs::create_directory_symlink(outside, link);
    EXPECT_EQ(DeleteFolder(link.string()), FALSE);
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));

    EXPECT_EQ(DeleteFolder((dir.Path() / "missing").string()), FALSE);
    EXPECT_EQ(DeleteFolder(""), FALSE);
    EXPECT_EQ(DeleteFolder("/"), FALSE);
    EXPECT_EQ(DeleteFolder("//"), FALSE);
    EXPECT_EQ(DeleteFolder("/./"), FALSE);
}
