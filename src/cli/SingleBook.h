// One book made in this process: from one or more sources to the target .epub (or, with
// --list-chapters, to the chapter list on stdout), staged in a private folder that is gone
// again on every way out. Failures are printed, each with the file it concerns.
#ifndef QUIREFORGE_CLI_SINGLEBOOK_H_
#define QUIREFORGE_CLI_SINGLEBOOK_H_

#include "cli/CliOptions.h"

namespace quireforge {

class LegacyCodePage;

// Converts `options.sources` into one book with `code_page` for sources in a legacy code
// page. Returns kExitSuccess when the book was written (or the chapter list printed),
// kExitFailure otherwise. Never raises. A signal recorded while packing stops the engine;
// the caller then ends the process by it.
int ConvertOneBook(const CliOptions& options, const LegacyCodePage& code_page);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_SINGLEBOOK_H_
