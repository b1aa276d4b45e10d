// The thresholds by which the heading finder weighs a book's evidence, in one place. Each was
// set by measuring the finder on real download-site books; each has a test case in the
// finder's tests that fails when it moves far enough to change a reader's table of contents.
#ifndef QUIREFORGE_CHAPTERHEAD_HEADINGTUNABLES_H_
#define QUIREFORGE_CHAPTERHEAD_HEADINGTUNABLES_H_

#include <cstddef>
#include <cstdint>

namespace quireforge::tunables {

// --- One line (HeadingLine) ---

// A marker's title longer than this, in code units, reads as a sentence; English titles may
// be longer. Titles after a bare number (一　灭门) are held to a tighter measure, since a
// numbered list item in the body reads like a short title too.
inline constexpr size_t kMaxMarkedTitle = 50;
inline constexpr size_t kMaxEnglishTitle = 80;
// No heading line, marker and title and decoration, is longer than this.
inline constexpr size_t kMaxHeadingLine = kMaxEnglishTitle + 20;
inline constexpr size_t kMaxNumeralTitle = 25;
// A title may hold two commas when it is this short (one in any title), and end with a full
// stop when it is this short.
inline constexpr size_t kMaxTitleWithCommas = 30;
inline constexpr size_t kMaxTitleWithStop = 15;
// A marked title that reads as a summary (clauses, full stops) up to this length, with at
// most this many commas, is a weak heading: taken only where the book's series needs it.
inline constexpr size_t kMaxWeakTitle = 80;
inline constexpr size_t kMaxSummaryCommas = 2;
// A title that ends by naming itself front or back matter (中文版序, 爱马（自序）) is at most
// this long.
inline constexpr size_t kMaxEndingMatter = 16;
// A name put before every heading (斗破苍穹 第一章, 《书名》第一章) is at most this long.
inline constexpr size_t kMaxNamedLead = 15;
// Bare numbers beyond this are years, amounts and codes, not chapters; page numbers of a
// page head beyond this are not pages.
inline constexpr int64_t kMaxBareNumber = 9999;
inline constexpr int64_t kMaxPageNumber = 999;

// --- A book's marker series (HeadingFinder) ---

// A series of known chapter markers is the book's when most of its steps count up (a fall
// to 1 starts a new volume's count).
inline constexpr double kMinRisingShare = 0.5;
// Markers with an unusual counter (第一封信), and bare or bracketed numbers, must count one by
// one from a small number, since sentences and lists use them too.
inline constexpr double kMinStepShare = 0.7;
inline constexpr int64_t kMaxFirstNumber = 3;
inline constexpr size_t kMinLooseSeries = 3;
// A bare-number series spreads through the book with text between its lines.
inline constexpr double kMinNumeralSpan = 0.3;
inline constexpr size_t kMinNumeralGap = 3;
// A bare-number count may start again at one without a volume line when every count is at
// least this long and there are few counts: a book's parts, not lists in its chapters.
inline constexpr size_t kMinPartCount = 6;
inline constexpr size_t kMaxUnmarkedParts = 4;
// A second chapter series beside the main one counts when it is at least this share of it.
inline constexpr double kMinSideSeries = 0.2;
// Heading lines with at most this many text lines between them, each no longer than a title,
// form a run (a contents list may give a title on a line of its own); a run of at least
// kMinContentsRun whose headings come again elsewhere is a contents list.
inline constexpr size_t kContentsGap = 1;
inline constexpr size_t kContentsTextLine = 30;
inline constexpr size_t kMinContentsRun = 3;
// A contents title (目录) heads a list when its first heading line follows within this many
// lines; the list goes on while each next heading line has at most this much text before it
// (a page number, a teaser line).
inline constexpr size_t kContentsTitleReach = 3;
inline constexpr size_t kMaxContentsEntryText = 150;
// A contents list in this first share of the book's lines follows its title page; above it no
// heading is told by layout alone.
inline constexpr double kFrontShare = 0.1;
// A heading that holds at least this much text before the next one is a chapter of its own,
// not a line of a list.
inline constexpr size_t kMinChapterText = 500;
// The same front or back matter line may head the book this often (a preface and its
// repetition as a page title), not more.
inline constexpr size_t kMaxMatterRepeats = 2;
// A lone first chapter or volume line counts only near the start of the text: within this
// share of its lines, or its first few lines.
inline constexpr double kLoneHeadingReach = 0.05;
inline constexpr size_t kLoneHeadingLines = 10;
// A heading said again within this many lines and this much text (a site's page title, a
// forum's furniture, then the chapter's own head) is one heading, the later one, which the
// text follows.
inline constexpr size_t kRepeatReach = 12;
inline constexpr size_t kMaxRepeatText = 200;
// Two headings with one number name the same chapter when this share of the letters of the
// shorter title stand in the longer (a scan's running head misreads a few); else they are
// pages of one part (第一部分 消逝的钟声, 第一部分 我的幼儿园).
inline constexpr double kMinSharedTitle = 0.6;

// --- Titles set apart by layout alone (LayoutTitles) ---

// A bare title is at most this long, in code units, once trimmed.
inline constexpr size_t kMaxBareTitle = 20;
// The titles of a book: at least this many, spread over at least this share of its text,
// with at least this many text lines between two of them (median), and few of its lines.
inline constexpr size_t kMinBareTitles = 3;
inline constexpr double kMinBareSpan = 0.5;
inline constexpr size_t kMinBareGap = 5;
inline constexpr size_t kMaxBareShare = 5;  // at most one line in five
// Rule lines and dates set a title apart more surely than blank lines: it may be this long.
inline constexpr size_t kMaxLayoutTitle = 40;
// Headings after at least this many more blank lines than the book puts between paragraphs
// are set apart as surely as by rule lines.
inline constexpr uint32_t kWideBlankGap = 3;
// A layout is the headings' when at least this share of them have it.
inline constexpr double kMinLayoutShare = 0.8;
// Lines that open with the same this many letters, at least this many of them, each adding a
// title of its own, are page titles after a running prefix.
inline constexpr size_t kPrefixKey = 6;
inline constexpr size_t kMinPrefixedTitles = 5;
// One part's prefixed pages may span this share of the book.
inline constexpr double kMinPrefixedSpan = 0.2;

}  // namespace quireforge::tunables

#endif  // QUIREFORGE_CHAPTERHEAD_HEADINGTUNABLES_H_
