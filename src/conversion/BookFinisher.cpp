// TConvertFile::FinishBook: turns a built staging tree into the .epub file. In this order:
// the book.opf check, the font copy, toc.ncx (and for EPUB 3 nav.xhtml) from the chapter list
// as edited (and the volumes beside it), one archive request that replaces the target wholly, and
// the removal of the emptied staging folder.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "archive/Archiver.h"
#include "conversion/ConvertFile.h"
#include "conversion/FileErrors.h"
#include "conversion/NavigationDocument.h"
#include "conversion/NavigationFile.h"
#include "conversion/ScopedFd.h"
#include "conversion/TextFile.h"
#include "conversion/Utf.h"

namespace quireforge {

namespace {

// Directory names, recursion into subdirectories, move, separate directory entries.
constexpr uint32_t kFinishAddOptions = AddDirNames | AddRecurseDirs | AddMove | AddSeparateDirs;
static_assert(kFinishAddOptions == 2055);
constexpr int32_t kFinishCompressionLevel = 9;

bool IsExistingFile(std::u16string_view path) {
  struct stat status;
  return stat(NativePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

[[noreturn]] void ThrowFontCopyError(std::u16string_view font, const std::string& reason) {
  throw FileError("Cannot copy font file \"" + ToUtf8(font) + "\". " + reason);
}

[[noreturn]] void ThrowFontCopyError(std::u16string_view font, int error_number) {
  ThrowFontCopyError(font, SystemErrorText(error_number));
}

// Reads all of `fd` into `bytes`; returns 0 or the errno of the failed read.
int ReadAll(int fd, std::string* bytes) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes->append(buffer, static_cast<size_t>(n));
  }
}

// Writes all of `bytes` to `fd`; returns 0 or the errno of the failed write.
int WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Copies `font` to `destination`, replacing it. Raises FileError naming the font and the
// reason when the font is no regular file, cannot be read or the copy cannot be written; a
// partly written copy is removed, so the tree never holds a truncated font.
void CopyFont(std::u16string_view font, std::u16string_view destination) {
  std::string bytes;
  {
    // Without blocking: a pipe given as font would wait for a writer for ever.
    ScopedFd source(open(NativePath(font).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!source.valid()) ThrowFontCopyError(font, errno);
    struct stat status;
    if (fstat(source.get(), &status) != 0) ThrowFontCopyError(font, errno);
    if (S_ISDIR(status.st_mode)) ThrowFontCopyError(font, EISDIR);
    if (!S_ISREG(status.st_mode)) ThrowFontCopyError(font, "Not a regular file");
    if (const int error = ReadAll(source.get(), &bytes)) ThrowFontCopyError(font, error);
  }
  const std::string target = NativePath(destination);
  ScopedFd copy(open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!copy.valid()) ThrowFontCopyError(font, errno);
  int error = WriteAll(copy.get(), bytes);
  if (copy.Close() != 0 && error == 0) error = errno;
  if (error != 0) {
    unlink(target.c_str());
    ThrowFontCopyError(font, error);
  }
}

}  // namespace

bool TConvertFile::FinishBook(TArchiver& archiver) {
  // Never built, or already packed (the move took book.opf away): nothing to do.
  if (staging_path_.empty() || !IsExistingFile(staging_path_ + u"/OEBPS/book.opf")) return false;

  if (!font_file_.empty()) CopyFont(font_file_, staging_path_ + u"/OEBPS/font.ttf");

  const NavigationContent navigation{.identifier = identifier_,
                                     .title = title_,
                                     .author = author_,
                                     .chapters = &chapters_,
                                     .volumes = &volumes_,
                                     .language = language_,
                                     .epub3 = epub3_};
  WriteUtf8Lines(staging_path_ + u"/OEBPS/toc.ncx", NavigationLines(navigation));
  if (epub3_) {
    WriteUtf8Lines(staging_path_ + u"/OEBPS/" + std::u16string(kNavigationDocumentFile),
                   NavigationDocumentLines(navigation));
  }

  // The finished book replaces the target wholly; an older file survives any failure.
  archiver.SetNewArchive(true);
  archiver.SetAddOptions(kFinishAddOptions);
  archiver.SetZipFileName(target_path_);
  archiver.SetRootDir(staging_path_);
  archiver.FSpecArgs().push_back(u"*.*");
  archiver.SetAddCompLevel(kFinishCompressionLevel);
  archiver.Add();

  // Succeeds only when the move emptied the folder; what is left goes with the staging root.
  rmdir(NativePath(staging_path_).c_str());
  return archiver.StoredCount() > 0;
}

}  // namespace quireforge
