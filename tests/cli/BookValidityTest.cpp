// Books finished through the core (TConvertFile + FinishBook with a TArchiver and the real
// engine) and books written by quireforge-cli pass epubcheck with no error and no warning,
// apart from the two errors of the device-font line when no font is embedded, and are
// sound ZIP archives with mimetype first and stored. The cases run in one process, whose
// one validator (EpubCheck.h) checks every book.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "FinishBench.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Every book passes clean but the classic one without a font (`device_font`).
void ExpectValidBook(const fs::path& book, bool device_font = false) {
  ASSERT_TRUE(fs::exists(book));
  EXPECT_EQ(ZipProblems(book), "");
  const std::vector<std::string> problems = EpubCheckProblems(book, device_font);
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
  ExpectValidBook(bench.target());
}

TEST(CoreBookValidityTest, MultiSourceWithFileNameTitles) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("Vol.1.txt", NovelText(30000)),
                                               bench.Source("a & <b>.txt", "Second part\r\n"),
                                               bench.Source("three", "\r\n\r\nThird\r\n")});
  parameters.options.file_name_chapters = true;
  FinishThroughCore(bench, parameters);
  ExpectValidBook(bench.target());
}

TEST(CoreBookValidityTest, MultiSourceWithFirstLineTitles) {
  FinishBench bench;
  FinishThroughCore(
      bench,
      bench.Parameters({bench.Source("one.txt", NovelText(30000)),
                        bench.Source("two.txt", std::string(kAwkwardLine) + "\r\nbody\r\n")}));
  ExpectValidBook(bench.target());
}

TEST(CoreBookValidityTest, EmbeddedFont) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters({bench.Source("novel.txt", NovelText(100000))});
  parameters.options.font = U16(kDejaVu);
  FinishThroughCore(bench, parameters);
  ExpectValidBook(bench.target());
}

TEST(CoreBookValidityTest, AwkwardCharactersInTitleAuthorChaptersAndText) {
  FinishBench bench;
  JobParameters parameters = bench.Parameters(
      {bench.Source("novel.txt", std::string(kAwkwardLine) + "\r\n第一回 " + kAwkwardLine + "\r\n" +
                                     kAwkwardLine + "\r\n")});
  parameters.title = U16(kAwkwardLine);
  parameters.author = U16(std::string("O'Brien & \"Sons\" <") + "\x1B" + ">");
  FinishThroughCore(bench, parameters);
  ExpectValidBook(bench.target());
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
  ExpectValidBook(book);
}

TEST(CliBookValidityTest, MultiSourceWithFileNameTitles) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"01 & <first>.txt", NovelText(20000)}, {"02.txt.txt", "Second\r\n"}},
                     {"-o", "book.epub", "--filename-chapters"});
  ExpectValidBook(book);
}

TEST(CliBookValidityTest, MultiSourceWithFirstLineTitles) {
  TempDir temp;
  const fs::path book = ConvertWithCli(
      temp, {{"a.txt", NovelText(20000)}, {"b.txt", std::string(kAwkwardLine) + "\r\nmore\r\n"}},
      {"-o", "book.epub"});
  ExpectValidBook(book);
}

TEST(CliBookValidityTest, EmbeddedFontAndEveryTypographicOption) {
  TempDir temp;
  const fs::path book = ConvertWithCli(temp, {{"novel.txt", NovelText(50000)}},
                                       {"-o", "book.epub", "--font", kDejaVu, "--margin", "wide",
                                        "--line-height", "wide", "--font-size", "large", "--bold"});
  ExpectValidBook(book);
}

TEST(CliBookValidityTest, AwkwardCharactersInTitleAuthorAndText) {
  TempDir temp;
  const fs::path book = ConvertWithCli(
      temp, {{"novel.txt", std::string(kAwkwardLine) + "\r\n第二回 " + kAwkwardLine + "\r\nx\r\n"}},
      {"-o", "book.epub", "-t", kAwkwardLine, "-a", "<&>\x01"});
  ExpectValidBook(book);
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
  ExpectValidBook(book);
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
  ExpectValidBook(book);
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("第一回"), std::string::npos);
}

TEST(CliBookValidityTest, Utf16BigEndianSource) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", Utf16(NovelText(150000), false)}}, {"-o", "book.epub"});
  ExpectValidBook(book);
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("第一回"), std::string::npos);
}

TEST(CliBookValidityTest, Utf8SourceWithoutMark) {
  TempDir temp;
  // The corpus has no byte-order mark; the code page of the environment does not matter.
  const fs::path book = ConvertWithCli(temp, {{"novel.txt", NovelText(150000)}},
                                       {"-o", "book.epub", "--codepage", "windows-1252"});
  ExpectValidBook(book);
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("第一回"), std::string::npos);
}

TEST(CliBookValidityTest, FirstLineIsAChapterHeading) {
  TempDir temp;
  const std::string novel = NovelText(60000);
  const std::string from_heading = novel.substr(novel.find("第一回"));
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", "\r\n  \r\n" + from_heading}}, {"-o", "book.epub"});
  ExpectValidBook(book);
}

TEST(CliBookValidityTest, TextWithoutHeadings) {
  TempDir temp;
  const fs::path book =
      ConvertWithCli(temp, {{"plain.txt", "Only plain text, no heading.\r\nSecond line.\r\n"}},
                     {"-o", "book.epub"});
  ExpectValidBook(book);
}

TEST(CliBookValidityTest, ChaptersSwitchedOff) {
  TempDir temp;
  const fs::path book = ConvertWithCli(temp, {{"novel.txt", NovelText(300000)}},
                                       {"-o", "book.epub", "--no-chapters"});
  ExpectValidBook(book);
}

// ---- The options beyond the window's ----------------------------------------------------

// The opening of a corpus novel with a volume line before every third chapter heading.
std::string VolumeNovelText(size_t bytes) {
  const std::string novel = NovelText(bytes);
  std::string text;
  int headings = 0;
  for (size_t start = 0; start < novel.size();) {
    const size_t end = novel.find("\r\n", start);
    const std::string line = novel.substr(start, end == std::string::npos ? end : end + 2 - start);
    if (line.rfind("第", 0) == 0 && line.find("回") != std::string::npos && headings++ % 3 == 0) {
      text += "第" + std::to_string(headings / 3 + 1) + "卷 卷名\r\n";
    }
    text += line;
    start = end == std::string::npos ? novel.size() : end + 2;
  }
  return text;
}

// Makes a picture with ImageMagick in the folder of the sources.
fs::path Picture(const TempDir& temp, const std::string& name, const std::string& spec) {
  fs::create_directories(temp.path() / "books");
  const fs::path path = temp.path() / "books" / name;
  EXPECT_EQ(RunCommand("convert " + spec + " " + ShellQuote(path.string())), 0);
  return path;
}

TEST(CliBookValidityTest, VolumesAndAJpegCoverInOneBook) {
  TempDir temp;
  const fs::path cover = Picture(temp, "cover.jpg", "-size 600x800 xc:navy");
  const fs::path book = ConvertWithCli(
      temp, {{"novel.txt", "《卷首》\r\n楔子\r\n" + VolumeNovelText(200000)}},
      {"-o", "book.epub", "--volumes", "--cover", cover.string(), "--language", "zh"});
  ExpectValidBook(book);
  EXPECT_NE(EntryBytes(book, "OEBPS/toc.ncx").find("<meta name=\"dtb:depth\" content=\"2\"/>"),
            std::string::npos);
  EXPECT_EQ(EntryBytes(book, "OEBPS/cover.jpg"), ReadFile(cover));
  const std::string opf = EntryBytes(book, "OEBPS/book.opf");
  EXPECT_NE(opf.find("<meta name=\"cover\" content=\"cover-image\"/>"), std::string::npos);
  EXPECT_NE(opf.find("<spine toc=\"ncx\">\r\n<itemref idref=\"cover\" />\r\n"), std::string::npos);
}

TEST(CliBookValidityTest, APngCoverAnOwnChapterRuleAndAFont) {
  TempDir temp;
  const fs::path cover = Picture(temp, "cover.png", "-size 90x160 xc:orange");
  const fs::path book =
      ConvertWithCli(temp, {{"novel.txt", "Title\r\nChapter 1\r\ntext\r\n1.\r\nmore & <less>\r\n"}},
                     {"-o", "book.epub", "--chapter-pattern", "^Chapter|^[0-9]+\\.$", "--cover",
                      cover.string(), "--font", kDejaVu, "--language", "en-GB"});
  ExpectValidBook(book);
}

TEST(CliBookValidityTest, NamesFromTheFileNameVolumesWithoutChaptersAndAGuessedLanguage) {
  TempDir temp;
  const std::string name = "《希灵帝国》（校对版全本）作者：远瞳.txt";
  const fs::path folder = temp.path() / "books";
  fs::create_directories(folder);
  WriteFile(folder / name, VolumeNovelText(100000));
  const CliResult result =
      RunCli({"-q", "--volumes", "--no-chapters", "--language", "auto", name}, folder);
  ASSERT_EQ(result.status, 0) << result.err;
  const fs::path book = folder / "《希灵帝国》（校对版全本）作者：远瞳.epub";
  ExpectValidBook(book);
  const std::string opf = EntryBytes(book, "OEBPS/book.opf");
  EXPECT_NE(opf.find("<dc:title>希灵帝国</dc:title>"), std::string::npos) << opf;
  EXPECT_NE(opf.find("<dc:creator>远瞳</dc:creator>"), std::string::npos);
  EXPECT_NE(opf.find("<dc:language>zh</dc:language>"), std::string::npos);
}

TEST(CliBookValidityTest, EveryBookOfEachWithEveryNewOption) {
  TempDir temp;
  const fs::path cover = Picture(temp, "cover.jpg", "-size 300x200 xc:green");
  const fs::path folder = temp.path() / "books";
  WriteFile(folder / "a.txt", VolumeNovelText(60000));
  WriteFile(folder / "b.txt", "Foreword\r\n卷一\r\n第一回 x\r\ntext\r\n卷二\r\n");
  const CliResult result =
      RunCli({"--each", "-q", "--volumes", "--cover", cover.string(), "--language", "ja",
              "--chapter-pattern", "^第.{1,5}回", "a.txt", "b.txt"},
             folder);
  ASSERT_EQ(result.status, 0) << result.err;
  ExpectValidBook(folder / "a.epub");
  ExpectValidBook(folder / "b.epub");
}

// ---- Headings, indent and EPUB 3 ---------------------------------------------------------

// One book of the combinations below.
struct Combination {
  bool title_headings, indent, epub3, volumes, cover;
};

// Writes the book of `combination` with quireforge-cli into `folder` (which holds novel.txt and
// cover.jpg) as <name>.epub; a font is embedded where exactly one of volumes and cover is
// there, so that every other combination is checked with a font and without.
CheckedBook WriteCombination(const fs::path& folder, const Combination& combination) {
  std::string name = std::string(combination.epub3 ? "epub3" : "epub2") +
                     (combination.title_headings ? "-title" : "-plain") +
                     (combination.indent ? "-indent" : "") +
                     (combination.volumes ? "-volumes" : "") + (combination.cover ? "-cover" : "");
  const bool font = combination.volumes != combination.cover;
  if (font) name += "-font";
  std::vector<std::string> arguments = {"-q", "-o", name + ".epub", "-t", kAwkwardLine};
  // An EPUB 3 book without author has no dc:creator at all.
  if (!combination.volumes) arguments.insert(arguments.end(), {"-a", ""});
  if (combination.title_headings) arguments.insert(arguments.end(), {"--heading-style", "title"});
  if (combination.indent) arguments.insert(arguments.end(), {"--indent", "2"});
  if (combination.epub3) arguments.push_back("--epub3");
  if (combination.volumes) arguments.push_back("--volumes");
  if (combination.cover) arguments.insert(arguments.end(), {"--cover", "cover.jpg"});
  if (font) arguments.insert(arguments.end(), {"--font", kDejaVu});
  arguments.push_back("novel.txt");
  const CliResult result = RunCli(arguments, folder);
  EXPECT_EQ(result.status, 0) << name << ": " << result.err;
  return CheckedBook{folder / (name + ".epub"), false, combination.epub3};
}

// Every combination of headings, indent, volumes and cover for one EPUB version and heading
// style, validated in one run of epubcheck.
void ExpectEveryCombinationValid(bool epub3, bool title_headings) {
  TempDir temp;
  const fs::path folder = temp.path() / "books";
  fs::create_directories(folder);
  WriteFile(folder / "novel.txt", "　　" + std::string(kAwkwardLine) + "\r\n　　\r\n" +
                                      VolumeNovelText(80000) + "第九十九回 " + kAwkwardLine +
                                      "\r\n");
  Picture(temp, "cover.jpg", "-size 120x160 xc:navy");
  std::vector<CheckedBook> books;
  for (bool indent : {false, true}) {
    for (bool volumes : {false, true}) {
      for (bool cover : {false, true}) {
        books.push_back(
            WriteCombination(folder, Combination{title_headings, indent, epub3, volumes, cover}));
      }
    }
  }
  const std::vector<std::vector<std::string>> problems = EpubCheckProblemsOf(books);
  ASSERT_EQ(problems.size(), books.size());
  for (size_t i = 0; i < books.size(); ++i) {
    EXPECT_EQ(ZipProblems(books[i].path), "") << books[i].path;
    EXPECT_TRUE(problems[i].empty())
        << books[i].path << ": " << ::testing::PrintToString(problems[i]);
  }
}

TEST(FormatValidityTest, Epub2WithPlainHeadings) { ExpectEveryCombinationValid(false, false); }
TEST(FormatValidityTest, Epub2WithTitleHeadings) { ExpectEveryCombinationValid(false, true); }
TEST(FormatValidityTest, Epub3WithPlainHeadings) { ExpectEveryCombinationValid(true, false); }
TEST(FormatValidityTest, Epub3WithTitleHeadings) { ExpectEveryCombinationValid(true, true); }

}  // namespace
}  // namespace quireforge::test
