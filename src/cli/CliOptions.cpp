#include "cli/CliOptions.h"

#include <iostream>
#include <sstream>
#include <string_view>
#include <utility>

#include "cli/CliDefinition.h"
#include "cli/EscapedText.h"
#include "conversion/BookOptionTable.h"

namespace quireforge {

namespace {

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
  std::cerr << option << (option.empty() ? "" : ": ") << text << "\n"
            << "Run with --help for more information.\n";
  return kExitUsage;
}

std::optional<int> ParseCliOptions(int argc, char** argv, CliOptions* options) {
  CliDefinition definition(options);
  try {
    definition.App().parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      definition.App().exit(error, std::cout, std::cerr);  // --help, --version
      return 0;
    }
    // A refused value is quoted in the message: its control characters must not reach the
    // terminal as they are.
    return ReportUsageError("", EscapedForTerminal(UsageText(error, definition.App())));
  }
  return definition.Finish();
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
