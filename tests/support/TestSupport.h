// Helpers for tests that work on real files: a private temporary folder that also becomes
// the test's TEMP, byte-exact file reading and writing, the text of a raised error, running a
// command, and a user interface that records every call. Nothing here is used by the program
// itself.
#ifndef QUIREFORGE_TESTS_SUPPORT_TESTSUPPORT_H_
#define QUIREFORGE_TESTS_SUPPORT_TESTSUPPORT_H_

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/UserInterface.h"

namespace quireforge::test {

// The sanitizer this test program is built with (`make asan`, `make tsan`): "address",
// "thread", or empty. For the few tests that must allow for one, always saying why; a test
// that cannot run under it skips with GTEST_SKIP() and the reason.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::string_view kSanitizer = "address";
#elif defined(__SANITIZE_THREAD__)
inline constexpr std::string_view kSanitizer = "thread";
#else
inline constexpr std::string_view kSanitizer = "";
#endif

// A fresh folder under /tmp, removed with everything in it on destruction (immutable
// attributes set by a test are cleared first). While it lives, TEMP and TMPDIR name it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
  std::string old_temp_, old_tmpdir_;
  bool had_temp_, had_tmpdir_;
};

// Sets environment variables for as long as it lives and puts the old values back after.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  // Sets `name` to `value`; a null `value` unsets it.
  void Set(const std::string& name, const char* value);

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The text of the `Error` that `action` raises, or "no error" when it returns. An exception
// of another type passes through and fails the test.
template <typename Error = std::exception, typename Action>
std::string ErrorOf(Action&& action) {
  try {
    std::forward<Action>(action)();
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

// Runs `command` through /bin/sh; returns the exit status and fills `output` with
// stdout and stderr together.
int RunCommand(const std::string& command, std::string* output = nullptr);

// Runs `body` in a forked child process and returns its exit status (body's result); -1 when
// the child did not end within `seconds` (it is killed then), -2 when a signal ended it. For
// calls that would hang on a fault: the test goes on and reports instead of hanging.
int RunInChildWithin(int seconds, const std::function<int()>& body);

// Shell-quotes one argument.
std::string ShellQuote(const std::string& text);

// UTF-8 <-> UTF-16 for test data (valid input only).
std::u16string U16(const std::string& utf8);
std::string U8(const std::u16string& utf16);

// Records every call in order as a line such as "ShowProgress" or "SetProgressPosition 7".
class RecordingUserInterface : public UserInterface {
 public:
  void ShowProgress() override { calls.push_back("ShowProgress"); }
  void CloseProgress() override { calls.push_back("CloseProgress"); }
  void ShowProgressBar() override { calls.push_back("ShowProgressBar"); }
  void HideProgressBar() override { calls.push_back("HideProgressBar"); }
  void SetProgressMaximum(int32_t maximum) override {
    calls.push_back("SetProgressMaximum " + std::to_string(maximum));
  }
  void SetProgressPosition(int32_t position) override {
    calls.push_back("SetProgressPosition " + std::to_string(position));
  }
  void ProcessMessages() override { calls.push_back("ProcessMessages"); }
  void ShowArchiveError(const std::string& text) override {
    calls.push_back("ShowArchiveError " + text);
  }
  void ShowArchiveInformation(const std::string& text) override {
    calls.push_back("ShowArchiveInformation " + text);
  }
  void SetWaitCursor(bool waiting) override {
    calls.push_back(waiting ? "SetWaitCursor 1" : "SetWaitCursor 0");
  }

  // The calls that start with `prefix`.
  std::vector<std::string> CallsStartingWith(const std::string& prefix) const;

  std::vector<std::string> calls;
};

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_SUPPORT_TESTSUPPORT_H_
