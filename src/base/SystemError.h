// The system's text for an errno value, as every message that gives the system's reason ends
// with it. Header-only; any thread.
#ifndef QUIREFORGE_BASE_SYSTEMERROR_H_
#define QUIREFORGE_BASE_SYSTEMERROR_H_

#include <string.h>

#include <string>

namespace quireforge {

// strerror's text for `error_number`, such as "No space left on device".
inline std::string SystemErrorText(int error_number) {
  char buffer[256];
  // GNU strerror_r returns the text, which may or may not live in `buffer`.
  return std::string(strerror_r(error_number, buffer, sizeof buffer));
}

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_SYSTEMERROR_H_
