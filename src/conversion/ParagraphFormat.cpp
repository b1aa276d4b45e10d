#include "conversion/ParagraphFormat.h"

#include "base/StringOps.h"
#include "conversion/XmlText.h"

namespace quireforge {

void ParagraphFormat::Build(std::u16string_view line, LineKind kind, std::u16string* out) const {
  if (headings_ == HeadingStyle::kTitle && kind != LineKind::kText) {
    const bool volume = kind == LineKind::kVolumeHead;
    out->assign(volume ? u"<h1>" : u"<h2>");
    AppendXmlText(TrimBlanks(line), out);
    out->append(volume ? u"</h1>" : u"</h2>");
    return;
  }
  out->assign(u"<p>");
  AppendXmlText(indented_ ? TrimLeadingBlanks(line) : line, out);
  out->append(u"</p>");
}

}  // namespace quireforge
