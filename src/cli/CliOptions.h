// What one run of quireforge-cli was asked to do: the parsed command line. ParseCliOptions
// turns argv into CliOptions with CLI11, printing help, version and usage errors itself;
// SingleBookArguments turns the options back into the arguments of one book, for the child
// processes of --each. Plain values and free functions; one thread.
#ifndef QUIREFORGE_CLI_CLIOPTIONS_H_
#define QUIREFORGE_CLI_CLIOPTIONS_H_

#include <optional>
#include <string>
#include <vector>

#include "conversion/BookOptions.h"

namespace quireforge {

// Exit statuses of the program.
inline constexpr int kExitSuccess = 0;  // every book was written
inline constexpr int kExitFailure = 1;  // a book failed
inline constexpr int kExitUsage = 2;    // the command line was wrong

struct CliOptions {
  std::vector<std::string> sources;  // as given; at least one
  std::string output;                // empty: derived from the first source
  std::optional<std::string> title;  // unset: derived from the first source
  std::optional<std::string> author;
  BookOptions book;                     // every book option, read through the option table
  std::optional<std::string> codepage;  // unset: QUIREFORGE_CODEPAGE, else "auto"
  bool list_chapters = false;
  bool each = false;
  int jobs = 0;              // books at once with --each; 0: one per core
  bool quiet = false;        // errors only
  bool no_progress = false;  // no progress bar and no "written" line (children of --each)
};

// Parses the command line into `options`. Returns an exit status when the program must stop
// now: 0 after --help or --version (printed to stdout), kExitUsage after a usage error
// (printed to stderr); std::nullopt when the options are ready to run.
std::optional<int> ParseCliOptions(int argc, char** argv, CliOptions* options);

// Prints a usage error found after parsing as the parser's own are printed: "<option>: <what
// is expected>" and a line pointing to --help, on stderr; returns kExitUsage.
int ReportUsageError(const std::string& option, const std::string& text);

// The arguments (without the program name) that make the program convert `source` alone with
// the book options, author and code page of `options`, without progress or "written" line
// (which the parent shows), and quiet when `options` is.
std::vector<std::string> SingleBookArguments(const CliOptions& options, const std::string& source);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_CLIOPTIONS_H_
