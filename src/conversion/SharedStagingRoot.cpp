#include "conversion/SharedStagingRoot.h"

#include <errno.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <utility>

#include "base/PosixIo.h"
#include "conversion/RemoveTree.h"
#include "conversion/StagingRoot.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

// How long a window waits at start-up while another one is removing the root.
constexpr int kLockAttempts = 50;
constexpr std::chrono::milliseconds kLockPause(20);

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

SharedStagingRoot::SharedStagingRoot(std::u16string root) : root_(std::move(root)) {
  CreateStagingRoot(root_);
  Lock();
}

SharedStagingRoot::~SharedStagingRoot() = default;

bool SharedStagingRoot::Lock() {
  const std::string native = NativePath(root_);
  int missing = 0;
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    if (attempt > 0) {
      std::this_thread::sleep_for(kLockPause);
      // The root may have gone with the last window that held it: make it again.
      CreateStagingRoot(root_);
    }
    ScopedFd folder;
    if (const int error = OpenFolder(native, &folder)) {
      // Missing right after it was made: removed by another window at that moment, or it
      // cannot be made at all (its folder is missing), which is not told here.
      if (error == ENOENT && ++missing < 3) continue;
      return false;
    }
    // No other window holds the root: what it holds was left by windows that are gone
    // (killed, or ended before they could clean up), and goes now.
    if (flock(folder.get(), LOCK_EX | LOCK_NB) == 0) RemoveTreeContents(folder.get());
    // Another window removing the root holds the lock exclusively for that long.
    if (flock(folder.get(), LOCK_SH | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) continue;
      return false;
    }
    // The lock must be on the folder that is the root now, not on one removed meanwhile.
    struct stat held, current;
    if (fstat(folder.get(), &held) == 0 && lstat(native.c_str(), &current) == 0 &&
        SameFile(held, current)) {
      lock_ = std::move(folder);
      return true;
    }
  }
  return false;
}

void SharedStagingRoot::Close(const std::vector<std::u16string>& job_folders) {
  if (closed_) return;
  closed_ = true;
  for (const std::u16string& folder : job_folders) RemoveTree(folder);
  if (!lock_.valid()) {
    rmdir(NativePath(root_).c_str());  // only when empty: others may use it
    return;
  }
  // The exclusive lock is granted only when no other window holds a shared one; while it
  // is held, no window can take the root.
  if (flock(lock_.get(), LOCK_EX | LOCK_NB) == 0) RemoveTree(root_);
  lock_.Close();
}

}  // namespace quireforge
