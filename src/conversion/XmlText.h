// Text made fit for XML element content where a staged document is written: "&", "<" and
// ">" become entities, and the characters XML 1.0 forbids are dropped (every C0 control
// but TAB, U+FFFE, U+FFFF). Surrogates are left alone: halves that become neighbours form
// a pair, and the UTF-8 writer turns unpaired ones into U+FFFD. Pure functions; any thread.
#ifndef QUIREFORGE_CONVERSION_XMLTEXT_H_
#define QUIREFORGE_CONVERSION_XMLTEXT_H_

#include <string>
#include <string_view>

namespace quireforge {

// True when nothing of `text` would show once written: it holds only characters that XML
// forbids (dropped where XML is written) and blanks up to U+0020 (trimmed). A title like that
// is refused as an empty one is.
bool IsEmptyAsXmlText(std::u16string_view text);

// Appends the escaped form of `text` to `out`.
void AppendXmlText(std::u16string_view text, std::u16string* out);
std::u16string XmlText(std::u16string_view text);
// The escaped form of `text` for a double-quoted attribute value: as above, and '"' becomes
// "&quot;".
std::u16string XmlAttributeText(std::u16string_view text);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_XMLTEXT_H_
