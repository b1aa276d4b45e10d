// build/quireforge started where no window can open (a terminal over ssh, a container, `make
// run` on a server): it must say that the window needs a graphical session and point to
// quireforge-cli, and end with status 1 rather than abort. A platform that needs no display
// (offscreen) still starts.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "TestSupport.h"

namespace quireforge::test {
namespace {

const std::string kProgram = std::string(QF_BUILD_DIR) + "/quireforge";

// Runs the window with `environment` (arguments of env) and `arguments` (shell words) for at
// most `seconds`.
int RunWindow(const std::string& environment, int seconds, std::string* output,
              const std::string& arguments = "") {
  return RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment +
                        " timeout -k 5 " + std::to_string(seconds) + " " + ShellQuote(kProgram) +
                        arguments,
                    output);
}

TEST(NoDisplayTest, WithoutADisplayItSaysSoAndPointsToTheCommandLine) {
  TempDir temp;
  std::string output;
  EXPECT_EQ(RunWindow("", 60, &output), 1) << output;
  EXPECT_NE(output.find("The window needs a graphical session"), std::string::npos) << output;
  EXPECT_NE(output.find("DISPLAY"), std::string::npos) << output;
  EXPECT_NE(output.find(std::string(QF_BUILD_DIR) + "/quireforge-cli"), std::string::npos)
      << output;
  EXPECT_EQ(output.find("could not connect"), std::string::npos) << output;
}

TEST(NoDisplayTest, ADisplayThatCannotBeOpenedIsNamed) {
  TempDir temp;
  std::string output;
  EXPECT_EQ(RunWindow("DISPLAY=:4093", 60, &output), 1) << output;
  EXPECT_NE(output.find("The window needs a graphical session"), std::string::npos) << output;
  EXPECT_NE(output.find("\":4093\""), std::string::npos) << output;
  EXPECT_NE(output.find("quireforge-cli"), std::string::npos) << output;
  EXPECT_EQ(output.find("Reinstalling the application"), std::string::npos) << output;
}

// --help and --version answer without a window; an unknown option is refused with status 2.
TEST(NoDisplayTest, HelpAndVersionNeedNoWindow) {
  TempDir temp;
  std::string output;
  EXPECT_EQ(RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(kProgram) + " --version",
                       &output),
            0);
  EXPECT_EQ(output, "quireforge " QUIREFORGE_VERSION "\n");
  EXPECT_EQ(
      RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(kProgram) + " --help", &output),
      0);
  EXPECT_NE(output.find("Usage: quireforge [FILE...]"), std::string::npos) << output;
  // An unknown option is a usage error whether a window could open or not; Qt's own options
  // before it are no unknown options.
  for (const std::string& environment :
       {"QT_QPA_PLATFORM=offscreen TEMP=" + ShellQuote(temp.path().string()), std::string()}) {
    for (const char* arguments : {" --bogus", " -style fusion --bogus", " a.txt -x"}) {
      EXPECT_EQ(RunWindow(environment, 30, &output, arguments), 2) << environment << arguments;
      EXPECT_NE(output.find("unknown option \""), std::string::npos) << output;
      EXPECT_EQ(output.find("graphical session"), std::string::npos) << output;
    }
  }
  EXPECT_EQ(RunWindow("", 30, &output, " -style fusion a.txt"), 1) << output;
}

TEST(NoDisplayTest, APlatformThatNeedsNoDisplayStillStarts) {
  TempDir temp;
  std::string output;
  // Still running when timeout stops it: 124.
  EXPECT_EQ(
      RunWindow("QT_QPA_PLATFORM=offscreen TEMP=" + ShellQuote(temp.path().string()), 3, &output),
      124)
      << output;
  EXPECT_EQ(output.find("graphical session"), std::string::npos) << output;
}

// The file-size limit signal would end the window in the middle of writing a book; the
// window ignores it, so that the write fails as any other and is cleaned up. Read from the
// running program's signal masks.
TEST(NoDisplayTest, TheFileSizeLimitSignalIsIgnored) {
  TempDir temp;
  // The program must not inherit the answer from this test.
  ASSERT_NE(std::signal(SIGXFSZ, SIG_DFL), SIG_ERR);
  const std::string script = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen TEMP=" +
                             ShellQuote(temp.path().string()) + " " + ShellQuote(kProgram) +
                             " >/dev/null 2>&1 & pid=$!; ignored=; for i in $(seq 300); do"
                             " ignored=$(sed -n 's/^SigIgn:[[:space:]]*//p' /proc/$pid/status);"
                             " [ $(( 0x${ignored:-0} >> 24 & 1 )) = 1 ] && break; sleep 0.1; done;"
                             " kill $pid; wait $pid 2>/dev/null; echo; echo \"$ignored\"";
  std::string output;
  RunCommand("sh -c " + ShellQuote(script), &output);
  // The mask is the last line; the shell may tell of the program's end before it.
  output.erase(output.find_last_not_of('\n') + 1);
  const std::string last_line = output.substr(output.find_last_of('\n') + 1);
  ASSERT_FALSE(last_line.empty()) << output;
  const unsigned long long mask = std::stoull(last_line, nullptr, 16);
  EXPECT_EQ(mask >> (SIGXFSZ - 1) & 1, 1u) << output;
}

}  // namespace
}  // namespace quireforge::test
