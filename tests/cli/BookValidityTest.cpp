// Books finished through the core (TConvertFile + FinishBook with a TArchiver and the real
// engine) and books written by quireforge-cli pass epubcheck with no error and no warning,
// apart from the two errors of the device-font line when no font is embedded, and are
// sound ZIP archives with mimetype first and stored. One book per test case, so that the
// slow validator runs spread over the cores.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "FinishBench.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void ExpectValidBook(const fs::path& book, bool font_embedded) {
  ASSERT_TRUE(fs::exists(book));
  EXPECT_EQ(ZipProblems(book), "");
  const std::vector<std::string> problems = EpubCheckProblems(book, font_embedded);
  EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
}

// A line holding every kind of character that XML needs handled.
constexpr const char* kAwkwardLine = "Tom & Jerry <b>bold</b> a<b \x01\x02\x1F\x7F end\t tab";

// ---- Through the core -------------------------------------------------------------------

void FinishThroughCore(FinishBench& bench, const JobParameters& parameters) {
  auto job = bench.Build(parameters);
  ASSERT_TRUE(job->FinishBook(bench.archiver));
}

TEST(CoreBookValidityTest, SingleSourceWithChapters) {
  FinishBench bench;
  FinishThroughCore(bench, bench.Parameters({bench.Source("novel.txt", NovelText(400000))}));
  ExpectValidBook(bench.target(), false);
}

TEST(CoreBookValidityTest, MultiSourceWithFileNameTitles) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("Vol.1.txt", NovelText(30000)),
                                               bench.Source("a & <b>.txt", "Second part\r\n"),
                                               bench.Source("three", "\r\n\r\nThird\r\n")});
  parameters.file_name_as_chapter = true;
  FinishThroughCore(bench, parameters);
  ExpectValidBook(bench.target(), false);
}

TEST(CoreBookValidityTest, MultiSourceWithFirstLineTitles) {
  FinishBench bench;
  FinishThroughCore(
      bench,
      bench.Parameters({bench.Source("one.txt", NovelText(30000)),
                        bench.Source("two.txt", std::string(kAwkwardLine) + "\r\nbody\r\n")}));
  ExpectValidBook(bench.target(), false);
}

TEST(CoreBookValidityTest, EmbeddedFont) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", NovelText(100000))});
  parameters.font_file = U16(kDejaVu);
  FinishThroughCore(bench, parameters);
  ExpectValidBook(bench.target(), true);
}

TEST(CoreBookValidityTest, AwkwardCharactersInTitleAuthorChaptersAndText) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters(
      {bench.Source("novel.txt", std::string(kAwkwardLine) + "\r\n第一回 " + kAwkwardLine + "\r\n" +
                                     kAwkwardLine + "\r\n")});
  parameters.title = U16(kAwkwardLine);
  parameters.author = U16(std::string("O'Brien & \"Sons\" <") + "\x1B" + ">");
  FinishThroughCore(bench, parameters);
  ExpectValidBook(bench.target(), false);
}

// ---- Through quireforge-cli --------------------------------------------------------------

// Writes `bytes` to `name`, converts it with `options`, and checks that nothing is left in
// the temporary folder but the source and the book.
fs::path ConvertWithCli(const TempDir& temp,
                        const std::vector<std::pair<std::string, std::string>>& sources,
                        std::vector<std::string> options) {
  const fs::path folder = temp.path() / "books";
  fs::create_directories(folder);
  for (const auto& [name, bytes] : sources) {
    WriteFile(folder / name, bytes);
    options.push_back(name);
  }
  const CliResult result = RunCli(options, folder);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(temp.path())) {
    if (entry.path().filename() != "books") left.push_back(entry.path().string());
  }
  EXPECT_EQ(left, std::vector<std::string>()) << "the staging folder was left behind";
  return folder / "book.epub";
}

TEST(CliBookValidityTest, SingleSourceWithChapters) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", NovelText(400000)}}, {"-o", "book.epub", "-a", "吴承恩"});
  ExpectValidBook(book, false);
}

TEST(CliBookValidityTest, MultiSourceWithFileNameTitles) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"01 & <first>.txt", NovelText(20000)}, {"02.txt.txt", "Second\r\n"}},
                     {"-o", "book.epub", "--filename-chapters"});
  ExpectValidBook(book, false);
}

TEST(CliBookValidityTest, MultiSourceWithFirstLineTitles) {
  TempDir temp;
  const fs::path book = ConvertWithCli(
      temp, {{"a.txt", NovelText(20000)}, {"b.txt", std::string(kAwkwardLine) + "\r\nmore\r\n"}},
      {"-o", "book.epub"});
  ExpectValidBook(book, false);
}

TEST(CliBookValidityTest, EmbeddedFontAndEveryTypographicOption) {
  TempDir temp;
  const fs::path book = ConvertWithCli(temp, {{"novel.txt", NovelText(50000)}},
                                       {"-o", "book.epub", "--font", kDejaVu, "--margin", "wide",
                                        "--line-height", "wide", "--font-size", "large", "--bold"});
  ExpectValidBook(book, true);
}

TEST(CliBookValidityTest, AwkwardCharactersInTitleAuthorAndText) {
  TempDir temp;
  const fs::path book = ConvertWithCli(
      temp, {{"novel.txt", std::string(kAwkwardLine) + "\r\n第二回 " + kAwkwardLine + "\r\nx\r\n"}},
      {"-o", "book.epub", "-t", kAwkwardLine, "-a", "<&>\x01"});
  ExpectValidBook(book, false);
}

TEST(CliBookValidityTest, Gb18030Source) {
  TempDir temp;
  WriteFile(temp.path() / "utf8.txt", NovelText(200000));
  const fs::path gb = temp.path() / "gb.txt";
  ASSERT_EQ(
      RunCommand("iconv -f UTF-8 -t GB18030 " + ShellQuote((temp.path() / "utf8.txt").string()) +
                 " > " + ShellQuote(gb.string())),
      0);
  const std::string bytes = ReadFile(gb);
  fs::remove(gb);
  fs::remove(temp.path() / "utf8.txt");
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", bytes}}, {"-o", "book.epub", "--codepage", "GB18030"});
  ExpectValidBook(book, false);
  // The text was decoded, not passed through as mojibake.
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("第一回"), std::string::npos);
}

std::string Utf16(const std::string& utf8, bool little_endian) {
  const std::u16string text = U16(utf8);
  std::string bytes = little_endian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += little_endian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

TEST(CliBookValidityTest, Utf16LittleEndianSource) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", Utf16(NovelText(150000), true)}}, {"-o", "book.epub"});
  ExpectValidBook(book, false);
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("第一回"), std::string::npos);
}

TEST(CliBookValidityTest, Utf16BigEndianSource) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", Utf16(NovelText(150000), false)}}, {"-o", "book.epub"});
  ExpectValidBook(book, false);
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("第一回"), std::string::npos);
}

TEST(CliBookValidityTest, Utf8SourceWithoutMark) {
  TempDir temp;
  // The corpus has no byte-order mark; the code page of the environment does not matter.
  const fs::path book = ConvertWithCli(temp, {{"novel.txt", NovelText(150000)}},
                                       {"-o", "book.epub", "--codepage", "windows-1252"});
  ExpectValidBook(book, false);
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("第一回"), std::string::npos);
}

TEST(CliBookValidityTest, FirstLineIsAChapterHeading) {
  TempDir temp;
  const std::string novel = NovelText(60000);
  const std::string from_heading = novel.substr(novel.find("第一回"));
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", "\r\n  \r\n" + from_heading}}, {"-o", "book.epub"});
  ExpectValidBook(book, false);
}

TEST(CliBookValidityTest, TextWithoutHeadings) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"plain.txt", "Only plain text, no heading.\r\nSecond line.\r\n"}},
                     {"-o", "book.epub"});
  ExpectValidBook(book, false);
}

TEST(CliBookValidityTest, ChaptersSwitchedOff) {
  TempDir temp;
  const fs::path book = ConvertWithCli(temp, {{"novel.txt", NovelText(300000)}},
                                       {"-o", "book.epub", "--no-chapters"});
  ExpectValidBook(book, false);
}

}  // namespace
}  // namespace quireforge::test
