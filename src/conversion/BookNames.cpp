#include "conversion/BookNames.h"

#include <filesystem>
#include <system_error>

#include "base/StringOps.h"
#include "base/Utf.h"

namespace quireforge {

namespace {

namespace fs = std::filesystem;

fs::path NativeFsPath(std::u16string_view path) { return fs::path(ToUtf8(path)); }

fs::path Resolved(const fs::path& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) return path.lexically_normal();
  fs::path resolved = fs::weakly_canonical(absolute, error);
  return (error ? absolute : resolved).lexically_normal();
}

std::u16string TrimmedName(std::u16string_view text) { return std::u16string(TrimBlanks(text)); }

constexpr std::u16string_view kAuthorWord = u"作者";

// Where the first "作者" in `text` that is followed by optional blanks and one of `marks`
// stands, and where the text after its mark begins; both npos when there is none.
struct AuthorMark {
  size_t word = std::u16string_view::npos;
  size_t after = std::u16string_view::npos;
};

AuthorMark FindAuthorMark(std::u16string_view text, std::u16string_view marks) {
  for (size_t word = text.find(kAuthorWord); word != std::u16string_view::npos;
       word = text.find(kAuthorWord, word + 1)) {
    size_t at = word + kAuthorWord.size();
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at < text.size() && marks.find(text[at]) != std::u16string_view::npos) {
      return AuthorMark{word, at + 1};
    }
  }
  return AuthorMark{};
}

}  // namespace

std::u16string_view FileNamePart(std::u16string_view path) {
  const size_t slash = path.rfind(u'/');
  return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string_view ExtensionOf(std::u16string_view path) {
  const std::u16string_view name = FileNamePart(path);
  const size_t dot = name.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot);
}

std::u16string DerivedTargetPath(std::u16string_view path, std::u16string_view new_extension) {
  // A name that is all extension (".hidden") keeps its name: ".hidden.epub".
  const size_t extension = ExtensionOf(path).size();
  const bool all_extension = extension == FileNamePart(path).size();
  std::u16string target(path.substr(0, path.size() - (all_extension ? 0 : extension)));
  target += new_extension;
  return target;
}

std::u16string DerivedTitle(std::u16string_view path) {
  const std::u16string_view name = FileNamePart(path);
  const std::u16string_view extension = ExtensionOf(path);
  if (extension.empty()) return std::u16string(name);
  return ReplaceAll(name, extension, u"");
}

TitleAndAuthor TitleAndAuthorFromFileName(std::u16string_view path) {
  const std::u16string derived = DerivedTitle(path);
  const std::u16string trimmed = TrimmedName(derived);
  const std::u16string_view name = trimmed;
  TitleAndAuthor names;
  const size_t close = name.find(u'》');
  if (name.starts_with(u'《') && close != std::u16string_view::npos) {
    names.title = TrimmedName(name.substr(1, close - 1));
    const std::u16string_view rest = name.substr(close + 1);
    const AuthorMark mark = FindAuthorMark(rest, u"：:_");
    if (mark.after != std::u16string_view::npos) {
      names.author = TrimmedName(rest.substr(mark.after));
    }
  } else if (!name.starts_with(u'《')) {
    const AuthorMark mark = FindAuthorMark(name, u"：:");
    if (mark.after != std::u16string_view::npos) {
      names.title = TrimmedName(name.substr(0, mark.word));
      names.author = TrimmedName(name.substr(mark.after));
    }
  }
  // No rule applied, or one that would leave the book without a title: the name as it is.
  // A name the rules leave nothing of (".txt") gives its title whole.
  if (names.title.empty()) {
    return TitleAndAuthor{derived.empty() ? std::u16string(FileNamePart(path)) : derived,
                          std::u16string()};
  }
  return names;
}

std::u16string AbsolutePath(std::u16string_view path) {
  if (path.empty()) throw BookNameError("An empty file name was given.");
  std::error_code error;
  const fs::path absolute = fs::absolute(NativeFsPath(path), error);
  if (error) {
    std::string message = "Cannot resolve file name \"";
    message += ToUtf8(path);
    message += "\". ";
    message += error.message();
    throw BookNameError(message);
  }
  fs::path cleaned;
  for (const fs::path& part : absolute) {
    if (part != ".") cleaned /= part;
  }
  // A trailing separator ("dir/") leaves an empty last part: keep the path as given then.
  const std::string text = cleaned.empty() ? absolute.string() : cleaned.string();
  return FromUtf8Escaped(text);
}

bool SameFile(std::u16string_view a, std::u16string_view b) {
  const fs::path path_a = NativeFsPath(a);
  const fs::path path_b = NativeFsPath(b);
  std::error_code error;
  if (fs::exists(path_a, error) && fs::exists(path_b, error)) {
    const bool same = fs::equivalent(path_a, path_b, error);
    if (!error) return same;
  }
  return Resolved(path_a) == Resolved(path_b);
}

void RefuseTargetAmongSources(std::u16string_view target,
                              const std::vector<std::u16string>& sources) {
  for (const std::u16string& source : sources) {
    if (source.empty()) continue;
    if (SameFile(target, source)) {
      throw BookNameError("Cannot create file \"" + ToUtf8(target) +
                          "\". It is one of the source files.");
    }
  }
}

void RefuseTargetAsFont(std::u16string_view target, std::u16string_view font) {
  if (!font.empty() && SameFile(target, font)) {
    throw BookNameError("Cannot create file \"" + ToUtf8(target) + "\". It is the font file.");
  }
}

}  // namespace quireforge
