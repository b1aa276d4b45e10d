// The paths the command line derives and compares before it converts anything.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TestSupport.h"
#include "cli/BookPaths.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

TEST(BookPathsTest, DefaultsFollowTheWindowButNeverComeOutEmpty) {
  EXPECT_EQ(DefaultTargetPath("/books/a.txt.txt"), "/books/a.txt.epub");
  EXPECT_EQ(DefaultTargetPath("/books/a.txt.d/b"), "/books/a.txt.d/b.epub");
  EXPECT_EQ(DefaultTitle("/books/西游记.txt"), "西游记");
  // A name that is all extension keeps its name, in the target and in the title.
  EXPECT_EQ(DefaultTargetPath("/books/.hidden"), "/books/.hidden.epub");
  EXPECT_EQ(DefaultTitle("/books/.txt"), ".txt");
  EXPECT_EQ(DefaultAuthor("/books/.txt"), "");
}

TEST(BookPathsTest, TitleAndAuthorFollowTheFileNameRule) {
  EXPECT_EQ(DefaultTitle("/books/《希灵帝国》（校对版全本）作者：远瞳.txt"), "希灵帝国");
  EXPECT_EQ(DefaultAuthor("/books/《希灵帝国》（校对版全本）作者：远瞳.txt"), "远瞳");
  EXPECT_EQ(DefaultTitle("/books/斗破苍穹 作者：天蚕土豆.txt"), "斗破苍穹");
  EXPECT_EQ(DefaultAuthor("/books/斗破苍穹 作者：天蚕土豆.txt"), "天蚕土豆");
  EXPECT_EQ(DefaultAuthor("/作者：某/plain.txt"), "");  // folders play no part
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
  EXPECT_EQ(ErrorOf<BookPathError>([] { AbsolutePath("bad\xFF.txt"); }),
            "File name \"bad\xFF.txt\" is not valid UTF-8.");
}

}  // namespace
}  // namespace quireforge::test
