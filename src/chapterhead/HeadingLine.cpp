#include "chapterhead/HeadingLine.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/AsciiText.h"
#include "base/StringOps.h"
#include "chapterhead/HeadingTunables.h"
#include "chapterhead/LineLayout.h"

namespace quireforge {

namespace {

using tunables::kMaxBareNumber;
using tunables::kMaxEndingMatter;
using tunables::kMaxEnglishTitle;
using tunables::kMaxNamedLead;
using tunables::kMaxNumeralTitle;
using tunables::kMaxPageNumber;
using tunables::kMaxSummaryCommas;
using tunables::kMaxTitleWithCommas;
using tunables::kMaxTitleWithStop;
using tunables::kMaxWeakTitle;
constexpr size_t kMaxTitle = tunables::kMaxMarkedTitle;

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
// Counters that may stand before or after a number without 第: 章一, 卷三, 二回.
constexpr std::u16string_view kCounterFirst = u"章回节節卷";
// Characters that count things in sentences (第一次, 第二天, 第三个): never a heading counter.
constexpr std::u16string_view kSentenceCounters =
    u"次天个個位名种種步点點条條年日号號月时時代批届屆层層排件句声聲眼口遍类類把只隻根张張份"
    u"项項级級等轮輪波道关關手阶階段线線站座世人间間堂刻分秒周週条";

// Front and back matter, longest first where one starts another.
constexpr std::array<std::u16string_view, 34> kMatterWords = {
    u"完本感言", u"完结感言", u"序章",     u"序言",     u"序幕",     u"序曲",   u"自序",
    u"代序",     u"后序",     u"前言",     u"引言",     u"引子",     u"楔子",   u"开篇",
    u"题记",     u"尾声",     u"后记",     u"跋",       u"附录",     u"番外篇", u"番外",
    u"外传",     u"终章",     u"终曲",     u"结语",     u"结束语",   u"译后记", u"译者后记",
    u"书评",     u"图书简介", u"作者简介", u"背景介绍", u"出版说明", u"序"};
constexpr std::array<std::u16string_view, 8> kEnglishMatter = {
    u"prologue",  u"epilogue", u"preface",   u"foreword",
    u"afterword", u"appendix", u"interlude", u"introduction"};

// The bracket that closes `open`, or 0 when `open` opens no lead.
char16_t ClosingBracket(char16_t open) {
  constexpr std::u16string_view kOpen = u"[(（【〖「〔<＜";
  constexpr std::u16string_view kClose = u"])）】〗」〕>＞";
  const size_t at = kOpen.find(open);
  return at == std::u16string_view::npos ? 0 : kClose[at];
}

// True when `close` closes a number bracketed by `open`; round brackets of either width pair.
bool IsClosingOf(char16_t open, char16_t close) {
  if (open == u'(' || open == u'（') return close == u')' || close == u'）';
  return (open == u'[' || open == u'【') && close == ClosingBracket(open);
}

uint32_t HashOf(std::u16string_view text) {
  uint32_t hash = 2166136261u;  // FNV-1a over the letters, blanks left out
  for (char16_t c : text) {
    if (!IsBlank(c)) hash = (hash ^ c) * 16777619u;
  }
  return hash == 0 ? 1 : hash;
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

// True when `title` after a strong marker reads at least as a chapter's summary: not too
// long, no clause left open at its end, and not dialogue.
bool ReadsAsSummary(std::u16string_view title, MarkerFamily family, bool tight) {
  if (family != MarkerFamily::kOrdinal && family != MarkerFamily::kVolumeFirst &&
      family != MarkerFamily::kEnglish) {
    return false;
  }
  if (title.size() > kMaxWeakTitle || title.empty()) return false;
  if (std::u16string_view(u"，,；;：:、“「").find(title.back()) != std::u16string_view::npos) {
    return false;
  }
  // A summary holds few clauses; one that runs on from its counter, or holds a clause, and
  // ends with a stop is a sentence.
  const size_t commas = Count(title, u"，,");
  const bool stops =
      std::u16string_view(u"。！!？?").find(title.back()) != std::u16string_view::npos;
  return Count(title, u"“”「」\"") == 0 && commas <= kMaxSummaryCommas &&
         !(stops && (tight || commas > 0));
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
  // 第一部分: the part counted by a word of two characters.
  ordinal.rest = rest.substr(rest.substr(0, 2) == u"部分" ? 2 : 1);
  return ordinal;
}

bool IsVolumeCounter(char16_t c) { return kVolumeCounters.find(c) != std::u16string_view::npos; }

// 第一卷 第三章, 卷一 第三章: a chapter marker after the volume marker makes the line that
// chapter's heading; the volume prefix only places it. So does a volume of another counter
// after a larger part: 第一季 第二卷 heads the second volume of the first season.
void TakeChapterAfterVolume(HeadingMarker* marker, std::u16string_view* rest) {
  const Ordinal inner = ReadOrdinal(SkipBlanks(*rest));
  if (!inner.found || inner.counter == marker->counter) return;
  const bool volume = IsVolumeCounter(inner.counter);
  marker->family = MarkerFamily::kOrdinal;
  marker->counter = inner.counter;
  marker->number = inner.number.value;
  marker->script = inner.number.script;
  marker->volume_like = volume;
  marker->after_volume = !volume;
  *rest = inner.rest;
}

// The length of `word` at the start of `text`, its characters perhaps set apart by blanks
// (序　言, 尾 声); 0 when `text` does not start with it.
size_t SpacedPrefix(std::u16string_view text, std::u16string_view word) {
  size_t at = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    if (i > 0) {
      while (at < text.size() && IsBlank(text[at])) ++at;
    }
    if (at >= text.size() || text[at] != word[i]) return 0;
    ++at;
  }
  return at;
}

// True when a short title ends by naming itself front or back matter: 中文版序, 原著第八版序言,
// 爱马（自序）, 我想告诉读者一点什么——代后记, 不是结语.
bool EndsAsMatter(std::u16string_view text) {
  while (!text.empty() &&
         std::u16string_view(u"）)】」").find(text.back()) != std::u16string_view::npos) {
    text.remove_suffix(1);
  }
  if (text.size() < 3 || text.size() > kMaxEndingMatter) return false;
  for (std::u16string_view word : {u"序言", u"前言", u"后记", u"跋", u"结语"}) {
    if (text.size() > word.size() && text.substr(text.size() - word.size()) == word) return true;
  }
  return text.back() == u'序' && std::u16string_view(u"版者自代（(—").find(text[text.size() - 2]) !=
                                     std::u16string_view::npos;
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
  // The counter before its number: 章一, 回十二 (卷三 below, which heads a volume).
  if (text[0] != u'卷' && kCounterFirst.find(text[0]) != std::u16string_view::npos) {
    const std::u16string_view after = SkipBlanks(text.substr(1));
    const HeadingNumber number = LeadingNumber(after);
    if (number.length == 0) return std::nullopt;
    marker.family = MarkerFamily::kOrdinal;
    marker.counter = text[0];
    marker.number = number.value;
    marker.script = number.script;
    marker.volume_like = IsVolumeCounter(text[0]);
    *rest = after.substr(number.length);
    if (!rest->empty() && IsLetter((*rest)[0])) return std::nullopt;  // 回一趟家
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
    const size_t length = SpacedPrefix(text, word);
    if (length == 0) continue;
    marker.family = MarkerFamily::kMatter;
    marker.counter = static_cast<char16_t>(i + 1);
    std::u16string_view after = text.substr(length);
    const HeadingNumber number = LeadingNumber(after);
    if (number.length > 0) {
      marker.number = number.value;
      after = after.substr(number.length);
    }
    *rest = after;
    return marker;
  }
  if (EndsAsMatter(text) && Count(text, u"，,。；;：:！!？?“”\"") == 0) {
    marker.family = MarkerFamily::kMatter;
    marker.counter = static_cast<char16_t>(kMatterWords.size() + kEnglishMatter.size() + 1);
    *rest = std::u16string_view();
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
  if (ClosingBracket(text[0]) != 0) {
    // （一）, (12), [3], 【4】: a number in brackets; 〔 and 「 do not count.
    const std::u16string_view inside = SkipBlanks(text.substr(1));
    const HeadingNumber number = LeadingNumber(inside);
    if (number.length == 0) return std::nullopt;
    const std::u16string_view after = SkipBlanks(inside.substr(number.length));
    if (after.empty() || !IsClosingOf(text[0], after[0])) return std::nullopt;
    marker.family = MarkerFamily::kBracketed;
    marker.counter = text[0] == u'[' || text[0] == u'【' ? u'[' : u'(';
    marker.number = number.value;
    marker.script = number.script;
    *rest = after.substr(1);
    return marker;
  }
  const HeadingNumber number = LeadingNumber(text);
  if (number.length == 0 || number.value > kMaxBareNumber) return std::nullopt;
  std::u16string_view after = text.substr(number.length);
  // A counter after the number without 第 (二回, 三章 title): the series of 第一回 goes on.
  if (!after.empty() && kCounterFirst.find(after[0]) != std::u16string_view::npos &&
      (after.size() == 1 || !IsLetter(after[1]))) {
    marker.family = MarkerFamily::kOrdinal;
    marker.counter = after[0];
    marker.number = number.value;
    marker.script = number.script;
    marker.volume_like = IsVolumeCounter(after[0]);
    *rest = after.substr(1);
    return marker;
  }
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
  } else if (number.script == NumeralScript::kChinese && IsIdeograph(after[0])) {
    // 一神和鬼的问题: a title run on from a Chinese numeral, as in the series 二　有关人的问题.
    marker.counter = u' ';
  } else {
    return std::nullopt;
  }
  *rest = after;
  return marker;
}

// A short name, a blank and a 第 marker: 斗破苍穹 第一章 陨落的天才; inside rule lines the
// blank may be missing: ----书名第五封信----.
std::optional<HeadingMarker> ReadNamedLead(std::u16string_view text, std::u16string_view* rest,
                                           bool ruled) {
  // The 第 after the name: the first that a blank precedes (any one inside rules).
  const std::u16string_view reach = text.substr(0, kMaxNamedLead + 2);
  size_t at = 2;
  while (at < reach.size() && !(reach[at] == u'第' && (ruled || IsBlank(reach[at - 1])))) ++at;
  if (at >= reach.size()) return std::nullopt;
  const std::u16string_view name = TrimBlanks(text.substr(0, at));
  if (name.size() > kMaxNamedLead || Count(name, u"，,。；;：:！!？?“”\"") > 0) {
    return std::nullopt;
  }
  std::optional<HeadingMarker> marker = ReadMarker(text.substr(at), rest);
  if (!marker || marker->family != MarkerFamily::kOrdinal) return std::nullopt;
  marker->named_lead = HashOf(name);
  return marker;
}

// What stands around a heading's marker: decoration, brackets, 正文, the book's name in
// 《》 before it, and a page number in brackets at the end.
struct Frame {
  std::u16string_view text;  // what is left: the marker and its title
  char16_t closes[4] = {};   // the brackets the leads opened, outermost first
  size_t open = 0;
  bool ruled = false;  // the line opens with a run of rule characters
  int64_t page = -1;
  int64_t year = -1;  // the first year of a span of years in brackets at the end
};

// The page number in brackets that ends `text` (（3）, (12)); a picture mark after it ((图))
// is dropped. Leaves `text` without them.
int64_t TakePageNumber(std::u16string_view* text) {
  std::u16string_view t = TrimBlanks(*text);
  for (std::u16string_view picture : {u"(图)", u"（图）", u"（组图）", u"(组图)"}) {
    if (t.size() > picture.size() && t.substr(t.size() - picture.size()) == picture) {
      t = TrimBlanks(t.substr(0, t.size() - picture.size()));
    }
  }
  if (t.size() < 4 || (t.back() != u')' && t.back() != u'）')) return -1;
  const size_t open = t.find_last_of(u"(（");
  if (open == std::u16string_view::npos || open == 0) return -1;
  const std::u16string_view inside = t.substr(open + 1, t.size() - open - 2);
  const HeadingNumber number = LeadingNumber(inside);
  if (number.length == 0 || number.length != inside.size() || number.value < 1 ||
      number.value > kMaxPageNumber) {
    return -1;
  }
  *text = TrimBlanks(t.substr(0, open));
  return number.value;
}

// The first year of the span of years in brackets that ends `text` （1893—1910）, (1972),
// or -1; leaves `text` as it is: the years belong to the title.
int64_t TakeYears(const std::u16string_view* text) {
  const std::u16string_view t = *text;
  if (t.size() < 7 || (t.back() != u')' && t.back() != u'）')) return -1;
  const size_t open = t.find_last_of(u"(（");
  if (open == std::u16string_view::npos || open == 0) return -1;
  std::u16string_view inside = t.substr(open + 1, t.size() - open - 2);
  const HeadingNumber first = LeadingNumber(inside);
  if (first.length != 4 || first.script != NumeralScript::kDigits) return -1;
  inside = inside.substr(4);
  while (!inside.empty() &&
         std::u16string_view(u"-—–－~～至").find(inside[0]) != std::u16string_view::npos) {
    inside.remove_prefix(1);
  }
  const HeadingNumber last = LeadingNumber(inside);
  if (last.length > 0 && (last.length != 4 || last.value < first.value)) return -1;
  inside = inside.substr(last.length);
  if (!inside.empty() && inside[0] == u'年') inside.remove_prefix(1);
  return inside.empty() ? first.value : -1;
}

Frame ReadFrame(std::u16string_view text) {
  Frame frame;
  for (int round = 0; round < 4 && !text.empty(); ++round) {
    text = SkipBlanks(text);
    size_t rule = 0;
    while (rule < text.size() && IsRuleCharacter(text[rule])) ++rule;
    if (rule > 0) {
      frame.ruled = frame.ruled || rule >= 2;
      text = text.substr(rule);
      if (!text.empty() && text[0] == u'、') text.remove_prefix(1);
      continue;
    }
    if (StartsWith(text, u"正文")) {
      text = SkipBlanks(text.substr(2));
      // 【正文】: the bracket of the lead closes right after it.
      if (frame.open > 0 && !text.empty() && text[0] == frame.closes[frame.open - 1]) {
        --frame.open;
        text = text.substr(1);
      }
      continue;
    }
    if (text[0] == u'《') {
      const size_t end = text.find(u'》');
      if (end == std::u16string_view::npos || end > kMaxNamedLead + 1 ||
          SkipBlanks(text.substr(end + 1)).empty()) {
        break;
      }
      text = text.substr(end + 1);
      continue;
    }
    const char16_t close = ClosingBracket(text[0]);
    if (close == 0 || frame.open == std::size(frame.closes)) break;
    // （一）, (12) and [3] are markers of their own, not brackets around one.
    const std::u16string_view inside = SkipBlanks(text.substr(1));
    const HeadingNumber number = LeadingNumber(inside);
    if (number.length > 0) {
      const std::u16string_view after = SkipBlanks(inside.substr(number.length));
      if (!after.empty() && IsClosingOf(text[0], after[0])) break;
    }
    frame.closes[frame.open++] = close;
    text = text.substr(1);
  }
  // The end: the brackets the leads opened close in turn from the outermost, with rule
  // characters and a page number between them.
  for (int round = 0; round < 6; ++round) {
    text = TrimBlanks(text);
    if (text.empty()) break;
    if (frame.open > 0 && text.back() == frame.closes[0]) {
      text.remove_suffix(1);
      std::copy(frame.closes + 1, frame.closes + frame.open, frame.closes);
      --frame.open;
      continue;
    }
    size_t rule = 0;
    while (rule < text.size() && IsRuleCharacter(text[text.size() - 1 - rule])) ++rule;
    if (rule >= 2 || (rule == 1 && frame.ruled)) {
      text.remove_suffix(rule);
      continue;
    }
    if (frame.page < 0) {
      frame.page = TakePageNumber(&text);
      if (frame.page >= 0) continue;
    }
    if (frame.year < 0) frame.year = TakeYears(&text);
    break;
  }
  frame.text = text;
  return frame;
}

}  // namespace

std::optional<HeadingMarker> ReadSpreadHeading(std::u16string_view line, std::u16string_view next) {
  const std::u16string_view word = TrimBlanks(line);
  char16_t counter = 0;
  for (const auto& [name, letter] :
       {std::pair{u"chapter", u'C'}, {u"part", u'P'}, {u"book", u'B'}}) {
    if (word.size() == std::u16string_view(name).size() && StartsWithWord(word, name)) {
      counter = letter;
    }
  }
  if (counter == 0) return std::nullopt;
  const std::u16string_view number_text = TrimBlanks(next);
  HeadingNumber number = LeadingNumber(number_text);
  if (number.length == 0 || number.script == NumeralScript::kChinese) {
    number = LeadingLatinNumber(number_text);
  }
  if (number.length == 0 || number.length != number_text.size()) return std::nullopt;
  HeadingMarker marker;
  marker.family = MarkerFamily::kEnglish;
  marker.counter = counter;
  marker.number = number.value;
  marker.script = number.script;
  marker.volume_like = counter != u'C';
  return marker;
}

bool IsKnownCounter(char16_t counter) {
  return kChapterCounters.find(counter) != std::u16string_view::npos || IsVolumeCounter(counter);
}

std::optional<HeadingMarker> ReadHeadingLine(std::u16string_view line) {
  const std::u16string_view trimmed = TrimBlanks(line);
  if (trimmed.empty() || trimmed.size() > tunables::kMaxHeadingLine) return std::nullopt;
  const Frame frame = ReadFrame(trimmed);
  if (frame.text.empty()) return std::nullopt;
  std::u16string_view rest;
  std::optional<HeadingMarker> marker = ReadMarker(frame.text, &rest);
  // 第一梦 红蝗 第01章: a part named before a chapter marker that counts with a known counter.
  if (frame.open == 0 &&
      (!marker || (marker->family == MarkerFamily::kOrdinal && !IsKnownCounter(marker->counter)))) {
    std::u16string_view named_rest;
    std::optional<HeadingMarker> named = ReadNamedLead(frame.text, &named_rest, frame.ruled);
    if (named && (!marker || IsKnownCounter(named->counter))) {
      marker = named;
      rest = named_rest;
    }
  }
  if (!marker) {
    // A page head without a marker: a short title and its page number; or a title and the
    // years it covers.
    if (!ReadsAsTitle(frame.text, MarkerFamily::kPage)) return std::nullopt;
    HeadingMarker plain;
    if (frame.page >= 0) {
      plain.family = MarkerFamily::kPage;
      plain.counter = u'(';
      plain.number = frame.page;
      plain.page = frame.page;
      plain.stem = HashOf(frame.text);
      return plain;
    }
    if (frame.year < 0) return std::nullopt;
    plain.family = MarkerFamily::kDated;
    plain.counter = u'y';
    plain.number = frame.year;
    return plain;
  }
  // A closing bracket of a lead may end the marker instead of the line: 【第一章】 title.
  if (frame.open > 0 && !rest.empty() && rest[0] == frame.closes[frame.open - 1]) {
    rest.remove_prefix(1);
    rest = SkipBlanks(rest);
    if (rest.empty()) rest = u" ";
  }
  // A number alone between rule characters (-- 12 --) is a scanned page's number.
  if (marker->family == MarkerFamily::kNumeral && frame.ruled && TrimBlanks(rest).empty()) {
    return std::nullopt;
  }
  const bool tight_allowed = marker->family == MarkerFamily::kOrdinal ||
                             marker->family == MarkerFamily::kVolumeFirst ||
                             (marker->family == MarkerFamily::kNumeral && marker->counter == u' ');
  const AfterMarker after = marker->family == MarkerFamily::kBracketed
                                ? AfterMarker{true, false, SkipBlanks(rest)}
                                : ReadAfter(rest, tight_allowed);
  if (!after.ok) return std::nullopt;
  const std::u16string_view title = TrimBlanks(after.title);
  // A bare number needs a title after its separator, or must stand alone.
  if (marker->family == MarkerFamily::kNumeral && marker->counter != 0 && title.empty()) {
    return std::nullopt;
  }
  marker->tight = after.tight;
  marker->page = frame.page;
  marker->title = title;
  // A title that runs on from its counter holds no punctuation at all (第一回合和第二回合，…
  // is a sentence), and any other reads as a title, or at least as a summary.
  const bool clean =
      after.tight ? Count(title, u"，,。；;：:、") == 0 : ReadsAsTitle(title, marker->family);
  if (!clean) {
    // Only the counters chapters are known to use may head a summary: 第一款…，… is an
    // article of a treaty quoted in the text.
    if (!IsKnownCounter(marker->counter) || !ReadsAsSummary(title, marker->family, after.tight)) {
      return std::nullopt;
    }
    marker->weak = true;
  }
  return marker;
}

}  // namespace quireforge
