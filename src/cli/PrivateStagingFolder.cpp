#include "cli/PrivateStagingFolder.h"

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/PosixIo.h"
#include "base/SystemError.h"
#include "base/TemporaryFolder.h"
#include "base/Utf.h"
#include "cli/InterruptHandling.h"
#include "conversion/RemoveTree.h"

namespace quireforge {

namespace {

constexpr std::string_view kNamePrefix = "quireforge-cli-";
constexpr size_t kRandomPartLength = 6;  // mkdtemp's XXXXXX

// The process id that the name of a staging folder carries; 0 for any other name.
pid_t MarkedProcess(std::string_view name) {
  if (name.substr(0, kNamePrefix.size()) != kNamePrefix) return 0;
  name.remove_prefix(kNamePrefix.size());
  const size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || name.size() - dash - 1 != kRandomPartLength) {
    return 0;
  }
  pid_t pid = 0;
  for (char c : name.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 99999999) return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

// Removes the staging folders in `temporary` that runs killed outright left behind: marked
// with a process that no longer lives, and not locked (a process of another PID namespace
// that shares the folder still holds its lock). Only this user's folders are looked at, and
// never through a link; one that cannot be removed stays.
void RemoveAbandonedFolders(const std::string& temporary) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(temporary, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    const pid_t pid = MarkedProcess(name);
    if (pid <= 0 || kill(pid, 0) == 0 || errno != ESRCH) continue;  // lives, or not ours
    const std::string path = it->path().string();
    ScopedFd folder;
    struct stat status;
    if (OpenFolder(path, &folder) != 0 || fstat(folder.get(), &status) != 0 ||
        status.st_uid != geteuid()) {
      continue;
    }
    if (flock(folder.get(), LOCK_EX | LOCK_NB) != 0) continue;
    RemoveTree(FromUtf8(path));
  }
}

}  // namespace

PrivateStagingFolder::PrivateStagingFolder() {
  const std::string temporary = TemporaryFolderPath();
  RemoveAbandonedFolders(temporary);
  std::string pattern = temporary;
  if (pattern.back() != '/') pattern += '/';
  pattern += std::string(kNamePrefix) + std::to_string(getpid()) + "-XXXXXX";
  // A signal between making the folder and handing it to the handler would leave it behind.
  BlockInterrupts(true);
  if (mkdtemp(pattern.data()) == nullptr) {
    const int error = errno;
    BlockInterrupts(false);
    throw StagingFolderError("Cannot create a staging folder in \"" + temporary + "\". " +
                             SystemErrorText(error));
  }
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(pattern, error);
  path_ = error ? pattern : absolute.string();
  SetInterruptCleanupFolder(path_);
  BlockInterrupts(false);
  // The lock tells other runs that this folder is in use even where they cannot see this
  // process. Without it the process id alone still protects the folder.
  if (OpenFolder(path_, &lock_) == 0) flock(lock_.get(), LOCK_EX | LOCK_NB);
}

PrivateStagingFolder::~PrivateStagingFolder() {
  RemoveTree(FromUtf8(path_));
  SetInterruptCleanupFolder(std::string());
}

}  // namespace quireforge
