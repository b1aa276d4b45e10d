// Ctrl-C and SIGTERM at any moment leave nothing behind and no incomplete book at the target:
// the program cleans up and ends by the signal, or has already finished. With --each the
// children clean up after themselves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "BookChecks.h"
#include "TestSupport.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// Starts quireforge-cli with `arguments` in `cwd`, output discarded.
pid_t StartCli(const fs::path& cwd, const std::vector<std::string>& arguments) {
  std::vector<std::string> words = {std::string(QF_BUILD_DIR) + "/quireforge-cli"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(126);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

// A large text of real prose, so that converting and packing each take a while.
void WriteLargeNovel(const fs::path& path, int copies) {
  const std::string novel = NovelText(2000000);
  std::string text;
  for (int i = 0; i < copies; ++i) text += novel;
  WriteFile(path, text);
}

struct Outcome {
  bool signalled = false;
  bool finished = false;
};

// Sends `signal_number` after `delay` and checks what is left.
Outcome InterruptAfter(const TempDir& temp, std::chrono::milliseconds delay, int signal_number,
                       const std::vector<std::string>& arguments) {
  const pid_t pid = StartCli(temp.path(), arguments);
  std::this_thread::sleep_for(delay);
  kill(pid, signal_number);
  int status = 0;
  waitpid(pid, &status, 0);
  Outcome outcome;
  outcome.signalled = WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
  outcome.finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  EXPECT_TRUE(outcome.signalled || outcome.finished) << "status " << status;
  EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>()) << delay.count() << " ms";
  return outcome;
}

TEST(CliSignalTest, InterruptedSingleBooksCleanUpAndLeaveNoIncompleteBook) {
  TempDir temp;
  WriteLargeNovel(temp / "big.txt", 8);  // about 16 MB
  int signalled = 0;
  for (int delay : {20, 150, 400, 800, 1200, 1800, 2500}) {
    for (int signal_number : {SIGINT, SIGTERM}) {
      fs::remove(temp / "big.epub");
      const Outcome outcome =
          InterruptAfter(temp, std::chrono::milliseconds(delay), signal_number, {"big.txt"});
      if (outcome.signalled) ++signalled;
      // Whatever stands at the target is a complete book (a signal that comes while the
      // finished book is being put in place ends the process after it), and nothing else was
      // left beside it.
      if (fs::exists(temp / "big.epub")) {
        EXPECT_EQ(ZipProblems(temp / "big.epub"), "") << delay << " ms";
      }
      std::vector<std::string> left = EverythingBelow(temp.path());
      std::erase(left, "big.txt");
      std::erase(left, "big.epub");
      if (kSanitizer == "thread") {
        // ThreadSanitizer's runtime makes tsan.rodata.<pid> in TMPDIR at start-up and deletes
        // it a moment later; a program killed in between leaves it. It is not the program's.
        std::erase_if(left,
                      [](const std::string& name) { return name.starts_with("tsan.rodata."); });
      }
      EXPECT_EQ(left, std::vector<std::string>()) << delay << " ms";
    }
  }
  EXPECT_GT(signalled, 0) << "no run was interrupted: the test proves nothing";
}

TEST(CliSignalTest, AnInterruptedRunKeepsTheOlderBook) {
  TempDir temp;
  WriteLargeNovel(temp / "big.txt", 8);
  WriteFile(temp / "small.txt", "text\r\n");
  ASSERT_EQ(RunCli({"-q", "-o", "big.epub", "small.txt"}, temp.path()).status, 0);
  const std::string older = ReadFile(temp / "big.epub");
  for (int delay : {100, 600, 1200}) {
    const Outcome outcome =
        InterruptAfter(temp, std::chrono::milliseconds(delay), SIGTERM, {"big.txt"});
    // Either the older book is untouched, or the new one was complete before the signal.
    if (outcome.signalled && ReadFile(temp / "big.epub") != older) {
      EXPECT_EQ(ZipProblems(temp / "big.epub"), "") << delay << " ms";
      EXPECT_NE(EntryBytes(temp / "big.epub", "OEBPS/ch_2.html"), "") << delay << " ms";
    }
    WriteFile(temp / "big.epub", older);
  }
}

TEST(CliSignalTest, ASignalThatComesOnceTheBookIsInPlaceLetsTheRunFinish) {
  TempDir temp;
  WriteFile(temp / "a.txt", "Preface\r\n第一回 One\r\nBody\r\n");
  // The preloaded library sends the signal right after the rename that puts the book in place.
  const fs::path preload = temp / "libsynccalllog.so";
  fs::copy_file(QF_SYNC_CALL_LOG, preload);
  const std::string asan_order =
      kSanitizer == "address" ? "ASAN_OPTIONS=verify_asan_link_order=0 " : "";
  const std::string target = (temp / "a.epub").string();
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    for (const bool older : {false, true}) {
      if (older) WriteFile(temp / "a.epub", "older book");
      const CliResult result =
          RunCli({"a.txt"}, temp.path(),
                 asan_order + "LD_PRELOAD=" + ShellQuote(preload.string()) +
                     " QF_SIGNAL_AFTER_RENAME=" + std::to_string(signal_number));
      EXPECT_EQ(result.status, 0) << signal_number;
      EXPECT_EQ(result.err, "quireforge-cli: " + target + ": written\n") << signal_number;
      EXPECT_EQ(ZipProblems(temp / "a.epub"), "") << signal_number;
      EXPECT_EQ(RunLeftovers(temp.path()), std::vector<std::string>());
      fs::remove(temp / "a.epub");
    }
  }
}

TEST(CliSignalTest, AnInterruptWhilePackingSaysWhatBecameOfTheBook) {
  TempDir temp;
  WriteLargeNovel(temp / "big.txt", 8);
  const std::string program = std::string(QF_BUILD_DIR) + "/quireforge-cli";
  const std::string target = (temp / "big.epub").string();
  for (const bool older : {true, false}) {
    if (older) WriteFile(temp / "big.epub", "older book");
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(temp.path().c_str()) != 0) _exit(126);
      const int err = open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, STDERR_FILENO);
      execl(program.c_str(), program.c_str(), "big.txt", static_cast<char*>(nullptr));
      _exit(127);
    }
    // Signalled as soon as the book's archive is being opened (the zip engine is loaded),
    // while pages are made and compressed.
    const auto packing = [&] {
      std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
      for (std::string line; std::getline(maps, line);) {
        if (line.find("libqzengine.so") != std::string::npos) return true;
      }
      return false;
    };
    for (int i = 0; i < 6000 && !packing(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(ReadFile(temp / "err.txt"), "quireforge-cli: " + target +
                                              (older ? ": interrupted; the older book was kept.\n"
                                                     : ": interrupted; no book was written.\n"));
    EXPECT_EQ(fs::exists(temp / "big.epub") ? ReadFile(temp / "big.epub") : "no book",
              older ? "older book" : "no book");
    fs::remove(temp / "big.epub");
    fs::remove(temp / "err.txt");
    EXPECT_EQ(EverythingBelow(temp.path()), std::vector<std::string>{"big.txt"});
  }
}

TEST(CliSignalTest, EachPassesTheSignalToItsChildrenWhichCleanUp) {
  TempDir temp;
  WriteLargeNovel(temp / "one.txt", 4);
  fs::copy_file(temp / "one.txt", temp / "two.txt");
  fs::copy_file(temp / "one.txt", temp / "three.txt");
  int signalled = 0;
  for (int delay : {50, 300, 700}) {
    for (const char* book : {"one.epub", "two.epub", "three.epub"}) fs::remove(temp / book);
    const Outcome outcome =
        InterruptAfter(temp, std::chrono::milliseconds(delay), SIGTERM,
                       {"--each", "-j", "2", "one.txt", "two.txt", "three.txt"});
    if (outcome.signalled) ++signalled;
    for (const char* book : {"one.epub", "two.epub", "three.epub"}) {
      if (fs::exists(temp / book)) {
        EXPECT_EQ(ZipProblems(temp / book), "") << book;
      }
    }
  }
  EXPECT_GT(signalled, 0);
  // No child is left running: nothing changes in the folder any more.
  const auto before = EverythingBelow(temp.path());
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(EverythingBelow(temp.path()), before);
}

}  // namespace
}  // namespace quireforge::test
