#include <sys/stat.h>

#include <filesystem>

#include "model/CWorkFolders.h"
#include "platform/win/FileSystem.h"
#include "tests/model/ProjectTestEnv.h"

namespace fs = std::filesystem;

using WorkFoldersTest = ProjectTestEnv;

TEST(WorkFolderRules, OnlyTheProgramsOwnFoldersQualify) {
    EXPECT_TRUE(CWorkFolders::IsOwnWorkingFolder("/p/Project_3", "/p"));
    EXPECT_TRUE(CWorkFolders::IsOwnWorkingFolder("/p/Project_3/../Project_4/", "/p/"));
    EXPECT_FALSE(CWorkFolders::IsOwnWorkingFolder("/p/Project_x", "/p"));
    EXPECT_FALSE(CWorkFolders::IsOwnWorkingFolder("/p/Project_", "/p"));
    EXPECT_FALSE(CWorkFolders::IsOwnWorkingFolder("/p/sub/Project_3", "/p"));
    EXPECT_FALSE(CWorkFolders::IsOwnWorkingFolder("/p/Project_3/..", "/p"));
    EXPECT_TRUE(CWorkFolders::IsDeletableTempFolder("/a/temp"));
    EXPECT_TRUE(CWorkFolders::IsDeletableTempFolder("/a/b/temp/"));
    for (const char* path : {"", "/", "/temp", "//temp", "relative/temp", "/a/temp/..", "/a/temp/x", "/a/Temp"})
        EXPECT_FALSE(CWorkFolders::IsDeletableTempFolder(path)) << path;
    EXPECT_TRUE(CWorkFolders::IsInside("/a/temp/x", "/a/temp"));
    EXPECT_TRUE(CWorkFolders::IsInside("/a/b/../temp/x/temp", "/a/temp/"));
    EXPECT_FALSE(CWorkFolders::IsInside("/a/temp", "/a/temp"));
    EXPECT_FALSE(CWorkFolders::IsInside("/a/temporary", "/a/temp"));
}

TEST_F(WorkFoldersTest, MovingTheTempFolderTakesItsFilesAlong) {
    const std::string oldTemp = g_Project.m_Settings.m_strTempPath;
    WriteFileBytes(oldTemp + "/song.mp2", "mp2");
    WriteFileBytes(oldTemp + "/sub/.hidden", "h");
    // A name the new folder already holds stays behind with the old folder.
    WriteFileBytes(oldTemp + "/taken.txt", "old");
    WriteFileBytes(m_dir.File("moved/temp/taken.txt"), "new");
    ASSERT_EQ(g_Project.AddSlideshow("show"), 0);

    // The folder in use, by any spelling: nothing happens.
    EXPECT_TRUE(g_Project.SetWorkingFolder(g_Project.m_Config.m_strWorkingFolder + "/./"));
    EXPECT_EQ(g_Project.m_Settings.m_strTempPath, oldTemp);
    // A new temp folder inside the old one is refused.
    EXPECT_FALSE(g_Project.SetWorkingFolder(oldTemp + "/sub"));
    EXPECT_FALSE(g_Project.SetWorkingFolder(""));
    EXPECT_EQ(g_Project.m_Settings.m_strTempPath, oldTemp);

    const std::string moved = m_dir.File("moved");
    ASSERT_TRUE(g_Project.SetWorkingFolder(moved + "/"));
    EXPECT_EQ(g_Project.m_Settings.m_strTempPath, moved + "/temp");
    EXPECT_EQ(g_Project.m_Settings.m_strOutputPath, moved + "/Output");
    EXPECT_EQ(g_Project.m_Config.m_strWorkingFolder, m_data + "/Project_1");
    EXPECT_EQ(ReadFileBytes(moved + "/temp/song.mp2"), "mp2");
    EXPECT_EQ(ReadFileBytes(moved + "/temp/sub/.hidden"), "h");
    EXPECT_EQ(ReadFileBytes(oldTemp + "/taken.txt"), "old");
    EXPECT_EQ(ReadFileBytes(moved + "/temp/taken.txt"), "new");
    // Once everything has moved, the old folder goes.
    ASSERT_TRUE(g_Project.SetWorkingFolder(m_dir.File("again")));
    EXPECT_FALSE(fs::exists(moved + "/temp"));
    EXPECT_EQ(g_Project.GetSlideshow(0)->m_strCoverBmp, m_dir.File("again") + "/temp/cover_show.bmp");
}

TEST_F(WorkFoldersTest, MovingAcrossFileSystemsCopiesThenDeletes) {
    struct stat here {}, shm {};
    if (stat(m_program.c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    std::string folder = "/dev/shm/picreel-move-XXXXXX";
    if (!mkdtemp(folder.data())) GTEST_SKIP() << "cannot make a folder on /dev/shm";
    const std::string oldTemp = g_Project.m_Settings.m_strTempPath;
    WriteFileBytes(oldTemp + "/a/b.bin", std::string(100000, 'x'));
    EXPECT_TRUE(g_Project.SetWorkingFolder(folder));
    EXPECT_EQ(ReadFileBytes(folder + "/temp/a/b.bin"), std::string(100000, 'x'));
    EXPECT_FALSE(fs::exists(oldTemp));
    fs::remove_all(folder);
}

TEST_F(WorkFoldersTest, UnsavedProjectsLeaveNothingBehind) {
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    const std::string temp = g_Project.m_Settings.m_strTempPath;
    const std::string output = g_Project.m_Settings.m_strOutputPath;
    WriteFileBytes(temp + "/edited.bmp", "x");
    fs::create_directories(output);

    // A saved project keeps everything.
    g_Project.m_Config.m_strProjectFile = ProgramFile("saved.prg");
    WriteFileBytes(g_Project.m_Config.m_strProjectFile, "saved");
    g_Project.RemoveUnsavedWorkFolders();
    EXPECT_TRUE(fs::exists(temp + "/edited.bmp"));

    // Never saved, and a video in the output folder: only the temp folder goes.
    g_Project.m_Config.m_strProjectFile = ProgramFile("never.prg");
    WriteFileBytes(output + "/show.avi", "video");
    g_Project.RemoveUnsavedWorkFolders();
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_TRUE(fs::exists(output + "/show.avi"));
    EXPECT_TRUE(fs::exists(working));

    fs::remove(output + "/show.avi");
    g_Project.RemoveUnsavedWorkFolders();
    EXPECT_FALSE(fs::exists(working));
}

TEST_F(WorkFoldersTest, ForeignFoldersAreNeverDeleted) {
    g_Project.m_Config.m_strProjectFile = ProgramFile("never.prg");
    const std::string precious = m_dir.File("precious");
    WriteFileBytes(precious + "/photo.jpg", "x");
    fs::create_directories(m_dir.File("empty"));
    g_Project.m_Settings.m_strTempPath = precious;
    g_Project.m_Settings.m_strOutputPath = m_dir.File("empty");
    g_Project.m_Config.m_strWorkingFolder = m_dir.Path().string();
    g_Project.RemoveUnsavedWorkFolders();
    EXPECT_TRUE(fs::exists(precious + "/photo.jpg"));
    EXPECT_TRUE(fs::exists(m_dir.File("empty")));

    // A temp folder reached through a link is not followed.
    WriteFileBytes(m_dir.File("real/temp/keep.txt"), "keep");
    fs::create_directories(m_dir.File("linked"));
    fs::create_directory_symlink(m_dir.File("real/temp"), m_dir.File("linked/temp"));
    g_Project.m_Settings.m_strTempPath = m_dir.File("linked/temp");
    g_Project.RemoveUnsavedWorkFolders();
    EXPECT_TRUE(g_Project.SetWorkingFolder(m_dir.File("next")));
    EXPECT_TRUE(fs::exists(m_dir.File("real/temp/keep.txt")));
}
