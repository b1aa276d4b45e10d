#include "conversion/BookNames.h"

#include <filesystem>
#include <system_error>

#include "conversion/StringOps.h"
#include "conversion/Utf.h"

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
  std::u16string target(path.substr(0, path.size() - ExtensionOf(path).size()));
  target += new_extension;
  return target;
}

std::u16string DerivedTitle(std::u16string_view path) {
  const std::u16string_view name = FileNamePart(path);
  const std::u16string_view extension = ExtensionOf(path);
  if (extension.empty()) return std::u16string(name);
  return ReplaceAll(name, extension, u"");
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

}  // namespace quireforge
