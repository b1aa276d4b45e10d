#include "conversion/StagingRoot.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "base/TemporaryFolder.h"
#include "base/Utf.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

[[noreturn]] void Refuse(std::u16string_view root, const char* reason) {
  throw StagingRootError("Staging folder \"" + ToUtf8(root) + "\" " + reason);
}

}  // namespace

std::u16string StagingRootPath() {
  const std::string folder = TemporaryFolderPath();
  std::string name = "/QuireforgeTmp";
  // In a folder that every user may write into (/tmp) one user's folder of that name would
  // block every other user's conversions: there the name carries the user's id.
  struct stat status;
  if (stat(folder.c_str(), &status) == 0 && (status.st_mode & S_IWOTH) != 0) {
    name += '-';
    name += std::to_string(geteuid());
  }
  return FromUtf8(folder + name);
}

void CreateStagingRoot(std::u16string_view root) {
  const std::string native = NativePath(root);
  mkdir(native.c_str(), 0700);  // an existing folder is checked below like a new one
  struct stat status;
  if (lstat(native.c_str(), &status) != 0) return;
  if (S_ISLNK(status.st_mode)) Refuse(root, "is a symbolic link.");
  if (status.st_uid != geteuid()) Refuse(root, "belongs to another user.");
  if (!S_ISDIR(status.st_mode)) Refuse(root, "is not a folder.");
}

}  // namespace quireforge
