// Private folders: made fresh and for this user only, removed with what they hold, and never a
// way to reach or delete what lies outside them.
#include "platform/private_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../unit/temp_folder.h"

namespace pos::platform {
namespace {

namespace fs = std::filesystem;

TEST(PrivateFolder, IsNewForThisUserOnlyAndGoneWithWhatItHolds) {
    pos::test::TempFolder parent;
    std::string path;
    {
        PrivateFolder folder = PrivateFolder::create(parent.path().string(), "logo");
        ASSERT_TRUE(folder.made());
        path = folder.path();
        EXPECT_EQ(path.rfind(parent.path().string() + "/logo-", 0), 0u) << path;
        EXPECT_EQ(path.back(), '/');
        struct stat info {};
        ASSERT_EQ(::lstat(path.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);

        PrivateFolder other = PrivateFolder::create(parent.path().string(), "logo");
        ASSERT_TRUE(other.made());
        EXPECT_NE(other.path(), path);

        std::ofstream(folder.file("buff.bmp")) << "picture";
        fs::create_directory(folder.file("inner"));
        std::ofstream(folder.file("inner/deeper.bmp")) << "picture";
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(parent.path()));
}

TEST(PrivateFolder, RemovingItDeletesLinksButNotWhatTheyPointTo) {
    pos::test::TempFolder parent;
    const fs::path outside = parent.path() / "outside";
    fs::create_directory(outside);
    std::ofstream(outside / "keep.txt") << "keep";
    PrivateFolder folder = PrivateFolder::create(parent.path().string(), "logo");
    ASSERT_TRUE(folder.made());
    fs::create_directory_symlink(outside, folder.file("to-folder"));
    fs::create_symlink(outside / "keep.txt", folder.file("to-file"));
    folder.remove();
    EXPECT_FALSE(folder.made());
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
    EXPECT_EQ(std::distance(fs::directory_iterator(parent.path()), fs::directory_iterator()), 1);
}

TEST(PrivateFolder, MovingHandsOverTheFolderOnce) {
    pos::test::TempFolder parent;
    PrivateFolder first = PrivateFolder::create(parent.path().string(), "logo");
    const std::string path = first.path();
    PrivateFolder second = std::move(first);
    EXPECT_FALSE(first.made());
    EXPECT_EQ(second.path(), path);
    second = PrivateFolder::create(parent.path().string(), "logo");  // the first one goes
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(second.made());
}

TEST(PrivateFolder, IsNotMadeWhereItCannotBe) {
    pos::test::TempFolder parent;
    EXPECT_FALSE(PrivateFolder::create((parent.path() / "missing").string(), "logo").made());
    EXPECT_FALSE(PrivateFolder::create(parent.path().string(), "../escape").made());
    EXPECT_TRUE(fs::is_empty(parent.path()));
}

TEST(PrivateFolder, WithoutAParentGoesToTheSystemTemporaryFolder) {
    pos::test::TempFolder parent;
    const char* saved = std::getenv("TMPDIR");
    const std::string savedValue = saved != nullptr ? saved : "";
    ::setenv("TMPDIR", parent.path().c_str(), 1);
    PrivateFolder folder = PrivateFolder::create("", "logo");
    saved != nullptr ? ::setenv("TMPDIR", savedValue.c_str(), 1) : ::unsetenv("TMPDIR");
    ASSERT_TRUE(folder.made());
    EXPECT_EQ(fs::path(folder.path()).parent_path().parent_path(), parent.path());
}

}  // namespace
}  // namespace pos::platform
