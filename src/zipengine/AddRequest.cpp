#include "zipengine/AddRequest.h"

#include <filesystem>

#include "base/AsciiText.h"
#include "zipengine/EngineError.h"

namespace quireforge {

namespace {

// More entries than any caller could mean; a larger count is a damaged record.
constexpr int32_t kMaxListCount = 1 << 20;

[[noreturn]] void ThrowInvalid(const std::string& what) {
  throw EngineError(ZE_ERR_STRUCTURE, "Invalid command record: " + what);
}

[[noreturn]] void ThrowUnsupported(const std::string& what) {
  throw EngineError(kEngineUnsupported, what + " is not supported by this zip engine");
}

std::string Trimmed(const char* text) {
  std::string s = text == nullptr ? "" : text;
  size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ') --end;
  return s.substr(begin, end - begin);
}

std::vector<std::string> SplitSuffixes(const char* list) {
  std::vector<std::string> suffixes;
  if (list == nullptr) return suffixes;
  std::string current;
  for (const char* p = list;; ++p) {
    if (*p == ':' || *p == ';' || *p == ',' || *p == '\0') {
      std::string suffix = Trimmed(current.c_str());
      if (!suffix.empty()) {
        if (suffix[0] != '.') suffix.insert(suffix.begin(), '.');
        suffixes.push_back(suffix);
      }
      current.clear();
      if (*p == '\0') break;
    } else {
      current += AsciiLower(*p);
    }
  }
  return suffixes;
}

std::string AbsoluteRoot(const char* root) {
  std::error_code error;
  std::filesystem::path path = (root == nullptr || *root == '\0')
                                   ? std::filesystem::current_path(error)
                                   : std::filesystem::absolute(root, error);
  if (error) {
    throw EngineError(ZE_ERR_READ, "Cannot read directory \"" + std::string(root ? root : ".") +
                                       "\". " + error.message());
  }
  std::string text = path.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

bool AddRequest::InStoreList(const std::string& name) const {
  for (const std::string& suffix : store_suffixes) {
    if (name.size() < suffix.size()) continue;
    size_t start = name.size() - suffix.size();
    bool same = true;
    for (size_t i = 0; i < suffix.size() && same; ++i)
      same = AsciiLower(name[start + i]) == suffix[i];
    if (same) return true;
  }
  return false;
}

bool HasValidMarkers(const ZE_ZipCommand& command) {
  return command.version >= ZE_INTERFACE_VERSION && command.version <= 300 &&
         command.check == command.version && command.endMarker == ZE_END_MARKER;
}

AddRequest ReadAddRequest(const ZE_ZipCommand& command) {
  if (command.archivePath == nullptr || command.archivePath[0] == '\0') {
    ThrowInvalid("no archive path");
  }
  if (command.specCount < 0 || command.specCount > kMaxListCount ||
      (command.specCount > 0 && command.specs == nullptr)) {
    ThrowInvalid("bad file spec list (" + std::to_string(command.specCount) + " entries)");
  }
  if (command.excludeCount < 0 || command.excludeCount > kMaxListCount ||
      (command.excludeCount > 0 && command.excludes == nullptr)) {
    ThrowInvalid("bad exclusion list (" + std::to_string(command.excludeCount) + " entries)");
  }
  if (command.level < 0 || command.level > 9) {
    ThrowInvalid("compression level " + std::to_string(command.level) + " is not within 0-9");
  }

  // Writing the files without what was asked for would be worse than not writing them.
  bool encrypt = command.encrypt != 0 || (command.password != nullptr && *command.password);
  for (int32_t i = 0; i < command.specCount; ++i) {
    const ZE_SpecEntry& entry = command.specs[i];
    if (entry.encrypt != 0 || (entry.password != nullptr && *entry.password)) encrypt = true;
  }
  if (encrypt) ThrowUnsupported("Encryption");
  if (command.update != 0 || command.freshen != 0) ThrowUnsupported("Updating or freshening");
  if (command.fromDate != 0) ThrowUnsupported("Selecting files by date");
  if (command.useInStream != 0 || command.useOutStream != 0) ThrowUnsupported("A memory stream");

  AddRequest request;
  request.archive_path = command.archivePath;
  request.root_dir = AbsoluteRoot(command.rootDir);
  for (int32_t i = 0; i < command.specCount; ++i) {
    const ZE_SpecEntry& entry = command.specs[i];
    std::string pattern = Trimmed(entry.spec);
    if (pattern.empty()) continue;
    request.specs.push_back(FileSpec{pattern, entry.recurse != 0});
  }
  for (int32_t i = 0; i < command.excludeCount; ++i) {
    std::string pattern = Trimmed(command.excludes[i]);
    if (!pattern.empty()) request.excludes.push_back(pattern);
  }
  request.store_suffixes = SplitSuffixes(command.storeSuffixes);
  if (command.archiveComment != nullptr) request.archive_comment = command.archiveComment;
  request.level = command.level;
  request.hidden_files = command.hiddenFiles != 0;
  request.separate_dirs = command.noSeparateDirs == 0;
  request.dir_names = command.noDirNames == 0;
  request.move = command.move != 0;
  request.new_archive = command.newArchive != 0;
  return request;
}

}  // namespace quireforge
