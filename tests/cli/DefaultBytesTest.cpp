// The classic book keeps its bytes: the digests of every file of four books written with
// --classic (one source with chapters, volumes and a cover, several sources, a font and every
// typographic option) are compared with those in default-books.sha256, which were taken from
// books the program wrote before any option changed how pages and package look. Each book's
// identifier is replaced by "GUID" first, since it is new every time.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A red picture of 2 x 3 pixels.
const std::string kCoverPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00"
    "\x00\x03\x08\x02\x00\x00\x00\x36\x88\x49\xD6\x00\x00\x00\x10\x49\x44\x41\x54\x78\xDA\x63"
    "\xF8\xCF\xC0\x00\x44\x0C\x28\x14\x00\x44\xD0\x05\xFB\x4C\xCE\x71\x0F\x00\x00\x00\x00\x49"
    "\x45\x4E\x44\xAE\x42\x60\x82",
    73);

// One line per file of `book`, sorted by name: the SHA-256 of its bytes with every identifier
// replaced by "GUID", and the name; a file named in `copies` is listed without digest (its
// bytes are compared with their source instead).
std::string Digests(const fs::path& book, const std::string& copies = "") {
  const std::string script =
      "import hashlib, re, sys, zipfile\n"
      "book = zipfile.ZipFile(sys.argv[1])\n"
      "guid = re.compile(rb'[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}')\n"
      "for name in sorted(book.namelist()):\n"
      "    if name in sys.argv[2:]:\n"
      "        print('copied', name)\n"
      "        continue\n"
      "    print(hashlib.sha256(guid.sub(b'GUID', book.read(name))).hexdigest(), name)\n";
  std::string command = "python3 -c " + ShellQuote(script) + " " + ShellQuote(book.string());
  // Appended rather than joined with `" " + string`, which GCC 12 at -O3 takes for an
  // overlapping copy (-Wrestrict).
  if (!copies.empty()) {
    command += ' ';
    command += ShellQuote(copies);
  }
  std::string output;
  EXPECT_EQ(RunCommand(command, &output), 0) << output;
  return output;
}

void Convert(const TempDir& temp, const std::vector<std::string>& arguments) {
  const CliResult result = RunCli(arguments, temp.path());
  EXPECT_EQ(result.status, 0) << result.err;
}

TEST(DefaultBytesTest, BooksWithoutTheNewOptionsKeepTheirBytes) {
  TempDir temp;
  WriteFile(temp / "novel.txt", NovelText(300000));
  WriteFile(temp / "volumes.txt", "《卷书》\r\n楔子 开端\r\n　　序文 & <注>\r\n第一卷 潜龙\r\n" +
                                      NovelText(150000) + "　　第二卷　空卷\r\n");
  WriteFile(temp / "01 first.txt", "\r\n  第一章 a & <b>\r\n　　indented line\r\n\t\r\n  \r\nend");
  WriteFile(temp / "02.txt", "\xEF\xBB\xBF　　Second source\r\n    four blanks\r\n");
  WriteFile(temp / "cover.png", kCoverPng);

  // The classic book, and options given beside it.
  Convert(temp, {"-q", "--classic", "-o", "a.epub", "-t", "西游记", "-a", "吴承恩", "novel.txt"});
  Convert(temp, {"-q", "-o", "b.epub", "--classic", "--volumes", "--cover", "cover.png",
                 "--language", "zh", "volumes.txt"});
  Convert(temp,
          {"-q", "-o", "c.epub", "--filename-chapters", "--classic", "01 first.txt", "02.txt"});
  Convert(temp, {"-q", "-o", "d.epub", "--classic", "--font", kDejaVu, "--bold", "--margin", "wide",
                 "--line-height", "wide", "--font-size", "small", "--no-chapters", "novel.txt"});
  ASSERT_EQ(EntryBytes(temp / "d.epub", "OEBPS/font.ttf"), ReadFile(kDejaVu));

  std::string digests;
  for (const char* book : {"a.epub", "b.epub", "c.epub"}) {
    digests += std::string("== ") + book + "\n" + Digests(temp / book);
  }
  digests += "== d.epub\n" + Digests(temp / "d.epub", "OEBPS/font.ttf");
  EXPECT_EQ(digests, ReadFile(fs::path(QF_SOURCE_DIR) / "tests/cli/default-books.sha256"))
      << "The default books changed. Their digests now:\n"
      << digests;
}

}  // namespace
}  // namespace quireforge::test
