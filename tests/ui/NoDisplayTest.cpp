// build/quireforge started where no window can open (a terminal over ssh, a container, `make
// run` on a server): it must say that the window needs a graphical session and point to
// quireforge-cli, and end with status 1 rather than abort. A platform that needs no display
// (offscreen) still starts.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace quireforge::test {
namespace {

const std::string kProgram = std::string(QF_BUILD_DIR) + "/quireforge";

// Runs the window with `environment` (arguments of env) for at most `seconds`.
int RunWindow(const std::string& environment, int seconds, std::string* output) {
  return RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + environment +
                        " timeout -k 5 " + std::to_string(seconds) + " " + ShellQuote(kProgram),
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

}  // namespace
}  // namespace quireforge::test
