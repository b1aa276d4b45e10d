#include "archive/ArchiveText.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <memory>

namespace quireforge {

namespace {

bool IsValidUtf8(const std::string& bytes) {
  const auto* s = reinterpret_cast<const uint8_t*>(bytes.data());
  int32_t length = static_cast<int32_t>(bytes.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

std::u16string FromCodePage437(const std::string& bytes) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, void (*)(UConverter*)> converter(ucnv_open("ibm-437", &status),
                                                               ucnv_close);
  if (U_FAILURE(status)) return FromUtf8(bytes);
  icu::UnicodeString text(bytes.data(), static_cast<int32_t>(bytes.size()), converter.get(),
                          status);
  if (U_FAILURE(status)) return FromUtf8(bytes);
  return std::u16string(text.getBuffer(), text.getBuffer() + text.length());
}

}  // namespace

std::string ToUtf8(const std::u16string& text) {
  std::string out;
  icu::UnicodeString(false, text.data(), static_cast<int32_t>(text.size())).toUTF8String(out);
  return out;
}

std::u16string FromUtf8(const std::string& text) {
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
  return std::u16string(unicode.getBuffer(), unicode.getBuffer() + unicode.length());
}

std::u16string FromZipName(const std::string& bytes, bool utf8_flag) {
  if (utf8_flag || IsValidUtf8(bytes)) return FromUtf8(bytes);
  return FromCodePage437(bytes);
}

std::u16string TrimBlanks(const std::u16string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] <= u' ') ++begin;
  while (end > begin && text[end - 1] <= u' ') --end;
  return text.substr(begin, end - begin);
}

}  // namespace quireforge
