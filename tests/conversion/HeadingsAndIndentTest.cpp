// How a job writes its lines when asked for headings or a first-line indent: the pages and
// the style sheet read back byte for byte, and the chapter list, the volumes and the page
// split compared with a job built without them from the same source.
#include <gtest/gtest.h>

#include <filesystem>

#include "ConversionTestSupport.h"
#include "conversion/BookOutline.h"
#include "conversion/ConvertFile.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Stand-in for the volume rule: a line holding 卷 after optional ideographic spaces and 第.
bool StandInVolumeHead(std::u16string_view line) {
  const size_t start = line.find_first_not_of(u'\u3000');
  return start != std::u16string_view::npos && line.substr(start).starts_with(u"第") &&
         line.find(u'卷') != std::u16string_view::npos;
}

Strings Outline(const TConvertFile& job) {
  Strings items;
  for (const OutlineItem& item : BookOutline(job.Chapters(), job.Volumes())) {
    items.push_back(std::string(item.depth == 2 ? "  " : "") + U8(std::u16string(item.entry)));
  }
  return items;
}

// The lines of the style sheet from "p {" on.
std::string StyleSheetTail(const TConvertFile& job) {
  const std::string css = Staged(job, "OEBPS/css/main.css");
  return css.substr(css.find("p {\r\n"));
}

constexpr const char* kParagraphRule =
    "p {\r\n  page-break-before: avoid;\r\n  page-break-after: avoid;\r\n  margin-top: 0.5em;\r\n"
    "  margin-bottom: 0pt;\r\n  margin-left: 0pt;\r\n  margin-right: 0pt;\r\n";

// A preface, a volume whose line is indented with ideographic spaces, chapter headings with
// blanks around them and characters XML must escape, an empty volume.
constexpr const char* kBook =
    "Preface\r\n　　第一卷 风起　\r\n  第一章 <甲> & 乙 \r\nbody 1\r\n第二章\t丙\r\nbody 2\r\n"
    "第二卷 空\r\n";

TEST(HeadingStyleTest, TitleStyleWritesHeadingLinesAsHeadingsAndChangesNothingElse) {
  JobBench bench;
  bench.environment.is_volume_head = StandInVolumeHead;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", kBook)});
  auto plain = bench.Build(parameters);
  parameters.options.heading_style = HeadingStyle::kTitle;
  auto title = bench.Build(parameters);

  // Chapters, volumes and pages are those of the plain book; titles stay raw.
  EXPECT_EQ(Outline(*title), Outline(*plain));
  EXPECT_EQ(Outline(*title),
            (Strings{"ch_2.html=　　第一卷 风起　", "  ch_3.html=  第一章 <甲> & 乙 ",
                     "  ch_4.html=第二章\t丙", "ch_5.html=第二卷 空"}));
  EXPECT_EQ(title->PageCounter(), plain->PageCounter());
  EXPECT_EQ(FilesBelow(StagingDir(*title)), FilesBelow(StagingDir(*plain)));

  EXPECT_EQ(Staged(*title, "OEBPS/ch_1.html"), PageBytes(1, {"<p>Preface</p>"}));
  // A volume is <h1>, a chapter <h2>, each without the blanks and ideographic spaces at its
  // ends; what lies between them is kept.
  EXPECT_EQ(Staged(*title, "OEBPS/ch_2.html"), PageBytes(2, {"<h1>第一卷 风起</h1>"}));
  EXPECT_EQ(Staged(*title, "OEBPS/ch_3.html"),
            PageBytes(3, {"<h2>第一章 &lt;甲&gt; &amp; 乙</h2>", "<p>body 1</p>"}));
  EXPECT_EQ(Staged(*title, "OEBPS/ch_4.html"),
            PageBytes(4, {"<h2>第二章\t丙</h2>", "<p>body 2</p>"}));
  EXPECT_EQ(Staged(*title, "OEBPS/ch_5.html"), PageBytes(5, {"<h1>第二卷 空</h1>"}));
  // The plain book writes the same lines as paragraphs, whole.
  EXPECT_EQ(Staged(*plain, "OEBPS/ch_3.html"),
            PageBytes(3, {"<p>  第一章 &lt;甲&gt; &amp; 乙 </p>", "<p>body 1</p>"}));
  EXPECT_EQ(Staged(*title, "OEBPS/book.opf"),
            PackageBytes("Book", "Author", U8(title->Identifier()), 5));

  // The style sheet makes headings bold and centred; the plain one has no such rule.
  EXPECT_EQ(StyleSheetTail(*title), std::string(kParagraphRule) +
                                        "  text-indent: 0em;\r\n  text-align: Justify;\r\n}\r\n"
                                        "h1, h2 {\r\n  font-weight: bold;\r\n"
                                        "  text-align: center;\r\n}\r\n");
  EXPECT_EQ(StyleSheetTail(*plain),
            std::string(kParagraphRule) + "  text-indent: 0em;\r\n  text-align: Justify;\r\n}\r\n");
}

TEST(HeadingStyleTest, WithSeveralSourcesTheFirstLineIsAHeadingOnlyWhenItTitlesTheChapter) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("a.txt", "\r\n　 First part \r\nx\r\n"),
                                               bench.Source("b.txt", "第二章 two\r\ny\r\n")});
  parameters.options.heading_style = HeadingStyle::kTitle;
  auto job = bench.Build(parameters);
  EXPECT_EQ(U8(job->ChapterEntry(0)), "ch_1.html=　 First part");
  EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"), PageBytes(1, {"<h2>First part</h2>", "<p>x</p>"}));
  EXPECT_EQ(Staged(*job, "OEBPS/ch_2.html"), PageBytes(2, {"<h2>第二章 two</h2>", "<p>y</p>"}));

  // Titled by the file name, or without chapters, no line is a heading.
  parameters.options.file_name_chapters = true;
  auto named = bench.Build(parameters);
  EXPECT_EQ(U8(named->ChapterEntry(1)), "ch_2.html=b");
  EXPECT_EQ(Staged(*named, "OEBPS/ch_2.html"), PageBytes(2, {"<p>第二章 two</p>", "<p>y</p>"}));
  parameters.options.chapters = false;
  auto unnamed = bench.Build(parameters);
  EXPECT_EQ(unnamed->ChapterCount(), 0);
  EXPECT_EQ(Staged(*unnamed, "OEBPS/ch_1.html"),
            PageBytes(1, {"<p>　 First part </p>", "<p>x</p>"}));
}

TEST(IndentTest, ParagraphsLoseTheirLeadingSpacingAndTheStyleSheetIndentsThem) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source(
      "novel.txt",
      "  two blanks\r\n　　two ideographic spaces　\r\n\t \x01　mixed\r\n　　\r\n\r\ninner  "
      "　blanks stay \r\n　　第一章 heading\r\n")});
  for (int indent : {0, 2, 4}) {
    parameters.options.indent = indent;
    auto job = bench.Build(parameters);
    EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"),
              PageBytes(1, {"<p>two blanks</p>", "<p>two ideographic spaces　</p>", "<p>mixed</p>",
                            // A line of blanks only is an empty paragraph, as an empty line is.
                            "<p></p>", "<p></p>", "<p>inner  　blanks stay </p>"}))
        << indent;
    // A heading written as a paragraph is indented like every other.
    EXPECT_EQ(Staged(*job, "OEBPS/ch_2.html"), PageBytes(2, {"<p>第一章 heading</p>"}));
    EXPECT_EQ(U8(job->ChapterEntry(0)), "ch_2.html=　　第一章 heading");
    EXPECT_EQ(StyleSheetTail(*job), std::string(kParagraphRule) +
                                        "  text-indent: " + std::to_string(indent) +
                                        "em;\r\n  text-align: Justify;\r\n}\r\n");
  }
  // With headings too, the heading's own rule follows the paragraphs' indented one.
  parameters.options.heading_style = HeadingStyle::kTitle;
  auto job = bench.Build(parameters);
  EXPECT_EQ(Staged(*job, "OEBPS/ch_2.html"), PageBytes(2, {"<h2>第一章 heading</h2>"}));
  EXPECT_NE(StyleSheetTail(*job).find("  text-indent: 4em;\r\n  text-align: Justify;\r\n}\r\n"
                                      "h1, h2 {\r\n"),
            std::string::npos);
}

TEST(IndentTest, ThePageBudgetCountsTheLineAsWritten) {
  JobBench bench;
  // Each paragraph counts 2 * 40008 + 1 as it stands: the second one splits the page. Without
  // their blanks they count 17 each and share one page.
  const std::string line = std::string(40000, ' ') + "x\r\n";
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", line + line)});
  auto whole = bench.Build(parameters);
  EXPECT_EQ(whole->PageCounter(), 2);
  parameters.options.indent = 1;
  auto indented = bench.Build(parameters);
  EXPECT_EQ(indented->PageCounter(), 1);
  EXPECT_EQ(Staged(*indented, "OEBPS/ch_1.html"), PageBytes(1, {"<p>x</p>", "<p>x</p>"}));
}

// Each blank character, wherever an option trims or skips blanks: the indent leaves it out
// at the start of a line, the title style at both ends of a heading, and a line of nothing
// else is a blank line that --blank-lines none leaves out.
TEST(BlanksTest, EveryOptionThatTrimsOrSkipsBlanksTakesTheSameCharacters) {
  const struct {
    const char* name;
    const char* utf8;
  } kBlanks[] = {{"space", " "},
                 {"TAB", "\t"},
                 {"no-break space", "\u00A0"},
                 {"em space", "\u2003"},
                 {"zero-width space", "\u200B"},
                 {"ideographic space", "\u3000"},
                 {"byte-order mark", "\uFEFF"}};
  for (const auto& blank : kBlanks) {
    const std::string b = blank.utf8;
    JobBench bench;
    JobParameters parameters = bench.Parameters(
        {bench.Source("novel.txt", "Preface\r\n" + b + b + "text" + b + "\r\n" + b + "\r\n" + b +
                                       "第一章 Title" + b + "\r\nbody\r\n")});
    parameters.options.indent = 2;
    parameters.options.heading_style = HeadingStyle::kTitle;
    parameters.options.blank_lines = BlankLines::kNone;
    auto job = bench.Build(parameters);
    EXPECT_EQ(Staged(*job, "OEBPS/ch_1.html"),
              PageBytes(1, {"<p>Preface</p>", "<p>text" + b + "</p>"}))
        << blank.name;
    EXPECT_EQ(Staged(*job, "OEBPS/ch_2.html"),
              PageBytes(2, {"<h2>第一章 Title</h2>", "<p>body</p>"}))
        << blank.name;
  }
  // Other characters are text: a full-width letter and U+200C (zero-width non-joiner).
  JobBench bench;
  JobParameters parameters =
      bench.Parameters({bench.Source("novel.txt", "\u200Ctext\r\n\uFF41\r\n")});
  parameters.options.indent = 1;
  parameters.options.blank_lines = BlankLines::kNone;
  EXPECT_EQ(Staged(*bench.Build(parameters), "OEBPS/ch_1.html"),
            PageBytes(1, {"<p>\u200Ctext</p>", "<p>\uFF41</p>"}));
}

// A value that no word of its option gives is refused, naming the option and the value,
// before anything is written.
TEST(OptionCheckTest, AValueNoWordGivesIsRefusedBeforeAnythingIsWritten) {
  const struct {
    void (*change)(BookOptions*);
    const char* message;
  } kCases[] = {
      {[](BookOptions* o) { o->indent = 5; },
       "Book option indent: a whole number from 0 to 4 is expected, not \"5\"."},
      {[](BookOptions* o) { o->indent = -1; },
       "Book option indent: a whole number from 0 to 4 is expected, not \"-1\"."},
      {[](BookOptions* o) { o->margin = 3; },
       "Book option margin: \"3\" is not one of normal, wide."},
      {[](BookOptions* o) { o->font_size = 90; },
       "Book option font-size: \"90\" is not one of large, middle, small."},
      {[](BookOptions* o) { o->language = u"zh_CN"; },
       "Book option language: \"zh_CN\" is not a well-formed BCP 47 language tag."},
      {[](BookOptions* o) { o->chapter_rule = static_cast<ChapterRule>(7); },
       "Book option chapter-rule: \"7\" is not one of smart, classic."},
      {[](BookOptions* o) { o->volume_pattern = u""; },
       "Book option volume-pattern: \"\" stands for another value than it holds."},
  };
  for (const auto& c : kCases) {
    JobBench bench;
    JobParameters parameters = bench.Parameters({bench.Source("novel.txt", "text\r\n")});
    c.change(&parameters.options);
    try {
      bench.Build(parameters);
      ADD_FAILURE() << c.message << ": taken";
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
    EXPECT_TRUE(fs::is_empty(bench.staging_root())) << c.message;
  }
}

}  // namespace
}  // namespace quireforge::test
