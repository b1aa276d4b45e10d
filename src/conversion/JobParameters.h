// What a conversion job is built from, and what it needs of its surroundings.
// Plain values: the caller fills them in and keeps ownership of everything pointed to.
#ifndef QUIREFORGE_CONVERSION_JOBPARAMETERS_H_
#define QUIREFORGE_CONVERSION_JOBPARAMETERS_H_

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookOptions.h"

namespace quireforge {

class BookSink;
class LegacyCodePage;
class UserInterface;

// What a job is built from: the sources, the book's names and its checked options.
struct JobParameters {
  std::vector<std::u16string> sources;  // at least one; their order is the book's order
  std::u16string target_path;
  std::u16string title;
  std::u16string author;
  BookOptions options;
};

// Decides whether one raw line (untrimmed, unescaped) is a chapter heading.
using ChapterHeadTest = std::function<bool(std::u16string_view line)>;

// Finds the headings of a single source from all its raw lines at once (a book's headings are
// known by their series): fills `chapters` with the indices of the lines that open chapters
// and `volumes` with those that open volumes, each rising, no line in both.
using HeadingSearch =
    std::function<void(const std::vector<std::u16string_view>& lines, std::vector<size_t>* chapters,
                       std::vector<size_t>* volumes)>;

// The surroundings of a job: where its files go, whom it tells about progress, how it
// recognises chapters (and volumes) and how it decodes sources without a byte-order mark that
// are not valid UTF-8 (CodePageChoice::ApplyTo fills in the last two).
struct JobEnvironment {
  // Where the book's files go: a staging directory of the job's own inside `staging_root`
  // (which must exist; e.g. /tmp/QuireforgeTmp) when `sink` is null, else `sink`, which must
  // outlive the job (an archive fed as the pages are made, or a sink that keeps no page).
  std::u16string staging_root;
  BookSink* sink = nullptr;
  UserInterface* ui = nullptr;  // never null
  // How the chapters of a single source are found: by `find_headings` when set, else line by
  // line by `is_chapter_head`. One of the two is never empty.
  ChapterHeadTest is_chapter_head;
  HeadingSearch find_headings;
  const LegacyCodePage* code_page = nullptr;  // never null; also the plain writer's
  // False: such sources are decoded in `code_page`. True: each in the code page found from
  // its own text, in `code_page` when the text does not tell.
  bool detect_code_page = false;

  // Decides whether a raw line of a single source opens a volume; empty: no volumes but those
  // `find_headings` finds. A line it accepts opens a volume whatever `find_headings` says.
  // Several sources are never searched for volumes, as they are never searched for headings.
  ChapterHeadTest is_volume_head;

  // For books that must come out the same every time (tests of the sinks): the identifier to
  // use instead of a fresh one (36 characters), and the time to date the book and its files
  // with instead of the clock's. The staging directory's files take that time too; a sink
  // given in `sink` is told its time by its maker.
  std::u16string identifier;
  std::optional<std::time_t> time;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_JOBPARAMETERS_H_
