#include "chapterhead/HeadingSeries.h"

#include <algorithm>
#include <unordered_map>

#include "base/StringOps.h"
#include "chapterhead/HeadingTunables.h"

namespace quireforge {

namespace {

using tunables::kLoneHeadingLines;
using tunables::kLoneHeadingReach;
using tunables::kMaxFirstNumber;
using tunables::kMaxMatterRepeats;
using tunables::kMaxRepeatText;
using tunables::kMaxUnmarkedParts;
using tunables::kMinChapterText;
using tunables::kMinLooseSeries;
using tunables::kMinNumeralGap;
using tunables::kMinNumeralSpan;
using tunables::kMinPartCount;
using tunables::kMinRisingShare;
using tunables::kMinSideSeries;
using tunables::kMinStepShare;
using tunables::kRepeatReach;

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

// True for section counters (第三节): below the chapter level where a book has chapters.
bool IsSectionCounter(char16_t counter) { return counter == u'节' || counter == u'節'; }

bool IsChapterCounter(char16_t counter) { return counter == u'章' || counter == u'回'; }

}  // namespace

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

void JudgeSeries(const std::vector<Candidate>& candidates, size_t text_lines, bool forced_volumes,
                 const std::vector<size_t>& volume_lines, Series* series) {
  SeriesJudge(candidates, text_lines, forced_volumes).Judge(series, volume_lines);
}

}  // namespace quireforge
