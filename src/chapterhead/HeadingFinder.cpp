#include "chapterhead/HeadingFinder.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "base/StringOps.h"
#include "chapterhead/BareTitleFinder.h"
#include "chapterhead/HeadingLine.h"

namespace quireforge {

namespace {

// A series of known chapter markers is the book's when most of its steps count up (a fall
// to 1 starts a new volume's count).
constexpr double kMinRisingShare = 0.5;
// Markers with an unusual counter (第一封信), and bare or bracketed numbers, must count one by
// one from the start, since sentences and lists use them too.
constexpr double kMinStepShare = 0.7;
constexpr int64_t kMaxFirstNumber = 3;
constexpr size_t kMinLooseSeries = 3;
// A bare-number series spreads through the book with text between its lines.
constexpr double kMinNumeralSpan = 0.3;
constexpr size_t kMinNumeralGap = 3;
// A second chapter series beside the main one counts when it is at least this share of it.
constexpr double kMinSideSeries = 0.2;
// Heading lines with at most this many text lines between them, each no longer than a title,
// form a run (a contents list may give a title on a line of its own); a run of at least
// kMinContentsRun whose headings come again elsewhere is a contents list.
constexpr size_t kContentsGap = 1;
constexpr size_t kContentsTextLine = 30;
constexpr size_t kMinContentsRun = 3;
// The same front or back matter line may head the book this often (a preface and its
// repetition as a page title), not more.
constexpr size_t kMaxMatterRepeats = 2;
// A lone first chapter or volume line counts only near the start of the text: within this
// share of its lines, or its first few lines.
constexpr double kLoneHeadingReach = 0.05;
constexpr size_t kLoneHeadingLines = 10;

struct Candidate {
  size_t line = 0;
  size_t text_index = 0;   // how many non-blank lines come before it
  size_t text_before = 0;  // the longest text line between it and the heading line before it
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

// One heading: its series and its number, as a key for hashing.
uint64_t HeadingIdentity(const Candidate& candidate) {
  return candidate.key * 0x9E3779B97F4A7C15ull + static_cast<uint64_t>(candidate.marker.number);
}

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
void MarkContentsLists(std::vector<Candidate>* candidates) {
  std::vector<size_t> firm;
  std::unordered_map<uint64_t, uint32_t> occurrences;
  for (size_t i = 0; i < candidates->size(); ++i) {
    if ((*candidates)[i].marker.tight) continue;
    firm.push_back(i);
    ++occurrences[HeadingIdentity((*candidates)[i])];
  }
  auto mark_if_list = [&](size_t begin, size_t end) {
    if (end - begin < kMinContentsRun) return;
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

// The lines of one marker shape, and which of them the book takes as headings.
struct Series {
  uint64_t key = 0;
  HeadingMarker shape;           // the first member's marker
  std::vector<size_t> members;   // indices into the candidates, in reading order
  std::vector<size_t> headings;  // the members taken, in reading order
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
    std::vector<size_t> firm;
    size_t tight = 0;
    for (size_t member : series->members) tight += candidates_[member].marker.tight ? 1 : 0;
    const bool tight_style = 2 * tight > series->members.size();
    for (size_t member : series->members) {
      if (!candidates_[member].marker.tight || tight_style) firm.push_back(member);
    }
    if (!Counts(*series, firm, volume_lines)) return;
    series->headings = WithFittingRunOns(series->members, firm);
  }

 private:
  Steps StepsOf(const std::vector<size_t>& members) const {
    Steps steps;
    for (size_t i = 1; i < members.size(); ++i) {
      const int64_t before = candidates_[members[i - 1]].marker.number;
      const int64_t after = candidates_[members[i]].marker.number;
      ++steps.pairs;
      if (after > before) ++steps.rising;
      if (after == before + 1) ++steps.by_one;
      if (after <= 1 && before > 1) {
        ++steps.rising;
        ++steps.resets;
      }
    }
    return steps;
  }

  bool Counts(const Series& series, const std::vector<size_t>& firm,
              const std::vector<size_t>& volume_lines) const {
    if (firm.empty()) return false;
    const HeadingMarker& shape = series.shape;
    const Steps steps = StepsOf(firm);
    if (shape.family == MarkerFamily::kMatter) return false;
    if (shape.volume_like && forced_volumes_) return true;
    if (!IsLoose(shape)) {
      if (firm.size() == 1) return IsLoneOpening(firm.front());
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
    size_t stray_resets = 0;
    for (size_t i = 1; i < firm.size(); ++i) {
      const Candidate& before = candidates_[firm[i - 1]];
      const Candidate& after = candidates_[firm[i]];
      if (!(after.marker.number <= 1 && before.marker.number > 1)) continue;
      const auto volume = std::lower_bound(volume_lines.begin(), volume_lines.end(), before.line);
      if (volume == volume_lines.end() || *volume > after.line) ++stray_resets;
    }
    return stray_resets == 0;
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
    std::vector<size_t> taken;
    size_t next_firm = 0;
    // The numbers around a run-on member; the first has no number before it, the last none
    // after it.
    constexpr int64_t kNone = -2;
    int64_t previous = kNone;
    for (size_t member : members) {
      while (next_firm < firm.size() && firm[next_firm] < member) ++next_firm;
      const int64_t number = candidates_[member].marker.number;
      if (next_firm < firm.size() && firm[next_firm] == member) {
        taken.push_back(member);
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
        taken.push_back(member);
        previous = number;
      }
    }
    return taken;
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
  size_t longest_text = 0;  // since the last heading line
  *text_lines = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (TrimBlanks(lines[i]).empty()) continue;
    if (std::optional<HeadingMarker> marker = ReadHeadingLine(lines[i])) {
      Candidate candidate;
      candidate.line = i;
      candidate.text_index = *text_lines;
      candidate.text_before = longest_text;
      candidate.marker = *marker;
      candidate.key = SeriesKey(*marker);
      candidates.push_back(candidate);
      if (!marker->tight) longest_text = 0;
    } else {
      longest_text = std::max(longest_text, lines[i].size());
    }
    ++*text_lines;
  }
  return candidates;
}

// The candidates outside contents lists grouped by marker shape, in reading order; the front
// and back matter lines go to `matter` instead.
std::vector<Series> GroupIntoSeries(const std::vector<Candidate>& candidates,
                                    std::vector<size_t>* matter) {
  std::vector<Series> all_series;
  std::unordered_map<uint64_t, size_t> series_of_key;
  for (size_t i = 0; i < candidates.size(); ++i) {
    const Candidate& candidate = candidates[i];
    if (candidate.contents) continue;
    if (candidate.marker.family == MarkerFamily::kMatter) {
      matter->push_back(candidate.line);
      continue;
    }
    auto [slot, added] = series_of_key.try_emplace(candidate.key, all_series.size());
    if (added) all_series.push_back(Series{candidate.key, candidate.marker, {}, {}});
    std::vector<size_t>& members = all_series[slot->second].members;
    // A heading said again right below itself (the site's page title over the chapter's
    // own) is one heading.
    if (!members.empty()) {
      const Candidate& before = candidates[members.back()];
      if (before.marker.number == candidate.marker.number &&
          candidate.text_index - before.text_index <= kContentsGap + 1) {
        continue;
      }
    }
    members.push_back(i);
  }
  return all_series;
}

// The front and back matter lines among `matter` that a book could head with: a line said
// more than kMaxMatterRepeats times (序 over every page of a scanned preface) is no heading.
std::vector<size_t> StandingMatter(const std::vector<std::u16string_view>& lines,
                                   const std::vector<size_t>& matter) {
  std::unordered_map<std::u16string_view, size_t> said;
  for (size_t line : matter) ++said[TrimBlanks(lines[line])];
  std::vector<size_t> standing;
  for (size_t line : matter) {
    if (said[TrimBlanks(lines[line])] <= kMaxMatterRepeats) standing.push_back(line);
  }
  return standing;
}

bool IsNumberSeries(const Series& series) {
  return series.shape.family == MarkerFamily::kNumeral ||
         series.shape.family == MarkerFamily::kBracketed;
}

// Keeps the series that hold the book's headings: no lone line where the book has other
// series, and no short chapter series beside a much longer one.
void KeepTheBooksSeries(std::vector<const Series*>* list, bool chapters) {
  if (list->size() >= 2) {
    list->erase(std::remove_if(list->begin(), list->end(),
                               [](const Series* s) { return s->headings.size() < 2; }),
                list->end());
  }
  if (!chapters) return;
  size_t largest = 0;
  for (const Series* series : *list) largest = std::max(largest, series->headings.size());
  list->erase(std::remove_if(list->begin(), list->end(),
                             [largest](const Series* s) {
                               return static_cast<double>(s->headings.size()) <
                                      kMinSideSeries * static_cast<double>(largest);
                             }),
              list->end());
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
  KeepTheBooksSeries(&chapter_series, true);
  KeepTheBooksSeries(&volume_series, false);
  std::vector<size_t> chapters;
  for (const Series* series : chapter_series) {
    Merge(&chapters, LinesOf(candidates, series->headings));
  }
  std::vector<size_t> volume_lines;
  for (const Series* series : volume_series) {
    Merge(&volume_lines, LinesOf(candidates, series->headings));
  }
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
  // A book without any numbered heading may still set its titles apart by its layout alone.
  if (chapters.empty() && found.volumes.empty()) chapters = FindBareTitles(lines);
  // Front and back matter stand as chapters wherever they stand as headings.
  Merge(&chapters, StandingMatter(lines, matter));
  std::set_difference(chapters.begin(), chapters.end(), found.volumes.begin(), found.volumes.end(),
                      std::back_inserter(found.chapters));
  return found;
}

}  // namespace quireforge
