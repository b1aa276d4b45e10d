// The one failure type inside the zip engine: a result code for ZE_ZipExec and the text that
// explains it to the caller (UTF-8, naming the file and the system's reason). Thrown on the
// calling thread only; worker threads hand theirs over to it.
#ifndef QUIREFORGE_ZIPENGINE_ENGINEERROR_H_
#define QUIREFORGE_ZIPENGINE_ENGINEERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

#include "base/SystemError.h"
#include "zipengine/ZipEngineApi.h"

namespace quireforge {

// Result codes of our own, beside those of the C interface.
inline constexpr int32_t kEngineUnsupported = -6;  // a request this engine does not carry out
inline constexpr int32_t kEngineInternal = -10;    // an unexpected failure inside the engine

class EngineError : public std::runtime_error {
 public:
  EngineError(int32_t code, const std::string& message)
      : std::runtime_error(message), code_(code) {}

  // A negative ZE_ZipExec result.
  int32_t code() const { return code_; }

 private:
  int32_t code_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ENGINEERROR_H_
