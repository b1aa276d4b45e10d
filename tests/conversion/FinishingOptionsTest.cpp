// What a job makes of the finishing options: the text, titles and names in the other Chinese
// script with the language to match, a drawn cover staged as any cover, the vertical book's
// style sheet and spine, the contents page's place in book.opf, the names a text gives in its
// first lines and the contents page's heading in each language. Real sources in a private
// folder, the staged tree read back.
#include <gtest/gtest.h>

#include "ConversionTestSupport.h"
#include "conversion/ChineseConverter.h"
#include "conversion/ClassicBook.h"
#include "conversion/CodePageChoice.h"
#include "conversion/ContentsPage.h"
#include "conversion/ConvertFile.h"
#include "conversion/TextNames.h"

namespace quireforge::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct ScriptCase {
  ChineseConversion conversion;
  const char* text;      // the source's one heading line and its body
  const char* expected;  // the same, converted
  const char* title;
  const char* expected_title;
  const char* language;  // of the book, the language not named
};

class ChineseBookTest : public testing::TestWithParam<ScriptCase> {};

TEST_P(ChineseBookTest, TextTitlesNamesAndLanguageAreConverted) {
  const ScriptCase c = GetParam();
  JobBench bench;
  JobParameters parameters =
      bench.Parameters({bench.Source("book.txt", std::string("前言\r\n") + c.text + "\r\n")});
  parameters.options = BookOptions{};
  parameters.options.draw_cover = false;
  parameters.options.chinese = c.conversion;
  parameters.title = U16(c.title);
  parameters.author = U16(c.title);
  const auto job = bench.Build(parameters);
  ASSERT_EQ(job->ChapterCount(), 1);
  // The chapter list the user reviews holds the converted heading.
  EXPECT_EQ(U8(job->ChapterTitle(0)), c.expected);
  EXPECT_EQ(U8(job->Title()), c.expected_title);
  EXPECT_EQ(U8(job->Author()), c.expected_title);
  EXPECT_EQ(U8(job->Language()), c.language);
  const std::string opf = Staged(*job, "OEBPS/book.opf");
  EXPECT_TRUE(Has(opf, "<dc:title>" + std::string(c.expected_title) + "</dc:title>")) << opf;
  EXPECT_TRUE(Has(opf, "<dc:language>" + std::string(c.language) + "</dc:language>")) << opf;
  EXPECT_TRUE(Has(Staged(*job, "OEBPS/ch_2.html"), "<p>" + std::string(c.expected) + "</p>"));
}

INSTANTIATE_TEST_SUITE_P(Conversions, ChineseBookTest,
                         testing::Values(ScriptCase{ChineseConversion::kS2T, "第一章 头发与软件",
                                                    "第一章 頭髮與軟件", "后来", "後來", "zh-Hant"},
                                         ScriptCase{ChineseConversion::kS2TW, "第一章 头发与软件",
                                                    "第一章 頭髮與軟件", "后来", "後來", "zh-TW"},
                                         ScriptCase{ChineseConversion::kS2TWP, "第一章 鼠标与软件",
                                                    "第一章 滑鼠與軟體", "后来", "後來", "zh-TW"},
                                         ScriptCase{ChineseConversion::kS2HK, "第一章 头发与软件",
                                                    "第一章 頭髮與軟件", "后来", "後來", "zh-HK"},
                                         ScriptCase{ChineseConversion::kT2S, "第一章 頭髮與軟件",
                                                    "第一章 头发与软件", "後來", "后来", "zh-Hans"},
                                         ScriptCase{ChineseConversion::kTW2S, "第一章 頭髮與軟件",
                                                    "第一章 头发与软件", "後來", "后来", "zh-Hans"},
                                         ScriptCase{ChineseConversion::kTW2SP, "第一章 滑鼠與軟體",
                                                    "第一章 鼠标与软件", "後來", "后来", "zh-Hans"},
                                         ScriptCase{ChineseConversion::kHK2S, "第一章 頭髮與軟件",
                                                    "第一章 头发与软件", "後來", "后来", "zh-Hans"},
                                         // Already in the script asked for: nothing changes.
                                         ScriptCase{ChineseConversion::kT2S, "第一章 头发与软件",
                                                    "第一章 头发与软件", "西游记", "西游记",
                                                    "zh-Hans"}),
                         [](const testing::TestParamInfo<ScriptCase>& param) {
                           return std::string(ConversionName(param.param.conversion)) +
                                  std::to_string(param.index);
                         });

TEST(ChineseBookNamedLanguageTest, ANamedLanguageWins) {
  JobBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("book.txt", "头发\r\n")});
  parameters.options.chinese = ChineseConversion::kS2T;
  parameters.options.language = u"zh-Hant-HK";
  const auto job = bench.Build(parameters);
  EXPECT_EQ(U8(job->Language()), "zh-Hant-HK");
  EXPECT_TRUE(Has(Staged(*job, "OEBPS/ch_1.html"), "<p>頭髮</p>"));
}

TEST(StagedOptionsTest, DrawnCoverVerticalAndContentsPageInPackageAndStyleSheet) {
  JobBench bench;
  JobParameters parameters =
      bench.Parameters({bench.Source("book.txt", "序\r\n第一章 甲\r\n正文\r\n")});
  parameters.options = BookOptions{};
  parameters.options.vertical = true;
  parameters.options.contents_page = true;
  parameters.title = u"西游记";
  const auto job = bench.Build(parameters);
  EXPECT_TRUE(job->Notes().empty());
  EXPECT_TRUE(job->Options().epub3) << "vertical writing makes an EPUB 3 book";
  const std::string opf = Staged(*job, "OEBPS/book.opf");
  for (const char* line :
       {"<item id=\"cover-image\" href=\"cover.png\" media-type=\"image/png\" "
        "properties=\"cover-image\"/>",
        "<item id=\"contents\" href=\"contents.xhtml\" media-type=\"application/xhtml+xml\"/>",
        "<spine toc=\"ncx\" page-progression-direction=\"rtl\">\r\n<itemref idref=\"cover\" "
        "/>\r\n<itemref idref=\"contents\" />\r\n<itemref idref=\"chapter1\" />",
        "<reference type=\"toc\" title=\"目录\" href=\"contents.xhtml\"/>"}) {
    EXPECT_TRUE(Has(opf, line)) << line << "\n" << opf;
  }
  const std::string css = Staged(*job, "OEBPS/css/main.css");
  EXPECT_TRUE(Has(css,
                  "html {\r\n  -epub-writing-mode: vertical-rl;\r\n  writing-mode: "
                  "vertical-rl;\r\n}\r\n"))
      << css;
  EXPECT_FALSE(Has(css, "res:///")) << css;
  EXPECT_EQ(Staged(*job, "OEBPS/cover.png").substr(1, 3), "PNG");
}

TEST(StagedOptionsTest, OnlyTheClassicEpub2BookNamesTheDeviceFont) {
  for (const bool classic : {false, true}) {
    JobBench bench;
    JobParameters parameters = bench.Parameters({bench.Source("book.txt", "text\r\n")});
    parameters.options = classic ? ClassicOptions() : BookOptions{};
    parameters.options.draw_cover = false;
    const auto job = bench.Build(parameters);
    EXPECT_EQ(Has(Staged(*job, "OEBPS/css/main.css"), "res:///opt/sony/ebook/FONT/tt0003m_.ttf"),
              classic);
  }
}

TEST(NamesFromTextTest, FirstLinesNameTitleAndAuthor) {
  struct Case {
    std::vector<std::string> lines;
    std::optional<std::string> title;
    std::optional<std::string> author;
  };
  const std::vector<Case> cases = {
      {{"书名：斗破苍穹", "作者：天蚕土豆", "第一章"}, "斗破苍穹", "天蚕土豆"},
      {{"", "　　《希灵帝国》　", "", "作者:远瞳"}, "希灵帝国", "远瞳"},
      {{"書名: 《西遊記》", "著者：吳承恩"}, "西遊記", "吳承恩"},
      {{"书名 ： 三国演义 ", "作者 ：罗贯中"}, "三国演义", "罗贯中"},
      // Only an author; the first of two marks counts.
      {{"作者：甲", "作者：乙"}, std::nullopt, "甲"},
      // Marks with nothing after them, a title inside a sentence, marks not at the start.
      {{"书名：", "作者：", "他读《三国演义》入了迷", "这本书的作者：某人"},
       std::nullopt,
       std::nullopt},
      // A 作者： deep in the text does not count.
      {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "作者：深处"},
       std::nullopt,
       std::nullopt},
      {{"1", "", "　", "4", "5", "6", "7", "8", "9", "作者：第十行"}, std::nullopt, "第十行"},
  };
  for (const Case& c : cases) {
    std::vector<std::u16string> lines;
    for (const std::string& line : c.lines) lines.push_back(U16(line));
    const NamesInText names = NamesFromTextLines(lines);
    const auto text = [](const std::optional<std::u16string>& name) {
      return name ? std::optional<std::string>(U8(*name)) : std::nullopt;
    };
    EXPECT_EQ(text(names.title), c.title) << testing::PrintToString(c.lines);
    EXPECT_EQ(text(names.author), c.author) << testing::PrintToString(c.lines);
  }
}

TEST(NamesFromTextTest, FirstLinesAreReadAsTheJobReadsThem) {
  TempDir temp;
  const CodePageChoice pages = CodePageChoice::Detecting();
  // GB18030 without mark, UTF-16 with one, and a first line longer than the head that is read.
  WriteFile(temp / "gb.txt",
            "\xCA\xE9\xC3\xFB\xA3\xBA\xCE\xF7\xD3\xCE\xBC\xC7\r\n"
            "\xD7\xF7\xD5\xDF\xA3\xBA\xCE\xE2\xB3\xD0\xB6\xF7\r\n");
  WriteFile(temp / "utf16.txt", std::string("\xFF\xFE"
                                            "\x66\x4E\x0D\x54\x1A\xFF\x7F\x89\r\0\n\0",
                                            14));
  WriteFile(temp / "long.txt", std::string(20000, 'x') + "\r\n作者：甲\r\n");
  EXPECT_EQ(NamesFromTextLines(FirstLinesOfSource(U16((temp / "gb.txt").string()), pages)).title,
            std::optional<std::u16string>(u"西游记"));
  EXPECT_EQ(NamesFromTextLines(FirstLinesOfSource(U16((temp / "utf16.txt").string()), pages)).title,
            std::optional<std::u16string>(u"西"));
  EXPECT_TRUE(FirstLinesOfSource(U16((temp / "long.txt").string()), pages).size() <= 1);
}

TEST(ContentsPageTest, HeadingInTheBooksLanguage) {
  for (const auto& [tag, heading] :
       std::vector<std::pair<std::u16string, std::u16string>>{{u"zh", u"目录"},
                                                              {u"zh-Hans", u"目录"},
                                                              {u"zh-Hant", u"目錄"},
                                                              {u"ZH-tw", u"目錄"},
                                                              {u"zh-HK", u"目錄"},
                                                              {u"zh-Hant-MO", u"目錄"},
                                                              {u"zh-twx", u"目录"},
                                                              {u"ja", u"目次"},
                                                              {u"ko-KR", u"목차"},
                                                              {u"", u"Contents"},
                                                              {u"de", u"Contents"}}) {
    EXPECT_EQ(ContentsPageTitle(tag), heading) << U8(tag);
  }
}

}  // namespace
}  // namespace quireforge::test
