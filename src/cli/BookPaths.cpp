#include "cli/BookPaths.h"

#include "base/Utf.h"
#include "conversion/BookRequest.h"

namespace quireforge {

std::string AbsolutePath(const std::string& path) {
  return ToUtf8(AbsolutePath(FromUtf8Escaped(path)));
}

std::string DefaultTargetPath(const std::string& source) {
  return ToUtf8(DerivedTargetPath(FromUtf8Escaped(source), u".epub"));
}

std::string DefaultTitle(const std::string& source, const CodePageChoice& code_pages) {
  return ToUtf8(NamesFromSource(FromUtf8Escaped(source), code_pages).title);
}

std::string DefaultAuthor(const std::string& source, const CodePageChoice& code_pages) {
  return ToUtf8(NamesFromSource(FromUtf8Escaped(source), code_pages).author);
}

}  // namespace quireforge
