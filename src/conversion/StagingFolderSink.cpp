#include "conversion/StagingFolderSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/Archiver.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

// Directory names, recursion into subdirectories, move, separate directory entries.
constexpr uint32_t kAddOptions = AddDirNames | AddRecurseDirs | AddMove | AddSeparateDirs;
static_assert(kAddOptions == 2055);
constexpr int32_t kCompressionLevel = 9;

void SetTime(const std::u16string& path, std::time_t time) {
  const struct timespec times[2] = {{time, 0}, {time, 0}};
  utimensat(AT_FDCWD, NativePath(path).c_str(), times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace

StagingFolderSink::StagingFolderSink(std::u16string folder, std::optional<std::time_t> time)
    : folder_(std::move(folder)), time_(time) {}

StagingFolderSink::~StagingFolderSink() {
  // Only empty folders go, the innermost first; files are never deleted here.
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) rmdir(NativePath(PathOf(*it)).c_str());
}

std::u16string StagingFolderSink::PathOf(std::u16string_view name) const {
  return name.empty() ? folder_ : folder_ + u"/" + std::u16string(name);
}

void StagingFolderSink::MakeFolder(std::u16string_view name) {
  // The result is not checked: a folder that is missing shows up as the failure of the first
  // file written into it.
  mkdir(NativePath(PathOf(name)).c_str(), 0777);
  made_.emplace_back(name);
}

void StagingFolderSink::PutFile(std::u16string_view name, std::string_view bytes) {
  const std::u16string path = PathOf(name);
  WriteFileBytes(path, bytes);
  if (time_) SetTime(path, *time_);
}

bool StagingFolderSink::HoldsBook() const {
  struct stat status;
  return stat(NativePath(PathOf(u"OEBPS/book.opf")).c_str(), &status) == 0 &&
         S_ISREG(status.st_mode);
}

bool StagingFolderSink::MakeBook(TArchiver& archiver, std::u16string_view target) {
  // A folder's time is that of the last file made in it: dated last, innermost first.
  if (time_) {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      if (!it->empty()) SetTime(PathOf(*it), *time_);
    }
  }
  // The finished book replaces the target wholly; an older file survives any failure.
  archiver.SetNewArchive(true);
  archiver.SetAddOptions(kAddOptions);
  archiver.SetZipFileName(std::u16string(target));
  archiver.SetRootDir(folder_);
  archiver.FSpecArgs().push_back(u"*.*");
  archiver.SetAddCompLevel(kCompressionLevel);
  archiver.Add();

  // Succeeds only when the move emptied the folder; what is left goes with the staging root.
  rmdir(NativePath(folder_).c_str());
  return archiver.StoredCount() > 0;
}

}  // namespace quireforge
