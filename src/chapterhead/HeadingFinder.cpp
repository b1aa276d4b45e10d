#include "chapterhead/HeadingFinder.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "base/StringOps.h"
#include "chapterhead/HeadingLine.h"
#include "chapterhead/HeadingTunables.h"
#include "chapterhead/LayoutTitles.h"
#include "chapterhead/LineLayout.h"

namespace quireforge {

namespace {

using tunables::kContentsGap;
using tunables::kContentsTextLine;
using tunables::kContentsTitleReach;
using tunables::kLoneHeadingLines;
using tunables::kLoneHeadingReach;
using tunables::kMaxContentsEntryText;
using tunables::kMaxFirstNumber;
using tunables::kMaxMatterRepeats;
using tunables::kMaxRepeatText;
using tunables::kMaxUnmarkedParts;
using tunables::kMinChapterText;
using tunables::kMinContentsRun;
using tunables::kMinLooseSeries;
using tunables::kMinNumeralGap;
using tunables::kMinNumeralSpan;
using tunables::kMinPartCount;
using tunables::kMinRisingShare;
using tunables::kMinSharedTitle;
using tunables::kMinSideSeries;
using tunables::kMinStepShare;
using tunables::kRepeatReach;

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
uint64_t SeriesKey(const HeadingMarker& marker) {
  const MarkerFamily family =
      marker.family == MarkerFamily::kVolumeFirst ? MarkerFamily::kOrdinal : marker.family;
  uint64_t key = (static_cast<uint64_t>(family) << 24) | marker.counter;
  if (marker.family == MarkerFamily::kNumeral || marker.family == MarkerFamily::kBracketed) {
    key |= static_cast<uint64_t>(marker.script) << 16;
  }
  return key | (static_cast<uint64_t>(marker.named_lead) << 32);
}

// True when `text` stops in the middle of a sentence: on a letter or a comma.
bool EndsOpen(std::u16string_view text) {
  if (text.empty()) return false;
  const char16_t last = text.back();
  return (last >= u'\u3400' && last <= u'\u9FFF') || (last >= u'a' && last <= u'z') ||
         (last >= u'A' && last <= u'Z') || last == u'，' || last == u',' || last == u'、';
}

// One heading: its series and its number, as a key for hashing.
uint64_t HeadingIdentity(const Candidate& candidate) {
  const HeadingMarker& marker = candidate.marker;
  uint64_t identity = candidate.key * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(marker.number);
  identity = identity * 0x100000001B3ull + static_cast<uint64_t>(marker.page + 1);
  return identity * 0x100000001B3ull + marker.stem;
}

// `title` without what a running head adds at its end: a page number, stray marks.
std::u16string_view TitleCore(std::u16string_view title) {
  while (!title.empty() && !(title.back() >= u'\u3400' && title.back() <= u'\u9FFF')) {
    title.remove_suffix(1);
  }
  return title;
}

// True when two titles name the same chapter: one of them is missing (a running head may give
// the number alone), or most letters of the shorter stand in the longer (a scan's running
// head misreads a letter or two).
bool TitlesAlike(std::u16string_view a, std::u16string_view b) {
  a = TitleCore(a);
  b = TitleCore(b);
  if (a.empty() || b.empty()) return true;
  if (a.size() > b.size()) std::swap(a, b);
  std::u16string longer(b);
  size_t shared = 0;
  for (char16_t c : a) {
    const size_t at = longer.find(c);
    if (at == std::u16string::npos) continue;
    longer[at] = 0;
    ++shared;
  }
  return static_cast<double>(shared) >= kMinSharedTitle * static_cast<double>(a.size());
}

// True when two headings of one series name the same chapter (and page).
bool SameHeading(const HeadingMarker& a, const HeadingMarker& b) {
  return a.number == b.number && a.page == b.page && a.stem == b.stem &&
         TitlesAlike(a.title, b.title);
}

// True for lines taken only where their series expects them: titles that run on from the
// counter, and titles that read as summaries.
bool IsSoft(const HeadingMarker& marker) { return marker.tight || marker.weak; }

// Markers that sentences and lists use too: their lines count only as a series that counts
// one by one.
bool IsLoose(const HeadingMarker& marker) {
  return marker.family == MarkerFamily::kNumeral || marker.family == MarkerFamily::kBracketed ||
         marker.named_lead != 0 ||
         (marker.family == MarkerFamily::kOrdinal && !IsKnownCounter(marker.counter));
}

// Marks the runs of heading lines with hardly any text between them whose headings the book
// has again elsewhere: a contents list, which is text. A heading that comes again within a
// run ends the list there (the list is followed by the first real heading), and the run-on
// lines, which may be sentences, take no part.
void MarkRepeatedLists(std::vector<Candidate>* candidates) {
  std::vector<size_t> firm;
  std::unordered_map<uint64_t, uint32_t> occurrences;
  for (size_t i = 0; i < candidates->size(); ++i) {
    const HeadingMarker& marker = (*candidates)[i].marker;
    if (IsSoft(marker) && marker.page < 0) continue;
    firm.push_back(i);
    ++occurrences[HeadingIdentity((*candidates)[i])];
  }
  auto mark_if_list = [&](size_t begin, size_t end) {
    if (end - begin < kMinContentsRun) return;
    // A contents list lists many headings of one series; 第一部, 第一卷, 第一章 in a row open
    // a part, its first volume and its first chapter.
    std::unordered_map<uint64_t, size_t> per_series;
    size_t largest = 0;
    for (size_t i = begin; i < end; ++i) {
      largest = std::max(largest, ++per_series[(*candidates)[firm[i]].key]);
    }
    if (largest < kMinContentsRun) return;
    size_t repeated = 0;
    size_t last_repeated = begin;
    for (size_t i = begin; i < end; ++i) {
      if (occurrences[HeadingIdentity((*candidates)[firm[i]])] > 1) {
        ++repeated;
        last_repeated = i;
      }
    }
    if (repeated < 2 || 2 * repeated < end - begin) return;
    for (size_t i = begin; i <= last_repeated; ++i) (*candidates)[firm[i]].contents = true;
  };
  size_t begin = 0;
  std::unordered_map<uint64_t, size_t> in_run;
  for (size_t i = 0; i < firm.size(); ++i) {
    const Candidate& candidate = (*candidates)[firm[i]];
    const bool joins =
        i > begin &&
        candidate.text_index - (*candidates)[firm[i - 1]].text_index <= kContentsGap + 1 &&
        candidate.text_before <= kContentsTextLine;
    const bool again = joins && in_run.count(HeadingIdentity(candidate)) > 0;
    if (!joins || again) {
      mark_if_list(begin, i);
      begin = i;
      in_run.clear();
    }
    in_run[HeadingIdentity(candidate)] = i;
  }
  mark_if_list(begin, firm.size());
}

// Marks the heading lines listed under a contents title (目录): from the first one right
// below it, each next one with hardly any text before it (a page number, a line of teaser),
// up to the first that holds a chapter's text or comes again.
void MarkTitledLists(std::vector<Candidate>* candidates) {
  for (size_t i = 0; i < candidates->size(); ++i) {
    if (!(*candidates)[i].under_contents_title) continue;
    // The list ends where a heading comes again: the body's first heading after it.
    std::unordered_set<uint64_t> listed = {HeadingIdentity((*candidates)[i])};
    size_t end = i + 1;
    while (end < candidates->size() && (*candidates)[end].chars_before <= kMaxContentsEntryText &&
           (*candidates)[end].chars_after < kMinChapterText &&
           listed.insert(HeadingIdentity((*candidates)[end])).second) {
      ++end;
    }
    if (end - i >= kMinContentsRun) {
      for (size_t k = i; k < end; ++k) (*candidates)[k].contents = true;
    }
    i = end - 1;
  }
}

// Marks the heading lines of contents lists inside the text, which are text.
void MarkContentsLists(std::vector<Candidate>* candidates) {
  MarkTitledLists(candidates);
  MarkRepeatedLists(candidates);
}

// The lines of one marker shape, and which of them the book takes as headings.
struct Series {
  uint64_t key = 0;
  HeadingMarker shape;           // the first member's marker
  std::vector<size_t> members;   // indices into the candidates, in reading order
  std::vector<size_t> headings;  // the members taken, in reading order
  size_t running = 0;            // how often a member was said again over later pages
};

// How a sequence of numbers moves from one to the next.
struct Steps {
  size_t pairs = 0;
  size_t rising = 0;  // up, or back to 1 (a new volume's count)
  size_t by_one = 0;  // up by exactly one
  size_t resets = 0;  // back to 1 or 0 from higher
};

class SeriesJudge {
 public:
  // With `forced_volumes`, every volume line that reads as a heading counts, even alone.
  SeriesJudge(const std::vector<Candidate>& candidates, size_t text_lines, bool forced_volumes)
      : candidates_(candidates), text_lines_(text_lines), forced_volumes_(forced_volumes) {}

  // Fills `series.headings` when the series is the book's: its firm members when they
  // count as the family asks, and each run-on member whose number fits between them.
  void Judge(Series* series, const std::vector<size_t>& volume_lines) const {
    if (series->shape.family == MarkerFamily::kPage) {
      series->headings = PagesThatCount(series->members);
      return;
    }
    KeepPagedOnly(series);
    std::vector<size_t> firm;
    size_t soft = 0;
    size_t weak = 0;
    for (size_t member : series->members) {
      soft += IsSoft(candidates_[member].marker) ? 1 : 0;
      weak += candidates_[member].marker.weak ? 1 : 0;
    }
    // Where most lines run on or summarise, that is the book's style of heading, but then the
    // series must count one by one, as a list in the body would not.
    const bool soft_style = 2 * soft > series->members.size();
    for (size_t member : series->members) {
      if (!IsSoft(candidates_[member].marker) || soft_style) firm.push_back(member);
    }
    if (!Counts(*series, firm, volume_lines, soft_style && weak > 0)) return;
    series->headings = WithFittingRunOns(series->members, firm);
  }

 private:
  Steps StepsOf(const std::vector<size_t>& members) const {
    Steps steps;
    for (size_t i = 1; i < members.size(); ++i) {
      const HeadingMarker& before = candidates_[members[i - 1]].marker;
      const HeadingMarker& after = candidates_[members[i]].marker;
      ++steps.pairs;
      if (after.number == before.number && before.page >= 0 && after.page >= 0) {
        // The next page of the same chapter.
        if (after.page == before.page + 1) {
          ++steps.rising;
          ++steps.by_one;
        }
        continue;
      }
      if (after.number > before.number) ++steps.rising;
      if (after.number == before.number + 1) ++steps.by_one;
      if (after.number <= 1 && before.number > 1) {
        ++steps.rising;
        ++steps.resets;
      }
    }
    return steps;
  }

  // In a series of page heads (第一章(1), 第一章(2), …), a head without page number is the
  // chapter's title right before its first page, or a chapter of one page that holds text;
  // elsewhere it is a contents line or a mention.
  void KeepPagedOnly(Series* series) const {
    std::vector<size_t>& members = series->members;
    size_t paged = 0;
    size_t same_chapter = 0;  // pages that follow a page of the same chapter number
    for (size_t i = 0; i < members.size(); ++i) {
      const HeadingMarker& marker = candidates_[members[i]].marker;
      if (marker.page < 0) continue;
      ++paged;
      if (i > 0 && candidates_[members[i - 1]].marker.number == marker.number) ++same_chapter;
    }
    if (static_cast<double>(paged) < kMinStepShare * static_cast<double>(members.size()) ||
        2 * same_chapter < paged) {
      return;
    }
    std::vector<size_t> kept;
    for (size_t i = 0; i < members.size(); ++i) {
      const Candidate& member = candidates_[members[i]];
      const bool titles_its_pages =
          i + 1 < members.size() && candidates_[members[i + 1]].marker.page >= 0 &&
          candidates_[members[i + 1]].marker.number == member.marker.number &&
          candidates_[members[i + 1]].text_index - member.text_index <= kRepeatReach;
      if (member.marker.page >= 0 || titles_its_pages || member.chars_after >= kMinChapterText) {
        kept.push_back(members[i]);
      }
    }
    members = std::move(kept);
  }

  // The page heads of a book cut into web pages: each chapter's pages share the title before
  // the page number and count 1, 2, 3 …; the members in runs that count so.
  std::vector<size_t> PagesThatCount(const std::vector<size_t>& members) const {
    std::vector<size_t> taken;
    size_t counting_runs = 0;
    size_t pages_in_runs = 0;
    size_t begin = 0;
    for (size_t i = 1; i <= members.size(); ++i) {
      const bool same_run = i < members.size() && candidates_[members[i]].marker.stem ==
                                                      candidates_[members[i - 1]].marker.stem;
      if (same_run) continue;
      // One run: [begin, i). It counts when it starts at 1 and goes up one page at a time.
      bool counts = candidates_[members[begin]].marker.page == 1;
      for (size_t k = begin + 1; k < i && counts; ++k) {
        counts = candidates_[members[k]].marker.page == candidates_[members[k - 1]].marker.page + 1;
      }
      if (counts) {
        ++counting_runs;
        pages_in_runs += i - begin;
        taken.insert(taken.end(), members.begin() + begin, members.begin() + i);
      }
      begin = i;
    }
    const bool book_is_paged =
        taken.size() >= kMinLooseSeries && pages_in_runs > counting_runs &&
        static_cast<double>(taken.size()) >= kMinStepShare * static_cast<double>(members.size());
    if (!book_is_paged) taken.clear();
    return taken;
  }

  bool Counts(const Series& series, const std::vector<size_t>& firm,
              const std::vector<size_t>& volume_lines, bool summaries) const {
    if (firm.empty()) return false;
    const HeadingMarker& shape = series.shape;
    const Steps steps = StepsOf(firm);
    if (shape.family == MarkerFamily::kMatter) return false;
    // Titles dated by the years they cover: a biography's periods, in order, spread through it.
    if (shape.family == MarkerFamily::kDated) {
      return firm.size() >= kMinLooseSeries && steps.rising == steps.pairs &&
             static_cast<double>(candidates_[firm.back()].text_index -
                                 candidates_[firm.front()].text_index) >=
                 kMinNumeralSpan * static_cast<double>(text_lines_);
    }
    if (shape.volume_like && forced_volumes_) return true;
    if (summaries && (firm.size() < kMinLooseSeries ||
                      steps.by_one < kMinStepShare * static_cast<double>(steps.pairs))) {
      return false;
    }
    if (!IsLoose(shape)) {
      // A lone part line said again over every page of the part (第三部分) heads it.
      if (firm.size() == 1) {
        return IsLoneOpening(firm.front()) ||
               (shape.volume_like && series.running >= kMinLooseSeries);
      }
      return steps.rising >= kMinRisingShare * static_cast<double>(steps.pairs);
    }
    if (firm.size() < kMinLooseSeries) return false;
    if (steps.by_one < kMinStepShare * static_cast<double>(steps.pairs)) return false;
    // Headings after the book's name may start anywhere (the second half of a novel).
    if (shape.family == MarkerFamily::kOrdinal && IsKnownCounter(shape.counter)) return true;
    if (candidates_[firm.front()].marker.number > kMaxFirstNumber) return false;
    if (shape.family == MarkerFamily::kOrdinal) return true;
    // Bare and bracketed numbers: spread through the book, text between them, and a new count
    // only where a volume begins (a list in the body starts again at one).
    const size_t span = candidates_[firm.back()].text_index - candidates_[firm.front()].text_index;
    if (static_cast<double>(span) < kMinNumeralSpan * static_cast<double>(text_lines_)) {
      return false;
    }
    std::vector<size_t> gaps;
    for (size_t i = 1; i < firm.size(); ++i) {
      gaps.push_back(candidates_[firm[i]].text_index - candidates_[firm[i - 1]].text_index - 1);
    }
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    if (gaps[gaps.size() / 2] < kMinNumeralGap) return false;
    // A count that starts again at one without a volume line is a list in the body, unless
    // each count is as long as a book's part.
    size_t stray_resets = 0;
    size_t shortest_count = firm.size();
    size_t count_begin = 0;
    for (size_t i = 1; i < firm.size(); ++i) {
      const Candidate& before = candidates_[firm[i - 1]];
      const Candidate& after = candidates_[firm[i]];
      if (!(after.marker.number <= 1 && before.marker.number > 1)) continue;
      shortest_count = std::min(shortest_count, i - count_begin);
      count_begin = i;
      const auto volume = std::lower_bound(volume_lines.begin(), volume_lines.end(), before.line);
      if (volume == volume_lines.end() || *volume > after.line) ++stray_resets;
    }
    shortest_count = std::min(shortest_count, firm.size() - count_begin);
    // Lists number with 、; parts with the number alone or a blank after it.
    const bool part_style = shape.counter == 0 || shape.counter == u' ';
    return stray_resets == 0 ||
           (part_style && stray_resets < kMaxUnmarkedParts && shortest_count >= kMinPartCount);
  }

  // A series of one line: a first chapter or volume near the start of the text.
  bool IsLoneOpening(size_t member) const {
    const Candidate& candidate = candidates_[member];
    return candidate.marker.number <= 1 &&
           (candidate.text_index < kLoneHeadingLines ||
            static_cast<double>(candidate.text_index) <=
                kLoneHeadingReach * static_cast<double>(text_lines_));
  }

  // The firm members, and each run-on member whose number continues the one before it or
  // leads to the one after it (第一回合 in the middle of a 第N回 book does neither).
  std::vector<size_t> WithFittingRunOns(const std::vector<size_t>& members,
                                        const std::vector<size_t>& firm) const {
    // The numbers around a run-on member; the first has no number before it, the last none
    // after it.
    constexpr int64_t kNone = -2;
    std::vector<bool> taken(members.size(), false);
    size_t next_firm = 0;
    int64_t previous = kNone;
    for (size_t i = 0; i < members.size(); ++i) {
      while (next_firm < firm.size() && firm[next_firm] < members[i]) ++next_firm;
      const int64_t number = candidates_[members[i]].marker.number;
      if (next_firm < firm.size() && firm[next_firm] == members[i]) {
        taken[i] = true;
        previous = number;
        continue;
      }
      const int64_t next =
          next_firm < firm.size() ? candidates_[firm[next_firm]].marker.number : kNone;
      const bool between =
          (previous == kNone || number > previous) && (next == kNone || number < next);
      const bool continues = previous != kNone && number == previous + 1;
      const bool leads = next != kNone && number == next - 1;
      if (between && (continues || leads)) {
        taken[i] = true;
        previous = number;
      }
    }
    // Backwards, the run-on members that lead to a taken one (一…, 二… before 三　title).
    std::vector<int64_t> before(members.size(), kNone);
    previous = kNone;
    for (size_t i = 0; i < members.size(); ++i) {
      before[i] = previous;
      if (taken[i]) previous = candidates_[members[i]].marker.number;
    }
    int64_t following = kNone;
    for (size_t i = members.size(); i-- > 0;) {
      const int64_t number = candidates_[members[i]].marker.number;
      if (!taken[i] && following != kNone && number == following - 1 &&
          (before[i] == kNone || number > before[i])) {
        taken[i] = true;
      }
      if (taken[i]) following = number;
    }
    std::vector<size_t> result;
    for (size_t i = 0; i < members.size(); ++i) {
      if (taken[i]) result.push_back(members[i]);
    }
    return result;
  }

  const std::vector<Candidate>& candidates_;
  size_t text_lines_;
  bool forced_volumes_;
};

std::vector<size_t> LinesOf(const std::vector<Candidate>& candidates,
                            const std::vector<size_t>& members) {
  std::vector<size_t> lines;
  lines.reserve(members.size());
  for (size_t member : members) lines.push_back(candidates[member].line);
  return lines;
}

// True when most volume lines are followed by a chapter before the next volume line, and the
// volumes are no more than the chapters.
bool HoldsChapters(const std::vector<size_t>& volume_lines,
                   const std::vector<size_t>& chapter_lines) {
  if (volume_lines.empty() || volume_lines.size() > chapter_lines.size()) return false;
  size_t holding = 0;
  for (size_t i = 0; i < volume_lines.size(); ++i) {
    const size_t end = i + 1 < volume_lines.size() ? volume_lines[i + 1] : SIZE_MAX;
    const auto chapter =
        std::upper_bound(chapter_lines.begin(), chapter_lines.end(), volume_lines[i]);
    if (chapter != chapter_lines.end() && *chapter < end) ++holding;
  }
  return 2 * holding >= volume_lines.size();
}

void Merge(std::vector<size_t>* into, const std::vector<size_t>& lines) {
  std::vector<size_t> merged;
  merged.reserve(into->size() + lines.size());
  std::merge(into->begin(), into->end(), lines.begin(), lines.end(), std::back_inserter(merged));
  merged.erase(std::unique(merged.begin(), merged.end()), merged.end());
  *into = std::move(merged);
}

// Every line that reads as a heading, with where it stands among the text lines; counts the
// non-blank lines into `text_lines`.
std::vector<Candidate> ReadCandidates(const std::vector<std::u16string_view>& lines,
                                      size_t* text_lines) {
  std::vector<Candidate> candidates;
  size_t longest_text = 0;           // since the last heading line
  size_t chars = 0;                  // since the last heading line
  size_t contents_title = SIZE_MAX;  // the text index of the last 目录 line
  *text_lines = 0;
  std::u16string_view last_text;   // the line before, when it holds text
  size_t taken_number = SIZE_MAX;  // the number line of a heading spread over two lines
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::u16string_view text = TrimBlanks(lines[i]);
    if (text.empty()) {
      last_text = std::u16string_view();
      continue;
    }
    std::optional<HeadingMarker> marker;
    if (i != taken_number) {
      marker = ReadHeadingLine(lines[i]);
      if (!marker) {
        size_t next = i + 1;
        while (next < lines.size() && next <= i + kContentsGap + 1 &&
               TrimBlanks(lines[next]).empty()) {
          ++next;
        }
        if (next < lines.size() && (marker = ReadSpreadHeading(lines[i], lines[next]))) {
          taken_number = next;
        }
      }
    }
    // A number alone in the middle of a sentence, right under its first half, is a scanned
    // page's number.
    if (marker && marker->family == MarkerFamily::kNumeral && marker->counter == 0 &&
        EndsOpen(last_text)) {
      marker.reset();
    }
    last_text = text;
    if (marker) {
      Candidate candidate;
      candidate.line = i;
      candidate.text_index = *text_lines;
      candidate.text_before = longest_text;
      candidate.chars_before = chars;
      candidate.under_contents_title =
          contents_title != SIZE_MAX && *text_lines - contents_title <= kContentsTitleReach;
      candidate.marker = *marker;
      candidate.key = SeriesKey(*marker);
      candidates.push_back(candidate);
      if (!marker->tight) longest_text = 0;
      chars = 0;
    } else if (!IsRuleLine(text)) {
      longest_text = std::max(longest_text, lines[i].size());
      chars += text.size();
      if (IsContentsTitle(text)) contents_title = *text_lines;
    }
    ++*text_lines;
  }
  for (size_t i = 0; i < candidates.size(); ++i) {
    candidates[i].chars_after = i + 1 < candidates.size() ? candidates[i + 1].chars_before : chars;
  }
  return candidates;
}

// The candidates outside contents lists grouped by marker shape, in reading order; the front
// and back matter candidates go to `matter` instead.
std::vector<Series> GroupIntoSeries(const std::vector<Candidate>& candidates,
                                    std::vector<size_t>* matter) {
  std::vector<Series> all_series;
  std::unordered_map<uint64_t, size_t> series_of_key;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const Candidate& candidate = candidates[i];
    if (candidate.contents) continue;
    if (candidate.marker.family == MarkerFamily::kMatter) {
      matter->push_back(i);
      continue;
    }
    auto [slot, added] = series_of_key.try_emplace(candidate.key, all_series.size());
    if (added) all_series.push_back(Series{candidate.key, candidate.marker, {}, {}});
    std::vector<size_t>& members = all_series[slot->second].members;
    // A heading said again soon after itself, with only short lines between (a site's page
    // title, then the chapter's own head), is one heading: the later, which the text
    // follows. Said again after text, it is a running head over a later page.
    if (!members.empty()) {
      const Candidate& before = candidates[members.back()];
      if (SameHeading(before.marker, candidate.marker)) {
        if (candidate.text_index - before.text_index <= kRepeatReach &&
            candidate.chars_before <= kMaxRepeatText) {
          members.back() = i;
        } else {
          ++all_series[slot->second].running;
        }
        continue;
      }
    }
    members.push_back(i);
  }
  return all_series;
}

// The front and back matter lines among `matter` (candidates) that a book could head with: a
// line said more than kMaxMatterRepeats times (序 over every page of a scanned preface) is no
// heading, and one said again right below itself is one heading, the later.
std::vector<size_t> StandingMatter(const std::vector<std::u16string_view>& lines,
                                   const std::vector<Candidate>& candidates,
                                   const std::vector<size_t>& matter) {
  std::unordered_map<std::u16string_view, size_t> said;
  for (size_t i : matter) ++said[TrimBlanks(lines[candidates[i].line])];
  std::vector<size_t> standing;
  for (size_t k = 0; k < matter.size(); ++k) {
    const Candidate& candidate = candidates[matter[k]];
    const std::u16string_view text = TrimBlanks(lines[candidate.line]);
    if (said[text] > kMaxMatterRepeats) continue;
    if (k + 1 < matter.size()) {
      const Candidate& next = candidates[matter[k + 1]];
      if (TrimBlanks(lines[next.line]) == text &&
          next.text_index - candidate.text_index <= kRepeatReach &&
          next.chars_before <= kMaxRepeatText) {
        continue;
      }
    }
    standing.push_back(candidate.line);
  }
  return standing;
}

bool IsNumberSeries(const Series& series) {
  return series.shape.family == MarkerFamily::kNumeral ||
         series.shape.family == MarkerFamily::kBracketed;
}

// True for section counters (第三节): below the chapter level where a book has chapters.
bool IsSectionCounter(char16_t counter) { return counter == u'节' || counter == u'節'; }

bool IsChapterCounter(char16_t counter) { return counter == u'章' || counter == u'回'; }

// Keeps the series that hold the book's headings: no lone line where the book has other
// series, no sections where the book has chapters, and no short chapter series beside a
// much longer one of the same rank.
void KeepTheBooksSeries(const std::vector<Candidate>& candidates, std::vector<const Series*>* list,
                        bool chapters) {
  if (list->size() >= 2) {
    list->erase(std::remove_if(list->begin(), list->end(),
                               [](const Series* s) { return s->headings.size() < 2; }),
                list->end());
  }
  if (!chapters) return;
  const bool has_chapters = std::any_of(list->begin(), list->end(), [](const Series* s) {
    return s->shape.family == MarkerFamily::kOrdinal && IsChapterCounter(s->shape.counter);
  });
  // Site pages numbered as sections (第3节：第1章 paypal公司 (3)) carry their page numbers and
  // are page heads, not sections.
  auto is_section = [&candidates](const Series* s) {
    if (s->shape.family != MarkerFamily::kOrdinal || !IsSectionCounter(s->shape.counter)) {
      return false;
    }
    size_t paged = 0;
    for (size_t member : s->headings) paged += candidates[member].marker.page >= 0 ? 1 : 0;
    return 2 * paged < s->headings.size();
  };
  if (has_chapters)
    list->erase(std::remove_if(list->begin(), list->end(), is_section), list->end());
  size_t largest = 0;
  for (const Series* series : *list) largest = std::max(largest, series->headings.size());
  list->erase(std::remove_if(list->begin(), list->end(),
                             [largest](const Series* s) {
                               return static_cast<double>(s->headings.size()) <
                                      kMinSideSeries * static_cast<double>(largest);
                             }),
              list->end());
}

// The lines of the headings of every series in `list`, rising. Sorting once keeps the
// finder linear when a book has thousands of series (a different name before every heading).
std::vector<size_t> LinesOfAll(const std::vector<Candidate>& candidates,
                               const std::vector<const Series*>& list) {
  std::vector<size_t> lines;
  for (const Series* series : list) {
    for (size_t member : series->headings) lines.push_back(candidates[member].line);
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

}  // namespace

FoundHeadings HeadingFinder::Find(const std::vector<std::u16string_view>& lines) const {
  size_t text_lines = 0;
  std::vector<Candidate> candidates = ReadCandidates(lines, &text_lines);
  MarkContentsLists(&candidates);
  std::vector<size_t> matter;
  std::vector<Series> all_series = GroupIntoSeries(candidates, &matter);

  // Marker series first; bare and bracketed numbers only for a book that has no chapter
  // markers, since chapters use those for their sections and the body for its lists.
  const SeriesJudge judge(candidates, text_lines, volumes_ == VolumeChoice::kForce);
  std::vector<const Series*> chapter_series;
  std::vector<const Series*> volume_series;
  for (Series& series : all_series) {
    if (IsNumberSeries(series)) continue;
    judge.Judge(&series, {});
    if (series.headings.empty()) continue;
    (series.shape.volume_like ? volume_series : chapter_series).push_back(&series);
  }
  KeepTheBooksSeries(candidates, &chapter_series, true);
  KeepTheBooksSeries(candidates, &volume_series, false);
  std::vector<size_t> chapters = LinesOfAll(candidates, chapter_series);
  std::vector<size_t> volume_lines = LinesOfAll(candidates, volume_series);
  if (chapters.empty()) {
    const Series* best = nullptr;
    for (Series& series : all_series) {
      if (!IsNumberSeries(series)) continue;
      judge.Judge(&series, volume_lines);
      if (!series.headings.empty() &&
          (best == nullptr || series.headings.size() > best->headings.size())) {
        best = &series;
      }
    }
    if (best != nullptr) chapters = LinesOf(candidates, best->headings);
  }

  // The levels: volumes where they hold the chapters (or where asked for), else one level.
  FoundHeadings found;
  if (volumes_ == VolumeChoice::kForce ||
      (volumes_ == VolumeChoice::kAuto && HoldsChapters(volume_lines, chapters))) {
    found.volumes = volume_lines;
  } else if (chapters.empty() && volume_series.size() >= 2 && volumes_ != VolumeChoice::kOff) {
    // Parts holding volumes, with no chapter markers: the larger count is the chapters.
    const Series* outer = volume_series.front();
    const Series* inner = volume_series.back();
    if (outer->headings.size() > inner->headings.size()) std::swap(outer, inner);
    const std::vector<size_t> outer_lines = LinesOf(candidates, outer->headings);
    const std::vector<size_t> inner_lines = LinesOf(candidates, inner->headings);
    if (HoldsChapters(outer_lines, inner_lines)) {
      found.volumes = outer_lines;
      chapters = inner_lines;
    } else {
      Merge(&chapters, volume_lines);
    }
  } else {
    Merge(&chapters, volume_lines);
  }
  // A book without any numbered heading may still set its titles apart by its layout alone,
  // and may set apart longer ones as it sets apart those; one with them may lay out its other
  // heads (前言, 书评) as it lays out those. Above the end of a contents list stand the book's
  // title page and the list: no heading there is told by its layout or its words alone.
  const std::vector<LineLayout> layout = ReadLayout(lines);
  const LineRange contents = TitledContents(layout, tunables::kMaxLayoutTitle);
  // (A contents list at the back of the book leaves the lines above it alone.)
  const size_t front_end =
      contents.begin <= tunables::kFrontShare * static_cast<double>(lines.size()) ? contents.end
                                                                                  : 0;
  auto below_contents = [&contents, front_end](std::vector<size_t> found_lines) {
    found_lines.erase(std::remove_if(found_lines.begin(), found_lines.end(),
                                     [&](size_t line) {
                                       return line < front_end ||
                                              (line >= contents.begin && line < contents.end);
                                     }),
                      found_lines.end());
    return found_lines;
  };
  std::vector<size_t> known = chapters;
  Merge(&known, found.volumes);
  if (known.empty()) {
    chapters = below_contents(FindLayoutTitles(layout));
    known = chapters;
  }
  std::vector<size_t> alike = below_contents(FindLikeHeadings(layout, known));
  std::vector<size_t> new_lines;
  std::set_difference(alike.begin(), alike.end(), found.volumes.begin(), found.volumes.end(),
                      std::back_inserter(new_lines));
  Merge(&chapters, new_lines);
  // Front and back matter stand as chapters wherever they stand as headings, but in the list.
  std::vector<size_t> standing = StandingMatter(lines, candidates, matter);
  standing.erase(std::remove_if(standing.begin(), standing.end(),
                                [&contents](size_t line) {
                                  return line >= contents.begin && line < contents.end;
                                }),
                 standing.end());
  Merge(&chapters, standing);
  std::set_difference(chapters.begin(), chapters.end(), found.volumes.begin(), found.volumes.end(),
                      std::back_inserter(found.chapters));
  return found;
}

}  // namespace quireforge
