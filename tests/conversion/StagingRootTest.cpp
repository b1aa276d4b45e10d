// The staging root: where it is, how it is created and refused, and how a tree is deleted
// without ever following a symbolic link.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "base/TemporaryFolder.h"
#include "conversion/RemoveTree.h"
#include "conversion/SharedStagingRoot.h"
#include "conversion/StagingRoot.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// The text of the error that creating the staging root `root` raises, or "no error".
std::string CreationError(const fs::path& root) {
  return ErrorOf<StagingRootError>([&] { CreateStagingRoot(U16(root.string())); });
}

// The staging root in a folder every user may write into: QuireforgeTmp-<user id>.
std::u16string PerUserRoot(const std::string& folder) {
  return U16(folder + "/QuireforgeTmp-" + std::to_string(geteuid()));
}

// Sets or unsets XDG_RUNTIME_DIR while it lives.
class RuntimeDirSetting {
 public:
  explicit RuntimeDirSetting(const char* value) {
    const char* old = getenv("XDG_RUNTIME_DIR");
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value != nullptr) {
      setenv("XDG_RUNTIME_DIR", value, 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }
  ~RuntimeDirSetting() {
    if (had_) {
      setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
  }
  RuntimeDirSetting(const RuntimeDirSetting&) = delete;
  RuntimeDirSetting& operator=(const RuntimeDirSetting&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};

TEST(StagingRootTest, PathIsTempElseTmpdirElseTmp) {
  TempDir temp;  // sets TEMP and TMPDIR, restores both afterwards
  RuntimeDirSetting no_runtime_dir(nullptr);
  setenv("TEMP", "/a/temp", 1);
  setenv("TMPDIR", "/b/tmpdir", 1);
  EXPECT_EQ(StagingRootPath(), u"/a/temp/QuireforgeTmp");
  setenv("TEMP", "", 1);
  EXPECT_EQ(StagingRootPath(), u"/b/tmpdir/QuireforgeTmp");
  unsetenv("TEMP");
  unsetenv("TMPDIR");
  EXPECT_EQ(StagingRootPath(), PerUserRoot("/tmp"));
}

TEST(StagingRootTest, AFolderEveryUserMayWriteIntoGetsAFolderPerUser) {
  TempDir temp;
  fs::create_directory(temp / "shared");
  for (const fs::perms perms : {fs::perms(01777), fs::perms(0777), fs::perms(0755)}) {
    fs::permissions(temp / "shared", perms);
    setenv("TEMP", (temp / "shared").c_str(), 1);
    const bool shared = (perms & fs::perms::others_write) != fs::perms::none;
    EXPECT_EQ(StagingRootPath(), shared ? PerUserRoot((temp / "shared").string())
                                        : U16((temp / "shared" / "QuireforgeTmp").string()));
  }
  // The user's own folder there is made private; another user's is refused, as a link is.
  fs::permissions(temp / "shared", fs::perms(01777));
  const fs::path mine = fs::path(U8(StagingRootPath()));
  EXPECT_EQ(CreationError(mine), "no error");
  EXPECT_EQ(fs::status(mine).permissions() & fs::perms::all, fs::perms::owner_all);
  ASSERT_EQ(chown(mine.c_str(), 65534, 65534), 0);
  EXPECT_EQ(CreationError(mine),
            "Staging folder \"" + mine.string() + "\" belongs to another user.");
}

TEST(StagingRootTest, WithoutTempAndTmpdirThePerUserRuntimeFolderComesBeforeTmp) {
  TempDir temp;
  RuntimeDirSetting runtime_dir("/run/user/1000");
  EXPECT_EQ(StagingRootPath(), U16(temp.path().string()) + u"/QuireforgeTmp");
  unsetenv("TEMP");
  unsetenv("TMPDIR");
  EXPECT_EQ(TemporaryFolderPath(), "/run/user/1000");
  EXPECT_EQ(StagingRootPath(), u"/run/user/1000/QuireforgeTmp");
  setenv("XDG_RUNTIME_DIR", "", 1);
  EXPECT_EQ(StagingRootPath(), PerUserRoot("/tmp"));
}

// Two windows of one user share the root: each removes its own job folders when it closes,
// and the last one the root with all it holds.
TEST(SharedStagingRootTest, TheLastHolderRemovesTheRootTheOthersOnlyTheirJobs) {
  TempDir temp;
  const fs::path root = temp / "QuireforgeTmp";
  SharedStagingRoot first(U16(root.string()));
  SharedStagingRoot second(U16(root.string()));
  EXPECT_TRUE(first.Locked());
  EXPECT_TRUE(second.Locked());
  for (const char* job : {"JOB-1", "JOB-2", "JOB-3"}) {
    fs::create_directories(root / job / "OEBPS");
    WriteFile(root / job / "OEBPS" / "ch_1.html", "x");
  }
  WriteFile(root / "left-by-an-earlier-run.txt", "x");

  first.Close({U16((root / "JOB-1").string()), U16((root / "JOB-2").string())});
  EXPECT_FALSE(fs::exists(root / "JOB-1"));
  EXPECT_FALSE(fs::exists(root / "JOB-2"));
  EXPECT_TRUE(fs::exists(root / "JOB-3" / "OEBPS" / "ch_1.html"));
  EXPECT_FALSE(first.Locked());
  first.Close({});  // a second Close does nothing

  // A window opening now shares the root with the second one.
  {
    SharedStagingRoot third(U16(root.string()));
    EXPECT_TRUE(third.Locked());
    third.Close({});
    EXPECT_TRUE(fs::exists(root / "JOB-3"));
  }
  second.Close({U16((root / "JOB-3").string())});
  EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
}

// A window killed outright (or ended before it closed) leaves its jobs in the root; the next
// window to take the root alone removes them, never while another window holds it.
TEST(SharedStagingRootTest, WhatWindowsThatAreGoneLeftIsRemovedByTheNextAlone) {
  TempDir temp;
  const fs::path root = temp / "QuireforgeTmp";
  const auto killed_window = [&](const std::string& job) {
    const int status = RunInChildWithin(30, [&] {
      SharedStagingRoot held(U16(root.string()));
      fs::create_directories(root / job / "OEBPS");
      WriteFile(root / job / "OEBPS" / "ch_1.html", "x");
      raise(SIGKILL);
      return 0;
    });
    ASSERT_EQ(status, -2);  // ended by the signal
    ASSERT_TRUE(fs::exists(root / job / "OEBPS" / "ch_1.html"));
  };
  {
    SharedStagingRoot living(U16(root.string()));
    killed_window("JOB-OF-A-KILLED-WINDOW");
    // Another window lives: nothing is taken from under it.
    SharedStagingRoot next(U16(root.string()));
    EXPECT_TRUE(fs::exists(root / "JOB-OF-A-KILLED-WINDOW"));
  }
  // Both gone without Close (a crash): the next window alone cleans the root and keeps it.
  killed_window("ANOTHER");
  SharedStagingRoot alone(U16(root.string()));
  EXPECT_TRUE(alone.Locked());
  EXPECT_TRUE(fs::is_directory(root));
  EXPECT_TRUE(fs::is_empty(root));
}

TEST(SharedStagingRootTest, ARootRemovedByTheLastHolderIsMadeAgainByTheNext) {
  TempDir temp;
  const fs::path root = temp / "QuireforgeTmp";
  SharedStagingRoot first(U16(root.string()));
  first.Close({});
  ASSERT_FALSE(fs::exists(root));
  SharedStagingRoot next(U16(root.string()));
  EXPECT_TRUE(fs::is_directory(root));
  EXPECT_TRUE(next.Locked());
  // Destroying without Close keeps the root and only releases the lock.
}

TEST(SharedStagingRootTest, WithoutALockOnlyOwnFoldersAndAnEmptyRootGo) {
  TempDir temp;
  // A root that cannot be made (its folder is missing) is not reported.
  SharedStagingRoot missing(U16((temp / "missing" / "QuireforgeTmp").string()));
  EXPECT_FALSE(missing.Locked());
  missing.Close({U16((temp / "missing" / "QuireforgeTmp" / "JOB").string())});
  EXPECT_FALSE(fs::exists(temp / "missing"));

  // A refused root raises and holds nothing.
  fs::create_directory(temp / "elsewhere");
  fs::create_directory_symlink(temp / "elsewhere", temp / "QuireforgeTmp");
  EXPECT_THROW(SharedStagingRoot(U16((temp / "QuireforgeTmp").string())), StagingRootError);
  EXPECT_TRUE(fs::is_symlink(temp / "QuireforgeTmp"));
}

TEST(StagingRootTest, IsCreatedPrivateAndReusedWithItsContent) {
  TempDir temp;
  const fs::path root = temp / "QuireforgeTmp";
  EXPECT_EQ(CreationError(root), "no error");
  struct stat status;
  ASSERT_EQ(lstat(root.c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  WriteFile(root / "old.txt", "left by an earlier run");
  EXPECT_EQ(CreationError(root), "no error");
  EXPECT_EQ(ReadFile(root / "old.txt"), "left by an earlier run");

  // A root that cannot be created is not reported here.
  EXPECT_EQ(CreationError(temp / "missing" / "QuireforgeTmp"), "no error");
  EXPECT_FALSE(fs::exists(temp / "missing"));
}

TEST(StagingRootTest, RefusesALinkAnotherUsersFolderAndAFile) {
  TempDir temp;
  const fs::path target = temp / "elsewhere";
  fs::create_directory(target);
  const fs::path link = temp / "QuireforgeTmp";
  fs::create_directory_symlink(target, link);
  EXPECT_EQ(CreationError(link), "Staging folder \"" + link.string() + "\" is a symbolic link.");
  EXPECT_TRUE(fs::is_empty(target));

  const fs::path foreign = temp / "foreign";
  fs::create_directory(foreign);
  ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  EXPECT_EQ(CreationError(foreign),
            "Staging folder \"" + foreign.string() + "\" belongs to another user.");

  const fs::path file = temp / "file";
  WriteFile(file, "x");
  EXPECT_EQ(CreationError(file), "Staging folder \"" + file.string() + "\" is not a folder.");
}

TEST(RemoveTreeTest, DeletesEverythingButNeverFollowsLinks) {
  TempDir temp;
  const fs::path outside = temp / "outside";
  fs::create_directories(outside / "deep");
  WriteFile(outside / "keep.txt", "keep");
  WriteFile(outside / "deep" / "keep.txt", "keep");

  const fs::path root = temp / "QuireforgeTmp";
  fs::create_directories(root / "JOB" / "OEBPS" / "css");
  WriteFile(root / "JOB" / "mimetype", "application/epub+zip");
  WriteFile(root / "JOB" / "OEBPS" / ".hidden", "x");
  WriteFile(root / "JOB" / "OEBPS" / "css" / "main.css", "x");
  chmod((root / "JOB" / "mimetype").c_str(), 0444);
  fs::create_directory_symlink(outside, root / "JOB" / "link-to-folder");
  fs::create_symlink(outside / "keep.txt", root / "link-to-file");
  fs::create_symlink(temp / "nowhere", root / "dangling");

  RemoveTree(U16(root.string()));
  EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
  EXPECT_EQ(ReadFile(outside / "keep.txt"), "keep");
  EXPECT_EQ(ReadFile(outside / "deep" / "keep.txt"), "keep");
}

TEST(RemoveTreeTest, ALinkGivenAsTheFolderGoesItselfTrailingSlashOrNot) {
  TempDir temp;
  const fs::path target = temp / "target";
  fs::create_directory(target);
  WriteFile(target / "keep.txt", "keep");
  for (const std::string suffix : {"", "/", "//"}) {
    const fs::path link = temp / "QuireforgeTmp";
    fs::create_directory_symlink(target, link);
    RemoveTree(U16(link.string() + suffix));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << suffix;
    EXPECT_EQ(ReadFile(target / "keep.txt"), "keep") << suffix;
  }
}

TEST(RemoveTreeTest, WhatCannotBeDeletedStaysAndTheRestGoes) {
  TempDir temp;
  const fs::path root = temp / "QuireforgeTmp";
  fs::create_directories(root / "a");
  fs::create_directories(root / "b");
  WriteFile(root / "a" / "stuck.txt", "x");
  WriteFile(root / "b" / "free.txt", "x");
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote((root / "a" / "stuck.txt").string())), 0);
  RemoveTree(U16(root.string()));
  RunCommand("chattr -i " + ShellQuote((root / "a" / "stuck.txt").string()));
  EXPECT_TRUE(fs::exists(root / "a" / "stuck.txt"));
  EXPECT_FALSE(fs::exists(root / "b"));

  // A plain file given as the folder is not a folder to delete.
  WriteFile(temp / "plain", "x");
  RemoveTree(U16((temp / "plain").string()));
  EXPECT_TRUE(fs::exists(temp / "plain"));
}

}  // namespace
}  // namespace quireforge::test
