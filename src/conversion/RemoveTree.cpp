#include "conversion/RemoveTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/PosixIo.h"
#include "base/ScopedFd.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

struct FolderListingCloser {
  void operator()(DIR* listing) const { closedir(listing); }
};

// Removes the entry `name` of the folder open as `parent`. Folders are opened without
// following links, so a link is never entered: it fails to open as a folder and is
// unlinked like a file.
void RemoveEntry(int parent, const char* name, bool files_too);

// Removes everything in the folder open as `fd`, which the call takes over.
void RemoveContents(ScopedFd fd) {
  std::unique_ptr<DIR, FolderListingCloser> folder(fdopendir(fd.get()));
  if (folder == nullptr) return;
  fd.Release();  // the listing owns it now
  // Names first, deletions after: the listing is not disturbed by its own changes.
  std::vector<std::string> names;
  while (const dirent* entry = readdir(folder.get())) {
    const std::string entry_name = entry->d_name;
    if (entry_name != "." && entry_name != "..") names.push_back(entry_name);
  }
  for (const std::string& entry_name : names) {
    RemoveEntry(dirfd(folder.get()), entry_name.c_str(), true);
  }
}

void RemoveEntry(int parent, const char* name, bool files_too) {
  ScopedFd fd;
  if (OpenFolderAt(parent, name, &fd) != 0) {
    struct stat status;
    if (fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (files_too || S_ISLNK(status.st_mode)) unlinkat(parent, name, 0);
    return;
  }
  RemoveContents(std::move(fd));  // closed before the folder itself goes
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

void RemoveTreeContents(int folder) {
  ScopedFd own(fcntl(folder, F_DUPFD_CLOEXEC, 0));
  if (own.valid()) RemoveContents(std::move(own));
}

}  // namespace quireforge
