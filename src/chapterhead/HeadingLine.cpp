#include "chapterhead/HeadingLine.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/AsciiText.h"
#include "base/StringOps.h"

namespace quireforge {

namespace {

// A title longer than this, in code units, is a sentence; English titles may be longer.
constexpr size_t kMaxTitle = 50;
constexpr size_t kMaxEnglishTitle = 80;
// A numbered list item in the body reads like a short title too: titles after a bare
// number are held to a tighter measure.
constexpr size_t kMaxNumeralTitle = 25;
// A title may hold two commas when it is this short (one in any title), and end with a full
// stop when it is this short.
constexpr size_t kMaxTitleWithCommas = 30;
constexpr size_t kMaxTitleWithStop = 15;
// A name put before every heading is at most this long.
constexpr size_t kMaxNamedLead = 15;
// Bare numbers beyond this are years, amounts and codes, not chapters.
constexpr int64_t kMaxBareNumber = 9999;

std::u16string_view SkipBlanks(std::u16string_view text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  return text.substr(at);
}

bool IsIdeograph(char16_t c) { return c >= u'\u3400' && c <= u'\u9FFF'; }

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

bool IsLetter(char16_t c) {
  return IsIdeograph(c) || IsAsciiLetter(c) || (c >= u'\uF900' && c <= u'\uFAFF');
}

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Case-insensitive for ASCII letters.
bool StartsWithWord(std::u16string_view text, std::u16string_view word) {
  if (text.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (AsciiLower(text[i]) != word[i]) return false;
  }
  return true;
}

constexpr std::u16string_view kChapterCounters = u"章回节節话話讲講幕封折课課场場";
constexpr std::u16string_view kVolumeCounters = u"卷部编編篇集册冊季";
// Characters that count things in sentences (第一次, 第二天, 第三个): never a heading counter.
constexpr std::u16string_view kSentenceCounters =
    u"次天个個位名种種步点點条條年日号號月时時代批届屆层層排件句声聲眼口遍类類把只隻根张張份"
    u"项項级級等轮輪波道关關手阶階段线線站座世人间間堂刻分秒周週条";

// Front and back matter, longest first where one starts another.
constexpr std::array<std::u16string_view, 26> kMatterWords = {
    u"完本感言", u"完结感言", u"序章", u"序言", u"序幕", u"序曲", u"自序", u"代序", u"后序",
    u"前言",     u"引言",     u"引子", u"楔子", u"开篇", u"题记", u"尾声", u"后记", u"跋",
    u"附录",     u"番外篇",   u"番外", u"外传", u"终章", u"终曲", u"结语", u"序"};
constexpr std::array<std::u16string_view, 8> kEnglishMatter = {
    u"prologue",  u"epilogue", u"preface",   u"foreword",
    u"afterword", u"appendix", u"interlude", u"introduction"};

// Leads that may stand before a marker, with the bracket that closes them (0: none).
struct Lead {
  std::u16string_view text;
  char16_t close;
};
constexpr std::array<Lead, 6> kLeads = {
    {{u"正文", 0}, {u"【", u'】'}, {u"[", u']'}, {u"〖", u'〗'}, {u"「", u'」'}, {u"〔", u'〕'}}};

bool IsDecoration(char16_t c) {
  return std::u16string_view(u"=*#~～☆★◆◇●○■□§※").find(c) != std::u16string_view::npos;
}

bool IsSeparatorMark(char16_t c) {
  return std::u16string_view(u"：:、．.·・—-─～~】]〗」〕)）|=*☆★◆◇●○■□").find(c) !=
         std::u16string_view::npos;
}

// What follows a marker: nothing, or a separator and a title, or a title that runs on.
struct AfterMarker {
  bool ok = false;
  bool tight = false;
  std::u16string_view title;
};

AfterMarker ReadAfter(std::u16string_view rest, bool tight_allowed) {
  AfterMarker after;
  if (rest.empty()) {
    after.ok = true;
    return after;
  }
  if (IsBlank(rest[0])) {
    after.ok = true;
    after.title = SkipBlanks(rest);
    return after;
  }
  if (rest[0] == u'，' || rest[0] == u',') return after;  // the marker goes on as a sentence
  if (IsSeparatorMark(rest[0])) {
    size_t at = 0;
    while (at < rest.size() && (IsSeparatorMark(rest[at]) || IsBlank(rest[at]))) ++at;
    after.ok = true;
    after.title = rest.substr(at);
    return after;
  }
  if (!tight_allowed || !IsLetter(rest[0])) {
    // A quotation mark or bracket opens a title too: 第一章“你好”, 第二章《归来》.
    if (std::u16string_view(u"“‘《「『（(【〖[\"'").find(rest[0]) == std::u16string_view::npos) {
      return after;
    }
    after.ok = true;
    after.title = rest;
    return after;
  }
  after.ok = true;
  after.tight = true;
  after.title = rest;
  return after;
}

size_t Count(std::u16string_view text, std::u16string_view of) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [of](char16_t c) {
    return of.find(c) != std::u16string_view::npos;
  }));
}

// True when `title` reads as a title, not as a sentence: short, without the punctuation that
// joins clauses, ending in no mark that leaves it open.
bool ReadsAsTitle(std::u16string_view title, MarkerFamily family) {
  const size_t limit = family == MarkerFamily::kEnglish   ? kMaxEnglishTitle
                       : family == MarkerFamily::kNumeral ? kMaxNumeralTitle
                                                          : kMaxTitle;
  if (title.size() > limit) return false;
  if (title.empty()) return true;
  if (std::u16string_view(u"，,；;：:、").find(title.back()) != std::u16string_view::npos) {
    return false;
  }
  if (family == MarkerFamily::kEnglish) return true;
  if (Count(title, u"；;") > 0) return false;
  const size_t stops = Count(title, u"。");
  if (stops > 1 || (stops == 1 && (title.back() != u'。' || title.size() > kMaxTitleWithStop))) {
    return false;
  }
  const size_t commas = Count(title, u"，,");
  if (family == MarkerFamily::kNumeral && commas + stops > 0) return false;
  return commas <= 1 || (commas == 2 && title.size() <= kMaxTitleWithCommas);
}

// The marker that opens `text` after 第, if any: number, counter and what follows.
struct Ordinal {
  bool found = false;
  HeadingNumber number;
  char16_t counter = 0;
  std::u16string_view rest;
};

Ordinal ReadOrdinal(std::u16string_view text) {
  Ordinal ordinal;
  if (text.empty() || text[0] != u'第') return ordinal;
  std::u16string_view rest = SkipBlanks(text.substr(1));
  ordinal.number = LeadingNumber(rest);
  if (ordinal.number.length == 0) return ordinal;
  rest = SkipBlanks(rest.substr(ordinal.number.length));
  if (rest.empty() || !IsIdeograph(rest[0])) return ordinal;
  ordinal.counter = rest[0];
  if (kSentenceCounters.find(ordinal.counter) != std::u16string_view::npos) return ordinal;
  ordinal.found = true;
  ordinal.rest = rest.substr(1);
  return ordinal;
}

bool IsVolumeCounter(char16_t c) { return kVolumeCounters.find(c) != std::u16string_view::npos; }

// 第一卷 第三章, 卷一 第三章: a chapter marker after the volume marker makes the line that
// chapter's heading; the volume prefix only places it.
void TakeChapterAfterVolume(HeadingMarker* marker, std::u16string_view* rest) {
  const Ordinal inner = ReadOrdinal(SkipBlanks(*rest));
  if (!inner.found || IsVolumeCounter(inner.counter)) return;
  marker->family = MarkerFamily::kOrdinal;
  marker->counter = inner.counter;
  marker->number = inner.number.value;
  marker->script = inner.number.script;
  marker->volume_like = false;
  marker->after_volume = true;
  *rest = inner.rest;
}

// Tells the marker of `text` (the line without its lead); `rest` gets what follows it.
std::optional<HeadingMarker> ReadMarker(std::u16string_view text, std::u16string_view* rest) {
  HeadingMarker marker;
  if (const Ordinal ordinal = ReadOrdinal(text); ordinal.found) {
    marker.family = MarkerFamily::kOrdinal;
    marker.counter = ordinal.counter;
    marker.number = ordinal.number.value;
    marker.script = ordinal.number.script;
    marker.volume_like = IsVolumeCounter(ordinal.counter);
    *rest = ordinal.rest;
    if (marker.volume_like) TakeChapterAfterVolume(&marker, rest);
    return marker;
  }
  if (text[0] == u'卷') {
    const HeadingNumber number = LeadingNumber(SkipBlanks(text.substr(1)));
    if (number.length == 0) return std::nullopt;
    const std::u16string_view after = SkipBlanks(text.substr(1));
    marker.family = MarkerFamily::kVolumeFirst;
    marker.counter = u'卷';
    marker.number = number.value;
    marker.script = number.script;
    marker.volume_like = true;
    *rest = after.substr(number.length);
    TakeChapterAfterVolume(&marker, rest);
    return marker;
  }
  if (text.size() >= 2 &&
      std::u16string_view(u"上中下").find(text[0]) != std::u16string_view::npos &&
      std::u16string_view(u"篇卷部册冊").find(text[1]) != std::u16string_view::npos) {
    marker.family = MarkerFamily::kHalf;
    marker.counter = text[1];
    marker.number = text[0] == u'上' ? 1 : (text[0] == u'中' ? 2 : 3);
    marker.volume_like = true;
    *rest = text.substr(2);
    return marker;
  }
  for (size_t i = 0; i < kMatterWords.size(); ++i) {
    const std::u16string_view word = kMatterWords[i];
    if (!StartsWith(text, word)) continue;
    marker.family = MarkerFamily::kMatter;
    marker.counter = static_cast<char16_t>(i + 1);
    std::u16string_view after = text.substr(word.size());
    const HeadingNumber number = LeadingNumber(after);
    if (number.length > 0) {
      marker.number = number.value;
      after = after.substr(number.length);
    }
    *rest = after;
    return marker;
  }
  if (IsAsciiLetter(text[0])) {
    for (size_t i = 0; i < kEnglishMatter.size(); ++i) {
      const std::u16string_view word = kEnglishMatter[i];
      if (StartsWithWord(text, word) &&
          (text.size() == word.size() || !IsAsciiLetter(text[word.size()]))) {
        // "Preface line" is a sentence; "Preface", "Preface: …" and "Preface — …" head.
        const std::u16string_view after = text.substr(word.size());
        const std::u16string_view title = SkipBlanks(after);
        if (!title.empty() && !IsSeparatorMark(title[0])) return std::nullopt;
        marker.family = MarkerFamily::kMatter;
        marker.counter = static_cast<char16_t>(kMatterWords.size() + i + 1);
        *rest = after;
        return marker;
      }
    }
    struct EnglishWord {
      std::u16string_view word;
      char16_t counter;
    };
    constexpr std::array<EnglishWord, 4> kEnglishMarkers = {
        {{u"chapter", u'C'}, {u"chap.", u'C'}, {u"part", u'P'}, {u"book", u'B'}}};
    for (const EnglishWord& english : kEnglishMarkers) {
      if (!StartsWithWord(text, english.word)) continue;
      std::u16string_view after = text.substr(english.word.size());
      if (after.empty() || !IsBlank(after[0])) return std::nullopt;
      after = SkipBlanks(after);
      HeadingNumber number = LeadingNumber(after);
      if (number.length == 0 || number.script == NumeralScript::kChinese) {
        number = LeadingLatinNumber(after);
      }
      if (number.length == 0) return std::nullopt;
      marker.family = MarkerFamily::kEnglish;
      marker.counter = english.counter;
      marker.number = number.value;
      marker.script = number.script;
      marker.volume_like = english.counter != u'C';
      *rest = after.substr(number.length);
      return marker;
    }
    return std::nullopt;
  }
  if (text[0] == u'（' || text[0] == u'(') {
    const std::u16string_view inside = SkipBlanks(text.substr(1));
    const HeadingNumber number = LeadingNumber(inside);
    if (number.length == 0) return std::nullopt;
    const std::u16string_view after = SkipBlanks(inside.substr(number.length));
    if (after.empty() || (after[0] != u'）' && after[0] != u')')) return std::nullopt;
    marker.family = MarkerFamily::kBracketed;
    marker.counter = u'(';
    marker.number = number.value;
    marker.script = number.script;
    *rest = after.substr(1);
    return marker;
  }
  const HeadingNumber number = LeadingNumber(text);
  if (number.length == 0 || number.value > kMaxBareNumber) return std::nullopt;
  std::u16string_view after = text.substr(number.length);
  marker.family = MarkerFamily::kNumeral;
  marker.number = number.value;
  marker.script = number.script;
  if (after.empty()) {
    marker.counter = 0;
  } else if (IsBlank(after[0])) {
    marker.counter = u' ';
  } else if (after[0] == u'、') {
    marker.counter = u'、';
  } else if (after[0] == u'．' || after[0] == u'.') {
    // 1.5 is a number, not a heading.
    const HeadingNumber fraction = LeadingNumber(after.substr(1));
    if (fraction.length > 0 && fraction.script == NumeralScript::kDigits) return std::nullopt;
    marker.counter = u'.';
  } else if (after[0] == u'：' || after[0] == u':') {
    marker.counter = u':';
  } else {
    return std::nullopt;
  }
  *rest = after;
  return marker;
}

// A short name, a blank and a 第 marker: 斗破苍穹 第一章 陨落的天才.
std::optional<HeadingMarker> ReadNamedLead(std::u16string_view text, std::u16string_view* rest) {
  const size_t at = text.substr(0, kMaxNamedLead + 2).find(u'第');
  if (at == std::u16string_view::npos || at < 2 || !IsBlank(text[at - 1])) return std::nullopt;
  const std::u16string_view name = TrimBlanks(text.substr(0, at));
  if (name.size() > kMaxNamedLead || Count(name, u"，,。；;：:！!？?“”\"") > 0) {
    return std::nullopt;
  }
  std::optional<HeadingMarker> marker = ReadMarker(text.substr(at), rest);
  if (!marker || marker->family != MarkerFamily::kOrdinal) return std::nullopt;
  uint32_t hash = 2166136261u;  // FNV-1a
  for (char16_t c : name) hash = (hash ^ c) * 16777619u;
  marker->named_lead = hash == 0 ? 1 : hash;
  return marker;
}

}  // namespace

bool IsKnownCounter(char16_t counter) {
  return kChapterCounters.find(counter) != std::u16string_view::npos || IsVolumeCounter(counter);
}

std::optional<HeadingMarker> ReadHeadingLine(std::u16string_view line) {
  std::u16string_view text = TrimBlanks(line);
  if (text.empty() || text.size() > kMaxEnglishTitle + 20) return std::nullopt;
  // Decoration some sites put around headings: ===第一章===, ☆、第一章, ◆ 第一章.
  size_t decoration = 0;
  while (decoration < text.size() && IsDecoration(text[decoration])) ++decoration;
  if (decoration > 0) {
    text = text.substr(decoration);
    if (!text.empty() && text[0] == u'、') text.remove_prefix(1);
    text = SkipBlanks(text);
  }
  char16_t close = 0;
  for (const Lead& lead : kLeads) {
    if (StartsWith(text, lead.text)) {
      text = SkipBlanks(text.substr(lead.text.size()));
      close = lead.close;
      break;
    }
  }
  if (text.empty()) return std::nullopt;
  std::u16string_view rest;
  std::optional<HeadingMarker> marker = ReadMarker(text, &rest);
  if (!marker && close == 0) marker = ReadNamedLead(text, &rest);
  if (!marker) return std::nullopt;
  // A closing bracket of the lead ends the marker or the whole line: 【第一章】 title.
  if (close != 0 && !rest.empty() && rest.back() == close) rest.remove_suffix(1);
  const bool tight_allowed =
      marker->family == MarkerFamily::kOrdinal || marker->family == MarkerFamily::kVolumeFirst;
  const AfterMarker after = marker->family == MarkerFamily::kBracketed
                                ? AfterMarker{true, false, SkipBlanks(rest)}
                                : ReadAfter(rest, tight_allowed);
  if (!after.ok) return std::nullopt;
  const std::u16string_view title = TrimBlanks(after.title);
  // A bare number needs a title after its separator, or must stand alone.
  if (marker->family == MarkerFamily::kNumeral && marker->counter != 0 && title.empty()) {
    return std::nullopt;
  }
  if (!ReadsAsTitle(title, marker->family)) return std::nullopt;
  // A title that runs on from its counter holds no punctuation at all: 第一回合和第二回合，…
  // is a sentence.
  if (after.tight && Count(title, u"，,。；;：:、") > 0) return std::nullopt;
  marker->tight = after.tight;
  return marker;
}

}  // namespace quireforge
