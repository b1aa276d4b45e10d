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
  std::string line = EscapedForTerminal(text);
  std::replace(line.begin(), line.end(), '\n', ' ');
  while (!line.empty() && line.back() == ' ') line.pop_back();
  fprintf(stderr, "%squireforge-cli: %s\n", StderrIsTerminal() ? "\r\033[K" : "", line.c_str());
  fflush(stderr);
}

}  // namespace quireforge
