#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <iostream>
#include <utility>

namespace quireforge {

namespace {

using Choices = std::vector<std::pair<std::string, int>>;

const Choices kMargins = {{"normal", 2}, {"wide", 5}};
const Choices kLineHeights = {{"normal", 100}, {"wide", 120}};
const Choices kFontSizes = {{"large", 110}, {"middle", 105}, {"small", 100}};

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
    "Turns plain-text books into EPUB 2.0 books. Several SOURCE files make one book, each\n"
    "source a chapter of its own; with --each every SOURCE becomes a book of its own.";

constexpr const char* kFooter =
    "Exit status: 0 when every book was written, 1 when a book failed, 2 for bad usage.\n"
    "Examples:\n"
    "  quireforge-cli novel.txt                      writes novel.epub beside novel.txt\n"
    "  quireforge-cli -t Title -a Author -o out.epub part1.txt part2.txt\n"
    "  quireforge-cli --each -j 4 books/*.txt        one book per source, four at once";

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
  app.add_option("-a,--author", options->author, "Book author");
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
  app.add_flag("--no-chapters", options->no_chapters, "Do not recognise chapters");
  app.add_flag("--filename-chapters", options->filename_chapters,
               "With several sources, title each source's chapter by its file name");
  app.add_option("--font", options->font, "TrueType font file to embed");
  app.add_option("--codepage", options->codepage,
                 "Code page of sources that have no mark and are not UTF-8; auto: found in "
                 "each source (default: QUIREFORGE_CODEPAGE, else auto)");
  auto* list = app.add_flag("--list-chapters", options->list_chapters,
                            "Print the chapter list instead of writing the book");
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

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : kExitUsage;
  }
  if (options->title && options->title->empty()) {
    std::cerr << "--title: the title must not be empty\n"
              << "Run with --help for more information.\n";
    return kExitUsage;
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
  if (!options.author.empty()) arguments.push_back("--author=" + options.author);
  if (options.bold) arguments.push_back("--bold");
  if (options.no_chapters) arguments.push_back("--no-chapters");
  if (options.filename_chapters) arguments.push_back("--filename-chapters");
  if (!options.font.empty()) arguments.push_back("--font=" + options.font);
  if (options.codepage) arguments.push_back("--codepage=" + *options.codepage);
  arguments.insert(arguments.end(), {"--", source});
  return arguments;
}

}  // namespace quireforge
