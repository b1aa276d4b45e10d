// How quireforge-cli prints text that may hold control characters (titles from sources, file
// names), so that what it prints can neither forge a line for a script nor drive a terminal.
// Control characters become escapes: TAB, LF and CR "\t", "\n" and "\r"; the other C0
// controls and DEL "\xHH"; the C1 controls and the line and paragraph separators U+2028 and
// U+2029 "\uHHHH" (hexadecimal digits in lower case); bytes that are not UTF-8 (a file name
// in another encoding) "\xHH" as well. Pure functions on UTF-8; any thread.
#ifndef QUIREFORGE_CLI_ESCAPEDTEXT_H_
#define QUIREFORGE_CLI_ESCAPEDTEXT_H_

#include <string>
#include <string_view>

namespace quireforge {

// `text` as one line that reads back unambiguously: every control character escaped, and a
// backslash written "\\". For the chapter list on stdout.
std::string EscapedLine(std::string_view text);

// `text` with every control character but LF escaped; a backslash stays as it is. For
// messages, whose line breaks are the caller's to place.
std::string EscapedForTerminal(std::string_view text);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_ESCAPEDTEXT_H_
