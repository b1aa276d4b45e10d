#include "archive/ArchiveMessages.h"

#include <algorithm>

#include "archive/ArchiveDefaultMessages.h"

namespace quireforge {

std::string ArchiveMessage(int32_t code) {
  auto table = ArchiveDefaultMessages();
  auto found = std::lower_bound(
      table.begin(), table.end(), code,
      [](const ArchiveMessageEntry& entry, int32_t wanted) { return entry.code < wanted; });
  if (found == table.end() || found->code != code) {
    return "Resource missing for " + std::to_string(code);
  }
  return found->text;
}

std::string FormatArchiveMessage(int32_t code, std::initializer_list<std::string> arguments) {
  const std::string format = ArchiveMessage(code);
  std::string text;
  auto next = arguments.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    char kind = i + 1 < format.size() ? format[i + 1] : '\0';
    if (format[i] == '%' && (kind == 's' || kind == 'd' || kind == 'X') &&
        next != arguments.end()) {
      text += *next++;
      ++i;
    } else {
      text += format[i];
    }
  }
  return text;
}

}  // namespace quireforge
