// One child process running this very program (/proc/self/exe) with given arguments, its
// stdin, stdout and stderr shared with ours. The owner learns its end from waitpid and
// hands the status over with Reaped; a child still running when its owner goes is stopped
// with SIGTERM and waited for, so none outlives the program unnoticed. Not copyable; main
// thread only.
#ifndef QUIREFORGE_CLI_CHILDPROCESS_H_
#define QUIREFORGE_CLI_CHILDPROCESS_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace quireforge {

class ChildProcess {
 public:
  // Starts the program with `arguments` (without the program name). The handled signals
  // stay blocked in the child until it installs its own handlers, and the child is
  // registered to receive every signal this process records. Raises std::runtime_error
  // when no process can be made; a program that cannot be started ends with status 127.
  explicit ChildProcess(const std::vector<std::string>& arguments);
  ~ChildProcess();

  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Records the status waitpid returned for this child.
  void Reaped(int status);
  bool running() const { return running_; }
  // Valid once reaped: the raw wait status.
  int status() const { return status_; }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
  int status_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_CHILDPROCESS_H_
