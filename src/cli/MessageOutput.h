// How quireforge-cli speaks on stderr: every message is one line "quireforge-cli: <text>".
// On a terminal the line first erases whatever progress bar stands on the current line
// (its own or that of the parent process of --each). Free functions; main thread only.
#ifndef QUIREFORGE_CLI_MESSAGEOUTPUT_H_
#define QUIREFORGE_CLI_MESSAGEOUTPUT_H_

#include <string>

namespace quireforge {

// True when stderr is a terminal (asked once).
bool StderrIsTerminal();

// Prints "quireforge-cli: <text>" and a line break on stderr; control characters inside
// `text`, line feeds among them, become escapes (EscapedText.h; "\n" for a line feed), so that
// a file name can never send a terminal a command nor make two lines of one message.
void PrintMessage(const std::string& text);

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_MESSAGEOUTPUT_H_
