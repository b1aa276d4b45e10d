#include "conversion/PageWriter.h"

#include <algorithm>

#include "base/Utf.h"
#include "conversion/BookSink.h"

namespace quireforge {

namespace {

// The page templates, already in UTF-8 with their mark, up to the page number, and after it.
constexpr std::string_view kTemplateStart =
    "\xEF\xBB\xBF"
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
    "\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\r\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />\r\n"
    "<meta content=\"text/html; charset=UTF-8\" />\r\n"
    "<title>";
constexpr std::string_view kXhtml5TemplateStart =
    "\xEF\xBB\xBF"
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!DOCTYPE html>\r\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />\r\n"
    "<title>";
constexpr std::string_view kTemplateEnd =
    "</title>\r\n"
    "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/main.css\" />\r\n"
    "</head>\r\n"
    "<body>\r\n";
constexpr std::string_view kPageEnd = "</body>\r\n</html>\r\n";

void AppendNumber(int32_t value, std::u16string* out) {
  for (char c : std::to_string(value)) out->push_back(static_cast<char16_t>(c));
}

}  // namespace

std::u16string PageFileName(int32_t number, bool xhtml5) {
  std::u16string name = u"ch_";
  AppendNumber(number, &name);
  name += xhtml5 ? u".xhtml" : u".html";
  return name;
}

PageWriter::PageWriter(BookSink& sink, bool xhtml5)
    : sink_(sink), keeps_pages_(sink.KeepsPages()), xhtml5_(xhtml5) {}

void PageWriter::Reserve(size_t room) {
  // The buffer only grows, so that appending never clears memory it already had.
  if (page_.size() - length_ < room) page_.resize(std::max(2 * page_.size(), length_ + room));
}

void PageWriter::Append(std::string_view bytes) {
  Reserve(bytes.size());
  bytes.copy(page_.data() + length_, bytes.size());
  length_ += bytes.size();
}

void PageWriter::StartPage() {
  has_paragraph_ = false;
  length_ = 0;
  if (!keeps_pages_) return;
  Append(xhtml5_ ? kXhtml5TemplateStart : kTemplateStart);
  Append(std::to_string(page_number_));
  Append(kTemplateEnd);
}

void PageWriter::AppendParagraph(std::u16string_view paragraph) {
  has_paragraph_ = true;
  if (!keeps_pages_) return;
  Reserve(3 * paragraph.size() + 2);
  length_ += EncodeUtf8(paragraph, page_.data() + length_);
  Append("\r\n");
}

void PageWriter::SavePage() {
  if (keeps_pages_) {
    Append(kPageEnd);
    sink_.PutFile(u"OEBPS/" + page_file_name(), std::string_view(page_.data(), length_));
  }
  saved_pages_.push_back(page_number_);
}

}  // namespace quireforge
