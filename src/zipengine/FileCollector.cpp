#include "zipengine/FileCollector.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <unordered_set>

#include "zipengine/EngineError.h"
#include "zipengine/Wildcard.h"

namespace quireforge {

namespace {

constexpr char kMimetypeName[] = "mimetype";

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

[[noreturn]] void ThrowDirectoryError(const std::string& path, int error_number) {
  throw EngineError(ZE_ERR_READ,
                    "Cannot read directory \"" + path + "\". " + SystemErrorText(error_number));
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

class Collector {
 public:
  Collector(const AddRequest& request, const std::string& archive_path, ProgressReporter* reporter)
      : request_(request), reporter_(reporter) {
    std::error_code error;
    archive_path_ = std::filesystem::absolute(archive_path, error).lexically_normal().string();
    struct stat st;
    if (::stat(archive_path.c_str(), &st) == 0) {
      archive_known_ = true;
      archive_dev_ = st.st_dev;
      archive_ino_ = st.st_ino;
    }
  }

  std::vector<SourceEntry> Run() {
    struct stat st;
    if (::stat(request_.root_dir.c_str(), &st) != 0) ThrowDirectoryError(request_.root_dir, errno);
    if (!S_ISDIR(st.st_mode)) ThrowDirectoryError(request_.root_dir, ENOTDIR);

    for (const FileSpec& spec : request_.specs) AddSpec(spec);

    // The EPUB container wants `mimetype` first.
    auto mimetype = std::find_if(entries_.begin(), entries_.end(), [](const SourceEntry& e) {
      return !e.directory && e.name == kMimetypeName;
    });
    if (mimetype != entries_.end()) std::rotate(entries_.begin(), mimetype, mimetype + 1);
    return std::move(entries_);
  }

 private:
  void AddSpec(const FileSpec& spec) {
    std::string dir_part, pattern = spec.pattern;
    size_t slash = pattern.rfind('/');
    if (slash != std::string::npos) {
      dir_part = pattern.substr(0, slash + 1);
      pattern = pattern.substr(slash + 1);
    }
    // Appended rather than assigned: GCC 12 at -O3 takes the assignment of a literal for an
    // overlapping copy (-Wrestrict).
    if (pattern.empty()) pattern.push_back('*');

    std::filesystem::path root(request_.root_dir);
    std::filesystem::path base = (root / dir_part).lexically_normal();
    std::string base_text = base.string();
    while (base_text.size() > 1 && base_text.back() == '/') base_text.pop_back();

    // Entry names are relative to the root; what lies outside it keeps its full path, without
    // the leading "/" (a ZIP name is never absolute and never climbs out with "..").
    std::string prefix;
    std::filesystem::path relative = std::filesystem::path(base_text).lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..") {
      prefix = base_text.substr(1);
    } else if (relative != ".") {
      prefix = relative.string();
    }
    if (!prefix.empty() && prefix.back() != '/') prefix += '/';

    if (base_text != request_.root_dir) {
      struct stat st;
      // A spec naming a folder that does not exist matches nothing.
      if (::stat(base_text.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    }
    Walk(base_text, prefix, pattern, spec.recurse);
  }

  void Walk(const std::string& dir, const std::string& prefix, const std::string& pattern,
            bool recurse) {
    DirHandle handle(opendir(dir.c_str()));
    if (!handle) ThrowDirectoryError(dir, errno);
    std::vector<std::string> names;
    errno = 0;
    while (dirent* item = readdir(handle.get())) {
      std::string name = item->d_name;
      if (name != "." && name != "..") names.push_back(std::move(name));
      errno = 0;
    }
    if (errno != 0) ThrowDirectoryError(dir, errno);
    std::sort(names.begin(), names.end());

    int dir_fd = dirfd(handle.get());
    reporter_->ThrowIfStopped();
    for (const std::string& name : names) {
      reporter_->KeepAlive();
      if (name[0] == '.' && !request_.hidden_files) continue;
      struct stat st;
      if (fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone
      bool link = S_ISLNK(st.st_mode);
      if (link && fstatat(dir_fd, name.c_str(), &st, 0) != 0) continue;  // dangling link
      std::string path = JoinPath(dir, name);

      if (S_ISREG(st.st_mode)) {
        if (!MatchesFileSpec(pattern, name) || IsArchive(path, st)) continue;
        AddEntry(path, request_.dir_names ? prefix + name : name, name, st, false);
      } else if (S_ISDIR(st.st_mode) && !link && recurse) {
        if (request_.separate_dirs && request_.dir_names && MatchesFileSpec(pattern, name)) {
          AddEntry(path, prefix + name + "/", name, st, true);
        }
        Walk(path, prefix + name + "/", pattern, recurse);
      }
    }
  }

  bool IsArchive(const std::string& path, const struct stat& st) const {
    if (archive_known_ && st.st_dev == archive_dev_ && st.st_ino == archive_ino_) return true;
    return path == archive_path_;
  }

  bool Excluded(const std::string& entry_name, const std::string& file_name) const {
    for (const std::string& pattern : request_.excludes) {
      bool by_path = pattern.find('/') != std::string::npos;
      if (MatchesFileSpec(pattern, by_path ? entry_name : file_name)) return true;
    }
    return false;
  }

  void AddEntry(const std::string& path, const std::string& entry_name,
                const std::string& file_name, const struct stat& st, bool directory) {
    std::string bare = directory ? entry_name.substr(0, entry_name.size() - 1) : entry_name;
    if (Excluded(bare, file_name)) return;
    // The first of several files or specs giving the same name wins.
    if (!names_.insert(entry_name).second) return;
    SourceEntry entry;
    entry.path = path;
    entry.name = entry_name;
    entry.directory = directory;
    entry.size = directory ? 0 : static_cast<uint64_t>(st.st_size);
    entry.mtime = st.st_mtim.tv_sec;
    entry.mode = st.st_mode & 07777;
    entry.store = !directory && (request_.level == 0 || entry_name == kMimetypeName ||
                                 request_.InStoreList(file_name));
    entries_.push_back(std::move(entry));
  }

  const AddRequest& request_;
  ProgressReporter* reporter_;
  std::string archive_path_;
  bool archive_known_ = false;
  dev_t archive_dev_ = 0;
  ino_t archive_ino_ = 0;
  std::unordered_set<std::string> names_;
  std::vector<SourceEntry> entries_;
};

}  // namespace

std::vector<SourceEntry> CollectEntries(const AddRequest& request, const std::string& archive_path,
                                        ProgressReporter* reporter) {
  return Collector(request, archive_path, reporter).Run();
}

}  // namespace quireforge
