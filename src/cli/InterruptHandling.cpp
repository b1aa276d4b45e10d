#include "cli/InterruptHandling.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <atomic>

namespace quireforge {

namespace {

constexpr int kHandledSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kMaxChildren = 1024;

volatile sig_atomic_t g_ignored = 0;
volatile sig_atomic_t g_deferred = 0;
volatile sig_atomic_t g_pending = 0;
std::atomic<pid_t> g_children[kMaxChildren];

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
