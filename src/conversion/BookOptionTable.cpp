#include "conversion/BookOptionTable.h"

#include <algorithm>
#include <string>

#include "base/Utf.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternLineRule.h"
#include "conversion/ChineseConverter.h"
#include "conversion/ClassicBook.h"
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
         blank_lines == other.blank_lines && epub3 == other.epub3 &&
         draw_cover == other.draw_cover && chinese == other.chinese && vertical == other.vertical &&
         contents_page == other.contents_page && classic == other.classic;
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

// The engine's own message when `expression` does not compile, said plainly where the
// engine's words mislead.
void CheckPattern(const std::u16string& expression) {
  try {
    PatternLineRule rule(expression);
  } catch (const EPatternEngine& error) {
    if (error.ErrorCode() == kPatternLoopStackExceeded) {
      std::string message = "counted repetitions ({n,m}) are nested more than ten deep (";
      message += error.what();
      message += ")";
      throw BookOptionError(message);
    }
    // "(?i" at the end: a group of modifiers that the expression ends in.
    if (error.ErrorCode() == kPatternUnrecognizedModifier &&
        static_cast<size_t>(error.CompilerErrorPos()) == expression.size()) {
      const size_t open = expression.rfind(u"(?");
      std::string message = "the group \"";
      message += ToUtf8(std::u16string_view(expression).substr(open));
      message += "\" is not closed (";
      message += error.what();
      message += ")";
      throw BookOptionError(message);
    }
    throw BookOptionError(error.what());
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
// "" is no conversion (the window's "none"); the others in the order of ChineseConversion.
const std::vector<std::string_view> kChinese = {"",      "s2t",   "t2s",  "s2tw", "tw2s",
                                                "s2twp", "tw2sp", "s2hk", "hk2s"};

// The cover's words beside a picture's path.
constexpr std::string_view kDrawnCover = "drawn";
constexpr std::string_view kNoCover = "none";

constexpr int32_t kFontSizeValues[] = {110, 105, 100};

std::vector<BookOption> MakeTable() {
  std::vector<BookOption> table;
  // First, so that every reader of the table sets it before the options it chooses for.
  table.push_back(BookOption{
      .name = "classic",
      .flags = {{"--classic", "on",
                 "The classic book, byte for byte: the classic chapter rule and language, no "
                 "drawn cover, no names from the text, the old style sheet (options given "
                 "beside it still count)"}},
      .words = kOffOn,
      .control = "CheckBox_Classic",
      .set =
          [](BookOptions* o, const std::string& w) {
            if (Choose(w, kOffOn) == 1) {
              ChooseClassicBook(o);
            } else {
              o->classic = false;
            }
          },
      .get = [](const BookOptions& o) { return std::string(o.classic ? "on" : "off"); }});
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
  table.push_back(BookOption{
      .name = "cover",
      .option = "--cover",
      .kind = OptionKind::kPath,
      .placeholder = "FILE|drawn|none",
      .help = "Cover picture (JPEG or PNG) shown first in the book; drawn (the default): a cover "
              "drawn from title and author; none: no cover (a file of either name: ./none)",
      .control = "Edit_Cover",
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
  table.push_back(BookOption{
      .name = "chinese",
      .option = "--chinese",
      .words = kChinese,
      .placeholder = "s2t|t2s|s2tw|tw2s|s2twp|tw2sp|s2hk|hk2s",
      .help = "Turn the text, titles and names into the other Chinese script with OpenCC: s2t "
              "Simplified to Traditional, t2s back, s2tw/tw2s Taiwan, s2twp/tw2sp Taiwan with "
              "its phrases, s2hk/hk2s Hong Kong; the language follows unless --language is "
              "given",
      .control = "ComboBox_Chinese",
      .set =
          [](BookOptions* o, const std::string& w) {
            o->chinese = static_cast<ChineseConversion>(Choose(w, kChinese));
          },
      .get =
          [](const BookOptions& o) {
            return std::string(kChinese[static_cast<size_t>(o.chinese)]);
          }});
  table.push_back(BookOption{
      .name = "vertical",
      .flags = {{"--vertical", "on",
                 "Set the book top to bottom, right to left (an EPUB 3 book; implies --epub3)"}},
      .words = kOffOn,
      .control = "CheckBox_Vertical",
      .set = [](BookOptions* o, const std::string& w) { o->vertical = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return std::string(o.vertical ? "on" : "off"); }});
  table.push_back(BookOption{
      .name = "contents-page",
      .flags = {{"--contents-page", "on",
                 "A page after the cover listing every chapter (and volume) with its link"}},
      .words = kOffOn,
      .control = "CheckBox_ContentsPage",
      .set = [](BookOptions* o,
                const std::string& w) { o->contents_page = Choose(w, kOffOn) == 1; },
      .get = [](const BookOptions& o) { return std::string(o.contents_page ? "on" : "off"); }});
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
