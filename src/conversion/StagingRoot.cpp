#include "conversion/StagingRoot.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/TemporaryFolder.h"
#include "base/Utf.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

[[noreturn]] void Refuse(std::u16string_view root, const char* reason) {
  throw StagingRootError("Staging folder \"" + ToUtf8(root) + "\" " + reason);
}

}  // namespace

std::u16string StagingRootPath() { return FromUtf8(TemporaryFolderPath()) + u"/QuireforgeTmp"; }

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
