// quireforge-cli on books in legacy code pages with nothing named: each source's code page is
// found from its text and told on stderr, a named code page wins, --each tells the same,
// -q silences it, and a book without any chapter heading is warned of.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "BookChecks.h"
#include "CodePageSamples.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// The environment of a desktop in `locale` on which no code page is named.
std::string Desktop(const std::string& locale) {
  return "env -u QUIREFORGE_CODEPAGE -u LC_CTYPE LC_ALL=" + locale + " LANG=" + locale;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CliCodePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = temp_.path().string();
    WriteFile(temp_ / "gb.txt", Gb18030Piece().bytes);
    WriteFile(temp_ / "big5.txt", Big5Text().bytes);
  }
  void TearDown() override { EXPECT_EQ(RunLeftovers(temp_.path()), std::vector<std::string>()); }
  // The line quireforge-cli prints for a source in the folder.
  std::string Note(const std::string& source, const std::string& text) const {
    return "quireforge-cli: " + dir_ + "/" + source + ": " + text + "\n";
  }

  TempDir temp_;
  std::string dir_;
};

TEST_F(CliCodePageTest, ABookOfAGb18030AndABig5SourceReadsBothRight) {
  const CliResult result = RunCli({"-o", "book.epub", "-t", "西游记", "gb.txt", "big5.txt"},
                                  temp_.path(), Desktop("en_US.UTF-8"));
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, Note("gb.txt", "GB18030 (detected)") + Note("big5.txt", "Big5 (detected)") +
                            "quireforge-cli: " + dir_ + "/book.epub: written\n");

  const fs::path book = temp_ / "book.epub";
  EXPECT_TRUE(
      Contains(EntryBytes(book, "OEBPS/ch_1.html"), "<p>第一回 灵根育孕源流出 心性修持大道生"));
  // The Big5 source begins on the page after the GB18030 one.
  EXPECT_TRUE(Contains(EntryBytes(book, "OEBPS/ch_2.html"), "<p>《西"));
  EXPECT_TRUE(Contains(EntryBytes(book, "OEBPS/ch_2.html"), "第一回 靈根育孕源流出"));
  const std::string toc = EntryBytes(book, "OEBPS/toc.ncx");
  EXPECT_TRUE(Contains(toc, "<text>第一回 灵根育孕源流出 心性修持大道生")) << toc;
  EXPECT_EQ(ZipProblems(book), "");
  const std::vector<std::string> problems = EpubCheckProblems(book, false);
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

TEST_F(CliCodePageTest, TheChapterListIsTheSameAsWithTheCodePageNamed) {
  WriteFile(temp_ / "novel.txt", Gb18030Novel().bytes);
  const CliResult named =
      RunCli({"--list-chapters", "novel.txt"}, temp_.path(), "QUIREFORGE_CODEPAGE=GB18030");
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.err, "");  // a named code page needs no word
  EXPECT_TRUE(Contains(named.out, "ch_2.html=第一回 灵根育孕源流出"));
  for (const char* locale :
       {"C.UTF-8", "en_US.UTF-8", "zh_CN.UTF-8", "zh_TW.UTF-8", "ja_JP.UTF-8"}) {
    const CliResult detected =
        RunCli({"--list-chapters", "novel.txt"}, temp_.path(), Desktop(locale));
    EXPECT_EQ(detected.status, 0) << locale << detected.err;
    EXPECT_TRUE(detected.out == named.out) << locale;  // stdout holds the chapters only
    EXPECT_EQ(detected.err, Note("novel.txt", "GB18030 (detected)")) << locale;
  }
}

TEST_F(CliCodePageTest, ANamedCodePageWinsAndAutoAsksForDetection) {
  CliResult result = RunCli({"--list-chapters", "--codepage", "windows-1252", "gb.txt"},
                            temp_.path(), Desktop("zh_CN.UTF-8"));
  EXPECT_EQ(result.status, 0);
  EXPECT_FALSE(Contains(result.out, "第一回"));  // what the user asked for
  EXPECT_FALSE(Contains(result.err, "detected")) << result.err;

  result = RunCli({"--list-chapters", "gb.txt"}, temp_.path(),
                  Desktop("zh_TW.UTF-8") + " QUIREFORGE_CODEPAGE=Big5");
  EXPECT_FALSE(Contains(result.out, "第一回"));
  EXPECT_FALSE(Contains(result.err, "detected")) << result.err;

  result = RunCli({"--list-chapters", "--codepage", "auto", "gb.txt"}, temp_.path(),
                  Desktop("zh_TW.UTF-8") + " QUIREFORGE_CODEPAGE=Big5");
  EXPECT_TRUE(Contains(result.out, "ch_1.html=第一回 灵根育孕源流出")) << result.out;
  EXPECT_EQ(result.err, Note("gb.txt", "GB18030 (detected)"));

  result = RunCli({"--list-chapters", "gb.txt"}, temp_.path(),
                  Desktop("en_US.UTF-8") + " QUIREFORGE_CODEPAGE=Auto");
  EXPECT_TRUE(Contains(result.out, "ch_1.html=第一回 灵根育孕源流出")) << result.out;
  EXPECT_EQ(result.err, Note("gb.txt", "GB18030 (detected)"));
}

TEST_F(CliCodePageTest, QuietSaysNothingButErrors) {
  const CliResult result =
      RunCli({"-q", "-o", "book.epub", "gb.txt", "big5.txt"}, temp_.path(), Desktop("C.UTF-8"));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(fs::exists(temp_ / "book.epub"));
}

TEST_F(CliCodePageTest, EachTellsWhatEverySourceWasReadAs) {
  WriteFile(temp_ / "ja.txt", ShiftJisText().bytes);
  WriteFile(temp_ / "ko.txt", EucKrText().bytes);
  WriteFile(temp_ / "fr.txt", Windows1252Text().bytes);
  const std::vector<std::string> sources = {"gb.txt", "big5.txt", "ja.txt", "ko.txt", "fr.txt"};
  std::vector<std::string> arguments = {"--each", "-j", "2"};
  arguments.insert(arguments.end(), sources.begin(), sources.end());
  const CliResult result = RunCli(arguments, temp_.path(), Desktop("zh_CN.UTF-8"));
  EXPECT_EQ(result.status, 0) << result.err;
  for (const std::string& note :
       {Note("gb.txt", "GB18030 (detected)"), Note("big5.txt", "Big5 (detected)"),
        Note("ja.txt", "Shift_JIS (detected)"), Note("ko.txt", "windows-949 (detected)"),
        Note("fr.txt", "windows-1252 (detected)"),
        "quireforge-cli: " + dir_ + "/fr.epub: written\n"}) {
    EXPECT_TRUE(Contains(result.err, note)) << note << "\n" << result.err;
  }
  EXPECT_TRUE(Contains(EntryBytes(temp_ / "ja.epub", "OEBPS/ch_1.html"), "朝早く"));
  EXPECT_TRUE(Contains(EntryBytes(temp_ / "ko.epub", "OEBPS/ch_1.html"), "<p>아침 일찍"));
  EXPECT_TRUE(Contains(EntryBytes(temp_ / "fr.epub", "OEBPS/ch_1.html"), "s’éveille"));

  arguments.insert(arguments.begin(), "-q");
  const CliResult quiet = RunCli(arguments, temp_.path(), Desktop("zh_CN.UTF-8"));
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
}

TEST_F(CliCodePageTest, ALocalesCodePageServingForLackOfAnAnswerIsTold) {
  WriteFile(temp_ / "short.txt", "Caf\xE9 cr\xE8me\r\n");
  const CliResult result = RunCli({"--list-chapters", "--no-chapters", "short.txt"}, temp_.path(),
                                  Desktop("ja_JP.UTF-8"));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, Note("short.txt", "Shift_JIS (not detected; the locale's code page)"));
}

TEST_F(CliCodePageTest, ABookWithoutAnyChapterHeadingIsWarnedOf) {
  WriteFile(temp_ / "plain.txt",
            EncodeIn("GB18030", "天气很好，我们去公园散步。\r\n鸟儿在树上唱歌。\r\n"));
  const std::string warning =
      Note("plain.txt",
           "no chapter heading found; try --chapter-rule classic or an own --chapter-pattern, "
           "and check the result with --list-chapters.");
  CliResult result = RunCli({"--codepage", "GB18030", "plain.txt"}, temp_.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, warning + "quireforge-cli: " + dir_ + "/plain.epub: written\n");
  // Also when only the chapter list is asked for: on stderr, never on stdout.
  result = RunCli({"--list-chapters", "--codepage", "GB18030", "plain.txt"}, temp_.path());
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, warning);
  // A text read in the locale's code page for lack of an answer may be garbled: then the
  // warning names that code page.
  WriteFile(temp_ / "short.txt", "Caf\xE9 cr\xE8me\r\n");
  result = RunCli({"--list-chapters", "short.txt"}, temp_.path(), Desktop("ja_JP.UTF-8"));
  EXPECT_TRUE(Contains(result.err,
                       "short.txt: no chapter heading found; the text was read in Shift_JIS, the "
                       "locale's code page: if it is garbled, name its code page with --codepage."))
      << result.err;
  // Not with chapters off, not quietly, and not for several sources, whose chapters come
  // from the sources themselves.
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--no-chapters", "plain.txt"},
                                             {"-q", "plain.txt"},
                                             {"-o", "two.epub", "plain.txt", "plain.txt"}}) {
    result = RunCli(arguments, temp_.path(), "QUIREFORGE_CODEPAGE=GB18030");
    EXPECT_EQ(result.status, 0) << ::testing::PrintToString(arguments);
    EXPECT_FALSE(Contains(result.err, "no chapter heading")) << result.err;
  }
}

// --- Sources that once read wrong, as the second hostile review found them ---------------

TEST_F(CliCodePageTest, Utf16WithoutAMarkIsToldByItsZeroBytesOrNamed) {
  const std::string& text = Gb18030Piece().text;
  WriteFile(temp_ / "le.txt", EncodeIn("UTF-16LE", text));
  WriteFile(temp_ / "be.txt", EncodeIn("UTF-16BE", text));
  for (const char* source : {"le.txt", "be.txt"}) {
    const CliResult result =
        RunCli({"--list-chapters", source}, temp_.path(), Desktop("en_US.UTF-8"));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("ch_1.html=第一回 灵根育孕源流出", 0), 0u) << result.out;
    EXPECT_EQ(result.err, Note(source, std::string(source[0] == 'l' ? "UTF-16LE" : "UTF-16BE") +
                                           " (detected)"));
  }
  // One character tells nothing by itself: the user names the byte order, which is no
  // code page of staged files.
  WriteFile(temp_ / "one.txt", std::string("\0A", 2));
  const CliResult result = RunCli({"--codepage", "UTF-16BE", "-t", "One", "one.txt"}, temp_.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(Contains(EntryBytes(temp_ / "one.epub", "OEBPS/ch_1.html"), "<p>A</p>"));
  EXPECT_EQ(ZipProblems(temp_ / "one.epub"), "");
  EXPECT_TRUE(Contains(EntryBytes(temp_ / "one.epub", "META-INF/container.xml"), "<?xml"));
}

TEST_F(CliCodePageTest, ATextCutAtANulIsReadInItsOwnCodePageWhateverFollows) {
  // Bytes as a damaged download or a disk tool leaves them after a text's NUL.
  std::mt19937 random(27);
  std::string noise, sparse_zeros;
  for (int i = 0; i < 20000; ++i) noise += static_cast<char>(random() & 0xFF);
  for (int i = 0; i < 20000; ++i)
    sparse_zeros += static_cast<char>(i % 300 == 0 ? 0 : 1 + random() % 255);
  std::string long_text;  // longer than a run of UTF-16 without a zero byte can be
  for (int i = 0; i < 6; ++i) long_text += Gb18030Piece().bytes;
  const struct {
    const char* label;
    std::string text, junk;
  } cases[] = {
      {"GB18030 and noise", Gb18030Piece().bytes, noise},
      {"UTF-8 and noise", Gb18030Piece().text, sparse_zeros},
      {"GB18030 and UTF-16", long_text, EncodeIn("UTF-16LE", Gb18030Piece().text)},
  };
  for (const auto& [label, text, junk] : cases) {
    WriteFile(temp_ / "cut.txt", text + '\0' + junk);
    const std::string left_out =
        Note("cut.txt", "the text ends at a NUL byte; the " + std::to_string(junk.size()) +
                            " bytes after it were left out.");
    // Alone, and as the second source of a book.
    for (const bool several : {false, true}) {
      std::vector<std::string> arguments = {"-t", "Cut", "-o", "cut.epub", "cut.txt"};
      if (several) arguments.insert(arguments.end() - 1, "gb.txt");
      const CliResult result = RunCli(arguments, temp_.path(), Desktop("en_US.UTF-8"));
      ASSERT_EQ(result.status, 0) << label << result.err;
      EXPECT_TRUE(Contains(result.err, left_out)) << label << result.err;
      EXPECT_FALSE(Contains(result.err, "UTF-16")) << label << result.err;
      const std::string page =
          EntryBytes(temp_ / "cut.epub", several ? "OEBPS/ch_2.html" : "OEBPS/ch_1.html");
      EXPECT_TRUE(Contains(page, "<p>第一回 灵根育孕源流出 心性修持大道生")) << label << several;
    }
  }
}

TEST_F(CliCodePageTest, AGb18030TextThatBeginsWithEfBbIsNoUtf8) {
  // 锘 is EF BB in GB18030, the first two bytes of a UTF-8 mark.
  WriteFile(temp_ / "mark.txt", EncodeIn("GB18030", "锘" + Gb18030Piece().text));
  // The classic rule takes the first line, 锘 and all, as a heading: the listing shows it whole.
  const CliResult result = RunCli({"--list-chapters", "--chapter-rule", "classic", "mark.txt"},
                                  temp_.path(), Desktop("en_US.UTF-8"));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out.rfind("ch_1.html=锘第一回 灵根育孕源流出", 0), 0u) << result.out;
  EXPECT_FALSE(Contains(result.out, "\xEF\xBF\xBD")) << result.out;  // no U+FFFD
  EXPECT_EQ(result.err, Note("mark.txt", "GB18030 (detected)"));
}

TEST_F(CliCodePageTest, AFileNameNotInUtf8IsReadInTheCodePageOfItsTextElseInGb18030) {
  // 西游记.txt named in GBK, as an old archive of Chinese books may hold it; the text in
  // GB18030, or in UTF-8, which has no code page to read the name in.
  const std::string gbk = EncodeIn("GB18030", "西游记");
  const std::string escaped = dir_ + "/\\xce\\xf7\\xd3μ\\xc7";  // CE BC is μ
  const struct {
    const char* label;
    std::string name, text, title, note;
  } cases[] = {
      {"GB18030 text", gbk, Gb18030Piece().bytes, "西游记", " GB18030 (detected)"},
      {"UTF-8 text", gbk, Gb18030Piece().text, "西游记", ""},
      // No code page reads FF FE: the name is shown with its bytes escaped.
      {"no text", "\xFF\xFE", Gb18030Piece().text, "\\xff\\xfe", ""},
  };
  for (const auto& [label, name, text, title, note] : cases) {
    WriteFile(temp_ / (name + ".txt"), text);
    const CliResult result = RunCli({name + ".txt"}, temp_.path(), Desktop("en_US.UTF-8"));
    ASSERT_EQ(result.status, 0) << label << result.err;
    const fs::path book = temp_ / (name + ".epub");
    EXPECT_TRUE(Contains(EntryBytes(book, "OEBPS/book.opf"), ">" + title + "</dc:title>")) << label;
    EXPECT_EQ(ZipProblems(book), "") << label;
    fs::remove(book);
    fs::remove(temp_ / (name + ".txt"));
    if (name == gbk) {
      // Messages show the bytes of the name that are not UTF-8 as escapes.
      EXPECT_EQ(result.err,
                (note.empty() ? "" : "quireforge-cli: " + escaped + ".txt:" + note + "\n") +
                    "quireforge-cli: " + escaped + ".epub: written\n")
          << label;
    }
  }
}

}  // namespace
}  // namespace quireforge::test
