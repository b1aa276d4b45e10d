#include "conversion/CoverPage.h"

#include "base/AsciiText.h"
#include "conversion/BookSink.h"
#include "conversion/CoverImage.h"
#include "conversion/TextFile.h"
#include "conversion/XmlText.h"

namespace quireforge {

namespace {}  // namespace

std::u16string_view CoverPageFile(bool xhtml5) { return xhtml5 ? u"cover.xhtml" : u"cover.html"; }

std::vector<std::u16string> CoverPageLines(const CoverImage& image, std::u16string_view title,
                                           bool xhtml5) {
  const std::u16string width = DecimalText(image.width);
  const std::u16string height = DecimalText(image.height);
  // The picture sits in an SVG view box of its own size, which the page fills: readers scale
  // it up or down to the screen and keep its proportions, whatever the shape of either.
  return {
      u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
      xhtml5 ? u"<!DOCTYPE html>"
             : u"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" "
               u"\"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">",
      u"<html xmlns=\"http://www.w3.org/1999/xhtml\">",
      u"<head>",
      u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />",
      u"<title>" + XmlText(title) + u"</title>",
      u"<style type=\"text/css\">",
      u"html, body, div { height: 100%; margin: 0; padding: 0; text-align: center; }",
      u"</style>",
      u"</head>",
      u"<body>",
      u"<div>",
      u"<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
      u"version=\"1.1\" width=\"100%\" height=\"100%\" viewBox=\"0 0 " +
          width + u" " + height + u"\" preserveAspectRatio=\"xMidYMid meet\">",
      u"<image width=\"" + width + u"\" height=\"" + height + u"\" xlink:href=\"" +
          std::u16string(image.file_name) + u"\" />",
      u"</svg>",
      u"</div>",
      u"</body>",
      u"</html>",
  };
}

void WriteCover(BookSink& sink, const CoverImage& image, std::u16string_view title, bool xhtml5) {
  sink.PutFile(u"OEBPS/" + std::u16string(image.file_name), image.bytes);
  sink.PutFile(u"OEBPS/" + std::u16string(CoverPageFile(xhtml5)),
               Utf8LinesBytes(CoverPageLines(image, title, xhtml5)));
}

}  // namespace quireforge
