#include "chapterhead/HeadingCandidate.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/StringOps.h"
#include "chapterhead/HeadingTunables.h"
#include "chapterhead/LineLayout.h"

namespace quireforge {

namespace {

using tunables::kContentsGap;
using tunables::kContentsTextLine;
using tunables::kContentsTitleReach;
using tunables::kMaxContentsEntryText;
using tunables::kMaxHeadingLine;
using tunables::kMinChapterText;
using tunables::kMinContentsRun;
using tunables::kMinSharedTitle;

// True when `text` stops in the middle of a sentence: on a letter or a comma.
bool EndsOpen(std::u16string_view text) {
  if (text.empty()) return false;
  const char16_t last = text.back();
  return (last >= u'\u3400' && last <= u'\u9FFF') || (last >= u'a' && last <= u'z') ||
         (last >= u'A' && last <= u'Z') || last == u'，' || last == u',' || last == u'、';
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

}  // namespace

uint64_t SeriesKey(const HeadingMarker& marker) {
  const MarkerFamily family =
      marker.family == MarkerFamily::kVolumeFirst ? MarkerFamily::kOrdinal : marker.family;
  uint64_t key = (static_cast<uint64_t>(family) << 24) | marker.counter;
  if (marker.family == MarkerFamily::kNumeral || marker.family == MarkerFamily::kBracketed) {
    key |= static_cast<uint64_t>(marker.script) << 16;
  }
  return key | (static_cast<uint64_t>(marker.named_lead) << 32);
}

uint64_t HeadingIdentity(const Candidate& candidate) {
  const HeadingMarker& marker = candidate.marker;
  uint64_t identity = candidate.key * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(marker.number);
  identity = identity * 0x100000001B3ull + static_cast<uint64_t>(marker.page + 1);
  return identity * 0x100000001B3ull + marker.stem;
}

bool SameHeading(const HeadingMarker& a, const HeadingMarker& b) {
  return a.number == b.number && a.page == b.page && a.stem == b.stem &&
         TitlesAlike(a.title, b.title);
}

bool IsSoft(const HeadingMarker& marker) { return marker.tight || marker.weak; }

bool IsLoose(const HeadingMarker& marker) {
  return marker.family == MarkerFamily::kNumeral || marker.family == MarkerFamily::kBracketed ||
         marker.named_lead != 0 ||
         (marker.family == MarkerFamily::kOrdinal && !IsKnownCounter(marker.counter));
}

void MarkContentsLists(std::vector<Candidate>* candidates) {
  MarkTitledLists(candidates);
  MarkRepeatedLists(candidates);
}

std::vector<Candidate> ReadCandidates(const std::vector<LineLayout>& layout) {
  std::vector<Candidate> candidates;
  size_t longest_text = 0;           // since the last heading line
  size_t chars = 0;                  // since the last heading line
  size_t contents_title = SIZE_MAX;  // the text index of the last 目录 line
  size_t taken_number = SIZE_MAX;    // the number line of a heading spread over two lines
  for (size_t k = 0; k < layout.size(); ++k) {
    const std::u16string_view text = layout[k].text;
    std::optional<HeadingMarker> marker;
    // Paragraphs are far longer than any heading: most lines are answered here.
    if (k != taken_number && text.size() <= kMaxHeadingLine) {
      marker = ReadHeadingLine(text);
      if (!marker && k + 1 < layout.size() && layout[k + 1].blanks_before <= kContentsGap) {
        marker = ReadSpreadHeading(text, layout[k + 1].text);
        if (marker) taken_number = k + 1;
      }
    }
    // A number alone in the middle of a sentence, right under its first half, is a scanned
    // page's number.
    if (marker && marker->family == MarkerFamily::kNumeral && marker->counter == 0 && k > 0 &&
        layout[k].blanks_before == 0 && EndsOpen(layout[k - 1].text)) {
      marker.reset();
    }
    if (marker) {
      Candidate candidate;
      candidate.line = layout[k].line;
      candidate.text_index = k;
      candidate.text_before = longest_text;
      candidate.chars_before = chars;
      candidate.under_contents_title =
          contents_title != SIZE_MAX && k - contents_title <= kContentsTitleReach;
      candidate.marker = *marker;
      candidate.key = SeriesKey(*marker);
      candidates.push_back(candidate);
      if (!marker->tight) longest_text = 0;
      chars = 0;
    } else if (!layout[k].rule) {
      longest_text = std::max(longest_text, text.size() + (layout[k].indent != 0 ? 2 : 0));
      chars += text.size();
      if (IsContentsTitle(text)) contents_title = k;
    }
  }
  for (size_t i = 0; i < candidates.size(); ++i) {
    candidates[i].chars_after = i + 1 < candidates.size() ? candidates[i + 1].chars_before : chars;
  }
  return candidates;
}

std::vector<size_t> LinesOf(const std::vector<Candidate>& candidates,
                            const std::vector<size_t>& members) {
  std::vector<size_t> lines;
  lines.reserve(members.size());
  for (size_t member : members) lines.push_back(candidates[member].line);
  return lines;
}

}  // namespace quireforge
