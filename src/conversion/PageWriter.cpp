#include "conversion/PageWriter.h"

#include "conversion/TextFile.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

constexpr std::u16string_view kTemplateStart =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
    u"\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">\r\n"
    u"<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n"
    u"<head>\r\n"
    u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />\r\n"
    u"<meta content=\"text/html; charset=UTF-8\" />\r\n"
    u"<title>";
constexpr std::u16string_view kTemplateEnd =
    u"</title>\r\n"
    u"<link rel=\"stylesheet\" type=\"text/css\" href=\"css/main.css\" />\r\n"
    u"</head>\r\n"
    u"<body>\r\n";
constexpr std::u16string_view kPageEnd = u"</body>\r\n</html>\r\n";

void AppendNumber(int32_t value, std::u16string* out) {
  for (char c : std::to_string(value)) out->push_back(static_cast<char16_t>(c));
}

}  // namespace

PageWriter::PageWriter(std::u16string staging_path)
    : pages_folder_(std::move(staging_path) + u"/OEBPS/ch_") {}

void PageWriter::StartPage() {
  page_.clear();
  page_ += kTemplateStart;
  AppendNumber(page_number_, &page_);
  page_ += kTemplateEnd;
  has_paragraph_ = false;
}

void PageWriter::AppendParagraph(std::u16string_view paragraph) {
  page_ += paragraph;
  page_ += u"\r\n";
  has_paragraph_ = true;
}

void PageWriter::SavePage() {
  page_ += kPageEnd;
  std::u16string path = pages_folder_;
  AppendNumber(page_number_, &path);
  path += u".html";
  WriteUtf8Text(path, page_, &bytes_);

  manifest_ += u"<item id=\"chapter";
  AppendNumber(page_number_, &manifest_);
  manifest_ += u"\" href=\"ch_";
  AppendNumber(page_number_, &manifest_);
  manifest_ += u".html\" media-type=\"application/xhtml+xml\"/>\r\n";

  spine_ += u"<itemref idref=\"chapter";
  AppendNumber(page_number_, &spine_);
  spine_ += u"\" />\r\n";
}

void PageWriter::BuildParagraph(std::u16string_view line, std::u16string* out) {
  out->assign(u"<p>");
  AppendXmlText(line, out);
  out->append(u"</p>");
}

}  // namespace quireforge
