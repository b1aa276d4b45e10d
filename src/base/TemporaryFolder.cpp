#include "base/TemporaryFolder.h"

#include <stdlib.h>

namespace quireforge {

std::string TemporaryFolderPath() {
  for (const char* variable : {"TEMP", "TMPDIR", "XDG_RUNTIME_DIR"}) {
    const char* value = getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "/tmp";
}

}  // namespace quireforge
