// The staging root: where it is, how it is created and refused, and how a tree is deleted
// without ever following a symbolic link.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "conversion/RemoveTree.h"
#include "conversion/StagingRoot.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

std::string ErrorOf(const fs::path& root) {
  try {
    CreateStagingRoot(U16(root.string()));
  } catch (const StagingRootError& e) {
    return e.what();
  }
  return "no error";
}

TEST(StagingRootTest, PathIsTempElseTmpdirElseTmp) {
  TempDir temp;  // sets TEMP and TMPDIR, restores both afterwards
  setenv("TEMP", "/a/temp", 1);
  setenv("TMPDIR", "/b/tmpdir", 1);
  EXPECT_EQ(StagingRootPath(), u"/a/temp/QuireforgeTmp");
  setenv("TEMP", "", 1);
  EXPECT_EQ(StagingRootPath(), u"/b/tmpdir/QuireforgeTmp");
  unsetenv("TEMP");
  unsetenv("TMPDIR");
  EXPECT_EQ(StagingRootPath(), u"/tmp/QuireforgeTmp");
}

TEST(StagingRootTest, IsCreatedPrivateAndReusedWithItsContent) {
  TempDir temp;
  const fs::path root = temp / "QuireforgeTmp";
  EXPECT_EQ(ErrorOf(root), "no error");
  struct stat status;
  ASSERT_EQ(lstat(root.c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_mode & 0777, 0700u);

  WriteFile(root / "old.txt", "left by an earlier run");
  EXPECT_EQ(ErrorOf(root), "no error");
  EXPECT_EQ(ReadFile(root / "old.txt"), "left by an earlier run");

  // A root that cannot be created is not reported here.
  EXPECT_EQ(ErrorOf(temp / "missing" / "QuireforgeTmp"), "no error");
  EXPECT_FALSE(fs::exists(temp / "missing"));
}

TEST(StagingRootTest, RefusesALinkAnotherUsersFolderAndAFile) {
  TempDir temp;
  const fs::path target = temp / "elsewhere";
  fs::create_directory(target);
  const fs::path link = temp / "QuireforgeTmp";
  fs::create_directory_symlink(target, link);
  EXPECT_EQ(ErrorOf(link), "Staging folder \"" + link.string() + "\" is a symbolic link.");
  EXPECT_TRUE(fs::is_empty(target));

  const fs::path foreign = temp / "foreign";
  fs::create_directory(foreign);
  ASSERT_EQ(chown(foreign.c_str(), 65534, 65534), 0);
  EXPECT_EQ(ErrorOf(foreign),
            "Staging folder \"" + foreign.string() + "\" belongs to another user.");

  const fs::path file = temp / "file";
  WriteFile(file, "x");
  EXPECT_EQ(ErrorOf(file), "Staging folder \"" + file.string() + "\" is not a folder.");
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
