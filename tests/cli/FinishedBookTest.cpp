// The finished book on the shelf, through quireforge-cli: default books, the classic book, a
// vertical book with a contents page, a book in the other Chinese script, a book without a
// cover, all validated in one run of epubcheck; the parts each new option puts in place (cover
// picture, spine, guide, landmarks, style sheet, language); names from the text's first lines;
// and a machine without a font for the title, where the book gets no cover and one message.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A novel whose first lines name it, with two volumes of chapters.
std::string NamedNovel() {
  std::string body;
  for (int i = 0; i < 40; ++i) body += "　　话说天下大势，分久必合，合久必分。\r\n";
  return "书名：西游记\r\n作者：吴承恩\r\n\r\n第一卷 上\r\n第一回 "
         "灵根育孕源流出\r\n后来头发里面\r\n" +
         body + "第二卷 下\r\n第二回 悟彻菩提真妙理\r\n" + body;
}

struct Book {
  std::string name;
  std::vector<std::string> options;
  bool device_font = false;
  bool epub3 = false;
};

TEST(FinishedBookTest, EveryKindOfBookPassesEpubcheckWithItsPartsInPlace) {
  TempDir temp;
  WriteFile(temp / "novel.txt", NamedNovel());
  const std::vector<Book> books = {
      {"default", {}},
      {"classic", {"--classic"}, true},
      {"contents2", {"--contents-page", "--volumes"}},
      {"vertical", {"--vertical", "--contents-page", "--volumes"}, false, true},
      {"s2t", {"--chinese", "s2t", "--epub3"}, false, true},
      {"bare", {"--cover", "none", "--contents-page"}},
  };
  std::vector<CheckedBook> checked;
  for (const Book& book : books) {
    std::vector<std::string> arguments = {"-q", "-o", book.name + ".epub"};
    arguments.insert(arguments.end(), book.options.begin(), book.options.end());
    arguments.push_back("novel.txt");
    const CliResult result = RunCli(arguments, temp.path());
    ASSERT_EQ(result.status, 0) << book.name << ": " << result.err;
    EXPECT_EQ(ZipProblems(temp / (book.name + ".epub")), "") << book.name;
    checked.push_back({temp / (book.name + ".epub"), book.device_font, book.epub3});
  }
  const std::vector<std::vector<std::string>> problems = EpubCheckProblemsOf(checked);
  for (size_t i = 0; i < books.size(); ++i) {
    EXPECT_TRUE(problems[i].empty())
        << books[i].name << ": " << testing::PrintToString(problems[i]);
  }

  // The default book: names from the text, a drawn cover, no device font, the text's language.
  const std::string opf = EntryBytes(temp / "default.epub", "OEBPS/book.opf");
  for (const char* part : {"<dc:title>西游记</dc:title>", "<dc:creator>吴承恩</dc:creator>",
                           "<dc:language>zh</dc:language>",
                           "<item id=\"cover-image\" href=\"cover.png\" media-type=\"image/png\"/>",
                           "<spine toc=\"ncx\">\r\n<itemref idref=\"cover\" />\r\n<itemref "
                           "idref=\"chapter1\" />"}) {
    EXPECT_TRUE(Has(opf, part)) << part << "\n" << opf;
  }
  EXPECT_FALSE(Has(EntryBytes(temp / "default.epub", "OEBPS/css/main.css"), "res:///"));
  // The classic book: the file's name, no cover, the classic language.
  const std::string classic = EntryBytes(temp / "classic.epub", "OEBPS/book.opf");
  EXPECT_TRUE(Has(classic, "<dc:title>novel</dc:title>")) << classic;
  EXPECT_TRUE(Has(classic, "<dc:language>en</dc:language>"));
  EXPECT_FALSE(Has(classic, "cover"));
  // The contents page after the cover, in the spine and the guide; volumes hold chapters.
  const std::string contents = EntryBytes(temp / "contents2.epub", "OEBPS/book.opf");
  EXPECT_TRUE(Has(contents, "<itemref idref=\"cover\" />\r\n<itemref idref=\"contents\" />\r\n"))
      << contents;
  EXPECT_TRUE(Has(contents, "<reference type=\"toc\" title=\"目录\" href=\"contents.html\"/>"));
  const std::string page = EntryBytes(temp / "contents2.epub", "OEBPS/contents.html");
  EXPECT_TRUE(Has(page,
                  "<li><a href=\"ch_2.html\">第一卷 上</a>\r\n<ul>\r\n<li><a "
                  "href=\"ch_3.html\">第一回 灵根育孕源流出</a></li>\r\n</ul>\r\n</li>"))
      << page;
  // The vertical book: right to left, set vertically, the contents page among the landmarks.
  const std::string vertical = EntryBytes(temp / "vertical.epub", "OEBPS/book.opf");
  EXPECT_TRUE(Has(vertical, "<package version=\"3.0\""));
  EXPECT_TRUE(Has(vertical, "<spine toc=\"ncx\" page-progression-direction=\"rtl\">"));
  EXPECT_TRUE(Has(EntryBytes(temp / "vertical.epub", "OEBPS/css/main.css"),
                  "  writing-mode: vertical-rl;"));
  const std::string nav = EntryBytes(temp / "vertical.epub", "OEBPS/nav.xhtml");
  EXPECT_TRUE(Has(nav,
                  "<li><a epub:type=\"cover\" href=\"cover.xhtml\">Cover</a></li>\r\n<li><a "
                  "epub:type=\"toc\" href=\"contents.xhtml\">目录</a></li>"))
      << nav;
  // Traditional script in text, names and language.
  const std::string s2t = EntryBytes(temp / "s2t.epub", "OEBPS/book.opf");
  EXPECT_TRUE(Has(s2t, "<dc:title>西遊記</dc:title>")) << s2t;
  EXPECT_TRUE(Has(s2t, "<dc:language>zh-Hant</dc:language>"));
  EXPECT_TRUE(Has(EntryBytes(temp / "s2t.epub", "OEBPS/ch_3.xhtml"), "後來頭髮裏面"));
  // --cover none: no cover at all.
  EXPECT_FALSE(Has(EntryBytes(temp / "bare.epub", "OEBPS/book.opf"), "cover"));
}

TEST(FinishedBookTest, WithoutAFontForTheTitleTheBookHasNoCoverAndSaysSoOnce) {
  TempDir temp;
  // A font set-up of its own that knows only DejaVu: no font has Chinese characters.
  WriteFile(temp / "fonts.conf",
            "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
            "<dir>/usr/share/fonts/truetype/dejavu</dir>\n<cachedir>" +
                (temp / "cache").string() + "</cachedir>\n</fontconfig>\n");
  WriteFile(temp / "novel.txt", NamedNovel());
  const std::string fonts = "FONTCONFIG_FILE=" + ShellQuote((temp / "fonts.conf").string());
  CliResult result = RunCli({"-o", "cjk.epub", "novel.txt"}, temp.path(), fonts);
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string message =
      "novel.txt: No installed font has the characters of the title "
      "\"西游记\"; the book has no cover.\n";
  EXPECT_TRUE(Has(result.err, message)) << result.err;
  EXPECT_EQ(result.err.find("the book has no cover"), result.err.rfind("the book has no cover"));
  EXPECT_FALSE(Has(EntryBytes(temp / "cjk.epub", "OEBPS/book.opf"), "cover"));
  // A Latin title on the same machine gets its cover.
  result = RunCli({"-q", "-o", "latin.epub", "-t", "Journey", "-a", "Wu", "novel.txt"}, temp.path(),
                  fonts);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(EntryBytes(temp / "latin.epub", "OEBPS/cover.png").substr(1, 3), "PNG");
}

TEST(FinishedBookTest, NamesFromTheTextFirstLinesYieldToTheFileNameAndTheUser) {
  TempDir temp;
  WriteFile(temp / "novel.txt", NamedNovel());
  WriteFile(temp / "三国演义 作者：罗贯中.txt", NamedNovel());
  struct Case {
    std::vector<std::string> arguments;
    const char* title;
    const char* author;
  };
  const std::vector<Case> cases = {
      {{"novel.txt"}, "西游记", "吴承恩"},
      {{"-t", "Own", "novel.txt"}, "Own", "吴承恩"},
      {{"-a", "", "novel.txt"}, "西游记", ""},
      {{"--classic", "novel.txt"}, "novel", ""},
      {{"三国演义 作者：罗贯中.txt"}, "三国演义", "罗贯中"},
      {{"--chinese", "s2t", "novel.txt"}, "西遊記", "吳承恩"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"-q", "--cover", "none", "-o", "out.epub"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const CliResult result = RunCli(arguments, temp.path());
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string opf = EntryBytes(temp / "out.epub", "OEBPS/book.opf");
    EXPECT_TRUE(Has(opf, std::string("<dc:title>") + c.title + "</dc:title>"))
        << testing::PrintToString(c.arguments) << opf;
    EXPECT_TRUE(Has(opf, std::string("<dc:creator>") + c.author + "</dc:creator>"))
        << testing::PrintToString(c.arguments) << opf;
    // The lines stay in the text.
    EXPECT_TRUE(Has(EntryBytes(temp / "out.epub", "OEBPS/ch_1.html"), "<p>作者："));
  }
}

TEST(FinishedBookTest, EveryBookOfEachGetsTheNewOptionsAsASingleBookDoes) {
  TempDir temp;
  fs::create_directories(temp / "each");
  WriteFile(temp / "novel.txt", NamedNovel());
  WriteFile(temp / "each/novel.txt", NamedNovel());
  const std::vector<std::string> options = {"--classic", "--chapter-rule", "smart",
                                            "--chinese", "s2tw",           "--contents-page"};
  std::vector<std::string> single = {"-q", "-o", "single.epub"};
  single.insert(single.end(), options.begin(), options.end());
  single.push_back("novel.txt");
  ASSERT_EQ(RunCli(single, temp.path()).status, 0);
  std::vector<std::string> each = {"-q", "--each"};
  each.insert(each.end(), options.begin(), options.end());
  each.push_back("each/novel.txt");
  ASSERT_EQ(RunCli(each, temp.path()).status, 0);
  const CliResult list = RunCli(
      {"--list-chapters", "--classic", "--chapter-rule", "smart", "--chinese", "s2tw", "novel.txt"},
      temp.path());
  // The smart rule given after --classic finds the volumes; the titles are converted.
  EXPECT_EQ(list.out,
            "ch_2.html=第一卷 上\n  ch_3.html=第一回 靈根育孕源流出\nch_4.html=第二卷 下\n  "
            "ch_5.html=第二回 悟徹菩提真妙理\n");
  for (const char* entry : {"OEBPS/book.opf", "OEBPS/contents.html", "OEBPS/css/main.css"}) {
    std::string a = EntryBytes(temp / "single.epub", entry);
    std::string b = EntryBytes(temp / "each/novel.epub", entry);
    const auto mask = [](std::string* text) {
      const size_t at = text->find("F.F.F.");
      if (at != std::string::npos) text->replace(at, 42, "ID");
    };
    mask(&a);
    mask(&b);
    EXPECT_EQ(a, b) << entry;
  }
}

}  // namespace
}  // namespace quireforge::test
