// TConvertFile::FinishBook: turns a built book into the .epub file. In this order: the check
// that the sink holds a book, the font copy, toc.ncx (and for EPUB 3 nav.xhtml) and the contents
// page from the chapter list as edited (and the volumes beside it), and the making of the book by
// the sink: one archive request that replaces the target wholly and the removal of the emptied
// staging folder, or the completion of the archive fed while the pages were made.
#include <string>

#include "archive/Archiver.h"
#include "base/PosixIo.h"
#include "base/ScopedFd.h"
#include "base/SystemError.h"
#include "base/Utf.h"
#include "conversion/BookSink.h"
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

// The bytes of `font`. Raises FileError naming the font and the reason when it is no regular
// file, cannot be read, or is no font (IsFontHeader).
std::string ReadFont(std::u16string_view font) {
  std::string bytes;
  // Without blocking: a pipe given as font would wait for a writer for ever.
  ScopedFd source;
  const int error = OpenRegularFile(NativePath(font), &source);
  if (error == kNotRegularFile) ThrowFontCopyError(font, "Not a regular file");
  if (error != 0) ThrowFontCopyError(font, error);
  if (const int read_error = ReadAll(source.get(), &bytes)) ThrowFontCopyError(font, read_error);
  // Checked when the book was asked for; the file may have changed since.
  if (!IsFontHeader(bytes)) throw FileError(NotAFontMessage(font));
  return bytes;
}

// Copies `font` into the book as OEBPS/font.ttf, replacing one there. Raises FileError naming
// the font and the reason when it cannot be read or put; the sink leaves no truncated copy.
void CopyFont(std::u16string_view font, BookSink& sink) {
  const std::string bytes = ReadFont(font);
  try {
    sink.PutFile(u"OEBPS/font.ttf", bytes);
  } catch (const FileError& error) {
    ThrowFontCopyError(font, error.reason());
  }
}

}  // namespace

bool TConvertFile::FinishBook(TArchiver& archiver) {
  // Never built, or already made (the move took book.opf away): nothing to do.
  if (sink_ == nullptr || !sink_->HoldsBook()) return false;

  if (!options_.font.empty()) CopyFont(options_.font, *sink_);

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
  sink_->PutFile(u"OEBPS/toc.ncx", Utf8LinesBytes(NavigationLines(navigation)));
  if (options_.epub3) {
    sink_->PutFile(u"OEBPS/" + std::u16string(kNavigationDocumentFile),
                   Utf8LinesBytes(NavigationDocumentLines(navigation)));
  }
  if (options_.contents_page) {
    sink_->PutFile(u"OEBPS/" + std::u16string(ContentsPageFile(options_.epub3)),
                   Utf8LinesBytes(ContentsPageLines(navigation)));
  }
  return sink_->MakeBook(archiver, target_path_);
}

}  // namespace quireforge
