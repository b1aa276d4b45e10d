// Books read back by a reading system: calibre's ebook-convert turns books written by
// quireforge-cli, EPUB 2 and EPUB 3, with and without headings and indent, into plain text.
// That text must give back every character of the source (blanks aside: an indent removes
// them, and readers lay out lines their own way), and every chapter and volume line exactly
// once, so that a heading is neither lost nor shown twice.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

bool IsSpacing(char16_t c) { return c <= u' ' || c == u'\u3000' || c == u'\uFEFF'; }

// `text` without any blanks, line breaks, ideographic spaces or byte-order marks.
std::u16string Visible(const std::string& utf8) {
  std::u16string visible;
  for (char16_t c : U16(utf8)) {
    if (!IsSpacing(c)) visible += c;
  }
  return visible;
}

std::u16string TrimmedLine(std::u16string line) {
  while (!line.empty() && IsSpacing(line.back())) line.pop_back();
  size_t start = 0;
  while (start < line.size() && IsSpacing(line[start])) ++start;
  return line.substr(start);
}

// How often each line of `utf8` occurs in it, trimmed.
std::map<std::u16string, int> LineCounts(const std::string& utf8) {
  std::map<std::u16string, int> counts;
  std::istringstream lines(utf8);
  for (std::string line; std::getline(lines, line);) ++counts[TrimmedLine(U16(line))];
  return counts;
}

// A novel with volumes, a line of characters that XML escapes and quotes, and lines that
// start with blanks and ideographic spaces (the corpus's own lines start with four blanks).
std::string Novel() {
  std::string text = "《西游记》\r\n　　引子 Tom & Jerry <b>bold</b> \"q\" 'a'\r\n";
  const std::string novel = NovelText(120000);
  int headings = 0;
  for (size_t start = 0; start < novel.size();) {
    const size_t end = novel.find("\r\n", start);
    const std::string line = novel.substr(start, end == std::string::npos ? end : end + 2 - start);
    if (line.rfind("第", 0) == 0 && line.find("回") != std::string::npos && headings++ % 2 == 0) {
      text += "　　第" + std::to_string(headings / 2 + 1) + "卷 卷名 & <" +
              std::to_string(headings) + ">\r\n";
    }
    text += line;
    start = end == std::string::npos ? novel.size() : end + 2;
  }
  return text;
}

void ExpectEverythingReadBack(bool epub3) {
  TempDir temp;
  WriteFile(temp / "novel.txt", Novel());
  ASSERT_EQ(RunCommand("convert -size 60x80 xc:navy " + ShellQuote((temp / "c.jpg").string())), 0);
  // The chapter and volume lines, from the chapter list.
  const CliResult list = RunCli({"--list-chapters", "--volumes", "novel.txt"}, temp.path());
  ASSERT_EQ(list.status, 0) << list.err;
  std::vector<std::u16string> headings;
  std::istringstream entries(list.out);
  for (std::string entry; std::getline(entries, entry);) {
    headings.push_back(TrimmedLine(U16(entry.substr(entry.find('=') + 1))));
  }
  ASSERT_GT(headings.size(), 10u);
  const std::u16string source = Visible(ReadFile(temp / "novel.txt"));

  for (const bool title : {false, true}) {
    for (const bool indent : {false, true}) {
      std::vector<std::string> arguments = {"-q",    "--volumes", "--cover",
                                            "c.jpg", "-o",        "book.epub"};
      if (epub3) arguments.push_back("--epub3");
      if (title) arguments.insert(arguments.end(), {"--heading-style", "title"});
      if (indent) arguments.insert(arguments.end(), {"--indent", "2"});
      arguments.push_back("novel.txt");
      const std::string what = ::testing::PrintToString(arguments);
      const CliResult result = RunCli(arguments, temp.path());
      ASSERT_EQ(result.status, 0) << what << result.err;
      std::string output;
      ASSERT_EQ(RunCommand("cd " + ShellQuote(temp.path().string()) +
                               " && HOME=" + ShellQuote(temp.path().string()) +
                               " QT_QPA_PLATFORM=offscreen ebook-convert book.epub book.txt",
                           &output),
                0)
          << what << output;
      const std::string text = ReadFile(temp / "book.txt");
      EXPECT_TRUE(Visible(text) == source) << what << ": characters were lost or changed";
      const std::map<std::u16string, int> counts = LineCounts(text);
      for (const std::u16string& heading : headings) {
        const auto found = counts.find(heading);
        EXPECT_EQ(found == counts.end() ? 0 : found->second, 1) << what << ": " << U8(heading);
      }
      fs::remove(temp / "book.txt");
    }
  }
}

TEST(RoundTripTest, Epub2BooksGiveBackEveryCharacterAndEveryHeadingOnce) {
  ExpectEverythingReadBack(false);
}

TEST(RoundTripTest, Epub3BooksGiveBackEveryCharacterAndEveryHeadingOnce) {
  ExpectEverythingReadBack(true);
}

TEST(RoundTripTest, AVerticalBookWithAContentsPageGivesBackItsContentsAndThenTheWholeText) {
  TempDir temp;
  WriteFile(temp / "novel.txt", Novel());
  const CliResult list = RunCli({"--list-chapters", "--volumes", "novel.txt"}, temp.path());
  ASSERT_EQ(list.status, 0) << list.err;
  // The contents page: its heading, then every volume and chapter title in reading order.
  std::string contents = "目录";
  std::istringstream entries(list.out);
  for (std::string entry; std::getline(entries, entry);)
    contents += entry.substr(entry.find('=') + 1);
  const CliResult result =
      RunCli({"-q", "--vertical", "--contents-page", "--volumes", "-o", "book.epub", "novel.txt"},
             temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  std::string output;
  ASSERT_EQ(RunCommand("cd " + ShellQuote(temp.path().string()) +
                           " && HOME=" + ShellQuote(temp.path().string()) +
                           " QT_QPA_PLATFORM=offscreen ebook-convert book.epub book.txt",
                       &output),
            0)
      << output;
  const std::u16string text = Visible(ReadFile(temp / "book.txt"));
  EXPECT_TRUE(text == Visible(contents) + Visible(ReadFile(temp / "novel.txt")))
      << "calibre read:\n"
      << U8(text.substr(0, 300));
}

}  // namespace
}  // namespace quireforge::test
