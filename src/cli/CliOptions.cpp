#include "cli/CliOptions.h"

#include <iostream>
#include <sstream>
#include <utility>

#include "cli/CliDefinition.h"
#include "cli/EscapedText.h"
#include "conversion/BookOptionTable.h"

namespace quireforge {

std::optional<int> ParseCliOptions(int argc, char** argv, CliOptions* options) {
  CliDefinition definition(options);
  try {
    definition.App().parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // A refused value is quoted in the message: its control characters must not reach the
    // terminal as they are.
    std::ostringstream message;
    const int status = definition.App().exit(error, std::cout, message);
    std::cerr << EscapedForTerminal(message.str()) << std::flush;
    return status == 0 ? 0 : kExitUsage;
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
