#include "zipengine/MovedFiles.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "zipengine/EngineError.h"

namespace quireforge {

namespace {

// True when `path` lies strictly below the directory `root`.
bool IsBelow(const std::string& path, const std::string& root) {
  std::string prefix = root == "/" ? "/" : root + "/";
  return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
}

std::string Parent(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

size_t Depth(const std::string& path) { return std::count(path.begin(), path.end(), '/'); }

}  // namespace

std::vector<std::string> RemoveMovedFiles(const std::vector<SourceEntry>& entries,
                                          const std::string& root, ProgressReporter* reporter) {
  std::vector<std::string> failures;
  std::set<std::string> directories;
  for (const SourceEntry& entry : entries) {
    reporter->KeepAlive();
    if (entry.directory) {
      if (IsBelow(entry.path, root)) directories.insert(entry.path);
      continue;
    }
    if (::unlink(entry.path.c_str()) != 0 && errno != ENOENT) {
      failures.push_back("Cannot delete file \"" + entry.path + "\". " + SystemErrorText(errno));
    }
    for (std::string dir = Parent(entry.path); IsBelow(dir, root); dir = Parent(dir)) {
      directories.insert(dir);
    }
  }
  std::vector<std::string> ordered(directories.begin(), directories.end());
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
  // rmdir only ever removes an empty directory; one that still holds something stays.
  for (const std::string& dir : ordered) ::rmdir(dir.c_str());
  return failures;
}

}  // namespace quireforge
