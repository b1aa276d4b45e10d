#include "cli/BookPaths.h"

#include <optional>

#include "base/Utf.h"
#include "conversion/BookRequest.h"

namespace quireforge {

std::string AbsolutePath(const std::string& path) {
  return ToUtf8(AbsolutePath(FromUtf8Escaped(path)));
}

std::string DefaultTargetPath(const std::string& source) {
  return ToUtf8(DerivedTargetPath(FromUtf8Escaped(source), u".epub"));
}

std::optional<std::string> DefaultTitle(const std::string& source,
                                        const CodePageChoice& code_pages) {
  const std::optional<TitleAndAuthor> names = NamesFromSource(FromUtf8Escaped(source), code_pages);
  if (!names) return std::nullopt;
  return ToUtf8(names->title);
}

std::string DefaultAuthor(const std::string& source, const CodePageChoice& code_pages) {
  const std::optional<TitleAndAuthor> names = NamesFromSource(FromUtf8Escaped(source), code_pages);
  return names ? ToUtf8(names->author) : std::string();
}

}  // namespace quireforge
