// What one run of quireforge-cli was asked to do: the parsed command line. ParseCliOptions
// turns argv into CliOptions with CLI11, printing help, version and usage errors itself;
// SingleBookArguments turns the options back into the arguments of one book, for the child
// processes of --each. Plain values and free functions; one thread.
#ifndef QUIREFORGE_CLI_CLIOPTIONS_H_
#define QUIREFORGE_CLI_CLIOPTIONS_H_

#include <optional>
#include <string>
#include <vector>

#include "base/BookDefaults.h"
#include "conversion/ParagraphFormat.h"

namespace quireforge {

// Exit statuses of the program.
inline constexpr int kExitSuccess = 0;  // every book was written
inline constexpr int kExitFailure = 1;  // a book failed
inline constexpr int kExitUsage = 2;    // the command line was wrong

// How the chapters of a single source are found.
enum class ChapterRule {
  kSmart,    // the heading finder: marker lines that read as headings, chosen by their series
  kClassic,  // every line in which the built-in chapter-head pattern matches
};

struct CliOptions {
  std::vector<std::string> sources;  // as given; at least one
  std::string output;                // empty: derived from the first source
  std::optional<std::string> title;  // unset: derived from the first source
  std::optional<std::string> author;
  int margin = kDefaultMargin;           // points: normal 2, wide 5
  int line_height = kDefaultLineHeight;  // percent: normal 100, wide 120
  int font_size = kDefaultFontSize;      // percent: large 110, middle 105, small 100
  bool bold = false;
  bool no_chapters = false;
  bool filename_chapters = false;
  std::string font;                     // empty: no embedded font
  std::optional<std::string> codepage;  // unset: QUIREFORGE_CODEPAGE, else "auto"
  bool list_chapters = false;
  bool each = false;
  int jobs = 0;              // books at once with --each; 0: one per core
  bool quiet = false;        // errors only
  bool no_progress = false;  // no progress bar and no "written" line (children of --each)

  // Unset title and author are derived from the first source's file name, each on its own.
  // The book's structure and looks beyond the window's options:
  ChapterRule chapter_rule = ChapterRule::kSmart;
  std::optional<std::string> chapter_pattern;  // set: wins over the rule
  bool volumes = false;     // volumes forced on (the classic rule finds none without it)
  bool no_volumes = false;  // no volume level, even where the heading finder sees one
  std::optional<std::string> volume_pattern;  // unset: the volume rule; set implies volumes
  std::string cover;                          // empty: no cover
  std::optional<std::string> language;        // a BCP 47 tag or "auto"; unset: "en"
  // How pages look: headings for chapter and volume lines, a first-line indent (0 to 4 em).
  HeadingStyle heading_style = HeadingStyle::kPlain;
  std::optional<int> indent;  // unset: no indent, lines kept whole
  bool epub3 = false;         // an EPUB 3 book instead of EPUB 2.0
};

// Parses the command line into `options`. Returns an exit status when the program must stop
// now: 0 after --help or --version (printed to stdout), kExitUsage after a usage error
// (printed to stderr); std::nullopt when the options are ready to run.
std::optional<int> ParseCliOptions(int argc, char** argv, CliOptions* options);

// The arguments (without the program name) that make the program convert `source` alone with
// the typographic, chapter, volume, font, cover, language, heading, indent, EPUB 3, author and
// code page options of `options`, without progress or "written" line (which the parent shows), and
// quiet when `options` is.
std::vector<std::string> SingleBookArguments(const CliOptions& options, const std::string& source);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_CLIOPTIONS_H_
