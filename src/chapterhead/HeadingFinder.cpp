#include "chapterhead/HeadingFinder.h"

#include <algorithm>
#include <iterator>

#include "chapterhead/HeadingCandidate.h"
#include "chapterhead/HeadingSeries.h"
#include "chapterhead/HeadingTunables.h"
#include "chapterhead/LayoutTitles.h"
#include "chapterhead/LineLayout.h"

namespace quireforge {

namespace {

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

}  // namespace

FoundHeadings HeadingFinder::Find(const std::vector<std::u16string_view>& lines) const {
  const std::vector<LineLayout> layout = ReadLayout(lines);
  const size_t text_lines = layout.size();
  std::vector<Candidate> candidates = ReadCandidates(layout);
  MarkContentsLists(&candidates);
  std::vector<size_t> matter;
  std::vector<Series> all_series = GroupIntoSeries(candidates, &matter);

  // Marker series first; bare and bracketed numbers only for a book that has no chapter
  // markers, since chapters use those for their sections and the body for its lists.
  const bool forced = volumes_ == VolumeChoice::kForce;
  std::vector<const Series*> chapter_series;
  std::vector<const Series*> volume_series;
  for (Series& series : all_series) {
    if (IsNumberSeries(series)) continue;
    JudgeSeries(candidates, text_lines, forced, {}, &series);
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
      JudgeSeries(candidates, text_lines, forced, volume_lines, &series);
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
