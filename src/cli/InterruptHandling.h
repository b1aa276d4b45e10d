// What the program does on Ctrl-C, SIGTERM, SIGHUP and SIGQUIT: one set of handlers per
// process. While no book is being made (nothing of it is on disk then), the handler ends the
// process by the same signal at once. While a book streams into its archive, or while child
// processes convert books, the handler only records the signal (and passes it on to the
// children); the program then stops the engine or waits for the children, cleans up and ends
// by the signal. SIGPIPE and SIGXFSZ are ignored, so that
// a closed pipe and a file-size limit show up as write errors. Process-wide state; the functions
// are called from the main thread only.
#ifndef QUIREFORGE_CLI_INTERRUPTHANDLING_H_
#define QUIREFORGE_CLI_INTERRUPTHANDLING_H_

#include <sys/types.h>

namespace quireforge {

// Installs the handlers and unblocks the signals (a child process starts with them blocked).
void InstallInterruptHandlers();

// True: a signal is only recorded (a book streams into its archive, or children convert).
void SetInterruptDeferred(bool deferred);

// The signal recorded while deferred; 0 when none came.
int PendingInterrupt();

// From now on the handled signals do nothing, and one recorded before is forgotten: for the
// moment the book is in place, after which the run finishes as if no signal had come.
void IgnoreInterrupts();

// Children that receive every recorded signal as well. At most 1024 at a time.
void AddInterruptChild(pid_t child);
void RemoveInterruptChild(pid_t child);

// Blocks (true) or unblocks (false) the handled signals in this thread, around a fork.
void BlockInterrupts(bool block);

// Ends the process by `signal_number` with its default action.
[[noreturn]] void EndBySignal(int signal_number);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_INTERRUPTHANDLING_H_
