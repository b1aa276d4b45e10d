// What the build makes from quireforge-cli's command-line definition, so that they always
// say what --help says: the bash completion script (the options, the words of each option
// that takes a choice, the files each file option takes) and the OPTIONS section of the man
// page (roff, ASCII). Pure functions; one thread.
#ifndef QUIREFORGE_CLI_CLIDOCUMENTS_H_
#define QUIREFORGE_CLI_CLIDOCUMENTS_H_

#include <string>
#include <string_view>

namespace quireforge {

class CliDefinition;

std::string BashCompletion(const CliDefinition& definition);
std::string ManPageOptions(const CliDefinition& definition);

// `text` as roff text: backslashes, hyphens and characters beyond ASCII escaped, and a line
// that would begin with a control character guarded.
std::string RoffText(std::string_view text);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_CLIDOCUMENTS_H_
