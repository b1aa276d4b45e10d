#include "conversion/NavigationFile.h"

#include "base/AsciiText.h"
#include "conversion/PackageDocuments.h"
#include "conversion/PageWriter.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

constexpr std::u16string_view kNcxSystemId = u"http://www.daisy.org/z3986/2005/ncx-2005-1.dtd";
constexpr std::u16string_view kNcxNamespace = u"http://www.daisy.org/z3986/2005/ncx/";

// The lines of navigation point `number` (from 1): three, the last closing the point, or,
// when the point is `open` for points nested in it, two and the content line alone.
void AppendNavigationPoint(size_t number, std::u16string_view page, std::u16string_view label,
                           std::vector<std::u16string>* lines, bool open = false) {
  const std::u16string n = DecimalText(number);
  lines->push_back(u"<navPoint id=\"navPoint-" + n + u"\" playOrder=\"" + n + u"\">");
  lines->push_back(u"<navLabel><text>" + XmlText(label) + u"</text></navLabel>");
  lines->push_back(u"<content src=\"" + XmlAttributeText(page) +
                   (open ? u"#\"/>" : u"#\"/></navPoint>"));
}

// The point of one chapter list or volume entry: its name is the page, the text after its
// first "=" the label (an entry without "=" has an empty label).
void AppendEntryPoint(size_t number, std::u16string_view entry, std::vector<std::u16string>* lines,
                      bool open = false) {
  const size_t equals = entry.find(u'=');
  if (equals == std::u16string_view::npos) {
    AppendNavigationPoint(number, entry, std::u16string_view(), lines, open);
  } else {
    AppendNavigationPoint(number, entry.substr(0, equals), entry.substr(equals + 1), lines, open);
  }
}

}  // namespace

std::vector<std::u16string> NavigationLines(const NavigationContent& content) {
  const std::vector<VolumeEntry> no_volumes;
  const std::vector<OutlineItem> outline =
      BookOutline(*content.chapters, content.volumes != nullptr ? *content.volumes : no_volumes);
  bool nested = false;
  for (const OutlineItem& item : outline) nested = nested || item.depth > 1;

  std::vector<std::u16string> lines = {u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"};
  if (!content.epub3) {
    lines.push_back(u"<!DOCTYPE ncx PUBLIC \"-//NISO//DTD ncx 2005-1//EN\" \"" +
                    std::u16string(kNcxSystemId) + u"\">");
  }
  lines.insert(
      lines.end(),
      {
          u"<ncx version=\"2005-1\" xml:lang=\"" +
              (content.language.empty() ? std::u16string(u"en-US")
                                        : XmlAttributeText(content.language)) +
              u"\" xmlns=\"" + std::u16string(kNcxNamespace) + u"\">",
          u"<head>",
          // The same identifier as the package document's, so that readers can pair them.
          u"<meta name=\"dtb:uid\" content=\"" +
              XmlAttributeText(PackageIdentifier(content.identifier, content.epub3)) + u"\"/>",
          nested ? u"<meta name=\"dtb:depth\" content=\"2\"/>"
                 : u"<meta name=\"dtb:depth\" content=\"1\"/>",
          u"<meta name=\"dtb:totalPageCount\" content=\"0\"/>",
          u"<meta name=\"dtb:maxPageNumber\" content=\"0\"/>",
          u"</head>",
          u"<docTitle><text>" + XmlText(content.title) + u"</text></docTitle>",
          u"<docAuthor><text>" + XmlText(content.author) + u"</text></docAuthor>",
          u"<navMap>",
      });
  // Play order and id follow reading order; a first-level point followed by deeper ones stays
  // open until the last of them.
  for (size_t i = 0; i < outline.size(); ++i) {
    const bool has_children = i + 1 < outline.size() && outline[i + 1].depth > outline[i].depth;
    AppendEntryPoint(i + 1, outline[i].entry, &lines, has_children);
    const bool closes_parent = outline[i].depth > 1 &&
                               (i + 1 == outline.size() || outline[i + 1].depth < outline[i].depth);
    if (closes_parent) lines.push_back(u"</navPoint>");
  }
  // A navigation map may not be empty: a book without chapters gets one point to its start.
  if (outline.empty())
    AppendNavigationPoint(1, PageFileName(1, content.epub3), content.title, &lines);
  lines.push_back(u"</navMap>");
  lines.push_back(u"</ncx>");
  return lines;
}

}  // namespace quireforge
