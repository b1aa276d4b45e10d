#include "conversion/ContentsPage.h"

#include "conversion/BookOutline.h"
#include "conversion/PageWriter.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

// The primary language subtag and the rest of `tag`, in lower case.
std::u16string Lower(std::u16string_view tag) {
  std::u16string lower(tag);
  for (char16_t& c : lower) c = c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
  return lower;
}

bool IsTraditionalChinese(const std::u16string& tag) {
  for (const std::u16string_view marker : {u"-hant", u"-tw", u"-hk", u"-mo"}) {
    const size_t at = tag.find(marker);
    if (at != std::u16string::npos &&
        (at + marker.size() == tag.size() || tag[at + marker.size()] == u'-')) {
      return true;
    }
  }
  return false;
}

// One entry as a list item's link: the page is the entry's name, the label its title.
std::u16string Link(std::u16string_view entry) {
  const size_t equals = entry.find(u'=');
  const std::u16string_view page = entry.substr(0, equals);
  const std::u16string_view label =
      equals == std::u16string_view::npos ? std::u16string_view() : entry.substr(equals + 1);
  return u"<a href=\"" + XmlAttributeText(page) + u"\">" +
         XmlText(IsEmptyAsXmlText(label) ? page : label) + u"</a>";
}

}  // namespace

std::u16string_view ContentsPageFile(bool xhtml5) {
  return xhtml5 ? u"contents.xhtml" : u"contents.html";
}

std::u16string_view ContentsPageTitle(std::u16string_view language) {
  const std::u16string tag = Lower(language);
  const std::u16string primary = tag.substr(0, tag.find(u'-'));
  if (primary == u"zh") return IsTraditionalChinese(tag) ? u"目錄" : u"目录";
  if (primary == u"ja") return u"目次";
  if (primary == u"ko") return u"목차";
  return u"Contents";
}

std::vector<std::u16string> ContentsPageLines(const NavigationContent& content) {
  const std::u16string heading = XmlText(ContentsPageTitle(content.language));
  std::vector<std::u16string> lines = {
      u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      content.epub3 ? u"<!DOCTYPE html>"
                    : u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
                      u"\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">",
      u"<html xmlns=\"http://www.w3.org/1999/xhtml\">",
      u"<head>",
      u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />",
      u"<title>" + heading + u"</title>",
      u"<link rel=\"stylesheet\" type=\"text/css\" href=\"css/main.css\" />",
      u"<style type=\"text/css\">",
      u"h1.contents { text-align: center; font-weight: bold; }",
      u"ul.contents, ul.contents ul { list-style-type: none; margin: 0; padding: 0; }",
      u"ul.contents ul { padding-left: 2em; }",
      u"ul.contents li { margin-top: 0.3em; }",
      u"</style>",
      u"</head>",
      u"<body>",
      u"<h1 class=\"contents\">" + heading + u"</h1>",
      u"<ul class=\"contents\">",
  };
  const std::vector<VolumeEntry> no_volumes;
  const std::vector<OutlineItem> outline =
      BookOutline(*content.chapters, content.volumes != nullptr ? *content.volumes : no_volumes);
  // An item followed by deeper ones opens a list for them, closed after the last of them.
  for (size_t i = 0; i < outline.size(); ++i) {
    const bool has_children = i + 1 < outline.size() && outline[i + 1].depth > outline[i].depth;
    if (has_children) {
      lines.push_back(u"<li>" + Link(outline[i].entry));
      lines.emplace_back(u"<ul>");
    } else {
      lines.push_back(u"<li>" + Link(outline[i].entry) + u"</li>");
    }
    const bool closes_parent = outline[i].depth > 1 &&
                               (i + 1 == outline.size() || outline[i + 1].depth < outline[i].depth);
    if (closes_parent) {
      lines.emplace_back(u"</ul>");
      lines.emplace_back(u"</li>");
    }
  }
  // A list may not be empty: a book without chapters lists its start.
  if (outline.empty()) {
    lines.push_back(u"<li>" +
                    Link(PageFileName(1, content.epub3) + u"=" + std::u16string(content.title)) +
                    u"</li>");
  }
  for (const char16_t* line : {u"</ul>", u"</body>", u"</html>"}) lines.emplace_back(line);
  return lines;
}

}  // namespace quireforge
