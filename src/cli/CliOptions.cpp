#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <functional>
#include <iostream>
#include <sstream>
#include <utility>

#include "base/Utf.h"
#include "chapterhead/PatternEngineError.h"
#include "chapterhead/PatternLineRule.h"
#include "cli/EscapedText.h"
#include "conversion/JobParameters.h"
#include "conversion/LanguageTag.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

using Choices = std::vector<std::pair<std::string, int>>;

const Choices kMargins = {{"normal", 2}, {"wide", 5}};
const Choices kLineHeights = {{"normal", 100}, {"wide", 120}};
const Choices kFontSizes = {{"large", 110}, {"middle", 105}, {"small", 100}};
const Choices kChapterRules = {{"smart", static_cast<int>(ChapterRule::kSmart)},
                               {"classic", static_cast<int>(ChapterRule::kClassic)}};
const Choices kHeadingStyles = {{"plain", static_cast<int>(HeadingStyle::kPlain)},
                                {"title", static_cast<int>(HeadingStyle::kTitle)}};

// Turns one of the words of `choices` into its number; anything else is refused.
std::function<std::string(std::string)> ChoiceOf(const Choices& choices) {
  return [&choices](std::string word) {
    std::string words;
    for (const auto& [choice, number] : choices) {
      if (word == choice) return std::to_string(number);
      words += (words.empty() ? "" : ", ") + choice;
    }
    throw CLI::ValidationError("\"" + word + "\" is not one of " + words);
  };
}

std::string WordFor(const Choices& choices, int value) {
  for (const auto& [word, number] : choices) {
    if (number == value) return word;
  }
  return choices.front().first;
}

constexpr const char* kDescription =
    "Turns plain-text books into EPUB 2.0 books (EPUB 3 with --epub3). Several SOURCE files\n"
    "make one book, each source a chapter of its own; with --each every SOURCE becomes a book\n"
    "of its own.";

constexpr const char* kFooter =
    "Exit status: 0 when every book was written, 1 when a book failed, 2 for bad usage.\n"
    "--list-chapters writes control characters in titles as escapes, so that every entry is\n"
    "one line: \\t, \\n and \\r for TAB, LF and CR, \\xHH for the other C0 controls and DEL,\n"
    "\\uHHHH for U+0080-U+009F, U+2028 and U+2029, and \\\\ for a backslash itself.\n"
    "Examples:\n"
    "  quireforge-cli novel.txt                      writes novel.epub beside novel.txt\n"
    "  quireforge-cli -t Title -a Author -o out.epub part1.txt part2.txt\n"
    "  quireforge-cli --each -j 4 books/*.txt        one book per source, four at once\n"
    "  quireforge-cli --volumes --cover cover.jpg --language zh novel.txt\n"
    "  quireforge-cli --epub3 --heading-style title --indent 2 novel.txt";

constexpr const char* kGuessLanguage = "auto";

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// A usage error found after parsing: printed as CLI11 prints its own.
int UsageError(const std::string& option, const std::string& text) {
  std::cerr << option << ": " << text << "\n"
            << "Run with --help for more information.\n";
  return kExitUsage;
}

// The engine's own message when `expression` does not compile, said plainly where the
// engine's words mislead; empty when it compiles.
std::string PatternProblem(const std::string& expression) {
  const std::u16string text = FromUtf8(expression);
  try {
    PatternLineRule rule(text);
  } catch (const EPatternEngine& error) {
    if (error.ErrorCode() == kPatternLoopStackExceeded) {
      return std::string("counted repetitions ({n,m}) are nested more than ten deep (") +
             error.what() + ")";
    }
    // "(?i" at the end: a group of modifiers that the expression ends in.
    if (error.ErrorCode() == kPatternUnrecognizedModifier &&
        static_cast<size_t>(error.CompilerErrorPos()) == text.size()) {
      const size_t open = text.rfind(u"(?");
      return "the group \"" + ToUtf8(std::u16string_view(text).substr(open)) +
             "\" is not closed (" + error.what() + ")";
    }
    return error.what();
  }
  return {};
}

// Refuses `value` unless it is a whole number from `low` to `high`.
std::function<std::string(const std::string&)> WholeNumber(int low, int high) {
  return [low, high](const std::string& value) -> std::string {
    const bool digits =
        !value.empty() && value.size() <= 9 &&
        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits && std::stoi(value) >= low && std::stoi(value) <= high) return {};
    return "a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
           " is expected, not \"" + value + "\"";
  };
}

}  // namespace

std::optional<int> ParseCliOptions(int argc, char** argv, CliOptions* options) {
  CLI::App app(kDescription, "quireforge-cli");
  app.footer(kFooter);
  app.set_version_flag("--version", "quireforge-cli " QUIREFORGE_VERSION);

  app.add_option("SOURCE", options->sources, "Source text file(s)")->required();
  auto* output =
      app.add_option("-o,--output", options->output,
                     "Target .epub (default: the first source with its extension replaced)");
  auto* title = app.add_option("-t,--title", options->title,
                               "Book title (default: the source's file name without extension)");
  app.add_option("-a,--author", options->author,
                 "Book author (default: the one the source's file name names after 作者)");
  app.add_option("--margin", options->margin, "Page margin: normal or wide")
      ->transform(ChoiceOf(kMargins))
      ->option_text("normal|wide");
  app.add_option("--line-height", options->line_height, "Line height: normal or wide")
      ->transform(ChoiceOf(kLineHeights))
      ->option_text("normal|wide");
  app.add_option("--font-size", options->font_size, "Font size: large, middle or small")
      ->transform(ChoiceOf(kFontSizes))
      ->option_text("large|middle|small");
  app.add_flag("--bold", options->bold, "Bold text");
  auto* no_chapters =
      app.add_flag("--no-chapters", options->no_chapters, "Do not recognise chapters");
  app.add_flag("--filename-chapters", options->filename_chapters,
               "With several sources, title each source's chapter by its file name");
  auto* chapter_rule =
      app.add_option("--chapter-rule", options->chapter_rule,
                     "smart (default): short lines that open with a chapter marker and read as "
                     "headings, chosen by the series the book's headings form; classic: every "
                     "line in which the built-in pattern (第…章, 第…回, 卷…, 序…) matches")
          ->transform(ChoiceOf(kChapterRules))
          ->option_text("smart|classic");
  auto* chapter_pattern = app.add_option(
      "--chapter-pattern", options->chapter_pattern,
      "A line is a chapter heading when this expression matches anywhere in it (instead of "
      "the chapter rule)");
  auto* volumes =
      app.add_flag("--volumes", options->volumes,
                   "Volume lines (第…卷, 卷…; with the smart rule also 第…部, 上篇, …) open "
                   "volumes, which hold the chapters after them in the table of contents; the "
                   "smart rule does so by itself where the volumes hold the chapters");
  auto* volume_pattern =
      app.add_option("--volume-pattern", options->volume_pattern,
                     "A line (trimmed) opens a volume when this expression matches anywhere in it; "
                     "implies --volumes");
  auto* no_volumes = app.add_flag("--no-volumes", options->no_volumes,
                                  "No volume level: the smart rule's volume lines are chapters");
  app.add_option("--font", options->font, "TrueType font file to embed");
  app.add_option("--cover", options->cover, "Cover picture (JPEG or PNG) shown first in the book");
  app.add_option("--language", options->language,
                 "Language of the book as a BCP 47 tag (zh, zh-Hant, ja, ...), or auto to choose "
                 "zh, ja, ko or en by the text's scripts (default: en)");
  app.add_option("--heading-style", options->heading_style,
                 "plain: chapter and volume lines are paragraphs like any other; title: they are "
                 "bold, centred headings")
      ->transform(ChoiceOf(kHeadingStyles))
      ->option_text("plain|title");
  app.add_option("--indent", options->indent,
                 "Indent the first line of every paragraph by N em (0 to 4), leaving out the "
                 "blanks and ideographic spaces the line starts with")
      ->check(WholeNumber(0, kMaxIndent))
      ->option_text("N");
  app.add_flag("--epub3", options->epub3,
               "Write an EPUB 3 book (with an EPUB 2 table of contents for older readers)");
  app.add_option("--codepage", options->codepage,
                 "Code page of sources that have no mark and are not UTF-8 (or UTF-16LE or "
                 "UTF-16BE for every source without a mark); auto: found in each source "
                 "(default: QUIREFORGE_CODEPAGE, else auto)");
  auto* list = app.add_flag("--list-chapters", options->list_chapters,
                            "Print the chapter list instead of writing the book, one entry "
                            "\"ch_N.html=title\" per line");
  auto* each =
      app.add_flag("--each", options->each, "Make every SOURCE a book of its own, beside it");
  app.add_option("-j,--jobs", options->jobs,
                 "Books converted at once with --each (default: all cores)")
      ->check(CLI::Range(1, 1024));
  app.add_flag("-q,--quiet", options->quiet,
               "Errors only: no progress, no finished books, no code page or chapter notes");
  // For the child processes of --each, whose parent shows progress and finished books.
  app.add_flag("--no-progress", options->no_progress)->group("");

  each->excludes(output);
  each->excludes(title);
  each->excludes(list);
  chapter_pattern->excludes(no_chapters);
  chapter_pattern->excludes(chapter_rule);
  no_volumes->excludes(volumes);
  no_volumes->excludes(volume_pattern);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // A refused value is quoted in the message: its control characters must not reach the
    // terminal as they are.
    std::ostringstream message;
    const int status = app.exit(error, std::cout, message);
    std::cerr << EscapedForTerminal(message.str()) << std::flush;
    return status == 0 ? 0 : kExitUsage;
  }
  // Texts that become part of the book or search it must be UTF-8: another encoding would
  // turn into U+FFFD without a word (and an expression then match every line holding one).
  for (const auto& [option, text] :
       {std::pair{"--title", &options->title}, std::pair{"--author", &options->author},
        std::pair{"--chapter-pattern", &options->chapter_pattern},
        std::pair{"--volume-pattern", &options->volume_pattern},
        std::pair{"--language", &options->language}}) {
    std::u16string ignored;
    if (*text && !DecodeStrictUtf8(**text, &ignored)) {
      return UsageError(option, "\"" + EscapedLine(**text) + "\" is not valid UTF-8");
    }
  }
  // An empty target names no file, as an empty source does not.
  if (output->count() > 0 && options->output.empty()) {
    return UsageError("--output", "the target must not be empty");
  }
  // A title that nothing of would show once written (blanks, control characters) is as
  // empty as no title.
  if (options->title && IsEmptyAsXmlText(FromUtf8(*options->title))) {
    return UsageError("--title", "the title must not be empty");
  }
  for (const auto& [option, pattern] : {std::pair{"--chapter-pattern", &options->chapter_pattern},
                                        std::pair{"--volume-pattern", &options->volume_pattern}}) {
    if (!*pattern) continue;
    const std::string problem = PatternProblem(**pattern);
    if (!problem.empty()) return UsageError(option, problem);
  }
  if (options->volume_pattern) options->volumes = true;
  // Several sources make one chapter each and are never searched for headings or volumes.
  if (options->sources.size() > 1 && !options->each) {
    if (options->volumes) {
      return UsageError("--volumes",
                        "volumes are found in a single source; with several "
                        "sources each source is one chapter (use --each for one "
                        "book per source)");
    }
    if (options->chapter_pattern) {
      return UsageError("--chapter-pattern",
                        "headings are found in a single source; with several sources each source "
                        "is one chapter (use --each for one book per source)");
    }
  }
  // "auto" in any letter case asks for the guess; as a tag it would be a reserved language.
  if (options->language && EqualsIgnoringCase(*options->language, kGuessLanguage)) {
    options->language = kGuessLanguage;
  }
  if (options->language && *options->language != kGuessLanguage &&
      !IsWellFormedLanguageTag(FromUtf8(*options->language))) {
    return UsageError("--language",
                      "\"" + *options->language + "\" is not a well-formed BCP 47 language tag");
  }
  return std::nullopt;
}

std::vector<std::string> SingleBookArguments(const CliOptions& options, const std::string& source) {
  std::vector<std::string> arguments = {
      options.quiet ? "--quiet" : "--no-progress", "--margin",
      WordFor(kMargins, options.margin),           "--line-height",
      WordFor(kLineHeights, options.line_height),  "--font-size",
      WordFor(kFontSizes, options.font_size),
  };
  // "--name=value" keeps a value that begins with "-" from being taken for an option.
  if (options.author && options.author->empty()) {
    // "--author=" alone would take the next argument as its value.
    arguments.insert(arguments.end(), {"--author", ""});
  } else if (options.author) {
    arguments.push_back("--author=" + *options.author);
  }
  if (options.bold) arguments.push_back("--bold");
  if (options.no_chapters) arguments.push_back("--no-chapters");
  if (options.filename_chapters) arguments.push_back("--filename-chapters");
  if (!options.font.empty()) arguments.push_back("--font=" + options.font);
  if (options.chapter_pattern) {
    arguments.push_back("--chapter-pattern=" + *options.chapter_pattern);
  } else if (options.chapter_rule != ChapterRule::kSmart) {
    arguments.push_back("--chapter-rule=" +
                        WordFor(kChapterRules, static_cast<int>(options.chapter_rule)));
  }
  if (options.volume_pattern) {
    arguments.push_back("--volume-pattern=" + *options.volume_pattern);
  } else if (options.volumes) {
    arguments.push_back("--volumes");
  }
  if (options.no_volumes) arguments.push_back("--no-volumes");
  if (!options.cover.empty()) arguments.push_back("--cover=" + options.cover);
  if (options.language) arguments.push_back("--language=" + *options.language);
  if (options.heading_style != HeadingStyle::kPlain) {
    arguments.push_back("--heading-style=" +
                        WordFor(kHeadingStyles, static_cast<int>(options.heading_style)));
  }
  if (options.indent) arguments.push_back("--indent=" + std::to_string(*options.indent));
  if (options.epub3) arguments.push_back("--epub3");
  if (options.codepage) arguments.push_back("--codepage=" + *options.codepage);
  arguments.insert(arguments.end(), {"--", source});
  return arguments;
}

}  // namespace quireforge
