#include "conversion/BookOptionTable.h"

#include <algorithm>
#include <string>

#include "base/Utf.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternLineRule.h"
#include "conversion/JobParameters.h"
#include "conversion/LanguageTag.h"

namespace quireforge {

bool BookOptions::operator==(const BookOptions& other) const {
  return margin == other.margin && line_height == other.line_height &&
         font_size == other.font_size && bold == other.bold && chapters == other.chapters &&
         file_name_chapters == other.file_name_chapters && font == other.font &&
         cover == other.cover && chapter_rule == other.chapter_rule &&
         chapter_pattern == other.chapter_pattern && volumes == other.volumes &&
         volume_pattern == other.volume_pattern && language == other.language &&
         heading_style == other.heading_style && indent == other.indent &&
         blank_lines == other.blank_lines && epub3 == other.epub3;
}

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
      message += at >= expression.size() ? std::string(" (at its end)")
                                         : " (at character " + std::to_string(at + 1) + ")";
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
const std::vector<std::string_view> kIndents = {"", "0", "1", "2", "3", "4"};
const std::vector<std::string_view> kBlankLines = {"keep", "single", "none"};

constexpr int32_t kFontSizeValues[] = {110, 105, 100};

std::vector<BookOption> MakeTable() {
  std::vector<BookOption> table;
  table.push_back(BookOption{
      .name = "margin",
      .option = "--margin",
      .words = kNormalWide,
      .placeholder = "normal|wide",
      .help = "Page margin: normal or wide",
      .control = "ComboBox_PM",
      .set = [](BookOptions* o,
                const std::string& w) { o->margin = Choose(w, kNormalWide) ? 5 : 2; },
      .get = [](const BookOptions& o) { return std::string(o.margin == 5 ? "wide" : "normal"); }});
  table.push_back(BookOption{
      .name = "line-height",
      .option = "--line-height",
      .words = kNormalWide,
      .placeholder = "normal|wide",
      .help = "Line height: normal or wide",
      .control = "ComboBox_LH",
      .set = [](BookOptions* o,
                const std::string& w) { o->line_height = Choose(w, kNormalWide) ? 120 : 100; },
      .get =
          [](const BookOptions& o) {
            return std::string(o.line_height == 120 ? "wide" : "normal");
          }});
  table.push_back(BookOption{
      .name = "font-size",
      .option = "--font-size",
      .words = kFontSizes,
      .placeholder = "large|middle|small",
      .help = "Font size: large, middle or small",
      .control = "ComboBox_FS",
      .set = [](BookOptions* o,
                const std::string& w) { o->font_size = kFontSizeValues[Choose(w, kFontSizes)]; },
      .get =
          [](const BookOptions& o) {
            for (size_t i = 0; i < kFontSizes.size(); ++i) {
              if (o.font_size == kFontSizeValues[i]) return std::string(kFontSizes[i]);
            }
            return std::string("middle");
          }});
  table.push_back(BookOption{
      .name = "bold",
      .flags = {{"--bold", "on", "Bold text"}},
      .words = kOffOn,
      .control = "ComboBox_FW",
      .set = [](BookOptions* o, const std::string& w) { o->bold = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return std::string(o.bold ? "on" : "off"); }});
  table.push_back(BookOption{
      .name = "chapters",
      .flags = {{"--no-chapters", "off", "Do not recognise chapters"}},
      .words = kOnOff,
      .control = "CheckBox_NC",
      .set = [](BookOptions* o, const std::string& w) { o->chapters = Choose(w, kOnOff) == 0; },
      .get = [](const BookOptions& o) { return std::string(o.chapters ? "on" : "off"); }});
  table.push_back(BookOption{
      .name = "filename-chapters",
      .flags = {{"--filename-chapters", "on",
                 "With several sources, title each source's chapter by its file name"}},
      .words = kOffOn,
      .control = "CheckBox_PH",
      .set = [](BookOptions* o,
                const std::string& w) { o->file_name_chapters = Choose(w, kOffOn) == 1; },
      .get =
          [](const BookOptions& o) { return std::string(o.file_name_chapters ? "on" : "off"); }});
  table.push_back(
      BookOption{.name = "font",
                 .option = "--font",
                 .kind = OptionKind::kPath,
                 .placeholder = "FILE",
                 .help = "TrueType font file to embed",
                 .control = "Edit_UF",
                 .set = [](BookOptions* o, const std::string& w) { o->font = FromUtf8Escaped(w); },
                 .get = [](const BookOptions& o) { return ToUtf8(o.font); }});
  table.push_back(
      BookOption{.name = "cover",
                 .option = "--cover",
                 .kind = OptionKind::kPath,
                 .placeholder = "FILE",
                 .help = "Cover picture (JPEG or PNG) shown first in the book",
                 .control = "Edit_Cover",
                 .set = [](BookOptions* o, const std::string& w) { o->cover = FromUtf8Escaped(w); },
                 .get = [](const BookOptions& o) { return ToUtf8(o.cover); }});
  table.push_back(BookOption{
      .name = "chapter-rule",
      .option = "--chapter-rule",
      .words = kChapterRules,
      .placeholder = "smart|classic",
      .help = "smart (default): short lines that open with a chapter marker and read as "
              "headings, chosen by the series the book's headings form; classic: every line in "
              "which the built-in pattern (第…章, 第…回, 卷…, 序…) matches",
      .control = "ComboBox_ChapterRule",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->chapter_rule = static_cast<ChapterRule>(Choose(w, kChapterRules));
          },
      .get =
          [](const BookOptions& o) {
            return std::string(kChapterRules[static_cast<size_t>(o.chapter_rule)]);
          }});
  table.push_back(BookOption{
      .name = "chapter-pattern",
      .option = "--chapter-pattern",
      .kind = OptionKind::kText,
      .placeholder = "EXPR",
      .help = "A line is a chapter heading when this expression matches anywhere in it (instead "
              "of the chapter rule)",
      .control = "Edit_ChapterPattern",
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
      .control = "ComboBox_Volumes",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->volumes = static_cast<VolumeChoice>(Choose(w, kVolumes));
          },
      .get =
          [](const BookOptions& o) {
            return std::string(kVolumes[static_cast<size_t>(o.volumes)]);
          }});
  table.push_back(BookOption{
      .name = "volume-pattern",
      .option = "--volume-pattern",
      .kind = OptionKind::kText,
      .placeholder = "EXPR",
      .help = "A line (trimmed) opens a volume when this expression matches anywhere in it; "
              "implies --volumes",
      .control = "Edit_VolumePattern",
      .set = [](BookOptions* o, const std::string& w) { o->volume_pattern = PatternOf(w); },
      .get = [](const BookOptions& o) { return PatternWord(o.volume_pattern); }});
  table.push_back(BookOption{
      .name = "language",
      .option = "--language",
      .kind = OptionKind::kText,
      .placeholder = "TAG",
      .help = "Language of the book as a BCP 47 tag (zh, zh-Hant, ja, ...), or auto to choose "
              "zh, ja, ko or en by the text's scripts (default: auto)",
      .control = "ComboBox_Language",
      .set =
          [](BookOptions* o, const std::string& w) {
            const std::u16string tag = StrictText(w);
            // "auto" in any letter case asks for the guess; as a tag it would be a reserved
            // language.
            std::u16string lower = tag;
            for (char16_t& c : lower) c = c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
            if (lower == kLanguageFromText) {
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
      .placeholder = "plain|title",
      .help = "plain: chapter and volume lines are paragraphs like any other; title: they are "
              "bold, centred headings",
      .control = "ComboBox_Headings",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->heading_style = static_cast<HeadingStyle>(Choose(w, kHeadingStyles));
          },
      .get =
          [](const BookOptions& o) {
            return std::string(kHeadingStyles[static_cast<size_t>(o.heading_style)]);
          }});
  table.push_back(BookOption{
      .name = "indent",
      .option = "--indent",
      .words = kIndents,
      .placeholder = "N",
      .help = "Indent the first line of every paragraph by N em (0 to 4), leaving out the "
              "blanks and ideographic spaces the line starts with",
      .control = "ComboBox_Indent",
      .set =
          [](BookOptions* o, const std::string& w) {
            if (w.empty()) {
              o->indent.reset();
              return;
            }
            const auto at = std::find(kIndents.begin() + 1, kIndents.end(), w);
            if (at == kIndents.end()) {
              std::string message = "a whole number from 0 to ";
              message += std::to_string(kMaxIndent);
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
      .placeholder = "keep|single|none",
      .help = "Blank lines of the text: keep: each an empty paragraph; single: one empty "
              "paragraph for a run of them; none: left out",
      .control = "ComboBox_BlankLines",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->blank_lines = static_cast<BlankLines>(Choose(w, kBlankLines));
          },
      .get =
          [](const BookOptions& o) {
            return std::string(kBlankLines[static_cast<size_t>(o.blank_lines)]);
          }});
  table.push_back(BookOption{
      .name = "epub3",
      .flags = {{"--epub3", "on",
                 "Write an EPUB 3 book (with an EPUB 2 table of contents for older readers)"}},
      .words = kOffOn,
      .control = "CheckBox_Epub3",
      .set = [](BookOptions* o, const std::string& w) { o->epub3 = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return std::string(o.epub3 ? "on" : "off"); }});
  return table;
}

}  // namespace

const std::vector<BookOption>& BookOptionTable() {
  static const std::vector<BookOption> table = MakeTable();
  return table;
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
  for (const BookOption& option : BookOptionTable()) {
    const std::string word = option.get(options);
    if (word == option.DefaultWord()) continue;
    const auto flag = std::find_if(option.flags.begin(), option.flags.end(),
                                   [&word](const OptionFlag& f) { return f.word == word; });
    if (flag != option.flags.end()) {
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
