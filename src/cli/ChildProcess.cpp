#include "cli/ChildProcess.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "base/PosixIo.h"
#include "base/SystemError.h"
#include "cli/InterruptHandling.h"

namespace quireforge {

namespace {

constexpr const char* kSelf = "/proc/self/exe";

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
  // Everything the child needs is prepared before the fork: after it, the child only execs.
  std::vector<std::string> words = {"quireforge-cli"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  BlockInterrupts(true);
  const pid_t pid = fork();
  if (pid == 0) {
    execv(kSelf, argv.data());
    // Only calls that are safe between fork and exec: WriteFully is write and nothing else.
    static const char kFailed[] = "quireforge-cli: cannot start /proc/self/exe\n";
    WriteFully(STDERR_FILENO, kFailed, sizeof kFailed - 1);
    _exit(127);
  }
  const int fork_error = errno;
  if (pid > 0) {
    pid_ = pid;
    running_ = true;
    AddInterruptChild(pid);
  }
  BlockInterrupts(false);
  if (pid < 0) {
    throw std::runtime_error("Cannot start a conversion process. " + SystemErrorText(fork_error));
  }
}

ChildProcess::~ChildProcess() {
  if (!running_) return;
  kill(pid_, SIGTERM);
  int status = 0;
  WaitForChild(pid_, &status);
  RemoveInterruptChild(pid_);
}

void ChildProcess::Reaped(int status) {
  status_ = status;
  running_ = false;
  RemoveInterruptChild(pid_);
}

}  // namespace quireforge
