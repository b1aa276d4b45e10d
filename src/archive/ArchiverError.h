// EArchiver is the one failure of the archive component: a message code, the message text
// (UTF-8, in what()) and whether it is shown to the user. It never leaves the component:
// the worker catches and reports it.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVERERROR_H_
#define QUIREFORGE_ARCHIVE_ARCHIVERERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quireforge {

class EArchiver : public std::runtime_error {
 public:
  EArchiver(int32_t code, const std::string& text, bool display = true)
      : std::runtime_error(text), code_(code), display_(display) {}

  int32_t Code() const { return code_; }
  bool Display() const { return display_; }

 private:
  int32_t code_;
  bool display_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVERERROR_H_
