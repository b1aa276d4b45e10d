#include "cli/InterruptHandling.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <string.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "base/PosixIo.h"
#include "base/ScopedFd.h"

namespace quireforge {

namespace {

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kMaxChildren = 1024;
// The staging tree is a few levels deep; deeper trees are not ours.
constexpr int kMaxDepth = 32;

volatile sig_atomic_t g_ignored = 0;
volatile sig_atomic_t g_deferred = 0;
volatile sig_atomic_t g_pending = 0;
char g_cleanup_folder[PATH_MAX] = {};
std::atomic<pid_t> g_children[kMaxChildren];

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Deletes everything inside the open folder `fd`, never following links. Uses only calls
// that are safe in a signal handler: no allocation, no stdio (ScopedFd and OpenFolderAt are
// openat and close).
void EmptyFolderSignalSafe(int fd, int depth) {
  // getdents64 fills in records laid out as glibc's struct dirent64, 8-byte aligned.
  alignas(struct dirent64) char buffer[4096];
  for (int pass = 0; pass < 64; ++pass) {
    bool removed_any = false;
    lseek(fd, 0, SEEK_SET);
    for (;;) {
      const long n = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
      if (n <= 0) break;
      for (long offset = 0; offset < n;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + offset);
        offset += entry->d_reclen;
        if (IsDotOrDotDot(entry->d_name)) continue;
        if (unlinkat(fd, entry->d_name, 0) == 0) {
          removed_any = true;
          continue;
        }
        if (errno != EISDIR || depth >= kMaxDepth) continue;
        {
          ScopedFd child;
          if (OpenFolderAt(fd, entry->d_name, &child) != 0) continue;
          EmptyFolderSignalSafe(child.get(), depth + 1);
        }
        if (unlinkat(fd, entry->d_name, AT_REMOVEDIR) == 0) removed_any = true;
      }
    }
    if (!removed_any) return;
  }
}

void RemoveFolderSignalSafe(const char* folder) {
  if (folder[0] == '\0') return;
  {
    ScopedFd fd;
    if (OpenFolderAt(AT_FDCWD, folder, &fd) != 0) return;
    EmptyFolderSignalSafe(fd.get(), 0);
  }
  rmdir(folder);
}

void HandleInterrupt(int signal_number) {
  if (g_ignored) return;
  const int saved_errno = errno;
  if (g_deferred) {
    g_pending = signal_number;
    for (auto& child : g_children) {
      const pid_t pid = child.load(std::memory_order_relaxed);
      if (pid > 0) kill(pid, signal_number);
    }
    errno = saved_errno;
    return;
  }
  RemoveFolderSignalSafe(g_cleanup_folder);
  EndBySignal(signal_number);
}

sigset_t HandledSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kHandledSignals) sigaddset(&set, signal_number);
  return set;
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = HandleInterrupt;
  // Every handled signal waits while the handler runs; no SA_RESTART, so that a wait for a
  // child returns to look at the recorded signal.
  action.sa_mask = HandledSet();
  for (int signal_number : kHandledSignals) sigaction(signal_number, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  // A file-size limit then fails the write (EFBIG) like a full disk, which is cleaned up,
  // instead of killing the process in the middle of it.
  signal(SIGXFSZ, SIG_IGN);
  BlockInterrupts(false);
}

void SetInterruptCleanupFolder(const std::string& folder) {
  // The handler must never see a half-copied path.
  const sigset_t set = HandledSet();
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &set, &previous);
  if (folder.size() < sizeof g_cleanup_folder) {
    memcpy(g_cleanup_folder, folder.c_str(), folder.size() + 1);
  } else {
    g_cleanup_folder[0] = '\0';
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

void SetInterruptDeferred(bool deferred) { g_deferred = deferred ? 1 : 0; }

int PendingInterrupt() { return g_pending; }

void IgnoreInterrupts() {
  g_ignored = 1;
  g_pending = 0;
}

void AddInterruptChild(pid_t child) {
  for (auto& slot : g_children) {
    pid_t empty = 0;
    if (slot.compare_exchange_strong(empty, child)) return;
  }
}

void RemoveInterruptChild(pid_t child) {
  for (auto& slot : g_children) {
    pid_t expected = child;
    if (slot.compare_exchange_strong(expected, 0)) return;
  }
}

void BlockInterrupts(bool block) {
  const sigset_t set = HandledSet();
  sigprocmask(block ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void EndBySignal(int signal_number) {
  signal(signal_number, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal_number);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal_number);
  _exit(128 + signal_number);
}

}  // namespace quireforge
