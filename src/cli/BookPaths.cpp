#include "cli/BookPaths.h"

#include <filesystem>
#include <system_error>

#include "conversion/PageSplitter.h"
#include "conversion/Utf.h"

namespace quireforge {

namespace {

namespace fs = std::filesystem;

size_t FileNameStart(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

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

std::string DerivedTargetPath(const std::string& source) {
  const size_t name = FileNameStart(source);
  const size_t dot = source.rfind('.');
  if (dot == std::string::npos || dot <= name) return source + ".epub";
  return source.substr(0, dot) + ".epub";
}

std::string DerivedTitle(const std::string& source) {
  const std::u16string title = PageSplitter::FileNameTitle(FromUtf8(source));
  if (!title.empty()) return ToUtf8(title);
  return source.substr(FileNameStart(source));
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) {
    const bool same = fs::equivalent(a, b, error);
    if (!error) return same;
  }
  const fs::path resolved_a = fs::weakly_canonical(fs::path(a), error).lexically_normal();
  if (error) return a == b;
  const fs::path resolved_b = fs::weakly_canonical(fs::path(b), error).lexically_normal();
  if (error) return a == b;
  return resolved_a == resolved_b;
}

void RefuseTargetAmongSources(const std::string& target, const std::vector<std::string>& sources) {
  for (const std::string& source : sources) {
    if (SameFile(target, source)) {
      throw BookPathError("Cannot create file \"" + target + "\". It is one of the source files.");
    }
  }
}

}  // namespace quireforge
