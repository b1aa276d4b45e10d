// HeadingSeries groups a book's heading candidates by marker shape and judges, over the whole
// book, which series hold its headings: a series counts up as headings do, page heads count
// the pages of each chapter, sections give way to chapters, a short series gives way to a much
// longer one. Part of the heading finder; pure functions; any thread; linear in the text.
#ifndef QUIREFORGE_CHAPTERHEAD_HEADINGSERIES_H_
#define QUIREFORGE_CHAPTERHEAD_HEADINGSERIES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "chapterhead/HeadingCandidate.h"

namespace quireforge {

// The lines of one marker shape, and which of them the book takes as headings.
struct Series {
  uint64_t key = 0;
  HeadingMarker shape;           // the first member's marker
  std::vector<size_t> members;   // indices into the candidates, in reading order
  std::vector<size_t> headings;  // the members taken, in reading order
  size_t running = 0;            // how often a member was said again over later pages
};

// The candidates outside contents lists grouped by marker shape, in reading order, a heading
// said again counted once; the front and back matter candidates go to `matter` instead.
std::vector<Series> GroupIntoSeries(const std::vector<Candidate>& candidates,
                                    std::vector<size_t>* matter);

// Fills `series->headings` when the series is the book's: its firm members when they count
// as its family asks, and each run-on member whose number fits between them. `text_lines` is
// the book's count of text lines; with `forced_volumes`, every volume line that reads as a
// heading counts, even alone; a bare count may start again at the `volume_lines`.
void JudgeSeries(const std::vector<Candidate>& candidates, size_t text_lines, bool forced_volumes,
                 const std::vector<size_t>& volume_lines, Series* series);

// The front and back matter lines among `matter` (candidates) that a book could head with: a
// line said more than kMaxMatterRepeats times (序 over every page of a scanned preface) is no
// heading, and one said again right below itself is one heading, the later.
std::vector<size_t> StandingMatter(const std::vector<std::u16string_view>& lines,
                                   const std::vector<Candidate>& candidates,
                                   const std::vector<size_t>& matter);

// True for the series of bare and bracketed numbers.
bool IsNumberSeries(const Series& series);

// Keeps the series that hold the book's headings: no lone line where the book has other
// series, no sections where the book has chapters, and no short chapter series beside a
// much longer one of the same rank.
void KeepTheBooksSeries(const std::vector<Candidate>& candidates, std::vector<const Series*>* list,
                        bool chapters);

// The lines of the headings of every series in `list`, rising. Sorting once keeps the
// finder linear when a book has thousands of series (a different name before every heading).
std::vector<size_t> LinesOfAll(const std::vector<Candidate>& candidates,
                               const std::vector<const Series*>& list);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_HEADINGSERIES_H_
