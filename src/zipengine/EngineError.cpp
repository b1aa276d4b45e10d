#include "zipengine/EngineError.h"

#include <string.h>

namespace quireforge {

std::string SystemReason(int error_number) {
  char buffer[256];
  // The GNU strerror_r returns the text, which may or may not live in `buffer`.
  return strerror_r(error_number, buffer, sizeof(buffer));
}

}  // namespace quireforge
