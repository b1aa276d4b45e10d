#include "cli/MessageOutput.h"

#include <stdio.h>
#include <unistd.h>

#include <algorithm>

#include "cli/EscapedText.h"

namespace quireforge {

bool StderrIsTerminal() {
  static const bool terminal = isatty(STDERR_FILENO) == 1;
  return terminal;
}

void PrintMessage(const std::string& text) {
  // A line feed (in a file name) is shown as the escape "\n" too: the message stays one line.
  std::string line;
  for (const char c : EscapedForTerminal(text)) {
    if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  fprintf(stderr, "%squireforge-cli: %s\n", StderrIsTerminal() ? "\r\033[K" : "", line.c_str());
  fflush(stderr);
}

}  // namespace quireforge
