#include "cli/BookPaths.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>

#include "base/Utf.h"
#include "conversion/CodePageChoice.h"
#include "conversion/CodePageDetector.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace fs = std::filesystem;

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) throw BookPathError("An empty file name was given.");
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
  const std::u16string path = FromUtf8Escaped(source);
  // A name that is all extension (".hidden") keeps its name: ".hidden.epub".
  if (!ExtensionOf(path).empty() && ExtensionOf(path).size() == FileNamePart(path).size()) {
    return source + ".epub";
  }
  return ToUtf8(DerivedTargetPath(path, u".epub"));
}

namespace {

// The file name of `source` as text: as it is when it is UTF-8, else read in the code page of
// the source's text (the one named, or the one found from its start); nullopt when that
// gives no code page, or when the name's bytes are no text in it.
std::optional<std::u16string> NameAsText(const std::string& source,
                                         const CodePageChoice& code_pages) {
  const std::string name = source.substr(source.rfind('/') + 1);
  std::u16string text;
  if (DecodeStrictUtf8(name, &text)) return text;
  std::string page;
  if (!code_pages.detects()) {
    if (code_pages.code_page().utf16() != LegacyCodePage::Utf16::kNo) return std::nullopt;
    page = code_pages.code_page().Name();
  } else {
    std::optional<std::string> found;
    try {
      found = DetectCodePage(ReadFileBytes(FromUtf8Escaped(source), size_t{1} << 20));
    } catch (const std::exception&) {
      return FromUtf8(name);  // any title: the conversion then says why it cannot be read
    }
    if (!found || *found == "UTF-8") return std::nullopt;
    page = *found;
  }
  LegacyCodePage(page).Decode(name, &text);
  // A substitute (U+FFFD, or SUB in some single-byte pages) means bytes that are no text.
  if (text.find_first_of(u"\uFFFD\u001A") != std::u16string::npos) return std::nullopt;
  return text;
}

}  // namespace

std::optional<std::string> DefaultTitle(const std::string& source,
                                        const CodePageChoice& code_pages) {
  const std::optional<std::u16string> name = NameAsText(source, code_pages);
  if (!name) return std::nullopt;
  const std::u16string title = TitleAndAuthorFromFileName(*name).title;
  return ToUtf8(title.empty() ? *name : title);
}

std::string DefaultAuthor(const std::string& source, const CodePageChoice& code_pages) {
  const std::optional<std::u16string> name = NameAsText(source, code_pages);
  return name ? ToUtf8(TitleAndAuthorFromFileName(*name).author) : std::string();
}

}  // namespace quireforge
