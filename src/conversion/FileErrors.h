// The errors raised where files are opened, created and written, with the texts the user
// sees: "Cannot open file "%s". %s", "Cannot create file "%s". %s" and the write error.
// Paths are UTF-16; what() is UTF-8. Stateless free functions; any thread.
#ifndef QUIREFORGE_CONVERSION_FILEERRORS_H_
#define QUIREFORGE_CONVERSION_FILEERRORS_H_

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace quireforge {

// A file that could not be opened, created or written.
class FileError : public std::runtime_error {
 public:
  // `reason` is the system's reason alone, when the message ends with one.
  explicit FileError(const std::string& message, std::string reason = {})
      : std::runtime_error(message), reason_(std::move(reason)) {}

  // Why the file could not be used ("No space left on device"); the whole message when it
  // gives no reason of its own.
  std::string reason() const { return reason_.empty() ? std::string(what()) : reason_; }

 private:
  std::string reason_;
};

// Raise FileError with "Cannot open file "<path>". <reason>".
[[noreturn]] void ThrowOpenError(std::u16string_view path, int error_number);
// The same with a reason of our own instead of the system's text.
[[noreturn]] void ThrowOpenError(std::u16string_view path, const std::string& reason);
// Raise FileError with "Cannot create file "<path>". <reason>".
[[noreturn]] void ThrowCreateError(std::u16string_view path, int error_number);
// Raise FileError with "Stream write error", followed by the file and the reason so that a
// full disk names the page that did not fit.
[[noreturn]] void ThrowWriteError(std::u16string_view path, int error_number);

// Raise FileError with "Source file "<path>" holds no text.": the file is empty, blank,
// only a byte-order mark, or starts with NUL.
[[noreturn]] void ThrowNoTextError(std::u16string_view path);

// Raise FileError with "Not enough memory to convert source file "<path>".".
[[noreturn]] void ThrowNoMemoryError(std::u16string_view path);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_FILEERRORS_H_
