// TConvertFile::Rename: a built book gets another target, title and author before it is
// packed. The title and author live in book.opf's metadata (and the title in the cover page,
// and both in a drawn cover's picture); those elements are rewritten in place, the picture drawn
// again, so that chapter edits and everything else the
// staging tree holds stay as they are. toc.ncx takes the new names when the book is finished.
#include <sys/stat.h>

#include <limits>
#include <stdexcept>
#include <string>

#include "base/Utf.h"
#include "conversion/ConvertFile.h"
#include "conversion/CoverDrawing.h"
#include "conversion/CoverPage.h"
#include "conversion/FileErrors.h"
#include "conversion/StagingFolderSink.h"
#include "conversion/TextFile.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

constexpr size_t kWholeFile = std::numeric_limits<size_t>::max();

bool Exists(std::u16string_view path) {
  struct stat status;
  return stat(NativePath(path).c_str(), &status) == 0;
}

// Replaces what stands between `open` and `close` (first occurrence) with `content`; false
// when the element is missing.
bool ReplaceElementText(std::string* text, std::string_view open, std::string_view close,
                        const std::string& content) {
  const size_t start = text->find(open);
  if (start == std::string::npos) return false;
  const size_t from = start + open.size();
  const size_t end = text->find(close, from);
  if (end == std::string::npos) return false;
  text->replace(from, end - from, content);
  return true;
}

// The creator line: rewritten, removed (EPUB 3 has none for an empty author) or added after
// the language line, as the package head writes it.
void ReplaceCreator(std::string* opf, const std::u16string& author, bool epub3) {
  constexpr std::string_view kOpen = "<dc:creator>";
  constexpr std::string_view kClose = "</dc:creator>";
  const bool wanted = !epub3 || !IsEmptyAsXmlText(author);
  const std::string content = ToUtf8(XmlText(author));
  const size_t start = opf->find(kOpen);
  if (start != std::string::npos) {
    if (wanted) {
      ReplaceElementText(opf, kOpen, kClose, content);
    } else {
      const size_t end = opf->find("\r\n", start);
      opf->erase(start, end == std::string::npos ? std::string::npos : end + 2 - start);
    }
    return;
  }
  if (!wanted) return;
  const size_t language = opf->find("</dc:language>\r\n");
  if (language == std::string::npos) return;
  std::string line(kOpen);
  line += content;
  line += kClose;
  line += "\r\n";
  opf->insert(language + std::string_view("</dc:language>\r\n").size(), line);
}

}  // namespace

void TConvertFile::Rename(std::u16string target_path, std::u16string title, std::u16string author) {
  if (sink_ != nullptr && staging_ == nullptr) {
    throw std::logic_error("A book made into an archive as it is built keeps its target.");
  }
  if (!staging_path_.empty()) {
    const std::u16string opf_path = staging_path_ + u"/OEBPS/book.opf";
    if (Exists(opf_path)) {
      std::string opf = ReadFileBytes(opf_path, kWholeFile);
      // The new names on the drawn cover first: a title no font can set keeps the old names.
      std::optional<DrawnCover> drawn;
      if (drawn_cover_) {
        std::string problem;
        drawn = DrawCover(title, author, &problem);
        if (!drawn) {
          throw FileError("Cannot draw the cover of \"" + ToUtf8(title) +
                          "\": no installed font has the characters of that title.");
        }
      }
      ReplaceElementText(&opf, "<dc:title>", "</dc:title>", ToUtf8(XmlText(title)));
      ReplaceCreator(&opf, author, options_.epub3);
      // The cover page first: a failure there leaves book.opf with the old names.
      const std::u16string cover_page = u"OEBPS/" + std::u16string(CoverPageFile(options_.epub3));
      const std::u16string cover_path = staging_path_ + u"/" + cover_page;
      if (Exists(cover_path)) {
        std::string cover = ReadFileBytes(cover_path, kWholeFile);
        ReplaceElementText(&cover, "<title>", "</title>", ToUtf8(XmlText(title)));
        sink_->PutFile(cover_page, cover);
      }
      if (drawn) {
        sink_->PutFile(u"OEBPS/" + std::u16string(drawn->image.file_name), drawn->image.bytes);
      }
      sink_->PutFile(u"OEBPS/book.opf", opf);
    }
  }
  target_path_ = std::move(target_path);
  title_ = std::move(title);
  author_ = std::move(author);
}

}  // namespace quireforge
