#include "cli/BookPaths.h"

#include <filesystem>
#include <system_error>

#include "base/Utf.h"

namespace quireforge {

namespace fs = std::filesystem;

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) throw BookPathError("An empty file name was given.");
  std::u16string unused;
  if (!DecodeStrictUtf8(path, &unused)) {
    throw BookPathError("File name \"" + path + "\" is not valid UTF-8.");
  }
  std::error_code error;
  const fs::path absolute = fs::absolute(fs::path(path), error);
  if (error) {
    throw BookPathError("Cannot resolve file name \"" + path + "\". " + error.message());
  }
  fs::path cleaned;
  for (const fs::path& part : absolute) {
    if (part != ".") cleaned /= part;
  }
  std::string text = cleaned.string();
  // A trailing separator ("dir/") leaves an empty last part: keep the path as given then.
  return text.empty() ? absolute.string() : text;
}

std::string DefaultTargetPath(const std::string& source) {
  const std::u16string path = FromUtf8(source);
  // A name that is all extension (".hidden") keeps its name: ".hidden.epub".
  if (!ExtensionOf(path).empty() && ExtensionOf(path).size() == FileNamePart(path).size()) {
    return source + ".epub";
  }
  return ToUtf8(DerivedTargetPath(path, u".epub"));
}

std::string DefaultTitle(const std::string& source) {
  const std::u16string path = FromUtf8(source);
  const std::u16string title = TitleAndAuthorFromFileName(path).title;
  return ToUtf8(title.empty() ? std::u16string(FileNamePart(path)) : title);
}

std::string DefaultAuthor(const std::string& source) {
  return ToUtf8(TitleAndAuthorFromFileName(FromUtf8(source)).author);
}

}  // namespace quireforge
