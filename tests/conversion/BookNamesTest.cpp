// The names a book takes from its source: target and title as the window and the command
// line derive them, and the refusal of a target that is one of the sources.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "conversion/BookNames.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

TEST(BookNamesTest, TheTargetReplacesOnlyTheFinalExtensionOfTheFileName) {
  EXPECT_EQ(ExtensionOf(u"/books/novel.txt"), u".txt");
  EXPECT_EQ(ExtensionOf(u"/books/a.txt.d/novel"), u"");
  EXPECT_EQ(DerivedTargetPath(u"/books/novel.txt", u".epub"), u"/books/novel.epub");
  EXPECT_EQ(DerivedTargetPath(u"/books/novel.TXT", u".epub"), u"/books/novel.epub");
  EXPECT_EQ(DerivedTargetPath(u"/books/a.txt.d/b.txt", u".epub"), u"/books/a.txt.d/b.epub");
  EXPECT_EQ(DerivedTargetPath(u"/books/A.TXT.d/b.txt", u".epub"), u"/books/A.TXT.d/b.epub");
  EXPECT_EQ(DerivedTargetPath(u"/books/a.txt.txt", u".EPUB"), u"/books/a.txt.EPUB");
  EXPECT_EQ(DerivedTargetPath(u"/books/a.txt.d/b", u".epub"), u"/books/a.txt.d/b.epub");
  EXPECT_EQ(DerivedTargetPath(u"novel.txt", u".epub"), u"novel.epub");
}

TEST(BookNamesTest, TheTitleDropsEveryOccurrenceOfTheExtensionInExactCase) {
  EXPECT_EQ(DerivedTitle(u"/books/novel.txt"), u"novel");
  EXPECT_EQ(DerivedTitle(u"/books/a.txt.txt"), u"a");
  EXPECT_EQ(DerivedTitle(u"/books/a.TXT.txt"), u"a.TXT");
  EXPECT_EQ(DerivedTitle(u"/books/Vol.1.TXT"), u"Vol.1");
  EXPECT_EQ(DerivedTitle(u"/books/a.txt.d/b"), u"b");
  EXPECT_EQ(DerivedTitle(U16("/books/西游记.txt")), U16("西游记"));
  EXPECT_EQ(DerivedTitle(u"/books/.txt"), u"");
}

TEST(BookNamesTest, ATargetReachingASourceAnyWayIsRefused) {
  TempDir temp;
  const fs::path source = temp / "a.txt";
  WriteFile(source, "text");
  fs::create_symlink(source, temp / "link.epub");
  fs::create_hard_link(source, temp / "hard.epub");
  fs::create_directory(temp / "sub");
  const std::vector<std::u16string> sources = {U16((temp / "other.txt").string()),
                                               U16(source.string()), u""};
  for (const fs::path& target :
       {temp / "link.epub", temp / "hard.epub", temp / "sub/../a.txt", temp / "./a.txt"}) {
    try {
      RefuseTargetAmongSources(U16(target.string()), sources);
      ADD_FAILURE() << target;
    } catch (const BookNameError& error) {
      EXPECT_EQ(std::string(error.what()),
                "Cannot create file \"" + target.string() + "\". It is one of the source files.");
    }
  }
  EXPECT_NO_THROW(RefuseTargetAmongSources(U16((temp / "a.epub").string()), sources));
  EXPECT_NO_THROW(RefuseTargetAmongSources(U16((temp / "new/a.txt").string()), sources));
  // A source that does not exist yet is still compared by its path.
  EXPECT_THROW(RefuseTargetAmongSources(U16((temp / "other.txt").string()), sources),
               BookNameError);
}

}  // namespace
}  // namespace quireforge::test
