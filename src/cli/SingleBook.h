// One book made in this process: from one or more sources to the target .epub (or, with
// --list-chapters, to the chapter list on stdout), staged in a private folder that is gone
// again on every way out. Failures are printed, each with the file it concerns; unless
// quiet, so are the code page each source was read in when it was not named, and a book
// in which no chapter heading was found.
#ifndef QUIREFORGE_CLI_SINGLEBOOK_H_
#define QUIREFORGE_CLI_SINGLEBOOK_H_

#include "cli/CliOptions.h"

namespace quireforge {

class CodePageChoice;

// Converts `options.sources` into one book, choosing the code page of sources in a legacy
// code page as `code_pages` says. Returns kExitSuccess when the book was written (or the
// chapter list printed), kExitFailure otherwise. Never raises. A signal recorded while
// packing stops the engine; the caller then ends the process by it.
int ConvertOneBook(const CliOptions& options, const CodePageChoice& code_pages);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_SINGLEBOOK_H_
