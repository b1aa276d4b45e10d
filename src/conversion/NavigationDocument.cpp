#include "conversion/NavigationDocument.h"

#include "conversion/BookOutline.h"
#include "conversion/ContentsPage.h"
#include "conversion/PageWriter.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

// The link of one chapter list or volume entry: its name is the page, the text after its
// first "=" the label. A label that would show nothing (empty, blanks, or characters XML
// cannot hold) gives way to the page's name.
std::u16string Link(std::u16string_view entry) {
  const size_t equals = entry.find(u'=');
  const std::u16string_view page = entry.substr(0, equals);
  const std::u16string_view label =
      equals == std::u16string_view::npos ? std::u16string_view() : entry.substr(equals + 1);
  return u"<a href=\"" + XmlAttributeText(page) + u"\">" +
         XmlText(IsEmptyAsXmlText(label) ? page : label) + u"</a>";
}

}  // namespace

std::vector<std::u16string> NavigationDocumentLines(const NavigationContent& content) {
  const std::u16string language =
      content.language.empty() ? std::u16string(u"en") : XmlAttributeText(content.language);
  const std::u16string title = XmlText(content.title);
  std::vector<std::u16string> lines = {
      u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      u"<!DOCTYPE html>",
      u"<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
      u"xml:lang=\"" +
          language + u"\" lang=\"" + language + u"\">",
      u"<head>",
      u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />",
      u"<title>" + title + u"</title>",
      u"</head>",
      u"<body>",
      u"<nav epub:type=\"toc\" id=\"toc\">",
  };
  if (!IsEmptyAsXmlText(content.title)) lines.push_back(u"<h1>" + title + u"</h1>");
  lines.emplace_back(u"<ol>");

  const std::vector<VolumeEntry> no_volumes;
  const std::vector<OutlineItem> outline =
      BookOutline(*content.chapters, content.volumes != nullptr ? *content.volumes : no_volumes);
  // An item followed by deeper ones opens a list for them, closed after the last of them.
  for (size_t i = 0; i < outline.size(); ++i) {
    const bool has_children = i + 1 < outline.size() && outline[i + 1].depth > outline[i].depth;
    if (has_children) {
      lines.push_back(u"<li>" + Link(outline[i].entry));
      lines.emplace_back(u"<ol>");
    } else {
      lines.push_back(u"<li>" + Link(outline[i].entry) + u"</li>");
    }
    const bool closes_parent = outline[i].depth > 1 &&
                               (i + 1 == outline.size() || outline[i + 1].depth < outline[i].depth);
    if (closes_parent) {
      lines.emplace_back(u"</ol>");
      lines.emplace_back(u"</li>");
    }
  }
  // A list may not be empty: a book without chapters gets one entry to its start.
  if (outline.empty()) {
    const std::u16string first_page = PageFileName(1, /*xhtml5=*/true);
    lines.push_back(u"<li>" + Link(first_page + u"=" + std::u16string(content.title)) + u"</li>");
  }
  lines.emplace_back(u"</ol>");
  lines.emplace_back(u"</nav>");
  // The landmarks lead reading systems to the contents page (and the cover before it).
  if (content.contents_page) {
    lines.emplace_back(u"<nav epub:type=\"landmarks\" id=\"landmarks\" hidden=\"hidden\">");
    lines.emplace_back(u"<ol>");
    if (!content.cover_page.empty()) {
      lines.push_back(u"<li><a epub:type=\"cover\" href=\"" + XmlAttributeText(content.cover_page) +
                      u"\">Cover</a></li>");
    }
    lines.push_back(u"<li><a epub:type=\"toc\" href=\"" +
                    std::u16string(ContentsPageFile(/*xhtml5=*/true)) + u"\">" +
                    XmlText(ContentsPageTitle(content.language)) + u"</a></li>");
    lines.emplace_back(u"</ol>");
    lines.emplace_back(u"</nav>");
  }
  lines.emplace_back(u"</body>");
  lines.emplace_back(u"</html>");
  return lines;
}

}  // namespace quireforge
