// The paths the command line derives and compares before it converts anything.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TestSupport.h"
#include "cli/BookPaths.h"
#include "conversion/CodePageChoice.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

TEST(BookPathsTest, DefaultsFollowTheWindowButNeverComeOutEmpty) {
  const CodePageChoice pages_ = CodePageChoice::Detecting();
  EXPECT_EQ(DefaultTargetPath("/books/a.txt.txt"), "/books/a.txt.epub");
  EXPECT_EQ(DefaultTargetPath("/books/a.txt.d/b"), "/books/a.txt.d/b.epub");
  EXPECT_EQ(DefaultTitle("/books/西游记.txt", pages_), "西游记");
  // A name that is all extension keeps its name, in the target and in the title.
  EXPECT_EQ(DefaultTargetPath("/books/.hidden"), "/books/.hidden.epub");
  EXPECT_EQ(DefaultTitle("/books/.txt", pages_), ".txt");
  EXPECT_EQ(DefaultAuthor("/books/.txt", pages_), "");
}

TEST(BookPathsTest, TitleAndAuthorFollowTheFileNameRule) {
  const CodePageChoice pages_ = CodePageChoice::Detecting();
  EXPECT_EQ(DefaultTitle("/books/《希灵帝国》（校对版全本）作者：远瞳.txt", pages_), "希灵帝国");
  EXPECT_EQ(DefaultAuthor("/books/《希灵帝国》（校对版全本）作者：远瞳.txt", pages_), "远瞳");
  EXPECT_EQ(DefaultTitle("/books/斗破苍穹 作者：天蚕土豆.txt", pages_), "斗破苍穹");
  EXPECT_EQ(DefaultAuthor("/books/斗破苍穹 作者：天蚕土豆.txt", pages_), "天蚕土豆");
  EXPECT_EQ(DefaultAuthor("/作者：某/plain.txt", pages_), "");  // folders play no part
  // The target keeps the whole name.
  EXPECT_EQ(DefaultTargetPath("/books/斗破苍穹 作者：天蚕土豆.txt"),
            "/books/斗破苍穹 作者：天蚕土豆.epub");
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
  // A name that is not UTF-8 is a name all the same.
  EXPECT_EQ(AbsolutePath("/x/bad\xFF.txt"), "/x/bad\xFF.txt");
}

}  // namespace
}  // namespace quireforge::test
