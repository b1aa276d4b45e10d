#include "chapterhead/BareTitleFinder.h"

#include <algorithm>
#include <array>

#include "base/StringOps.h"

namespace quireforge {

namespace {

// A bare title is at most this long, in code units, once trimmed.
constexpr size_t kMaxTitle = 20;
// The titles of a book: at least this many, spread over at least this share of its text,
// with at least this many text lines between two of them (median), and few of its lines.
constexpr size_t kMinTitles = 3;
constexpr double kMinSpan = 0.5;
constexpr size_t kMinGap = 5;
constexpr size_t kMaxShare = 5;  // at most one line in five

// Short, with a letter, and without the punctuation of sentences and dialogue.
bool LooksLikeTitle(std::u16string_view text) {
  if (text.empty() || text.size() > kMaxTitle) return false;
  bool letter = false;
  for (char16_t c : text) {
    if (std::u16string_view(u"，。；：、！？…,.;:!?“”‘’\"「」『』").find(c) !=
        std::u16string_view::npos) {
      return false;
    }
    letter = letter || (c >= u'\u3400' && c <= u'\u9FFF') || (c >= u'a' && c <= u'z') ||
             (c >= u'A' && c <= u'Z');
  }
  return letter;
}

struct Standing {
  size_t line = 0;
  size_t text_index = 0;
  size_t blanks_before = 0;
  size_t blanks_after = 0;
};

}  // namespace

std::vector<size_t> FindBareTitles(const std::vector<std::u16string_view>& lines) {
  std::vector<Standing> standing;
  std::array<size_t, 4> runs{};  // how often 0, 1, 2 and 3 or more blank lines part two texts
  size_t blanks = 0;
  size_t text_lines = 0;
  bool last_was_standing = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::u16string_view text = TrimBlanks(lines[i]);
    if (text.empty()) {
      ++blanks;
      continue;
    }
    if (text_lines > 0) ++runs[std::min<size_t>(blanks, 3)];
    if (last_was_standing) standing.back().blanks_after = blanks;
    // The first line of a book is its own title, not a chapter's.
    last_was_standing = text_lines > 0 && LooksLikeTitle(text);
    if (last_was_standing) standing.push_back(Standing{i, text_lines, blanks, 0});
    blanks = 0;
    ++text_lines;
  }
  if (last_was_standing) standing.pop_back();  // a last line heads nothing
  const size_t usual =
      static_cast<size_t>(std::max_element(runs.begin(), runs.end()) - runs.begin());
  std::vector<Standing> titles;
  for (const Standing& line : standing) {
    if (line.blanks_before > usual && line.blanks_after >= std::max<size_t>(usual, 1)) {
      titles.push_back(line);
    }
  }
  if (titles.size() < kMinTitles || titles.size() * kMaxShare > text_lines) return {};
  const size_t span = titles.back().text_index - titles.front().text_index;
  if (static_cast<double>(span) < kMinSpan * static_cast<double>(text_lines)) return {};
  std::vector<size_t> gaps;
  for (size_t i = 1; i < titles.size(); ++i) {
    gaps.push_back(titles[i].text_index - titles[i - 1].text_index - 1);
  }
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  if (gaps[gaps.size() / 2] < kMinGap) return {};
  std::vector<size_t> found;
  for (const Standing& line : titles) found.push_back(line.line);
  return found;
}

}  // namespace quireforge
