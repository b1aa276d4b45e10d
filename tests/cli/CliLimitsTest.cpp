// quireforge-cli at the limits of the machine: memory (ulimit -v), the number of processes,
// and books of more entries than a plain ZIP directory can count. Every limit is set for the
// program's process alone, by the shell that starts it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "BookChecks.h"
#include "TestSupport.h"
#include "conversion/LegacyCodePage.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// About 50 MB of address space are the program's own (libraries, ICU data); these limits
// leave it room to run, but not to hold a large source.
constexpr const char* kMemoryLimit = "ulimit -v 120000;";

// `text` followed by a hole that makes the file 15 TB long; the hole reads as zero bytes.
void WriteSparse(const fs::path& path, const std::string& text) {
  WriteFile(path, text);
  fs::resize_file(path, uintmax_t{15} << 40);
}

TEST(CliLimitsTest, ASourceEndsAtItsFirstNulAndWhatFollowsCostsNoMemory) {
  TempDir temp;
  WriteSparse(temp / "utf8.txt", "第一章 开始\r\n正文\r\n");
  // UTF-16 ends at its first zero unit, the code page at its first zero byte.
  WriteSparse(temp / "utf16.txt", std::string("\xFF\xFE\x2C\x7B\x00\x4E\xE0\x7A\x0D\x00\x0A\x00"
                                              "\x63\x6B\x87\x65\x0D\x00\x0A\x00",
                                              20));
  WriteSparse(temp / "gb18030.txt", "\xB5\xDA\xD2\xBB\xD5\xC2\r\n\xD5\xFD\xCE\xC4\r\n");
  for (const char* source : {"utf8.txt", "utf16.txt", "gb18030.txt"}) {
    const CliResult result = RunCli({"--list-chapters", source}, temp.path(),
                                    std::string(kMemoryLimit) + " QUIREFORGE_CODEPAGE=GB18030");
    EXPECT_EQ(result.status, 0) << source << ": " << result.err;
    EXPECT_EQ(result.out.rfind("ch_1.html=第一章", 0), 0u) << source << ": " << result.out;
  }
  const CliResult result = RunCli({"-q", "utf8.txt"}, temp.path(), kMemoryLimit);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(EntryBytes(temp / "utf8.epub", "OEBPS/ch_1.html").find("<p>正文</p>"),
            std::string::npos);
  EXPECT_EQ(StagingLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliLimitsTest, RunningOutOfMemoryIsOneSentenceNamingTheSource) {
  TempDir temp;
  const std::string novel = NovelText(2000000);
  {
    std::ofstream out(temp / "big.txt", std::ios::binary);
    for (int i = 0; i < 40; ++i) out << novel;  // 80 MB
  }
  WriteFile(temp / "small.txt", "text\r\n");
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"big.txt"},
        std::vector<std::string>{"-o", "both.epub", "small.txt", "big.txt"}}) {
    const CliResult result = RunCli(arguments, temp.path(), kMemoryLimit);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "quireforge-cli: Not enough memory to convert source file \"" +
                              (temp / "big.txt").string() + "\".\n");
  }
  EXPECT_FALSE(fs::exists(temp / "big.epub"));
  EXPECT_FALSE(fs::exists(temp / "both.epub"));

  EXPECT_EQ(StagingLeftovers(temp.path()), std::vector<std::string>());
}

TEST(CliLimitsTest, ALargeLegacyTextIsDecodedEvenWhenNoSecondThreadCanBeHad) {
  // A large text in a legacy code page is decoded by two threads. Under a limit of one
  // process (a limit that root would pass by), the second thread cannot be made: the program
  // runs as another user, from a copy that user may run, and decodes in one pass instead.
  TempDir temp;
  fs::permissions(temp.path(), fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
  fs::create_directory(temp / "staging");
  fs::permissions(temp / "staging", fs::perms::all);
  fs::copy_file(fs::path(QF_BUILD_DIR) / "quireforge-cli", temp / "quireforge-cli");
  const LegacyCodePage gb18030("GB18030");
  std::string bytes;
  gb18030.Encode(U16(NovelText(1000000)), &bytes);
  {
    std::ofstream out(temp / "gb.txt", std::ios::binary);
    for (int i = 0; i < 14; ++i) out << bytes;  // about 10 MB
  }
  std::string chapters;
  const int status = RunCommand(
      "cd " + ShellQuote(temp.path().string()) +
          " && setpriv --reuid=nobody --regid=nogroup --clear-groups env TEMP=" +
          ShellQuote((temp / "staging").string()) +
          " QUIREFORGE_CODEPAGE=GB18030 prlimit --nproc=1 ./quireforge-cli --list-chapters gb.txt",
      &chapters);
  EXPECT_EQ(status, 0) << chapters.substr(0, 200);
  EXPECT_EQ(chapters.rfind("ch_2.html=第一回", 0), 0u) << chapters.substr(0, 200);
  EXPECT_EQ(chapters.find("quireforge-cli:"), std::string::npos);
  EXPECT_EQ(StagingLeftovers(temp / "staging"), std::vector<std::string>());
}

TEST(CliLimitsTest, ABookOfAHundredThousandChaptersIsAZip64ArchiveEveryReaderCountsAlike) {
  TempDir temp;
  std::string text;
  for (int i = 1; i <= 100000; ++i) text += "第" + std::to_string(i) + "章\r\n";
  WriteFile(temp / "heads.txt", text);
  const CliResult result = RunCli({"heads.txt"}, temp.path());
  ASSERT_EQ(result.status, 0) << result.err;
  // The component reads the new archive's directory back: not a word about it.
  EXPECT_EQ(result.err, "quireforge-cli: " + (temp / "heads.epub").string() + ": written\n");
  const std::string book = ShellQuote((temp / "heads.epub").string());
  std::string unzip, sevenzip;
  ASSERT_EQ(RunCommand("unzip -l " + book + " | tail -1", &unzip), 0);
  ASSERT_EQ(RunCommand("7z l " + book + " | tail -1", &sevenzip), 0);
  // 100,000 pages, five more files and three folders.
  EXPECT_NE(unzip.find(" 100008 files"), std::string::npos) << unzip;
  EXPECT_NE(sevenzip.find(" 100005 files, 3 folders"), std::string::npos) << sevenzip;
  EXPECT_EQ(EntryNames(temp / "heads.epub").size(), 100008u);
  EXPECT_EQ(StagingLeftovers(temp.path()), std::vector<std::string>());
}

}  // namespace
}  // namespace quireforge::test
