// The paths the command line derives and compares before it converts anything.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TestSupport.h"
#include "cli/BookPaths.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

TEST(BookPathsTest, TheTargetReplacesOnlyTheFinalExtension) {
  EXPECT_EQ(DerivedTargetPath("/books/a.txt.txt"), "/books/a.txt.epub");
  EXPECT_EQ(DerivedTargetPath("/books/a.txt.d/b.txt"), "/books/a.txt.d/b.epub");
  EXPECT_EQ(DerivedTargetPath("/books/a.txt.d/b"), "/books/a.txt.d/b.epub");
  EXPECT_EQ(DerivedTargetPath("/books/Novel.TXT"), "/books/Novel.epub");
  EXPECT_EQ(DerivedTargetPath("/books/.hidden"), "/books/.hidden.epub");
}

TEST(BookPathsTest, TheTitleDropsEveryOccurrenceOfTheExtensionInExactCase) {
  EXPECT_EQ(DerivedTitle("/books/novel.txt"), "novel");
  EXPECT_EQ(DerivedTitle("/books/a.txt.txt"), "a");
  EXPECT_EQ(DerivedTitle("/books/a.TXT.txt"), "a.TXT");
  EXPECT_EQ(DerivedTitle("/books/Vol.1.TXT"), "Vol.1");
  EXPECT_EQ(DerivedTitle("/a.txt.d/plain"), "plain");
  EXPECT_EQ(DerivedTitle("/books/西游记.txt"), "西游记");
  // A name that is all extension keeps its name rather than becoming an empty title.
  EXPECT_EQ(DerivedTitle("/books/.txt"), ".txt");
}

TEST(BookPathsTest, PathsAreMadeAbsoluteAgainstTheCurrentFolder) {
  TempDir temp;
  const fs::path old = fs::current_path();
  fs::current_path(temp.path());
  EXPECT_EQ(AbsolutePath("a.txt"), (temp.path() / "a.txt").string());
  EXPECT_EQ(AbsolutePath("./x/./a.txt"), (temp.path() / "x/a.txt").string());
  EXPECT_EQ(AbsolutePath("/abs/../b.txt"), "/abs/../b.txt");
  fs::current_path(old);
  EXPECT_THROW(AbsolutePath(""), BookPathError);
  try {
    AbsolutePath("bad\xFF.txt");
    ADD_FAILURE();
  } catch (const BookPathError& error) {
    EXPECT_EQ(std::string(error.what()), "File name \"bad\xFF.txt\" is not valid UTF-8.");
  }
}

TEST(BookPathsTest, ATargetReachingASourceThroughALinkIsRefused) {
  TempDir temp;
  const fs::path source = temp / "a.txt";
  WriteFile(source, "text");
  fs::create_symlink(source, temp / "link.epub");
  fs::create_hard_link(source, temp / "hard.epub");
  fs::create_directory(temp / "sub");
  const std::vector<std::string> sources = {(temp / "other.txt").string(), source.string()};
  for (const fs::path& target : {temp / "link.epub", temp / "hard.epub", temp / "sub/../a.txt"}) {
    try {
      RefuseTargetAmongSources(target.string(), sources);
      ADD_FAILURE() << target;
    } catch (const BookPathError& error) {
      EXPECT_EQ(std::string(error.what()),
                "Cannot create file \"" + target.string() + "\". It is one of the source files.");
    }
  }
  EXPECT_NO_THROW(RefuseTargetAmongSources((temp / "a.epub").string(), sources));
  // A source that does not exist yet is still compared by its path.
  EXPECT_THROW(RefuseTargetAmongSources((temp / "other.txt").string(), sources), BookPathError);
}

}  // namespace
}  // namespace quireforge::test
