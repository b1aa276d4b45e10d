// Every kind of bad input gives a clear message naming the file and the reason, a non-zero
// exit status, no incomplete book at the target (an older complete one survives untouched)
// and no staging folder left in the temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

class CliBadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(temp_ / "a.txt", "Preface\r\n第一回 One\r\nBody\r\n");
    dir_ = temp_.path().string();
  }
  void TearDown() override { EXPECT_EQ(RunLeftovers(temp_.path()), std::vector<std::string>()); }

  // Runs the program in the folder and expects failure with exactly `message`.
  void ExpectFailure(const std::vector<std::string>& arguments, int status,
                     const std::string& message) {
    const CliResult result = RunCli(arguments, temp_.path());
    EXPECT_EQ(result.status, status) << result.err;
    EXPECT_EQ(result.err, "quireforge-cli: " + message + "\n");
    EXPECT_EQ(result.out, "");
  }

  TempDir temp_;
  std::string dir_;
};

TEST_F(CliBadInputTest, MissingSource) {
  ExpectFailure({"missing.txt"}, 1,
                "Cannot open file \"" + dir_ + "/missing.txt\". No such file or directory");
  EXPECT_FALSE(fs::exists(temp_ / "missing.epub"));
}

TEST_F(CliBadInputTest, FolderAsSource) {
  fs::create_directory(temp_ / "folder");
  ExpectFailure({"folder", "-o", "x.epub"}, 1,
                "Cannot open file \"" + dir_ + "/folder\". Is a directory");
  EXPECT_FALSE(fs::exists(temp_ / "x.epub"));
}

TEST_F(CliBadInputTest, EmptyAndBlankSources) {
  WriteFile(temp_ / "empty.txt", "");
  WriteFile(temp_ / "blank.txt", " \r\n\t\r\n\r\n");
  ExpectFailure({"empty.txt"}, 1, "Source file \"" + dir_ + "/empty.txt\" holds no text.");
  ExpectFailure({"a.txt", "blank.txt", "-o", "multi.epub"}, 1,
                "Source file \"" + dir_ + "/blank.txt\" holds no text.");
  EXPECT_FALSE(fs::exists(temp_ / "empty.epub"));
  EXPECT_FALSE(fs::exists(temp_ / "multi.epub"));
}

TEST_F(CliBadInputTest, TargetFolderMissing) {
  ExpectFailure(
      {"a.txt", "-o", "no/such/book.epub"}, 1,
      dir_ + "/no/such/book.epub: Destination directory '" + dir_ + "/no/such/' must exist!");
  EXPECT_FALSE(fs::exists(temp_ / "no"));
}

TEST_F(CliBadInputTest, TargetFolderIsAFile) {
  const CliResult result = RunCli({"a.txt", "-o", "a.txt/book.epub"}, temp_.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(
      result.err.find("quireforge-cli: " + dir_ + "/a.txt/book.epub: Destination directory '" +
                      dir_ + "/a.txt/' must exist!\n"),
      std::string::npos)
      << result.err;
  EXPECT_EQ(ReadFile(temp_ / "a.txt"), "Preface\r\n第一回 One\r\nBody\r\n");
}

TEST_F(CliBadInputTest, TargetIsOneOfTheSources) {
  ExpectFailure({"a.txt", "-o", "./a.txt"}, 1,
                "Cannot create file \"" + dir_ + "/a.txt\". It is one of the source files.");
  fs::create_symlink(temp_ / "a.txt", temp_ / "link.epub");
  ExpectFailure({"a.txt", "-o", "link.epub"}, 1,
                "Cannot create file \"" + dir_ + "/link.epub\". It is one of the source files.");
  EXPECT_EQ(ReadFile(temp_ / "a.txt"), "Preface\r\n第一回 One\r\nBody\r\n");
}

TEST_F(CliBadInputTest, MissingFont) {
  ExpectFailure({"a.txt", "--font", "nofont.ttf"}, 1,
                "Cannot copy font file \"" + dir_ + "/nofont.ttf\". No such file or directory");
  EXPECT_FALSE(fs::exists(temp_ / "a.epub"));
}

TEST_F(CliBadInputTest, AFontIsTakenByItsHeaderNotItsName) {
  // TrueType (two ways), OpenType with PostScript outlines and collections are embedded;
  // anything else named as the font fails the book, naming the file, and no book is written.
  const struct {
    std::string bytes;
    bool font;
  } files[] = {
      {ReadFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"), true},
      {ReadFile("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"), true},
      {std::string("true\0\x0B\0\x80", 8), true},
      {std::string("OTTO\0\x0C\0\x80", 8), true},
      {"root:x:0:0:root:/root:/bin/bash\n", false},
      {"", false},
      {std::string("\0\1\0", 3), false},
      {"PK\3\4 a zip archive", false},
  };
  for (const auto& [bytes, font] : files) {
    WriteFile(temp_ / "f.ttf", bytes);
    for (const bool each : {false, true}) {
      std::vector<std::string> arguments = {"-q", "--font", "f.ttf", "a.txt"};
      if (each) arguments.insert(arguments.begin(), "--each");
      const CliResult result = RunCli(arguments, temp_.path());
      if (font) {
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(EntryBytes(temp_ / "a.epub", "OEBPS/font.ttf"), bytes);
      } else {
        EXPECT_EQ(result.status, 1) << bytes.substr(0, 8);
        EXPECT_EQ(result.err, "quireforge-cli: Cannot use font file \"" + dir_ +
                                  "/f.ttf\". It is not a TrueType or OpenType font.\n");
        EXPECT_FALSE(fs::exists(temp_ / "a.epub"));
      }
      fs::remove(temp_ / "a.epub");
    }
  }
}

TEST_F(CliBadInputTest, ReadOnlyTargetKeepsTheOlderBook) {
  ASSERT_EQ(RunCli({"-q", "a.txt"}, temp_.path()).status, 0);
  const std::string older = ReadFile(temp_ / "a.epub");
  WriteFile(temp_ / "b.txt", "第一回 Other text\r\n");  // a heading: no warning
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote((temp_ / "a.epub").string())), 0);
  ExpectFailure({"b.txt", "-o", "a.epub"}, 1,
                dir_ + "/a.epub: Cannot write to " + dir_ + "/a.epub <1:Operation not permitted>");
  RunCommand("chattr -i " + ShellQuote((temp_ / "a.epub").string()));
  EXPECT_EQ(ReadFile(temp_ / "a.epub"), older);
}

TEST_F(CliBadInputTest, UnwritableTargetFolder) {
  fs::create_directory(temp_ / "locked");
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote((temp_ / "locked").string())), 0);
  const CliResult result = RunCli({"a.txt", "-o", "locked/a.epub"}, temp_.path());
  RunCommand("chattr -i " + ShellQuote((temp_ / "locked").string()));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err.rfind("quireforge-cli: " + dir_ + "/locked/a.epub: Cannot write to " + dir_ +
                                 "/locked/a.epub <",
                             0),
            0u)
      << result.err;
  EXPECT_EQ(EverythingBelow(temp_ / "locked"), std::vector<std::string>());
}

TEST_F(CliBadInputTest, FullDiskAtTheTargetKeepsTheOlderBook) {
  const fs::path small = temp_ / "small";
  fs::create_directory(small);
  ASSERT_EQ(RunCommand("mount -t tmpfs -o size=256k tmpfs " + ShellQuote(small.string())), 0);
  WriteFile(small / "book.epub", "older complete book");
  WriteFile(temp_ / "big.txt", NovelText(1500000));
  const CliResult result = RunCli({"big.txt", "-o", "small/book.epub"}, temp_.path());
  const std::string after = ReadFile(small / "book.epub");
  const std::vector<std::string> left = EverythingBelow(small);
  RunCommand("umount " + ShellQuote(small.string()));
  EXPECT_EQ(result.status, 1);
  // One sentence naming the book, in the system's words.
  EXPECT_EQ(result.err, "quireforge-cli: Cannot write archive \"" + dir_ +
                            "/small/book.epub\": No space left on device.\n");
  EXPECT_EQ(after, "older complete book");
  EXPECT_EQ(left, std::vector<std::string>{"book.epub"});
  // So does a file-size limit that the book, but no staged page, passes.
  const CliResult limited =
      RunCli({"big.txt", "-o", "book.epub"}, temp_.path(), "prlimit --fsize=400000");
  EXPECT_EQ(limited.status, 1);
  EXPECT_EQ(limited.err,
            "quireforge-cli: Cannot write archive \"" + dir_ + "/book.epub\": File too large.\n");
}

TEST_F(CliBadInputTest, TextsThatAreNotUtf8AndAnEmptyTargetAreUsageErrors) {
  for (const char* option : {"--title", "--author", "--chapter-pattern", "--volume-pattern"}) {
    const CliResult result = RunCli({option, "Bad\xFF\xC3", "a.txt"}, temp_.path());
    EXPECT_EQ(result.status, 2) << option;
    EXPECT_EQ(result.err, std::string(option) +
                              ": \"Bad\\xff\\xc3\" is not valid UTF-8\nRun with --help for more "
                              "information.\n");
  }
  CliResult result = RunCli({"-o", "", "a.txt"}, temp_.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.err,
            "--output: the target must not be empty\nRun with --help for more information.\n");
  EXPECT_FALSE(fs::exists(temp_ / "a.epub"));
}

TEST_F(CliBadInputTest, UsageErrorsSayWhatIsExpected) {
  for (const char* indent : {"1.5", "5", "-1", "two"}) {
    const CliResult result = RunCli({"--indent", indent, "a.txt"}, temp_.path());
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, std::string("--indent: a whole number from 0 to 4 is expected, not \"") +
                              indent + "\"\nRun with --help for more information.\n");
  }
  // Every wrong command line names the option (or the source list) and what it expects;
  // the pattern engine's own words do not reach the user. Nothing is written.
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{}, "SOURCE: at least one source text file is expected"},
      {{"a.txt", "--margin"}, "--margin: a value is expected after it (normal|wide)"},
      {{"--bogus", "a.txt"}, "--bogus: no such option"},
      {{"--each", "-j", "0", "a.txt"},
       "--jobs: a whole number from 1 to 1024 is expected, not \"0\""},
      {{"--each", "-j", "many", "a.txt"},
       "--jobs: a whole number from 1 to 1024 is expected, not \"many\""},
      {{"--each", "-o", "x.epub", "a.txt"}, "--output: not with --each; give one of them"},
      {{"--epub3=maybe", "a.txt"}, "--epub3: this flag takes no value, not \"maybe\""},
      {{"--codepage", "klingon", "a.txt"},
       "--codepage: Unknown code page \"klingon\". An ASCII-compatible code page such as "
       "GB18030, Big5 or windows-1252, UTF-16LE, UTF-16BE or auto is expected."},
      {{"--chapter-pattern", "", "a.txt"},
       "--chapter-pattern: an expression is expected, not an empty text"},
      {{"--chapter-pattern", "^第(?i", "a.txt"},
       "--chapter-pattern: \"^第(?i\" is not a valid expression: the group \"(?i\" is not closed"},
      {{"--chapter-pattern", "(ab", "a.txt"},
       "--chapter-pattern: \"(ab\" is not a valid expression: a group opened with \"(\" is not "
       "closed (at its end)"},
      {{"--volume-pattern", "[z-a]", "a.txt"},
       "--volume-pattern: \"[z-a]\" is not a valid expression: a range in \"[ ]\" ends before it "
       "begins (at character 5)"},
      {{"--chapter-pattern", "a**", "a.txt"},
       "--chapter-pattern: \"a**\" is not a valid expression: a repetition (\"*\", \"+\", \"?\" or "
       "\"{n,m}\") follows another (at character 3)"},
      {{"--chapter-pattern", "x{3,2}", "a.txt"},
       "--chapter-pattern: \"x{3,2}\" is not a valid expression: in \"{n,m}\" the first number is "
       "greater than the second (at character 6)"},
  };
  for (const auto& [arguments, message] : cases) {
    const CliResult result = RunCli(arguments, temp_.path());
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_EQ(result.err, message + "\nRun with --help for more information.\n");
    EXPECT_EQ(result.err.find("TPatternEngine"), std::string::npos);
  }
  EXPECT_FALSE(fs::exists(temp_ / "a.epub"));
}

TEST_F(CliBadInputTest, NamesWithLineFeedsOrBytesThatAreNotUtf8AreShownEscaped) {
  ExpectFailure({"no\nsuch.txt"}, 1,
                "Cannot open file \"" + dir_ + "/no\\nsuch.txt\". No such file or directory");
  ExpectFailure({"\xB5\xDA.txt"}, 1,  // 第 in GBK
                "Cannot open file \"" + dir_ + "/\\xb5\\xda.txt\". No such file or directory");
}

// The command line writes no page anywhere but into the book: a temporary folder that is
// missing, or no temporary folder at all, stops nothing.
TEST_F(CliBadInputTest, NoTemporaryFolderIsNeeded) {
  for (const char* environment : {"TEMP=/nonexistent/tmp TMPDIR=/nonexistent/tmp",
                                  "env -u TEMP -u TMPDIR XDG_RUNTIME_DIR=/nonexistent/run"}) {
    const CliResult result = RunCli({"-q", "a.txt"}, temp_.path(), environment);
    EXPECT_EQ(result.status, 0) << environment << ": " << result.err;
    EXPECT_EQ(ZipProblems(temp_ / "a.epub"), "") << environment;
    fs::remove(temp_ / "a.epub");
  }
}

}  // namespace
}  // namespace quireforge::test
