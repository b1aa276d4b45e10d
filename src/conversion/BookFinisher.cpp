// TConvertFile::FinishBook: turns a built staging tree into the .epub file. In this order:
// the book.opf check, the font copy, toc.ncx (and for EPUB 3 nav.xhtml) and the contents page
// from the chapter list as edited (and the volumes beside it), one archive request that replaces
// the target wholly, and the removal of the emptied staging folder.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "archive/Archiver.h"
#include "base/PosixIo.h"
#include "base/ScopedFd.h"
#include "base/SystemError.h"
#include "base/Utf.h"
#include "conversion/ContentsPage.h"
#include "conversion/ConvertFile.h"
#include "conversion/CoverPage.h"
#include "conversion/FileErrors.h"
#include "conversion/FontFile.h"
#include "conversion/NavigationDocument.h"
#include "conversion/NavigationFile.h"
#include "conversion/TextFile.h"

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
    size_t n = 0;
    const int error = ReadFully(fd, buffer, sizeof buffer, &n);
    bytes->append(buffer, n);
    if (error != 0 || n == 0) return error;
  }
}

// Copies `font` to `destination`, replacing it. Raises FileError naming the font and the
// reason when the font is no regular file, cannot be read, is no font (IsFontHeader) or the
// copy cannot be written; a partly written copy is removed, so the tree never holds a
// truncated font.
void CopyFont(std::u16string_view font, std::u16string_view destination) {
  std::string bytes;
  {
    // Without blocking: a pipe given as font would wait for a writer for ever.
    ScopedFd source;
    const int error = OpenRegularFile(NativePath(font), &source);
    if (error == kNotRegularFile) ThrowFontCopyError(font, "Not a regular file");
    if (error != 0) ThrowFontCopyError(font, error);
    if (const int read_error = ReadAll(source.get(), &bytes)) ThrowFontCopyError(font, read_error);
  }
  // Checked when the book was asked for; the file may have changed since.
  if (!IsFontHeader(bytes)) throw FileError(NotAFontMessage(font));
  const std::string target = NativePath(destination);
  ScopedFd copy;
  if (const int error = OpenForWriting(target, 0644, &copy)) ThrowFontCopyError(font, error);
  int error = WriteFully(copy.get(), bytes.data(), bytes.size());
  const int close_error = copy.Close();
  if (error == 0) error = close_error;
  if (error != 0) {
    unlink(target.c_str());
    ThrowFontCopyError(font, error);
  }
}

}  // namespace

bool TConvertFile::FinishBook(TArchiver& archiver) {
  // Never built, or already packed (the move took book.opf away): nothing to do.
  if (staging_path_.empty() || !IsExistingFile(staging_path_ + u"/OEBPS/book.opf")) return false;

  if (!options_.font.empty()) CopyFont(options_.font, staging_path_ + u"/OEBPS/font.ttf");

  const NavigationContent navigation{
      .identifier = identifier_,
      .title = title_,
      .author = author_,
      .chapters = &chapters_,
      .volumes = &volumes_,
      .language = language_,
      .epub3 = options_.epub3,
      .cover_page = has_cover_ ? CoverPageFile(options_.epub3) : std::u16string_view(),
      .contents_page = options_.contents_page};
  WriteUtf8Lines(staging_path_ + u"/OEBPS/toc.ncx", NavigationLines(navigation));
  if (options_.epub3) {
    WriteUtf8Lines(staging_path_ + u"/OEBPS/" + std::u16string(kNavigationDocumentFile),
                   NavigationDocumentLines(navigation));
  }
  if (options_.contents_page) {
    WriteUtf8Lines(staging_path_ + u"/OEBPS/" + std::u16string(ContentsPageFile(options_.epub3)),
                   ContentsPageLines(navigation));
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
