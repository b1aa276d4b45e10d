// --each: every source becomes a book of its own beside it, `jobs` books at once, each
// converted by a child process of this program, so that nothing in the core has to be
// thread-safe and each child cleans up its own staging. Targets that collide or that are
// one of the sources are refused before any child starts.
#ifndef QUIREFORGE_CLI_EACHBOOK_H_
#define QUIREFORGE_CLI_EACHBOOK_H_

#include "cli/CliOptions.h"

namespace quireforge {

// Converts every source of `options` on its own. Returns kExitSuccess when every book was
// written, kExitFailure when any failed. Never raises. A signal is passed on to the
// children; no new child starts after it, and the caller ends the process by it once
// every child has ended.
int ConvertEachBook(const CliOptions& options);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_EACHBOOK_H_
