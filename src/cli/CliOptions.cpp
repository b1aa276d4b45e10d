#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
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
    "  quireforge-cli --epub3 --heading-style title --indent 2 novel.txt";

// A usage error: "<option>: <what is expected>" (or `text` alone when `option` is empty) and
// a line pointing to --help.
int UsageError(const std::string& option, const std::string& text) {
  std::cerr << option << (option.empty() ? "" : ": ") << text << "\n"
            << "Run with --help for more information.\n";
  return kExitUsage;
}

// The words after `mark` in `text`; empty when `text` does not hold `mark`.
std::string After(const std::string& text, std::string_view mark) {
  const size_t at = text.find(mark);
  return at == std::string::npos ? std::string() : text.substr(at + mark.size());
}

// CLI11's verdict on a wrong command line, said as every usage message of the program says
// it: the option, ": " and what is expected there.
std::string UsageText(const CLI::ParseError& error, const CLI::App& app) {
  const std::string text = error.what();
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr && text.rfind("SOURCE", 0) == 0) {
    return "SOURCE: at least one source text file is expected";
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    const std::string name = text.substr(0, text.find(':'));
    const CLI::Option* option = app.get_option_no_throw(name);
    if (option != nullptr && option->get_expected_max() == 0) {
      return name + ": this flag takes no value";
    }
    const std::string words = option == nullptr ? std::string() : option->get_option_text();
    return name + ": a value is expected after it" + (words.empty() ? "" : " (" + words + ")");
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    // CLI11 lists them last first.
    std::vector<std::string> extras;
    std::istringstream words(After(text, ": "));
    for (std::string word; words >> word;) extras.insert(extras.begin(), word);
    std::string names;
    for (const std::string& extra : extras) names += (names.empty() ? "" : ", ") + extra;
    return names + (extras.size() > 1 ? ": no such options" : ": no such option");
  }
  if (dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr) {
    const size_t at = text.find(" excludes ");
    if (at != std::string::npos) {
      return text.substr(0, at) + ": not with " + text.substr(at + 10) + "; give one of them";
    }
  }
  if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr) {
    // A flag given a value: "Could not convert: --epub3 = x".
    const std::string given = After(text, "Could not convert: ");
    const size_t equals = given.find(" = ");
    if (equals != std::string::npos) {
      return given.substr(0, equals) + ": this flag takes no value, not \"" +
             given.substr(equals + 3) + "\"";
    }
  }
  return text;
}

}  // namespace

int ReportUsageError(const std::string& option, const std::string& text) {
  return UsageError(option, text);
}

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
  // Every book option, as the option table has it: its option taking a word, its flags.
  std::map<std::string_view, std::string> words;
  std::map<std::string_view, CLI::Option*> given;
  struct FlagGiven {
    const BookOption* option;
    const OptionFlag* flag;
    bool set = false;
  };
  std::vector<FlagGiven> flags;
  for (const BookOption& option : BookOptionTable()) {
    if (!option.option.empty()) {
      given[option.option] =
          app.add_option(std::string(option.option), words[option.name], std::string(option.help))
              ->option_text(option.ValueText());
    }
    for (const OptionFlag& flag : option.flags) flags.push_back(FlagGiven{&option, &flag});
  }
  // Bound once the list is complete, so that no flag's place moves.
  for (FlagGiven& flag : flags) {
    given[flag.flag->flag] =
        app.add_flag(std::string(flag.flag->flag), flag.set, std::string(flag.flag->help));
  }
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
  app.add_flag("-q,--quiet", options->quiet,
               "Errors only: no progress, no finished books, no code page or chapter notes");
  // For the child processes of --each, whose parent shows progress and finished books.
  app.add_flag("--no-progress", options->no_progress)->group("");

  each->excludes(output);
  each->excludes(title);
  each->excludes(list);
  given["--chapter-pattern"]->excludes(given["--no-chapters"]);
  given["--chapter-pattern"]->excludes(given["--chapter-rule"]);
  given["--no-volumes"]->excludes(given["--volumes"]);
  given["--no-volumes"]->excludes(given["--volume-pattern"]);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      app.exit(error, std::cout, std::cerr);  // --help, --version
      return 0;
    }
    // A refused value is quoted in the message: its control characters must not reach the
    // terminal as they are.
    return UsageError("", EscapedForTerminal(UsageText(error, app)));
  }
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
  if (output->count() > 0 && options->output.empty()) {
    return UsageError("--output", "the target must not be empty");
  }
  // A title that nothing of would show once written (blanks, control characters) is as
  // empty as no title.
  if (options->title && IsEmptyAsXmlText(FromUtf8(*options->title))) {
    return UsageError("--title", "the title must not be empty");
  }
  // The book options, each checked by the table: flags first, then the options with words.
  for (const FlagGiven& flag : flags) {
    if (flag.set) flag.option->set(&options->book, std::string(flag.flag->word));
  }
  for (const BookOption& option : BookOptionTable()) {
    if (option.option.empty() || given[option.option]->count() == 0) continue;
    const std::string& word = words[option.name];
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

std::vector<std::string> SingleBookArguments(const CliOptions& options, const std::string& source) {
  std::vector<std::string> arguments = {options.quiet ? "--quiet" : "--no-progress"};
  // "--name=value" keeps a value that begins with "-" from being taken for an option.
  if (options.author && options.author->empty()) {
    // "--author=" alone would take the next argument as its value.
    arguments.insert(arguments.end(), {"--author", ""});
  } else if (options.author) {
    arguments.push_back("--author=" + *options.author);
  }
  for (std::string& argument : OptionArguments(options.book)) {
    arguments.push_back(std::move(argument));
  }
  if (options.codepage) arguments.push_back("--codepage=" + *options.codepage);
  arguments.insert(arguments.end(), {"--", source});
  return arguments;
}

}  // namespace quireforge
