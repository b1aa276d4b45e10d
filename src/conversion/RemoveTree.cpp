#include "conversion/RemoveTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "conversion/TextFile.h"

namespace quireforge {

namespace {

// Removes the entry `name` of the folder open as `parent`. Folders are opened without
// following links, so a link is never entered: it fails to open as a folder and is
// unlinked like a file.
void RemoveEntry(int parent, const char* name, bool files_too) {
  const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    struct stat status;
    if (fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (files_too || S_ISLNK(status.st_mode)) unlinkat(parent, name, 0);
    return;
  }
  DIR* folder = fdopendir(fd);  // owns fd from here on
  if (folder == nullptr) {
    close(fd);
    return;
  }
  // Names first, deletions after: the listing is not disturbed by its own changes.
  std::vector<std::string> names;
  while (const dirent* entry = readdir(folder)) {
    const std::string entry_name = entry->d_name;
    if (entry_name != "." && entry_name != "..") names.push_back(entry_name);
  }
  for (const std::string& entry_name : names) RemoveEntry(dirfd(folder), entry_name.c_str(), true);
  closedir(folder);
  unlinkat(parent, name, AT_REMOVEDIR);
}

}  // namespace

void RemoveTree(std::u16string_view directory) {
  std::string native = NativePath(directory);
  // A trailing slash would make the system follow a link given as the folder.
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (native.empty() || native == "/") return;
  RemoveEntry(AT_FDCWD, native.c_str(), false);
}

}  // namespace quireforge
