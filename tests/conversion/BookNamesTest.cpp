// The names a book takes from its source: target and title as the window and the command
// line derive them, and the refusal of a target that is one of the sources or the font.
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

// Title and author of `file_name` (in a folder whose name must play no part) as UTF-8.
std::pair<std::string, std::string> NamesOf(const std::string& file_name) {
  const TitleAndAuthor names = TitleAndAuthorFromFileName(U16("/书库/《书》作者：某/" + file_name));
  return {U8(names.title), U8(names.author)};
}

using Names = std::pair<std::string, std::string>;

TEST(BookNamesTest, ATitleInDoubleAngleBracketsAndTheAuthorAfterItsMark) {
  EXPECT_EQ(NamesOf("《希灵帝国》（校对版全本）作者：远瞳.txt"), Names("希灵帝国", "远瞳"));
  EXPECT_EQ(NamesOf("《缔造苹果神话》作者_杰弗里_扬.txt"), Names("缔造苹果神话", "杰弗里_扬"));
  EXPECT_EQ(NamesOf("《引爆点》作者：(美)格拉德威尔.txt"), Names("引爆点", "(美)格拉德威尔"));
  EXPECT_EQ(NamesOf("《某书》TXT下载（全本）作者: 某人 .TXT"), Names("某书", "某人"));
  EXPECT_EQ(NamesOf("《某书》全集 作者 ： 某人.txt"), Names("某书", "某人"));
  // Without an author mark the title stands alone; what follows the brackets is dropped.
  EXPECT_EQ(NamesOf("《希灵帝国》（校对版全本）.txt"), Names("希灵帝国", ""));
  EXPECT_EQ(NamesOf("《希灵帝国》作者远瞳.txt"), Names("希灵帝国", ""));
  // The first "作者" that has a mark counts; a mark with nothing after it names nobody.
  EXPECT_EQ(NamesOf("《书》作者的话 作者：甲.txt"), Names("书", "甲"));
  EXPECT_EQ(NamesOf("《书》作者：　.txt"), Names("书", ""));
  EXPECT_EQ(NamesOf("《　书　》.txt"), Names("书", ""));
}

TEST(BookNamesTest, AnAuthorMarkWithoutBracketsSplitsTitleAndAuthor) {
  EXPECT_EQ(NamesOf("斗破苍穹 作者：天蚕土豆.txt"), Names("斗破苍穹", "天蚕土豆"));
  EXPECT_EQ(NamesOf("斗破苍穹作者:天蚕土豆.txt"), Names("斗破苍穹", "天蚕土豆"));
  EXPECT_EQ(NamesOf("作者的书 作者：乙.txt"), Names("作者的书", "乙"));
  // Only "：" and ":" mark the author here; "_" does only after a title in brackets.
  EXPECT_EQ(NamesOf("斗破苍穹 作者_天蚕土豆.txt"), Names("斗破苍穹 作者_天蚕土豆", ""));
}

TEST(BookNamesTest, EveryOtherNameKeepsTheWholeNameAsTitle) {
  EXPECT_EQ(NamesOf("李敖《北京法源寺》.txt"), Names("李敖《北京法源寺》", ""));
  EXPECT_EQ(NamesOf("plain-novel.txt"), Names("plain-novel", ""));
  EXPECT_EQ(NamesOf("a.txt.txt"), Names("a", ""));
  // A rule that would leave no title gives way to the name as it is.
  EXPECT_EQ(NamesOf("《》作者：某.txt"), Names("《》作者：某", ""));
  EXPECT_EQ(NamesOf("作者：某.txt"), Names("作者：某", ""));
  // An opening bracket without its closing one is no title in brackets, and no author rule.
  EXPECT_EQ(NamesOf("《半本 作者：丙.txt"), Names("《半本 作者：丙", ""));
  // A name of nothing but its extension is the title as it is, in both front ends.
  EXPECT_EQ(NamesOf(".txt"), Names(".txt", ""));
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
    EXPECT_EQ(
        ErrorOf<BookNameError>([&] { RefuseTargetAmongSources(U16(target.string()), sources); }),
        "Cannot create file \"" + target.string() + "\". It is one of the source files.");
  }
  EXPECT_NO_THROW(RefuseTargetAmongSources(U16((temp / "a.epub").string()), sources));
  EXPECT_NO_THROW(RefuseTargetAmongSources(U16((temp / "new/a.txt").string()), sources));
  // A source that does not exist yet is still compared by its path.
  EXPECT_THROW(RefuseTargetAmongSources(U16((temp / "other.txt").string()), sources),
               BookNameError);
}

TEST(BookNamesTest, ATargetReachingTheFontAnyWayIsRefused) {
  TempDir temp;
  const fs::path font = temp / "f.ttf";
  WriteFile(font, "font");
  fs::create_symlink(font, temp / "link.epub");
  for (const fs::path& target : {font, temp / "link.epub", temp / "./f.ttf"}) {
    try {
      RefuseTargetAsFont(U16(target.string()), U16(font.string()));
      ADD_FAILURE() << target;
    } catch (const BookNameError& error) {
      EXPECT_EQ(std::string(error.what()),
                "Cannot create file \"" + target.string() + "\". It is the font file.");
    }
  }
  EXPECT_NO_THROW(RefuseTargetAsFont(U16((temp / "a.epub").string()), U16(font.string())));
  // No font: nothing to refuse.
  EXPECT_NO_THROW(RefuseTargetAsFont(U16((temp / "a.epub").string()), u""));
}

}  // namespace
}  // namespace quireforge::test
