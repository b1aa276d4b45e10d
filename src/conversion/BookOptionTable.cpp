#include "conversion/BookOptionTable.h"

#include <algorithm>
#include <string>

#include "base/AsciiText.h"
#include "base/Utf.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternLineRule.h"
#include "conversion/ClassicBook.h"
#include "conversion/LanguageTag.h"

namespace quireforge {

namespace {

// The position of `word` among `words`; a word not among them is refused, naming them all.
size_t Choose(const std::string& word, const std::vector<std::string_view>& words) {
  std::string all;
  for (size_t i = 0; i < words.size(); ++i) {
    if (word == words[i]) return i;
    if (!all.empty()) all += ", ";
    all += words[i];
  }
  std::string message = "\"";
  message += word;
  message += "\" is not one of ";
  message += all;
  throw BookOptionError(message);
}

// `word` as text; refused unless it is UTF-8 (other bytes would silently become U+FFFD).
std::u16string StrictText(const std::string& word) {
  std::u16string text;
  if (!DecodeStrictUtf8(word, &text)) {
    // The word as given: a front end escapes what it cannot show.
    std::string message = "\"";
    message += word;
    message += "\" is not valid UTF-8";
    throw BookOptionError(message);
  }
  return text;
}

// What is wrong with an expression the engine refused with `code`, in the words of a user.
const char* PatternFault(int32_t code) {
  switch (code) {
    case kPatternRegexpTooBig:
      return "it is too long";
    case kPatternTooManyGroups:
      return "it has too many groups \"( )\"";
    case kPatternUnclosedGroup:
      return "a group opened with \"(\" is not closed";
    case kPatternUnopenedGroup:
      return "a \")\" closes no group";
    case kPatternOperandCouldBeEmpty:
      return "\"*\" or \"+\" repeats something that may match nothing";
    case kPatternNestedQuantifier:
      return "a repetition (\"*\", \"+\", \"?\" or \"{n,m}\") follows another";
    case kPatternBadHexDigit:
      return "\"\\x\" is followed by a digit that is not hexadecimal";
    case kPatternInvalidRange:
      return "a range in \"[ ]\" ends before it begins";
    case kPatternClassTrailingBackslash:
    case kPatternTrailingBackslash:
      return "it ends in a \"\\\" that escapes nothing";
    case kPatternNoHexCode:
      return "\"\\x\" is not followed by a hexadecimal code";
    case kPatternHexCodeTooBig:
      return "the code after \"\\x\" is too big";
    case kPatternUnmatchedBracket:
      return "a \"[\" is not closed by \"]\"";
    case kPatternQuantifierFollowsNothing:
      return "\"*\", \"+\", \"?\" or \"{\" follows nothing it could repeat";
    case kPatternBracesArgumentTooBig:
      return "a number in \"{ }\" is too big";
    case kPatternBracesMinGreaterThanMax:
      return "in \"{n,m}\" the first number is greater than the second";
    case kPatternUnclosedComment:
      return "a comment \"(?#\" is not closed";
    case kPatternUnrecognizedModifier:
      return "\"(?\" is followed by a modifier that is not one of i, r, s, g, m and x";
    case kPatternLoopStackExceeded:
      return "counted repetitions (\"{n,m}\") are nested more than ten deep";
    default:
      return "the pattern engine cannot use it";
  }
}

// Refuses `expression` with the engine's verdict in plain words, where it stands when the
// engine says so: "\"(ab\" is not a valid expression: a group opened with \"(\" is not closed
// (at its end)". An empty expression is no expression at all.
void CheckPattern(const std::u16string& expression) {
  try {
    PatternLineRule rule(expression);
  } catch (const EPatternEngine& error) {
    if (expression.empty()) {
      throw BookOptionError("an expression is expected, not an empty text");
    }
    std::string message = "\"";
    message += ToUtf8(expression);
    message += "\" is not a valid expression: ";
    // "(?i" at the end: a group of modifiers that the expression ends in.
    if (error.ErrorCode() == kPatternUnrecognizedModifier &&
        static_cast<size_t>(error.CompilerErrorPos()) == expression.size()) {
      message += "the group \"";
      message += ToUtf8(std::u16string_view(expression).substr(expression.rfind(u"(?")));
      message += "\" is not closed";
      throw BookOptionError(message);
    }
    message += PatternFault(error.ErrorCode());
    if (error.ErrorCode() < 1000) {
      const auto at = static_cast<size_t>(error.CompilerErrorPos());
      if (at >= expression.size()) {
        message += " (at its end)";
      } else {
        message += " (at character ";
        message += std::to_string(at + 1);
        message += ')';
      }
    }
    throw BookOptionError(message);
  }
}

// An expression option: empty is none; anything else must compile.
std::optional<std::u16string> PatternOf(const std::string& word) {
  if (word.empty()) return std::nullopt;
  std::u16string expression = StrictText(word);
  CheckPattern(expression);
  return expression;
}

std::string PatternWord(const std::optional<std::u16string>& pattern) {
  return pattern ? ToUtf8(*pattern) : std::string();
}

const std::vector<std::string_view> kOffOn = {"off", "on"};
const std::vector<std::string_view> kOnOff = {"on", "off"};
const std::vector<std::string_view> kNormalWide = {"normal", "wide"};
const std::vector<std::string_view> kFontSizes = {"large", "middle", "small"};
const std::vector<std::string_view> kChapterRules = {"smart", "classic"};
const std::vector<std::string_view> kVolumes = {"auto", "on", "off"};
const std::vector<std::string_view> kHeadingStyles = {"plain", "title"};
// No indent (the window's "none"), then the indents in em.
const std::vector<std::string_view> kIndents = {"", "0", "1", "2", "3", "4"};
const std::vector<std::string_view> kBlankLines = {"keep", "single", "none"};
// No conversion (the window's "none"), then the conversions in the order of ChineseConversion.
const std::vector<std::string_view> kChinese = {"",      "s2t",   "t2s",  "s2tw", "tw2s",
                                                "s2twp", "tw2sp", "s2hk", "hk2s"};
// The cover's words beside a picture's path.
constexpr std::string_view kDrawnCover = "drawn";
constexpr std::string_view kNoCover = "none";
const std::vector<std::string_view> kLanguages = {"auto", "zh", "zh-Hans", "zh-Hant",
                                                  "ja",   "ko", "en"};

// The values the words of a choice stand for, in the order of its words.
const std::vector<int32_t> kMargins = {2, 5};                  // points
const std::vector<int32_t> kLineHeights = {100, 120};          // percent
const std::vector<int32_t> kFontSizeValues = {110, 105, 100};  // percent

// The word of `value` among `values`; its digits when no word stands for it (which Choose
// then refuses).
std::string WordOf(int64_t value, const std::vector<std::string_view>& words,
                   const std::vector<int32_t>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i] == value) return std::string(words[i]);
  }
  return std::to_string(value);
}

// The word at `index` of an enumeration's words; its digits when there is none.
template <typename Enum>
std::string EnumWord(Enum value, const std::vector<std::string_view>& words) {
  const auto index = static_cast<size_t>(value);
  return index < words.size() ? std::string(words[index]) : std::to_string(index);
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

std::vector<BookOption> MakeTable() {
  std::vector<BookOption> table;
  table.push_back(BookOption{
      .name = "classic",
      .flags = {{"--classic", "on",
                 "The classic book, byte for byte: the classic chapter rule and language, no "
                 "drawn cover, no names from the text, the old style sheet (options given "
                 "beside it still count)"}},
      .words = kOffOn,
      .set = [](BookOptions* o, const std::string& w) { o->classic = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return OnOff(o.classic); },
      .chooses = ChooseClassicBook});
  table.push_back(BookOption{
      .name = "margin",
      .option = "--margin",
      .words = kNormalWide,
      .help = "Page margin",
      .set = [](BookOptions* o,
                const std::string& w) { o->margin = kMargins[Choose(w, kNormalWide)]; },
      .get = [](const BookOptions& o) { return WordOf(o.margin, kNormalWide, kMargins); }});
  table.push_back(BookOption{
      .name = "line-height",
      .option = "--line-height",
      .words = kNormalWide,
      .help = "Line height",
      .set = [](BookOptions* o,
                const std::string& w) { o->line_height = kLineHeights[Choose(w, kNormalWide)]; },
      .get =
          [](const BookOptions& o) { return WordOf(o.line_height, kNormalWide, kLineHeights); }});
  table.push_back(BookOption{
      .name = "font-size",
      .option = "--font-size",
      .words = kFontSizes,
      .help = "Font size",
      .set = [](BookOptions* o,
                const std::string& w) { o->font_size = kFontSizeValues[Choose(w, kFontSizes)]; },
      .get =
          [](const BookOptions& o) { return WordOf(o.font_size, kFontSizes, kFontSizeValues); }});
  table.push_back(BookOption{
      .name = "bold",
      .flags = {{"--bold", "on", "Bold text"}},
      .words = kOffOn,
      .set = [](BookOptions* o, const std::string& w) { o->bold = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return OnOff(o.bold); }});
  table.push_back(BookOption{
      .name = "chapters",
      .flags = {{"--no-chapters", "off", "Do not recognise chapters"}},
      .words = kOnOff,
      .set = [](BookOptions* o, const std::string& w) { o->chapters = Choose(w, kOnOff) == 0; },
      .get = [](const BookOptions& o) { return OnOff(o.chapters); }});
  table.push_back(BookOption{
      .name = "filename-chapters",
      .flags = {{"--filename-chapters", "on",
                 "With several sources, title each source's chapter by its file name"}},
      .words = kOffOn,
      .set = [](BookOptions* o,
                const std::string& w) { o->file_name_chapters = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return OnOff(o.file_name_chapters); }});
  table.push_back(
      BookOption{.name = "font",
                 .option = "--font",
                 .kind = OptionKind::kPath,
                 .placeholder = "FILE",
                 .extensions = {"ttf"},
                 .help = "TrueType or OpenType font file (or a collection) to embed",
                 .set = [](BookOptions* o, const std::string& w) { o->font = FromUtf8Escaped(w); },
                 .get = [](const BookOptions& o) { return ToUtf8(o.font); }});
  table.push_back(BookOption{
      .name = "cover",
      .option = "--cover",
      .kind = OptionKind::kPath,
      .placeholder = "FILE|drawn|none",
      .extensions = {"jpg", "jpeg", "png"},
      .help = "Cover picture (JPEG or PNG) shown first in the book; drawn (the default): a cover "
              "drawn from title and author; none: no cover (a file of either name: ./none)",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->cover.clear();
            o->draw_cover = w != kNoCover;
            if (w != kNoCover && w != kDrawnCover) o->cover = FromUtf8Escaped(w);
          },
      .get =
          [](const BookOptions& o) {
            if (!o.cover.empty()) return ToUtf8(o.cover);
            return std::string(o.draw_cover ? "" : kNoCover);
          }});
  table.push_back(BookOption{
      .name = "chapter-rule",
      .option = "--chapter-rule",
      .words = kChapterRules,
      .help = "smart (default): short lines that open with a chapter marker and read as "
              "headings, chosen by the series the book's headings form; classic: every line in "
              "which the built-in pattern (第…章, 第…回, 卷…, 序…) matches",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->chapter_rule = static_cast<ChapterRule>(Choose(w, kChapterRules));
          },
      .get = [](const BookOptions& o) { return EnumWord(o.chapter_rule, kChapterRules); }});
  table.push_back(BookOption{
      .name = "chapter-pattern",
      .option = "--chapter-pattern",
      .kind = OptionKind::kText,
      .placeholder = "EXPR",
      .help = "A line is a chapter heading when this expression matches anywhere in it (instead "
              "of the chapter rule)",
      .set = [](BookOptions* o, const std::string& w) { o->chapter_pattern = PatternOf(w); },
      .get = [](const BookOptions& o) { return PatternWord(o.chapter_pattern); }});
  table.push_back(BookOption{
      .name = "volumes",
      .flags = {{"--volumes", "on",
                 "Volume lines (第…卷, 卷…; with the smart rule also 第…部, 上篇, …) open "
                 "volumes, which hold the chapters after them in the table of contents; the "
                 "smart rule does so by itself where the volumes hold the chapters"},
                {"--no-volumes", "off",
                 "No volume level: the smart rule's volume lines are chapters"}},
      .words = kVolumes,
      .set =
          [](BookOptions* o, const std::string& w) {
            o->volumes = static_cast<VolumeChoice>(Choose(w, kVolumes));
          },
      .get = [](const BookOptions& o) { return EnumWord(o.volumes, kVolumes); }});
  table.push_back(BookOption{
      .name = "volume-pattern",
      .option = "--volume-pattern",
      .kind = OptionKind::kText,
      .placeholder = "EXPR",
      .help = "A line, trimmed of blanks, opens a volume when this expression matches anywhere "
              "in it; implies --volumes",
      .set = [](BookOptions* o, const std::string& w) { o->volume_pattern = PatternOf(w); },
      .get = [](const BookOptions& o) { return PatternWord(o.volume_pattern); }});
  table.push_back(BookOption{
      .name = "language",
      .option = "--language",
      .kind = OptionKind::kText,
      .words = kLanguages,
      .placeholder = "TAG",
      .help = "Language of the book as a BCP 47 tag (zh, zh-Hant, ja, ...), or auto to choose "
              "zh, ja, ko or en by the text's scripts (default: auto)",
      .set =
          [](BookOptions* o, const std::string& w) {
            const std::u16string tag = StrictText(w);
            // "auto" in any letter case asks for the guess; as a tag it would be a reserved
            // language.
            if (EqualsIgnoringAsciiCase(tag, kLanguageFromText)) {
              o->language = std::u16string(kLanguageFromText);
              return;
            }
            if (!IsWellFormedLanguageTag(tag)) {
              std::string message = "\"";
              message += w;
              message += "\" is not a well-formed BCP 47 language tag";
              throw BookOptionError(message);
            }
            o->language = tag;
          },
      .get = [](const BookOptions& o) { return ToUtf8(o.language); }});
  table.push_back(BookOption{
      .name = "heading-style",
      .option = "--heading-style",
      .words = kHeadingStyles,
      .help = "plain: chapter and volume lines are paragraphs like any other; title: they are "
              "bold, centred headings without the blanks at their ends",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->heading_style = static_cast<HeadingStyle>(Choose(w, kHeadingStyles));
          },
      .get = [](const BookOptions& o) { return EnumWord(o.heading_style, kHeadingStyles); }});
  table.push_back(BookOption{
      .name = "indent",
      .option = "--indent",
      .words = kIndents,
      .help = "Indent the first line of every paragraph by this many em, leaving out the blanks "
              "the line starts with",
      .set =
          [](BookOptions* o, const std::string& w) {
            if (w.empty()) {
              o->indent.reset();
              return;
            }
            const auto at = std::find(kIndents.begin() + 1, kIndents.end(), w);
            if (at == kIndents.end()) {
              std::string message = "a whole number from ";
              message += kIndents[1];
              message += " to ";
              message += kIndents.back();
              message += " is expected, not \"";
              message += w;
              message += "\"";
              throw BookOptionError(message);
            }
            o->indent = static_cast<int32_t>(at - kIndents.begin() - 1);
          },
      .get =
          [](const BookOptions& o) {
            return o.indent ? std::to_string(*o.indent) : std::string();
          }});
  table.push_back(BookOption{
      .name = "blank-lines",
      .option = "--blank-lines",
      .words = kBlankLines,
      .help = "Lines of nothing but blanks: keep: each an empty paragraph; single: one empty "
              "paragraph for a run of them; none: left out",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->blank_lines = static_cast<BlankLines>(Choose(w, kBlankLines));
          },
      .get = [](const BookOptions& o) { return EnumWord(o.blank_lines, kBlankLines); }});
  table.push_back(BookOption{
      .name = "epub3",
      .flags = {{"--epub3", "on",
                 "Write an EPUB 3 book (with an EPUB 2 table of contents for older readers)"}},
      .words = kOffOn,
      .set = [](BookOptions* o, const std::string& w) { o->epub3 = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return OnOff(o.epub3); }});
  table.push_back(BookOption{
      .name = "chinese",
      .option = "--chinese",
      .words = kChinese,
      .help = "Turn the text, titles and names into the other Chinese script with OpenCC: s2t "
              "Simplified to Traditional, t2s back, s2tw/tw2s Taiwan, s2twp/tw2sp Taiwan with "
              "its phrases, s2hk/hk2s Hong Kong; the language follows unless --language is "
              "given",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->chinese = static_cast<ChineseConversion>(Choose(w, kChinese));
          },
      .get = [](const BookOptions& o) { return EnumWord(o.chinese, kChinese); }});
  table.push_back(BookOption{
      .name = "vertical",
      .flags = {{"--vertical", "on",
                 "Set the book top to bottom, right to left (an EPUB 3 book; implies --epub3)"}},
      .words = kOffOn,
      .set = [](BookOptions* o, const std::string& w) { o->vertical = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return OnOff(o.vertical); }});
  table.push_back(BookOption{
      .name = "contents-page",
      .flags = {{"--contents-page", "on",
                 "A page after the cover listing every chapter (and volume) with its link"}},
      .words = kOffOn,
      .set = [](BookOptions* o,
                const std::string& w) { o->contents_page = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return OnOff(o.contents_page); }});
  return table;
}

}  // namespace

const std::vector<BookOption>& BookOptionTable() {
  static const std::vector<BookOption> table = MakeTable();
  return table;
}

std::string BookOption::ValueText() const {
  if (kind != OptionKind::kChoice) return std::string(placeholder);
  std::string text;
  for (std::string_view word : words) {
    if (word.empty()) continue;
    if (!text.empty()) text += '|';
    text += word;
  }
  return text;
}

void CheckBookOptions(const BookOptions& options) {
  for (const BookOption& option : BookOptionTable()) {
    if (option.kind == OptionKind::kPath) continue;
    const std::string word = option.get(options);
    BookOptions again = options;
    std::string problem;
    try {
      option.set(&again, word);
      if (again != options) problem = "\"" + word + "\" stands for another value than it holds";
    } catch (const BookOptionError& error) {
      problem = error.what();
    }
    if (!problem.empty()) {
      throw std::invalid_argument("Book option " + std::string(option.name) + ": " + problem + ".");
    }
  }
}

std::string ExpressionProblem(std::u16string_view expression) {
  try {
    CheckPattern(std::u16string(expression));
  } catch (const BookOptionError& error) {
    return error.what();
  }
  return {};
}

const BookOption& FindBookOption(std::string_view name) {
  for (const BookOption& option : BookOptionTable()) {
    if (option.name == name) return option;
  }
  throw std::out_of_range("no book option " + std::string(name));
}

std::vector<std::string> OptionArguments(const BookOptions& options) {
  std::vector<std::string> arguments;
  // What the child has before each option: the defaults, as the arguments so far change them
  // (--classic, first, chooses for several).
  BookOptions child;
  for (const BookOption& option : BookOptionTable()) {
    const std::string word = option.get(options);
    if (word == option.get(child)) continue;
    option.set(&child, word);
    const auto flag = std::find_if(option.flags.begin(), option.flags.end(),
                                   [&word](const OptionFlag& f) { return f.word == word; });
    if (flag != option.flags.end()) {
      if (option.chooses != nullptr) option.chooses(&child);
      arguments.emplace_back(flag->flag);
      continue;
    }
    std::string argument(option.option);
    argument += '=';
    argument += word;
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace quireforge
