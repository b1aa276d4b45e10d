// HeadingCandidate holds what the heading finder knows of one line that reads as a heading by
// itself (HeadingLine) and of where it stands in the text, and reads a book's candidates in one
// pass, marking those of contents lists inside the text. Part of the heading finder; pure
// functions; any thread; linear in the text.
#ifndef QUIREFORGE_CHAPTERHEAD_HEADINGCANDIDATE_H_
#define QUIREFORGE_CHAPTERHEAD_HEADINGCANDIDATE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "chapterhead/HeadingLine.h"
#include "chapterhead/LineLayout.h"

namespace quireforge {

struct Candidate {
  size_t line = 0;
  size_t text_index = 0;    // how many non-blank lines come before it
  size_t text_before = 0;   // the longest text line between it and the heading line before it
  size_t chars_before = 0;  // the text between it and the heading line before it
  size_t chars_after = 0;   // the text between it and the next heading line
  bool under_contents_title = false;  // a 目录 line stands right before it
  HeadingMarker marker;
  uint64_t key = 0;
  bool contents = false;
};

// The series a marker belongs to: its family and counter (卷三 counts on from 第二卷), for
// bare and bracketed numbers also how they are written, and the name put before it.
uint64_t SeriesKey(const HeadingMarker& marker);

// One heading: its series, its number, its page, as a key for hashing.
uint64_t HeadingIdentity(const Candidate& candidate);

// True when two headings of one series name the same chapter (and page): the same number,
// and titles alike (a running head may give the number alone, or misread a letter or two).
bool SameHeading(const HeadingMarker& a, const HeadingMarker& b);

// True for lines taken only where their series expects them: titles that run on from the
// counter, and titles that read as summaries.
bool IsSoft(const HeadingMarker& marker);

// Markers that sentences and lists use too: their lines count only as a series that counts
// one by one.
bool IsLoose(const HeadingMarker& marker);

// Every text line of a book (`layout`, in order) that reads as a heading, with where it
// stands among them.
std::vector<Candidate> ReadCandidates(const std::vector<LineLayout>& layout);

// Marks the candidates of contents lists inside the text, which are text: runs of heading
// lines with hardly any text between them whose headings come again, and the lines under a
// contents title (目录).
void MarkContentsLists(std::vector<Candidate>* candidates);

// The source lines of `members` (indices into `candidates`).
std::vector<size_t> LinesOf(const std::vector<Candidate>& candidates,
                            const std::vector<size_t>& members);

}  // namespace quireforge

#endif  // QUIREFORGE_CHAPTERHEAD_HEADINGCANDIDATE_H_
