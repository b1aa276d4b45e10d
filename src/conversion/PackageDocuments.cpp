#include "conversion/PackageDocuments.h"

#include "base/AsciiText.h"
#include "conversion/BookSink.h"
#include "conversion/ClassicBook.h"
#include "conversion/ContentsPage.h"
#include "conversion/CoverImage.h"
#include "conversion/CoverPage.h"
#include "conversion/NavigationDocument.h"
#include "conversion/PageWriter.h"
#include "conversion/TextFile.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {

constexpr std::u16string_view kOpfNamespace = u"http://www.idpf.org/2007/opf";
constexpr std::u16string_view kDublinCoreNamespace = u"http://purl.org/dc/elements/1.1/";

std::u16string Concat(std::initializer_list<std::u16string_view> parts) {
  std::u16string text;
  for (std::u16string_view part : parts) text += part;
  return text;
}

}  // namespace

std::vector<std::u16string> ContainerLines() {
  return {
      u"<?xml version=\"1.0\" encoding=\"utf-8\" ?>",
      u"<container xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\" version=\"1.0\">",
      u"<rootfiles>",
      u"<rootfile full-path=\"OEBPS/book.opf\" media-type=\"application/oebps-package+xml\"/>",
      u"</rootfiles>",
      u"</container>",
  };
}

std::vector<std::u16string> StyleSheetLines(const BookOptions& options) {
  const std::u16string margin = DecimalText(options.margin);
  std::vector<std::u16string> lines;
  // The device's font exists only on an old EPUB 2 reader, and a resource outside the book is
  // an error to epubcheck: only the classic book names it.
  const bool embeds_font = !options.font.empty();
  if (embeds_font || NamesDeviceFont(options)) {
    lines = {u"@font-face {", u"  font-family: \"mainfont\";",
             embeds_font ? u"  src:url(\"../font.ttf\");"
                         : u"  src:url(res:///opt/sony/ebook/FONT/tt0003m_.ttf);",
             u"}"};
  }
  const std::vector<std::u16string> body = {
      u"body {",
      Concat({u"  margin-top: ", margin, u"pt;"}),
      Concat({u"  margin-bottom: ", margin, u"pt;"}),
      Concat({u"  margin-left: ", margin, u"pt;"}),
      Concat({u"  margin-right: ", margin, u"pt;"}),
      u"  text-align: Justify;",
      Concat({u"  line-height: ", DecimalText(options.line_height), u"%;"}),
      u"  font-family: \"mainfont\";",
      Concat({u"  font-size: ", DecimalText(options.font_size), u"%;"}),
  };
  lines.insert(lines.end(), body.begin(), body.end());
  if (options.bold) lines.emplace_back(u"font-weight:bold;");
  for (const char16_t* line :
       {u"}", u"p {", u"  page-break-before: avoid;", u"  page-break-after: avoid;",
        u"  margin-top: 0.5em;", u"  margin-bottom: 0pt;", u"  margin-left: 0pt;",
        u"  margin-right: 0pt;"}) {
    lines.emplace_back(line);
  }
  lines.push_back(Concat({u"  text-indent: ", DecimalText(options.indent.value_or(0)), u"em;"}));
  lines.emplace_back(u"  text-align: Justify;");
  lines.emplace_back(u"}");
  if (options.heading_style == HeadingStyle::kTitle) {
    for (const char16_t* line :
         {u"h1, h2 {", u"  font-weight: bold;", u"  text-align: center;", u"}"}) {
      lines.emplace_back(line);
    }
  }
  if (options.vertical) {
    // Top to bottom, lines from right to left; the prefixed name for readers of EPUB 3.0.
    for (const char16_t* line : {u"html {", u"  -epub-writing-mode: vertical-rl;",
                                 u"  writing-mode: vertical-rl;", u"}"}) {
      lines.emplace_back(line);
    }
  }
  return lines;
}

std::u16string PackageIdentifier(std::u16string_view identifier, bool epub3) {
  if (!epub3) return Concat({u"F.F.F.", identifier});
  std::u16string urn = u"urn:uuid:";
  urn += AsciiLowered(identifier);
  return urn;
}

std::u16string ModificationDate(std::time_t when) {
  std::tm utc{};
  gmtime_r(&when, &utc);
  char text[32];
  const size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::u16string(text, text + length);
}

namespace {

// The metadata and the manifest up to the pages' items.
std::vector<std::u16string> PackageHeadLines(const PackageHead& head) {
  std::vector<std::u16string> lines = {
      u"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>",
      Concat({u"<package version=\"", head.epub3 ? u"3.0" : u"2.0",
              u"\" unique-identifier=\"PrimaryID\" xmlns=\"", kOpfNamespace, u"\">"}),
      Concat({u"<metadata xmlns:dc=\"", kDublinCoreNamespace, u"\" xmlns:opf=\"", kOpfNamespace,
              u"\">"}),
      Concat({u"<dc:title>", XmlText(head.title), u"</dc:title>"}),
      // EPUB 3 knows no scheme attribute: the identifier's own form (a URN) says what it is.
      Concat({head.epub3 ? u"<dc:identifier id=\"PrimaryID\">"
                         : u"<dc:identifier id=\"PrimaryID\" opf:scheme=\"URN\">",
              PackageIdentifier(head.identifier, head.epub3), u"</dc:identifier>"}),
      Concat({u"<dc:language>", head.language.empty() ? u"en" : XmlText(head.language),
              u"</dc:language>"}),
  };
  if (!head.epub3 || !IsEmptyAsXmlText(head.author)) {
    lines.push_back(Concat({u"<dc:creator>", XmlText(head.author), u"</dc:creator>"}));
  }
  if (head.epub3) {
    lines.push_back(Concat({u"<meta property=\"dcterms:modified\">", head.modified, u"</meta>"}));
  }
  if (head.cover != nullptr) lines.emplace_back(u"<meta name=\"cover\" content=\"cover-image\"/>");
  for (const char16_t* line :
       {u"</metadata>", u"<manifest>",
        u"<item id=\"main-css\" href=\"css/main.css\" media-type=\"text/css\"/>",
        u"<item id=\"ncx\"  href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>"}) {
    lines.emplace_back(line);
  }
  if (head.epub3) {
    lines.push_back(Concat({u"<item id=\"nav\" href=\"", kNavigationDocumentFile,
                            u"\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>"}));
  }
  if (head.embeds_font) {
    lines.emplace_back(head.epub3 ? u"<item id=\"font\" href=\"font.ttf\" media-type=\"font/ttf\"/>"
                                  : u"<item id=\"font\" href=\"font.ttf\" "
                                    u"media-type=\"application/x-font-ttf\"/>");
  }
  if (head.cover != nullptr) {
    // EPUB 3 names the cover picture by its property, and a page with inline SVG says so.
    lines.push_back(Concat({u"<item id=\"cover-image\" href=\"", head.cover->file_name,
                            u"\" media-type=\"", head.cover->media_type,
                            head.epub3 ? u"\" properties=\"cover-image\"/>" : u"\"/>"}));
    lines.push_back(
        Concat({u"<item id=\"cover\" href=\"", CoverPageFile(head.epub3),
                head.epub3 ? u"\" media-type=\"application/xhtml+xml\" properties=\"svg\"/>"
                           : u"\" media-type=\"application/xhtml+xml\"/>"}));
  }
  if (head.contents_page) {
    lines.push_back(Concat({u"<item id=\"contents\" href=\"", ContentsPageFile(head.epub3),
                            u"\" media-type=\"application/xhtml+xml\"/>"}));
  }
  return lines;
}

void AppendLine(std::u16string_view line, std::u16string* text) {
  *text += line;
  *text += u"\r\n";
}

}  // namespace

std::u16string PackageDocument(const PackageHead& head, const std::vector<int32_t>& pages) {
  std::u16string text;
  for (const std::u16string& line : PackageHeadLines(head)) AppendLine(line, &text);
  for (const int32_t page : pages) {
    AppendLine(
        Concat({u"<item id=\"chapter", DecimalText(page), u"\" href=\"",
                PageFileName(page, head.epub3), u"\" media-type=\"application/xhtml+xml\"/>"}),
        &text);
  }
  AppendLine(u"</manifest>", &text);
  AppendLine(head.vertical ? u"<spine toc=\"ncx\" page-progression-direction=\"rtl\">"
                           : u"<spine toc=\"ncx\">",
             &text);
  if (head.cover != nullptr) AppendLine(u"<itemref idref=\"cover\" />", &text);
  if (head.contents_page) AppendLine(u"<itemref idref=\"contents\" />", &text);
  for (const int32_t page : pages) {
    AppendLine(Concat({u"<itemref idref=\"chapter", DecimalText(page), u"\" />"}), &text);
  }
  AppendLine(u"</spine>", &text);
  if (head.cover != nullptr || head.contents_page) {
    AppendLine(u"<guide>", &text);
    if (head.cover != nullptr) {
      AppendLine(Concat({u"<reference type=\"cover\" title=\"Cover\" href=\"",
                         CoverPageFile(head.epub3), u"\"/>"}),
                 &text);
    }
    if (head.contents_page) {
      AppendLine(Concat({u"<reference type=\"toc\" title=\"",
                         XmlAttributeText(ContentsPageTitle(head.language)), u"\" href=\"",
                         ContentsPageFile(head.epub3), u"\"/>"}),
                 &text);
    }
    AppendLine(u"</guide>", &text);
  }
  AppendLine(u"</package>", &text);
  return text;
}

void WriteFixedDocuments(BookSink& sink, const BookOptions& options,
                         const LegacyCodePage& code_page) {
  sink.PutFile(u"mimetype", PlainTextBytes(kMimetype, code_page));
  sink.PutFile(u"META-INF/container.xml", PlainTextBytes(JoinLines(ContainerLines()), code_page));
  sink.PutFile(u"OEBPS/css/main.css",
               PlainTextBytes(JoinLines(StyleSheetLines(options)), code_page));
}

void WritePackageDocument(BookSink& sink, const PackageHead& head,
                          const std::vector<int32_t>& pages) {
  sink.PutFile(u"OEBPS/book.opf", Utf8TextBytes(PackageDocument(head, pages)));
}

}  // namespace quireforge
