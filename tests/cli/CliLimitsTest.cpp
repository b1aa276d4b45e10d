// quireforge-cli at the limits of the machine: memory (ulimit -v), file size (a file-size
// limit), a run killed outright, the disk's own buffers (fsync before the replace), and books
// of more entries than a plain ZIP directory can count. Every limit is set for the program's
// process alone, by the shell that starts it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "BookChecks.h"
#include "CodePageSamples.h"
#include "TestSupport.h"
#include "conversion/LegacyCodePage.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// About 50 MB of address space are the program's own (libraries, ICU data); these limits
// leave it room to run, but not to hold a large source.
constexpr const char* kMemoryLimit = "ulimit -v 120000;";

// A sanitizer's runtime reserves terabytes of address space for its shadow memory at start-up,
// which no such limit leaves room for.
constexpr const char* kNoRoomForShadowMemory =
    "a limit of the address space (ulimit -v) leaves no room for the sanitizer's shadow memory";

// `text` followed by a hole that makes the file 15 TB long; the hole reads as zero bytes.
void WriteSparse(const fs::path& path, const std::string& text) {
  WriteFile(path, text);
  fs::resize_file(path, uintmax_t{15} << 40);
}

TEST(CliLimitsTest, ASourceEndsAtItsFirstNulAndWhatFollowsCostsNoMemory) {
  if (!kSanitizer.empty()) GTEST_SKIP() << kNoRoomForShadowMemory;
  TempDir temp;
  WriteSparse(temp / "novel.txt", "第一章 开始\r\n正文\r\n");
  const CliResult result = RunCli({"-q", "novel.txt"}, temp.path(), kMemoryLimit);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(EntryBytes(temp / "novel.epub", "OEBPS/ch_1.html").find("<p>正文</p>"),
            std::string::npos);
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

// The largest resident size, in kB, that any process of `command` reached (run through the
// shell, in a child of its own so that no other process is counted); -1 when it failed.
long PeakKilobytesOf(const std::string& command) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipe_ends[0]);
    long peak = -1;
    if (system(command.c_str()) == 0) {
      struct rusage usage;
      getrusage(RUSAGE_CHILDREN, &usage);
      peak = usage.ru_maxrss;
    }
    _exit(write(pipe_ends[1], &peak, sizeof peak) == sizeof peak ? 0 : 1);
  }
  close(pipe_ends[1]);
  long peak = -1;
  if (read(pipe_ends[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  close(pipe_ends[0]);
  waitpid(pid, nullptr, 0);
  return peak;
}

TEST(CliLimitsTest, ALegacySourceThatIsMostlyAHoleCostsNeitherMemoryNorTimeByItsSize) {
  TempDir temp;
  // Seven bytes of GB18030 (no UTF-8), then a hole: 4 GB that read as zeros. Also with text
  // after the hole, which is told but never held.
  const std::string head = EncodeIn("GB18030", "第一章\r\n") + "x";
  for (const bool text_after : {false, true}) {
    WriteFile(temp / "gb.txt", head);
    fs::resize_file(temp / "gb.txt", uintmax_t{4} << 30);
    if (text_after) {
      std::fstream file(temp / "gb.txt", std::ios::in | std::ios::out | std::ios::binary);
      file.seekp(uintmax_t{3} << 30);
      file << NovelText(100000);
    }
    const auto start = std::chrono::steady_clock::now();
    const long peak =
        PeakKilobytesOf("cd " + ShellQuote(temp.path().string()) + " && timeout -s KILL 60 " +
                        ShellQuote(std::string(QF_BUILD_DIR) + "/quireforge-cli") +
                        " --codepage GB18030 --list-chapters gb.txt >/dev/null 2>" +
                        ShellQuote((temp / "err").string()));
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(peak, 0) << ReadFile(temp / "err");
    EXPECT_LT(peak, 400 * 1024) << "kB";  // far below the 4 GB of the file
    EXPECT_LT(seconds, 20);
    EXPECT_EQ(ReadFile(temp / "err"),
              text_after ? "quireforge-cli: " + (temp / "gb.txt").string() +
                               ": the text ends at a NUL byte; the " +
                               std::to_string((uint64_t{4} << 30) - head.size() - 1) +
                               " bytes after it were left out.\n"
                         : "");
  }
}

TEST(CliLimitsTest, RunningOutOfMemoryIsOneSentenceNamingTheSource) {
  if (!kSanitizer.empty()) GTEST_SKIP() << kNoRoomForShadowMemory;
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

  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
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
  // LeakSanitizer needs a thread of its own for its check at exit, which the limit refuses.
  const std::string no_leak_check = kSanitizer == "address" ? " ASAN_OPTIONS=detect_leaks=0" : "";
  std::string chapters;
  const int status = RunCommand(
      "cd " + ShellQuote(temp.path().string()) +
          " && setpriv --reuid=nobody --regid=nogroup --clear-groups env TEMP=" +
          ShellQuote((temp / "staging").string()) + no_leak_check +
          " QUIREFORGE_CODEPAGE=GB18030 prlimit --nproc=1 ./quireforge-cli --list-chapters gb.txt",
      &chapters);
  EXPECT_EQ(status, 0) << chapters.substr(0, 200);
  EXPECT_EQ(chapters.rfind("ch_2.html=第一回", 0), 0u) << chapters.substr(0, 200);
  EXPECT_EQ(chapters.find("quireforge-cli:"), std::string::npos);
  EXPECT_EQ(RunLeftovers(temp / "staging"), std::vector<std::string>());
}

TEST(CliLimitsTest, AFileSizeLimitIsAnOrdinaryWriteErrorThatLeavesNothingBehind) {
  TempDir temp;
  WriteFile(temp / "novel.txt", NovelText(2000000));
  WriteFile(temp / "novel.epub", "older book");
  // Neither limit leaves room for the book: it fails where it is written, beside the target.
  for (const char* limit : {"400000", "4000"}) {
    const CliResult result =
        RunCli({"novel.txt"}, temp.path(), std::string("prlimit --fsize=") + limit);
    EXPECT_EQ(result.status, 1) << limit << ": " << result.err;
    EXPECT_NE(result.err.find("File too large"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(temp / "novel.epub"), "older book");
    EXPECT_EQ(EverythingBelow(temp.path()), (std::vector<std::string>{"novel.epub", "novel.txt"}))
        << limit;
  }
}

// The id of a process that has ended.
pid_t EndedProcess() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

// The hidden partial books (".quireforge-...") in `dir`, sorted.
std::vector<std::string> PartialBooksIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".quireforge-")) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CliLimitsTest, APartialBookLeftByAKilledRunIsRemovedByTheNextRunInItsFolder) {
  TempDir temp;
  {
    std::ofstream out(temp / "big.txt", std::ios::binary);
    const std::string novel = NovelText(2000000);
    for (int i = 0; i < 8; ++i) out << novel;
  }
  WriteFile(temp / "small.txt", "text\r\n");
  WriteFile(temp / "big.epub", "older book");
  const std::string program = std::string(QF_BUILD_DIR) + "/quireforge-cli";
  // The preloaded library holds the complete partial book back from its rename for a while,
  // so that the kill surely comes before it.
  const fs::path preload = temp / "libsynccalllog.so";
  fs::copy_file(QF_SYNC_CALL_LOG, preload);
  const std::string preload_variable = "LD_PRELOAD=" + preload.string();
  // Killed while the book is written: as soon as the partial book is there, and once it has
  // grown.
  for (const uintmax_t grown : {uintmax_t{0}, uintmax_t{256} << 10, uintmax_t{2} << 20}) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(temp.path().c_str()) != 0) _exit(126);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDERR_FILENO);
      putenv(const_cast<char*>(preload_variable.c_str()));
      putenv(const_cast<char*>("QF_PAUSE_BEFORE_RENAME=10000"));
      if (kSanitizer == "address")
        putenv(const_cast<char*>("ASAN_OPTIONS=verify_asan_link_order=0"));
      execl(program.c_str(), program.c_str(), "big.txt", static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string mark = ".quireforge-" + std::to_string(pid) + "-";
    const auto partial = [&]() -> std::optional<fs::path> {
      for (const std::string& name : PartialBooksIn(temp.path())) {
        std::error_code error;
        if (name.starts_with(mark) && fs::file_size(temp / name, error) >= grown && !error) {
          return temp / name;
        }
      }
      return std::nullopt;
    };
    for (int i = 0; i < 6000 && !partial(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the run ended before it could be killed";
    ASSERT_TRUE(partial()) << grown;
    EXPECT_EQ(ReadFile(temp / "big.epub"), "older book");

    // What a live writer, a writer of another PID namespace (its lock held) or another user
    // left stays, and so do names this program does not make.
    const std::string ended = std::to_string(EndedProcess());
    const std::string living = ".quireforge-" + std::to_string(getpid()) + "-AbCdEf";
    const std::string locked = ".quireforge-" + ended + "-LoCkEd";
    const std::string others = ".quireforge-" + ended + "-OtHeRs";
    std::vector<std::string> kept = {living, locked, others, ".quireforge-AbCdEf",
                                     ".quireforge-" + ended + "-toolong"};
    for (const std::string& name : kept) WriteFile(temp / name, "partial");
    ASSERT_EQ(chown((temp / others).c_str(), 65534, 65534), 0);
    const int lock = open((temp / locked).c_str(), O_RDONLY);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    const CliResult result = RunCli({"-q", "-o", "other.epub", "small.txt"}, temp.path());
    close(lock);
    EXPECT_EQ(result.status, 0) << result.err;
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(PartialBooksIn(temp.path()), kept) << grown;
    for (const std::string& name : kept) fs::remove(temp / name);
  }
}

TEST(CliLimitsTest, TheReplacingArchiveReachesTheDiskBeforeItTakesTheTargetsPlace) {
  TempDir temp;
  WriteFile(temp / "a.txt", "Preface\r\n第一回 One\r\nBody\r\n");
  const fs::path log = temp / "sync.log";
  // LD_PRELOAD splits its value at blanks: the library is preloaded from a copy whose path has
  // none, wherever the build folder lies.
  const fs::path sync_call_log = temp / "libsynccalllog.so";
  fs::copy_file(QF_SYNC_CALL_LOG, sync_call_log);
  for (int round = 0; round < 2; ++round) {  // a new book, then one that replaces it
    fs::remove(log);
    // AddressSanitizer wants its runtime first among the loaded libraries; the logging library
    // comes before it here, and wraps no call that the runtime intercepts.
    const std::string preload_first =
        kSanitizer == "address" ? "ASAN_OPTIONS=verify_asan_link_order=0 " : "";
    const CliResult result =
        RunCli({"-q", "a.txt"}, temp.path(),
               preload_first + "LD_PRELOAD=" + ShellQuote(sync_call_log.string()) +
                   " QF_SYNC_LOG=" + ShellQuote(log.string()));
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> calls;
    std::istringstream lines(ReadFile(log));
    for (std::string line; std::getline(lines, line);) calls.push_back(line);

    const std::string target = (temp / "a.epub").string();
    size_t renamed = calls.size();
    std::string temporary;
    for (size_t i = 0; i < calls.size(); ++i) {
      const std::string suffix = " " + target;
      if (calls[i].rfind("rename ", 0) == 0 && calls[i].size() > suffix.size() &&
          calls[i].compare(calls[i].size() - suffix.size(), suffix.size(), suffix) == 0) {
        renamed = i;
        temporary = calls[i].substr(7, calls[i].size() - 7 - suffix.size());
      }
    }
    ASSERT_LT(renamed, calls.size()) << ::testing::PrintToString(calls);
    EXPECT_EQ(fs::path(temporary).parent_path(), temp.path());
    EXPECT_LT(fs::path(temporary).filename().string().size(), 32u) << temporary;
    const auto synced = [&](const std::string& path, size_t from, size_t to) {
      for (size_t i = from; i < to; ++i) {
        if (calls[i] == "fsync " + path || calls[i] == "fdatasync " + path) return true;
      }
      return false;
    };
    EXPECT_TRUE(synced(temporary, 0, renamed)) << ::testing::PrintToString(calls);
    EXPECT_TRUE(synced(temp.path().string(), renamed + 1, calls.size()))
        << ::testing::PrintToString(calls);
    EXPECT_EQ(ZipProblems(temp / "a.epub"), "");
  }
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
  // 100,000 pages, five more files, the drawn cover and its page, and three folders.
  EXPECT_NE(unzip.find(" 100010 files"), std::string::npos) << unzip;
  EXPECT_NE(sevenzip.find(" 100007 files, 3 folders"), std::string::npos) << sevenzip;
  EXPECT_EQ(EntryNames(temp / "heads.epub").size(), 100010u);
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
}

}  // namespace
}  // namespace quireforge::test
