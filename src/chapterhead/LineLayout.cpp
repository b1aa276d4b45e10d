#include "chapterhead/LineLayout.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "base/AsciiText.h"
#include "base/StringOps.h"

namespace quireforge {

namespace {

bool IsDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９'); }

// Reads a run of one to `most` digits at `at`; 0 when there is none.
size_t Digits(std::u16string_view text, size_t at, size_t most) {
  size_t length = 0;
  while (at + length < text.size() && length < most && IsDigit(text[at + length])) ++length;
  return at + length < text.size() && IsDigit(text[at + length]) ? 0 : length;
}

}  // namespace

bool IsRuleCharacter(char16_t c) {
  return std::u16string_view(u"=*#~～☆★◆◇●○■□§※·•-—─━_＿－").find(c) != std::u16string_view::npos;
}

uint16_t IndentOf(std::u16string_view line) {
  unsigned spaces = 0;
  unsigned ideographic = 0;
  unsigned tabs = 0;
  for (char16_t c : line) {
    if (c == u'\u3000') {
      ++ideographic;
    } else if (c == u'\t') {
      ++tabs;
    } else if (IsBlank(c)) {
      ++spaces;
    } else {
      break;
    }
  }
  return static_cast<uint16_t>(std::min(spaces, 8u) | std::min(ideographic, 4u) << 4 |
                               std::min(tabs, 2u) << 8);
}

bool IsRuleLine(std::u16string_view text) {
  return text.size() >= 3 && std::all_of(text.begin(), text.end(), IsRuleCharacter);
}

bool IsDateLine(std::u16string_view text) {
  size_t at = Digits(text, 0, 4);
  if (at != 4) return false;
  for (int part = 0; part < 2; ++part) {
    if (at >= text.size()) return part == 1;
    const char16_t mark = text[at];
    if (std::u16string_view(u"-./年月－．").find(mark) == std::u16string_view::npos) return false;
    ++at;
    const size_t digits = Digits(text, at, 2);
    if (digits == 0) return part == 1 && mark == u'月';
    at += digits;
  }
  if (at < text.size() && text[at] == u'日') ++at;
  return TrimBlanks(text.substr(at)).empty();
}

bool IsContentsTitle(std::u16string_view text) {
  if (text.size() > 12) return false;  // 【 目 录 】 at most, with its blanks
  std::u16string letters;
  for (char16_t c : text) {
    if (IsBlank(c) ||
        std::u16string_view(u"【】[]〖〗《》<>").find(c) != std::u16string_view::npos) {
      continue;
    }
    letters += AsciiLower(c);
  }
  return letters == u"目录" || letters == u"目錄" || letters == u"目次" || letters == u"contents";
}

LineRange TitledContents(const std::vector<LineLayout>& layout, size_t max_entry) {
  for (size_t i = 0; i < layout.size(); ++i) {
    if (!IsContentsTitle(layout[i].text)) continue;
    // The list goes on over single blank lines until an entry comes again (the body's first
    // heading) or a line too long for it.
    std::unordered_set<std::u16string_view> listed;
    size_t end = i + 1;
    while (end < layout.size() && layout[end].text.size() <= max_entry &&
           layout[end].blanks_before <= 1 && listed.insert(layout[end].text).second) {
      ++end;
    }
    return {layout[i].line, end < layout.size() ? layout[end].line : layout.back().line + 1};
  }
  return {};
}

std::vector<LineLayout> ReadLayout(const std::vector<std::u16string_view>& lines) {
  std::vector<LineLayout> layout;
  uint32_t blanks = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::u16string_view text = TrimBlanks(lines[i]);
    if (text.empty()) {
      ++blanks;
      continue;
    }
    if (!layout.empty()) layout.back().blanks_after = blanks;
    LineLayout line;
    line.line = i;
    line.text = text;
    line.indent = IndentOf(lines[i]);
    line.blanks_before = blanks;
    line.rule = IsRuleLine(text);
    layout.push_back(line);
    blanks = 0;
  }
  if (!layout.empty()) layout.back().blanks_after = blanks;
  for (size_t i = 0; i + 1 < layout.size(); ++i) {
    layout[i].date_after = layout[i + 1].blanks_before == 0 && IsDateLine(layout[i + 1].text);
    layout[i].ruled_above = i > 0 && !layout[i].rule && layout[i - 1].rule;
    layout[i].boxed = i > 0 && !layout[i].rule && layout[i - 1].rule && layout[i + 1].rule &&
                      layout[i].blanks_before == 0 && layout[i].blanks_after == 0;
  }
  return layout;
}

}  // namespace quireforge
