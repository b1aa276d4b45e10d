#include "conversion/FileErrors.h"

#include "base/SystemError.h"
#include "base/Utf.h"

namespace quireforge {

namespace {

FileError QuotedFileError(const char* prefix, std::u16string_view path, const std::string& reason) {
  return FileError(std::string(prefix) + " \"" + ToUtf8(path) + "\". " + reason, reason);
}

}  // namespace

void ThrowOpenError(std::u16string_view path, int error_number) {
  throw QuotedFileError("Cannot open file", path, SystemErrorText(error_number));
}

void ThrowOpenError(std::u16string_view path, const std::string& reason) {
  throw QuotedFileError("Cannot open file", path, reason);
}

void ThrowCreateError(std::u16string_view path, int error_number) {
  throw QuotedFileError("Cannot create file", path, SystemErrorText(error_number));
}

void ThrowWriteError(std::u16string_view path, int error_number) {
  throw QuotedFileError("Stream write error in file", path, SystemErrorText(error_number));
}

void ThrowNoTextError(std::u16string_view path) {
  throw FileError("Source file \"" + ToUtf8(path) + "\" holds no text.");
}

void ThrowNoMemoryError(std::u16string_view path) {
  throw FileError("Not enough memory to convert source file \"" + ToUtf8(path) + "\".");
}

}  // namespace quireforge
