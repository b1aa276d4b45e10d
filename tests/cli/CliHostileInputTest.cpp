// quireforge-cli against input that is out to break it: pipes where files should be, a target
// that names the font, an older file that is no archive, target names as long as a folder
// takes, titles that are empty once written, and control characters in titles and file
// names. Each run is bounded by timeout(1), so that a hang fails the test instead of holding
// it; nothing may be lost, and every message names its file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// Stops a run that hangs; status 124 then.
constexpr const char* kDeadline = "timeout -s KILL 60";

class CliHostileInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(temp_ / "a.txt", kText);
    dir_ = temp_.path().string();
  }
  void TearDown() override { EXPECT_EQ(RunLeftovers(temp_.path()), std::vector<std::string>()); }

  CliResult Run(const std::vector<std::string>& arguments) {
    return RunCli(arguments, temp_.path(), kDeadline);
  }

  static constexpr const char* kText = "Preface\r\n第一回 One\r\nBody\r\n";
  TempDir temp_;
  std::string dir_;
};

TEST_F(CliHostileInputTest, PipesAsTargetFontOrSourceAreRefusedWithoutWaiting) {
  ASSERT_EQ(mkfifo((temp_ / "pipe.epub").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((temp_ / "pipe.ttf").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((temp_ / "pipe.txt").c_str(), 0644), 0);

  CliResult result = Run({"-o", "pipe.epub", "a.txt"});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.err, "quireforge-cli: " + dir_ + "/pipe.epub: Cannot write to " + dir_ +
                            "/pipe.epub <Not a regular file>\n");

  result = Run({"--font", "pipe.ttf", "a.txt"});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.err, "quireforge-cli: Cannot copy font file \"" + dir_ +
                            "/pipe.ttf\". Not a regular file\n");
  EXPECT_FALSE(fs::exists(temp_ / "a.epub"));

  result = Run({"-o", "b.epub", "pipe.txt"});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.err,
            "quireforge-cli: Cannot open file \"" + dir_ + "/pipe.txt\". Not a regular file\n");

  for (const char* pipe : {"pipe.epub", "pipe.ttf", "pipe.txt"}) {
    EXPECT_TRUE(fs::is_fifo(temp_ / pipe)) << pipe;
  }
  EXPECT_FALSE(fs::exists(temp_ / "b.epub"));
}

TEST_F(CliHostileInputTest, AnOlderFileThatIsNoArchiveIsReplacedWithoutAWord) {
  WriteFile(temp_ / "a.epub", "plain text, no archive");
  CliResult result = Run({"a.txt"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "quireforge-cli: " + dir_ + "/a.epub: written\n");
  EXPECT_EQ(ZipProblems(temp_ / "a.epub"), "");

  // A book behind other data, as a download page might leave it.
  WriteFile(temp_ / "a.epub", std::string(100, 'S') + ReadFile(temp_ / "a.epub"));
  result = Run({"a.txt"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "quireforge-cli: " + dir_ + "/a.epub: written\n");
  EXPECT_EQ(ZipProblems(temp_ / "a.epub"), "");
}

TEST_F(CliHostileInputTest, ATargetThatNamesTheFontIsRefused) {
  const std::string font = ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  WriteFile(temp_ / "f.ttf", font);
  fs::create_symlink(temp_ / "f.ttf", temp_ / "link.epub");
  for (const char* target : {"f.ttf", "./f.ttf", "link.epub"}) {
    const CliResult result = Run({"--font", "f.ttf", "-o", target, "a.txt"});
    EXPECT_EQ(result.status, 1) << target;
    EXPECT_EQ(result.err, "quireforge-cli: Cannot create file \"" + dir_ + "/" +
                              fs::path(target).filename().string() + "\". It is the font file.\n")
        << target;
  }
  EXPECT_EQ(ReadFile(temp_ / "f.ttf"), font);

  // With --each, the book of one source may be the font: that one is refused, the rest made.
  WriteFile(temp_ / "a.epub", font);
  WriteFile(temp_ / "b.txt", kText);
  const CliResult result = Run({"--each", "--font", "a.epub", "a.txt", "b.txt"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("quireforge-cli: Cannot create file \"" + dir_ +
                            "/a.epub\". It is the font file.\n"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("quireforge-cli: " + dir_ + "/b.epub: written\n"), std::string::npos)
      << result.err;
  EXPECT_EQ(ReadFile(temp_ / "a.epub"), font);
  EXPECT_EQ(EntryBytes(temp_ / "b.epub", "OEBPS/font.ttf"), font);
}

TEST_F(CliHostileInputTest, TargetNamesOfUpTo255BytesWork) {
  for (size_t length : {249u, 255u}) {
    const std::string name = std::string(length - 5, 'n') + ".epub";
    for (int round = 0; round < 2; ++round) {  // a new book, then one that replaces it
      const CliResult result = Run({"-q", "-o", name, "a.txt"});
      EXPECT_EQ(result.status, 0) << length << ": " << result.err;
      EXPECT_EQ(ZipProblems(temp_ / name), "") << length;
    }
    std::vector<std::string> left = EverythingBelow(temp_.path());
    EXPECT_EQ(left, (std::vector<std::string>{"a.txt", name})) << length;
    fs::remove(temp_ / name);
  }
}

TEST_F(CliHostileInputTest, TitlesThatAreEmptyOnceWrittenAreRefused) {
  // Given: a usage error, as an empty title is.
  for (const std::string& title :
       {std::string(" "), std::string("\t \x01\x1F"), std::string("\xEF\xBF\xBE \xEF\xBF\xBF")}) {
    const CliResult result = Run({"-t", title, "a.txt"});
    EXPECT_EQ(result.status, 2) << result.err;
    EXPECT_EQ(result.err,
              "--title: the title must not be empty\nRun with --help for more information.\n");
  }
  // Taken from the file name: a failure naming the source.
  WriteFile(temp_ / "\x01.txt", kText);
  CliResult result = Run({"\x01.txt"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quireforge-cli: The title taken from the name of \"" + dir_ +
                            "/\\x01.txt\" is empty; give one with --title.\n");
  EXPECT_FALSE(fs::exists(temp_ / "\x01.epub"));
  result = Run({"-q", "-t", "Title", "\x01.txt"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ZipProblems(temp_ / "\x01.epub"), "");
}

TEST_F(CliHostileInputTest, ListedTitlesShowControlCharactersAsEscapes) {
  WriteFile(temp_ / "novel.txt",
            "第一章 \x1B[31mred\\end\t\x7F\xC2\x85\xE2\x80\xA8.\r\n"
            "Body\r\n");
  CliResult result = Run({"--list-chapters", "novel.txt"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "ch_1.html=第一章 \\x1b[31mred\\\\end\\t\\x7f\\u0085\\u2028.\n");

  // A file name may hold a line feed; as a chapter title it must not forge a second entry.
  WriteFile(temp_ / "one\nch_9.html=two.txt", "text\r\n");
  result = Run({"--list-chapters", "--filename-chapters", "one\nch_9.html=two.txt", "a.txt"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "ch_1.html=one\\nch_9.html=two\nch_2.html=a\n");

  // The form is told where the options are.
  result = Run({"--help"});
  EXPECT_NE(result.out.find("\\xHH"), std::string::npos) << result.out;
}

TEST_F(CliHostileInputTest, MessagesCarryNoRawControlCharacters) {
  // Off a terminal.
  CliResult result = Run({"no\x1B[2Jsuch\r.txt"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "quireforge-cli: Cannot open file \"" + dir_ +
                            "/no\\x1b[2Jsuch\\r.txt\". No such file or directory\n");

  // A refused option value is quoted in the usage error.
  result = Run({"--margin", "\x1B[2J", "a.txt"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err.find('\x1B'), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("\"\\x1b[2J\" is not one of normal, wide"), std::string::npos)
      << result.err;

  // On a terminal, where the progress bar shows the target's name as well. script hands its
  // command to a shell of its own, so the program's path is quoted once more.
  const fs::path typescript = temp_ / "typescript";
  const std::string program = ShellQuote(std::string(QF_BUILD_DIR) + "/quireforge-cli");
  const std::string command = "cd " + ShellQuote(dir_) + " && " + kDeadline + " script -qec " +
                              ShellQuote(program + " -o \"$(printf 'x\\033[2Jy.epub')\" a.txt") +
                              " " + ShellQuote(typescript.string());
  ASSERT_EQ(RunCommand(command), 0);
  const std::string shown = ReadFile(typescript);
  EXPECT_EQ(shown.find("\x1B[2J"), std::string::npos) << shown;
  EXPECT_NE(shown.find("x\\x1b[2Jy.epub: written"), std::string::npos) << shown;
  fs::remove(typescript);
}

TEST_F(CliHostileInputTest, TextLeftOutAfterANulIsToldNamingTheSource) {
  std::string half;
  for (int i = 1; i <= 15; ++i) half += "第" + std::to_string(i) + "章\r\nBody\r\n";
  WriteFile(temp_ / "nul.txt", half + std::string(1, '\0') + half);
  CliResult result = Run({"nul.txt"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "quireforge-cli: " + dir_ + "/nul.txt: the text ends at a NUL byte; the " +
                            std::to_string(half.size()) + " bytes after it were left out.\n" +
                            "quireforge-cli: " + dir_ + "/nul.epub: written\n");
  const std::vector<std::string> entries = EntryNames(temp_ / "nul.epub");
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "OEBPS/ch_15.html"), 1);
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "OEBPS/ch_16.html"), 0);
  // Quietly, or with only a little junk after the NUL, not a word.
  EXPECT_EQ(Run({"-q", "nul.txt"}).err, "");
  WriteFile(temp_ / "junk.txt", half + std::string(100, '\0') + "\x1A\x1A\x1A");
  result = Run({"junk.txt"});
  EXPECT_EQ(result.err, "quireforge-cli: " + dir_ + "/junk.epub: written\n");
}

TEST_F(CliHostileInputTest, RunawayExpressionsFailTheBookWithinSeconds) {
  std::string line(670799, 'x');
  WriteFile(temp_ / "long.txt", line + "\r\n");
  WriteFile(temp_ / "letters.txt", "第一回\r\n" + std::string(40, 'a') + "\r\n");
  WriteFile(temp_ / "novel.txt", NovelText(2000000));
  std::string alternatives;
  for (int i = 0; i < 9000; ++i) alternatives += (i > 0 ? "|q" : "q") + std::to_string(10000 + i);
  const struct {
    std::string source, option, expression;
  } cases[] = {
      {"letters.txt", "--chapter-pattern", "(a+)+b"},
      {"novel.txt", "--chapter-pattern", "^(.+)+回$"},
      {"long.txt", "--chapter-pattern", ".*XYZ"},
      {"novel.txt", "--chapter-pattern", alternatives},
      {"letters.txt", "--volume-pattern", "(a|aa)+b"},
  };
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const CliResult result = Run({c.option, c.expression, c.source});
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.status, 1) << c.expression.substr(0, 20);
    EXPECT_EQ(result.err, "quireforge-cli: Cannot search \"" + dir_ + "/" + c.source + "\" with " +
                              c.option + " \"" + c.expression +
                              "\". The expression takes too much work on its lines (it tries too "
                              "many ways to match); make it simpler.\n");
    EXPECT_LT(seconds, kSanitizer.empty() ? 10 : 60) << c.expression.substr(0, 20);
    EXPECT_FALSE(fs::exists(temp_ / (c.source.substr(0, c.source.size() - 4) + ".epub")));
  }
  // Counted repetitions nested deeper than the engine can follow are refused before any work.
  std::string nested = "a";
  for (int i = 0; i < 12; ++i) nested = "(" + nested + "){1,2}";
  const CliResult result = Run({"--chapter-pattern", nested, "letters.txt"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err, "--chapter-pattern: \"" + nested +
                            "\" is not a valid expression: counted repetitions (\"{n,m}\") are "
                            "nested more than ten deep\nRun with --help for more information.\n");
}

}  // namespace
}  // namespace quireforge::test
