#include "cli/CliDefinition.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <string>
#include <utility>

#include "base/Utf.h"
#include "cli/EscapedText.h"
#include "conversion/BookOptionTable.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

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
    "  quireforge-cli --epub3 --heading-style title --indent 2 novel.txt\n"
    "  quireforge-cli --chinese s2tw --vertical --contents-page novel.txt\n"
    "  quireforge-cli --classic novel.txt            the book earlier versions wrote";

// A usage error found after parsing: printed as CLI11 prints its own.
int UsageError(const std::string& option, const std::string& text) {
  std::cerr << option << ": " << text << "\n"
            << "Run with --help for more information.\n";
  return kExitUsage;
}

}  // namespace

CliDefinition::CliDefinition(CliOptions* options)
    : options_(options), app_(kDescription, "quireforge-cli") {
  app_.footer(kFooter);
  app_.set_version_flag("--version", "quireforge-cli " QUIREFORGE_VERSION);

  app_.add_option("SOURCE", options->sources, "Source text file(s)")->required();
  output_ = app_.add_option("-o,--output", options->output,
                            "Target .epub (default: the first source with its extension replaced)");
  auto* title = app_.add_option("-t,--title", options->title,
                                "Book title (default: the source's file name without extension)");
  app_.add_option("-a,--author", options->author,
                  "Book author (default: the one the source's file name names after 作者)");
  // Every book option, as the option table has it: its option taking a word (its help with
  // the default word, unless the help names it), its flags.
  for (const BookOption& option : BookOptionTable()) {
    if (!option.option.empty()) {
      std::string help(option.help);
      const std::string default_word = option.DefaultWord();
      if (!default_word.empty() && help.find("default") == std::string::npos) {
        help += " (default: " + default_word + ")";
      }
      given_[option.option] = app_.add_option(std::string(option.option), words_[option.name], help)
                                  ->option_text(option.ValueText());
    }
    for (const OptionFlag& flag : option.flags) flags_.push_back(FlagGiven{&option, &flag});
  }
  // Bound once the list is complete, so that no flag's place moves.
  for (FlagGiven& flag : flags_) {
    given_[flag.flag->flag] =
        app_.add_flag(std::string(flag.flag->flag), flag.set, std::string(flag.flag->help));
  }
  app_.add_option("--codepage", options->codepage,
                  "Code page of sources that have no mark and are not UTF-8 (or UTF-16LE or "
                  "UTF-16BE for every source without a mark); auto: found in each source "
                  "(default: QUIREFORGE_CODEPAGE, else auto)");
  auto* list = app_.add_flag("--list-chapters", options->list_chapters,
                             "Print the chapter list instead of writing the book, one entry "
                             "\"ch_N.html=title\" per line");
  auto* each =
      app_.add_flag("--each", options->each, "Make every SOURCE a book of its own, beside it");
  app_.add_option("-j,--jobs", options->jobs,
                  "Books converted at once with --each (default: all cores)")
      ->check(CLI::Validator(
          [](std::string& word) {
            const bool digits = !word.empty() && word.size() <= 4 &&
                                std::all_of(word.begin(), word.end(), [](char c) {
                                  return std::isdigit(static_cast<unsigned char>(c)) != 0;
                                });
            if (digits && std::stoi(word) >= 1 && std::stoi(word) <= 1024) return std::string();
            return "a whole number from 1 to 1024 is expected, not \"" + word + "\"";
          },
          "1..1024"));
  app_.add_flag("-q,--quiet", options->quiet,
                "Errors only: no progress, no finished books, no code page or chapter notes");
  // For the child processes of --each, whose parent shows progress and finished books.
  app_.add_flag("--no-progress", options->no_progress)->group("");

  each->excludes(output_);
  each->excludes(title);
  each->excludes(list);
  given_["--chapter-pattern"]->excludes(given_["--no-chapters"]);
  given_["--chapter-pattern"]->excludes(given_["--chapter-rule"]);
  given_["--no-volumes"]->excludes(given_["--volumes"]);
  given_["--no-volumes"]->excludes(given_["--volume-pattern"]);
}

const BookOption* CliDefinition::BookOptionOf(const CLI::Option& option) const {
  for (const BookOption& book_option : BookOptionTable()) {
    if (!book_option.option.empty() && given_.at(book_option.option) == &option) {
      return &book_option;
    }
    for (const OptionFlag& flag : book_option.flags) {
      if (given_.at(flag.flag) == &option) return &book_option;
    }
  }
  return nullptr;
}

std::optional<int> CliDefinition::Finish() {
  CliOptions* options = options_;
  // Texts that become part of the book or search it must be UTF-8: another encoding would
  // turn into U+FFFD without a word (and an expression then match every line holding one).
  for (const auto& [option, text] :
       {std::pair{"--title", &options->title}, std::pair{"--author", &options->author}}) {
    std::u16string ignored;
    if (*text && !DecodeStrictUtf8(**text, &ignored)) {
      return UsageError(option, "\"" + EscapedLine(**text) + "\" is not valid UTF-8");
    }
  }
  // An empty target names no file, as an empty source does not.
  if (output_->count() > 0 && options->output.empty()) {
    return UsageError("--output", "the target must not be empty");
  }
  // A title that nothing of would show once written (blanks, control characters) is as
  // empty as no title.
  if (options->title && IsEmptyAsXmlText(FromUtf8(*options->title))) {
    return UsageError("--title", "the title must not be empty");
  }
  // The book options, each checked by the table: what a flag chooses for others (--classic)
  // first, then the flags, then the options with words, which may change those choices again.
  for (const FlagGiven& flag : flags_) {
    if (flag.set && flag.option->chooses != nullptr) flag.option->chooses(&options->book);
  }
  for (const FlagGiven& flag : flags_) {
    if (flag.set) flag.option->set(&options->book, std::string(flag.flag->word));
  }
  for (const BookOption& option : BookOptionTable()) {
    if (option.option.empty() || given_[option.option]->count() == 0) continue;
    const std::string& word = words_[option.name];
    // An empty word is the window's "none" of a choice, not something to type.
    if (word.empty() && option.kind == OptionKind::kChoice) {
      return UsageError(std::string(option.option), "a value is expected");
    }
    // An empty expression is no expression (the window's "none"); typed, it is refused as
    // the engine refuses it.
    if (word.empty() && option.kind == OptionKind::kText && option.DefaultWord().empty()) {
      if (const std::string problem = ExpressionProblem(u""); !problem.empty()) {
        return UsageError(std::string(option.option), problem);
      }
    }
    try {
      option.set(&options->book, word);
    } catch (const BookOptionError& error) {
      return UsageError(std::string(option.option), EscapedForTerminal(error.what()));
    }
  }
  // Several sources make one chapter each and are never searched for headings or volumes.
  if (options->sources.size() > 1 && !options->each) {
    if (options->book.volumes == VolumeChoice::kForce || options->book.volume_pattern) {
      return UsageError("--volumes",
                        "volumes are found in a single source; with several "
                        "sources each source is one chapter (use --each for one "
                        "book per source)");
    }
    if (options->book.chapter_pattern) {
      return UsageError("--chapter-pattern",
                        "headings are found in a single source; with several sources each source "
                        "is one chapter (use --each for one book per source)");
    }
  }
  return std::nullopt;
}

}  // namespace quireforge
