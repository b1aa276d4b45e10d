#include "chapterhead/LayoutTitles.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>

#include "chapterhead/HeadingTunables.h"

namespace quireforge {

namespace {

using tunables::kMaxBareShare;
using tunables::kMaxBareTitle;
using tunables::kMaxLayoutTitle;
constexpr size_t kMaxRepeats = tunables::kMaxMatterRepeats;
using tunables::kMinBareGap;
using tunables::kMinBareSpan;
using tunables::kMinBareTitles;
using tunables::kMinLayoutShare;
using tunables::kMinPrefixedSpan;
using tunables::kMinPrefixedTitles;
using tunables::kPrefixKey;
using tunables::kWideBlankGap;

bool IsLetter(char16_t c) {
  return (c >= u'\u3400' && c <= u'\u9FFF') || (c >= u'a' && c <= u'z') ||
         (c >= u'A' && c <= u'Z') || (c >= u'\uF900' && c <= u'\uFAFF');
}

bool Holds(std::u16string_view text, std::u16string_view marks) {
  return text.find_first_of(marks) != std::u16string_view::npos;
}

// True when every opening quotation mark is closed: “活动写真” names, a dialogue line does not.
bool QuotesPaired(std::u16string_view text) {
  return std::count(text.begin(), text.end(), u'“') == std::count(text.begin(), text.end(), u'”');
}

// A field of a download site's record of the book: 【作者】…, 作者：…, 类别：….
bool IsField(std::u16string_view text) {
  constexpr std::array<std::u16string_view, 14> kFields = {
      u"书名", u"作者", u"译者", u"类别", u"分类", u"状态",     u"更新",
      u"字数", u"简介", u"标签", u"来源", u"出版", u"本册章节", u"内容"};
  if (text[0] == u'【') {
    const size_t close = text.find(u'】');
    return close != std::u16string_view::npos && close + 1 < text.size();
  }
  for (std::u16string_view field : kFields) {
    if (text.substr(0, field.size()) == field && text.size() > field.size() &&
        Holds(text.substr(field.size(), 1), u"：:")) {
      return true;
    }
  }
  return false;
}

// A line that opens with rule characters (---开始阅读---) is the site's furniture; headings
// in rules are read by their markers.
bool StartsWithRule(std::u16string_view text) {
  return text.size() >= 2 && IsRuleCharacter(text[0]) && text[1] == text[0];
}

// A line that opens with a year (2003年8月21日于守愚斋) signs off a piece.
bool StartsWithYear(std::u16string_view text) {
  size_t digits = 0;
  while (digits < text.size() && ((text[digits] >= u'0' && text[digits] <= u'9') ||
                                  (text[digits] >= u'０' && text[digits] <= u'９'))) {
    ++digits;
  }
  return digits == 4 && digits < text.size() && text[digits] == u'年';
}

// How much a line reads as a title.
enum class Shape { kNone, kLong, kClean };

// kClean: short, with a letter, and no mark that joins clauses or opens dialogue. kLong: up
// to kMaxLayoutTitle units, no full stop or semicolon, and no clause left open at its end.
Shape ShapeOf(std::u16string_view text) {
  if (text.empty() || text.size() > kMaxLayoutTitle) return Shape::kNone;
  if (std::none_of(text.begin(), text.end(), IsLetter)) return Shape::kNone;
  if (Holds(text.substr(text.size() - 1), u"，,；;：:、")) return Shape::kNone;
  if (Holds(text, u"。…\"「」『』") || !QuotesPaired(text)) return Shape::kNone;
  if (IsField(text) || StartsWithRule(text) || StartsWithYear(text)) return Shape::kNone;
  if (text.size() <= kMaxBareTitle && !Holds(text, u"，,.!！；;")) return Shape::kClean;
  return Shape::kLong;
}

// A way in which a book may lay out its titles.
enum class Kind { kBlankApart, kBoxed, kDateAfter, kIndent, kRuledAbove };

struct Feature {
  Kind kind;
  uint32_t value = 0;  // blank lines before (kBlankApart), the indent (kIndent)
};

bool Has(const LineLayout& line, const Feature& feature) {
  switch (feature.kind) {
    case Kind::kBlankApart:
      return line.blanks_before >= feature.value && line.blanks_after >= 1;
    case Kind::kBoxed:
      return line.boxed;
    case Kind::kRuledAbove:
      return line.ruled_above && !line.boxed;
    case Kind::kDateAfter:
      return line.date_after;
    case Kind::kIndent:
      return line.indent == feature.value;
  }
  return false;
}

// The book's usual way: blank lines between two text lines, and the indentation of its
// paragraphs.
struct Usual {
  uint32_t blanks = 0;
  uint16_t indent = 0;
};

// Rule lines, dates, boxes and many more blank lines than between paragraphs say more than a
// blank line or an indentation: a title set apart by them may be longer and hold commas.
bool IsStrong(const Feature& feature, const Usual& usual) {
  return feature.kind == Kind::kBoxed || feature.kind == Kind::kDateAfter ||
         (feature.kind == Kind::kBlankApart && feature.value >= usual.blanks + kWideBlankGap);
}

// A body line: longer than any title.
bool IsBody(const LineLayout& line) { return line.text.size() > kMaxLayoutTitle; }

// What most of `values` are.
template <typename T>
T MostCommon(const std::vector<T>& values) {
  std::unordered_map<T, size_t> counts;
  T best{};
  size_t most = 0;
  for (T value : values) {
    if (++counts[value] > most) {
      most = counts[value];
      best = value;
    }
  }
  return best;
}

// How often each line's text is said in the book: a line said over and over (a site's mark
// before every chapter) is no heading.
std::unordered_map<std::u16string_view, size_t> TimesSaid(const std::vector<LineLayout>& layout) {
  std::unordered_map<std::u16string_view, size_t> said;
  for (const LineLayout& line : layout) {
    if (line.text.size() <= kMaxLayoutTitle) ++said[line.text];  // only titles are asked about
  }
  return said;
}

// True when the line at `i` opens the text under a title: it has the blank lines its title
// puts after itself, and they are not the paragraph's own.
bool UnderATitle(const std::vector<LineLayout>& layout, size_t i) {
  return i > 0 && ShapeOf(layout[i - 1].text) != Shape::kNone;
}

// True when text follows the line at `i` (after the rule that closes its box): the last
// line of a book, or one followed by a rule of its own, heads nothing.
bool HeadsText(const std::vector<LineLayout>& layout, size_t i) {
  const size_t next = i + (layout[i].boxed ? 2 : 1);
  return next < layout.size() && !layout[next].rule;
}

Usual UsualOf(const std::vector<LineLayout>& layout) {
  std::vector<uint32_t> blanks;
  std::vector<uint16_t> indents;
  for (size_t i = 1; i < layout.size(); ++i)
    blanks.push_back(std::min(layout[i].blanks_before, 3u));
  for (const LineLayout& line : layout) {
    if (IsBody(line)) indents.push_back(line.indent);
  }
  return {MostCommon(blanks), MostCommon(indents)};
}

// True when the lines `titles` (indices into `layout`) spread through the book as its
// headings do: enough of them, few of its lines, over most of it, with text between.
bool SpreadAsHeadings(const std::vector<LineLayout>& layout, const std::vector<size_t>& titles,
                      double min_span = kMinBareSpan) {
  if (titles.size() < kMinBareTitles || titles.size() * kMaxBareShare > layout.size()) {
    return false;
  }
  const size_t span = titles.back() - titles.front();
  if (static_cast<double>(span) < min_span * static_cast<double>(layout.size())) return false;
  std::vector<size_t> gaps;
  for (size_t i = 1; i < titles.size(); ++i) gaps.push_back(titles[i] - titles[i - 1] - 1);
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  return gaps[gaps.size() / 2] >= kMinBareGap;
}

std::vector<size_t> LinesOf(const std::vector<LineLayout>& layout,
                            const std::vector<size_t>& indices) {
  std::vector<size_t> lines;
  for (size_t index : indices) lines.push_back(layout[index].line);
  return lines;
}

// Titles after a running prefix: the book's or part's name put before the title of every
// page (上篇日本人经营之道　一 + title). The lines that share their first letters, each with a
// title of its own after what they all share.
std::vector<size_t> PrefixedTitles(const std::vector<LineLayout>& layout) {
  std::unordered_map<std::u16string_view, std::vector<size_t>> groups;
  for (size_t i = 0; i < layout.size(); ++i) {
    const std::u16string_view text = layout[i].text;
    if (text.size() > kPrefixKey + 1 && text.size() <= kMaxLayoutTitle + kPrefixKey &&
        !layout[i].rule && HeadsText(layout, i)) {
      groups[text.substr(0, kPrefixKey)].push_back(i);
    }
  }
  std::vector<size_t> found;
  for (const auto& [key, members] : groups) {
    if (members.size() < kMinPrefixedTitles) continue;
    // What they all share, and what each adds to it.
    size_t shared = layout[members.front()].text.size();
    for (size_t i : members) {
      const std::u16string_view text = layout[i].text;
      const std::u16string_view first = layout[members.front()].text;
      size_t common = 0;
      while (common < shared && common < text.size() && text[common] == first[common]) ++common;
      shared = common;
    }
    std::unordered_map<std::u16string_view, size_t> titles;
    size_t real_titles = 0;
    for (size_t i : members) {
      const std::u16string_view title = layout[i].text.substr(shared);
      // A running head adds a page number or a stray mark to the same title; a page title adds
      // words of its own.
      const size_t letters =
          static_cast<size_t>(std::count_if(title.begin(), title.end(), IsLetter));
      if (letters >= 2 && ShapeOf(title) == Shape::kClean && ++titles[title] == 1) ++real_titles;
    }
    // One part's pages may fill only a part of the book.
    if (static_cast<double>(real_titles) < kMinLayoutShare * static_cast<double>(members.size()) ||
        !SpreadAsHeadings(layout, members, kMinPrefixedSpan)) {
      continue;
    }
    found.insert(found.end(), members.begin(), members.end());
  }
  return found;
}

}  // namespace

std::vector<size_t> FindLayoutTitles(const std::vector<LineLayout>& layout) {
  if (layout.size() < 2) return {};
  const Usual usual = UsualOf(layout);
  const LineRange contents = TitledContents(layout, kMaxLayoutTitle);
  const std::unordered_map<std::u16string_view, size_t> said = TimesSaid(layout);
  std::vector<Feature> features = {{Kind::kBoxed}, {Kind::kDateAfter}, {Kind::kRuledAbove}};
  // An indentation that the book's paragraphs do not use.
  std::vector<uint16_t> indents;
  for (const LineLayout& line : layout) {
    if (line.indent != usual.indent && ShapeOf(line.text) == Shape::kClean) {
      indents.push_back(line.indent);
    }
  }
  if (!indents.empty()) features.push_back({Kind::kIndent, MostCommon(indents)});

  // The titles a layout sets apart, when the book's paragraphs do not share it and they spread
  // through the book as headings do.
  auto titles_of = [&](const Feature& feature) -> std::optional<std::vector<size_t>> {
    std::vector<size_t> titles;
    size_t body = 0;
    // The first line of a book is its own title, unless a date dates it as a piece's; the
    // lines of a contents list are no titles.
    for (size_t i = feature.kind == Kind::kDateAfter ? 0 : 1; i < layout.size(); ++i) {
      const LineLayout& line = layout[i];
      if (!Has(line, feature) || (line.line >= contents.begin && line.line < contents.end)) {
        continue;
      }
      const Shape shape = ShapeOf(line.text);
      if (IsBody(line) && !UnderATitle(layout, i)) ++body;
      if ((shape == Shape::kClean || (shape == Shape::kLong && IsStrong(feature, usual))) &&
          HeadsText(layout, i) && said.at(line.text) <= kMaxRepeats) {
        titles.push_back(i);
      }
    }
    if (body * 4 > titles.size() || !SpreadAsHeadings(layout, titles)) return std::nullopt;
    return titles;
  };
  // More blank lines than between paragraphs: the fewest that set titles apart.
  for (uint32_t blanks = usual.blanks + 1; blanks <= usual.blanks + kWideBlankGap; ++blanks) {
    if (titles_of({Kind::kBlankApart, blanks})) {
      features.push_back({Kind::kBlankApart, blanks});
      break;
    }
  }

  std::vector<size_t> found;
  std::vector<std::vector<size_t>> weak;  // the titles of the weaker layouts
  for (const Feature& feature : features) {
    std::optional<std::vector<size_t>> titles = titles_of(feature);
    if (!titles) continue;
    if (IsStrong(feature, usual)) {
      found.insert(found.end(), titles->begin(), titles->end());
    } else {
      weak.push_back(std::move(*titles));
    }
  }
  // Blank lines, indentation and a rule above each set apart short lines of other kinds too
  // (a sign-off, a note, a sub-head); where several tell titles, the titles are the lines they
  // all set apart, or else those of the layout that sets apart most.
  if (!weak.empty()) {
    std::vector<size_t> all = weak[0];
    for (size_t k = 1; k < weak.size(); ++k) {
      std::vector<size_t> both;
      std::set_intersection(all.begin(), all.end(), weak[k].begin(), weak[k].end(),
                            std::back_inserter(both));
      all = std::move(both);
    }
    if (!SpreadAsHeadings(layout, all)) {
      all = *std::max_element(weak.begin(), weak.end(),
                              [](const auto& a, const auto& b) { return a.size() < b.size(); });
    }
    found.insert(found.end(), all.begin(), all.end());
  }
  const std::vector<size_t> prefixed = PrefixedTitles(layout);
  found.insert(found.end(), prefixed.begin(), prefixed.end());
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return LinesOf(layout, found);
}

std::vector<size_t> FindLikeHeadings(const std::vector<LineLayout>& layout,
                                     const std::vector<size_t>& headings) {
  if (headings.size() < kMinBareTitles) return {};
  std::vector<bool> known(layout.size(), false);
  std::vector<size_t> heading_layout;
  for (size_t i = 0, h = 0; i < layout.size() && h < headings.size(); ++i) {
    while (h < headings.size() && headings[h] < layout[i].line) ++h;
    if (h < headings.size() && headings[h] == layout[i].line) {
      known[i] = true;
      heading_layout.push_back(i);
    }
  }
  if (heading_layout.size() < kMinBareTitles) return {};
  const Usual usual = UsualOf(layout);
  std::unordered_map<std::u16string_view, size_t> said = TimesSaid(layout);
  // The layouts most of the headings share: rules, dates, or more blank lines before them
  // than the book puts between paragraphs. (An indentation of their own is no sign here: the
  // book's short lines, dialogue and verse, often share it.)
  std::vector<uint32_t> blanks;
  for (size_t i : heading_layout) blanks.push_back(layout[i].blanks_before);
  std::sort(blanks.begin(), blanks.end());
  const uint32_t fewest =
      blanks[static_cast<size_t>((1.0 - kMinLayoutShare) * static_cast<double>(blanks.size()))];
  std::vector<Feature> features = {{Kind::kBoxed}, {Kind::kDateAfter}};
  if (fewest >= usual.blanks + 2) features.push_back({Kind::kBlankApart, fewest});

  // The surest layout the headings share, strongest first.
  for (const Feature& feature : features) {
    size_t sharing = 0;
    for (size_t i : heading_layout) sharing += Has(layout[i], feature) ? 1 : 0;
    if (static_cast<double>(sharing) <
        kMinLayoutShare * static_cast<double>(heading_layout.size())) {
      continue;
    }
    std::vector<size_t> alike;
    size_t body = 0;
    for (size_t i = feature.kind == Kind::kDateAfter ? 0 : 1; i < layout.size(); ++i) {
      if (known[i] || !Has(layout[i], feature)) continue;
      if (IsBody(layout[i])) ++body;
      // A heading heads text, not another heading; a line said over and over is the site's.
      if (ShapeOf(layout[i].text) != Shape::kNone && HeadsText(layout, i) &&
          !known[i + (layout[i].boxed ? 2 : 1)] && said[layout[i].text] <= kMaxRepeats) {
        alike.push_back(i);
      }
    }
    // The layout tells headings only when hardly any other line shares it; rules and dates
    // tell them even where the book's other headings are few.
    const bool tells = IsStrong(feature, usual) ? body * 4 <= alike.size() + heading_layout.size()
                                                : body * 10 <= heading_layout.size() &&
                                                      alike.size() * 2 <= heading_layout.size() + 2;
    if (!tells) return {};
    return LinesOf(layout, alike);
  }
  return {};
}

}  // namespace quireforge
