#include "conversion/TextNames.h"

#include <initializer_list>

#include "base/Utf.h"
#include "conversion/CodePageChoice.h"
#include "conversion/CodePageDetector.h"
#include "conversion/LegacyCodePage.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

constexpr size_t kHeadBytes = 16 * 1024;

bool IsNameBlank(char16_t c) { return c <= u' ' || c == u'\u3000'; }

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && IsNameBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsNameBlank(text.back())) text.remove_suffix(1);
  return text;
}

// What follows one of `words`, optional blanks and a colon at the start of `line`, trimmed;
// nullopt when the line does not start so or nothing follows.
std::optional<std::u16string_view> AfterMark(std::u16string_view line,
                                             std::initializer_list<std::u16string_view> words) {
  for (const std::u16string_view word : words) {
    if (!line.starts_with(word)) continue;
    std::u16string_view rest = line.substr(word.size());
    while (!rest.empty() && IsNameBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty() || (rest.front() != u'：' && rest.front() != u':')) continue;
    rest = Trimmed(rest.substr(1));
    if (!rest.empty()) return rest;
  }
  return std::nullopt;
}

// "《X》" as a whole: X, trimmed; nullopt for anything else.
std::optional<std::u16string_view> InTitleMarks(std::u16string_view text) {
  if (text.size() < 3 || text.front() != u'《' || text.back() != u'》') return std::nullopt;
  const std::u16string_view inner = text.substr(1, text.size() - 2);
  if (inner.find_first_of(u"《》") != std::u16string_view::npos) return std::nullopt;
  const std::u16string_view title = Trimmed(inner);
  if (title.empty()) return std::nullopt;
  return title;
}

// The text of `bytes`, read as LoadTextFile would read a file starting with them.
std::u16string Decode(std::string_view bytes, const CodePageChoice& code_pages) {
  std::u16string text;
  const auto utf16 = [&text](std::string_view units, bool little_endian) {
    for (size_t i = 0; i + 1 < units.size(); i += 2) {
      const auto low = static_cast<unsigned char>(units[little_endian ? i : i + 1]);
      const auto high = static_cast<unsigned char>(units[little_endian ? i + 1 : i]);
      text += static_cast<char16_t>(high << 8 | low);
    }
  };
  if (bytes.starts_with("\xFF\xFE")) {
    utf16(bytes.substr(2), true);
  } else if (bytes.starts_with("\xFE\xFF")) {
    utf16(bytes.substr(2), false);
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    AppendFromUtf8(bytes.substr(3), &text);
  } else if (code_pages.code_page().utf16() != LegacyCodePage::Utf16::kNo &&
             !code_pages.detects()) {
    utf16(bytes, code_pages.code_page().utf16() == LegacyCodePage::Utf16::kLittleEndian);
  } else if (!DecodeStrictUtf8(bytes.substr(0, CompleteUtf8Prefix(bytes)), &text)) {
    std::optional<std::string> found;
    if (code_pages.detects()) found = DetectCodePage(bytes);
    text.clear();
    if (found && *found == "UTF-8") {
      AppendFromUtf8(bytes, &text);
    } else if (found) {
      LegacyCodePage(*found).Decode(bytes, &text);
    } else {
      code_pages.code_page().Decode(bytes, &text);
    }
  }
  // The text ends at its first NUL, as a job reads it.
  const size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

}  // namespace

NamesInText NamesFromTextLines(const std::vector<std::u16string>& lines) {
  NamesInText names;
  size_t searched = 0;
  for (const std::u16string& whole : lines) {
    const std::u16string_view line = Trimmed(whole);
    if (line.empty()) continue;
    if (++searched > kNameLines) break;
    if (!names.title) {
      if (std::optional<std::u16string_view> title = AfterMark(line, {u"书名", u"書名"})) {
        names.title = std::u16string(InTitleMarks(*title).value_or(*title));
        continue;
      }
      if (std::optional<std::u16string_view> title = InTitleMarks(line)) {
        names.title = std::u16string(*title);
        continue;
      }
    }
    if (!names.author) {
      if (std::optional<std::u16string_view> author = AfterMark(line, {u"作者", u"著者"})) {
        names.author = std::u16string(*author);
      }
    }
  }
  return names;
}

std::vector<std::u16string> FirstLinesOfSource(std::u16string_view source,
                                               const CodePageChoice& code_pages) {
  std::string bytes = ReadFileBytes(source, kHeadBytes);
  // A head cut short keeps only whole lines, so that no character is cut either.
  if (bytes.size() == kHeadBytes) {
    const size_t last_break = bytes.find_last_of("\r\n");
    if (last_break != std::string::npos) bytes.resize(last_break + 1);
  }
  const std::u16string text = Decode(bytes, code_pages);
  std::vector<std::u16string> lines;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find_first_of(u"\r\n", at);
    if (end == std::u16string::npos) end = text.size();
    lines.emplace_back(text.substr(at, end - at));
    at = end;
    if (at < text.size() && text[at] == u'\r') ++at;
    if (at < text.size() && text[at] == u'\n') ++at;
  }
  return lines;
}

}  // namespace quireforge
