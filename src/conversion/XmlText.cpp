#include "conversion/XmlText.h"

namespace quireforge {

namespace {

// Characters that are escaped or dropped; everything else is copied as it is.
bool NeedsAttention(char16_t c) {
  if (c > u'>' && c < 0xFFFE) return false;  // most text, letters and ideographs alike
  return c < u' ' || c == u'&' || c == u'<' || c == u'>' || c >= 0xFFFE;
}

}  // namespace

bool IsEmptyAsXmlText(std::u16string_view text) {
  for (const char16_t c : text) {
    if (c > u' ' && c < 0xFFFE) return false;
  }
  return true;
}

void AppendXmlText(std::u16string_view text, std::u16string* out) {
  size_t run_start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (!NeedsAttention(c)) continue;
    out->append(text.data() + run_start, i - run_start);
    run_start = i + 1;
    switch (c) {
      case u'&':
        out->append(u"&amp;");
        break;
      case u'<':
        out->append(u"&lt;");
        break;
      case u'>':
        out->append(u"&gt;");
        break;
      case u'\t':
        out->push_back(c);
        break;
      default:
        break;  // forbidden in XML 1.0: dropped
    }
  }
  out->append(text.data() + run_start, text.size() - run_start);
}

std::u16string XmlText(std::u16string_view text) {
  std::u16string out;
  AppendXmlText(text, &out);
  return out;
}

std::u16string XmlAttributeText(std::u16string_view text) {
  std::u16string escaped;
  for (char16_t c : XmlText(text)) {
    if (c == u'"') {
      escaped += u"&quot;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

}  // namespace quireforge
