#include "archive/ArchiveText.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include "base/Utf.h"

namespace quireforge {

namespace {

std::u16string FromCodePage437(const std::string& bytes) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::LocalUConverterPointer converter(ucnv_open("ibm-437", &status));
  if (U_FAILURE(status)) return FromUtf8(bytes);
  icu::UnicodeString text(bytes.data(), static_cast<int32_t>(bytes.size()), converter.getAlias(),
                          status);
  if (U_FAILURE(status)) return FromUtf8(bytes);
  return std::u16string(text.getBuffer(), text.getBuffer() + text.length());
}

}  // namespace

std::u16string FromZipName(const std::string& bytes, bool utf8_flag) {
  std::u16string name;
  if (DecodeStrictUtf8(bytes, &name)) return name;
  if (utf8_flag) return FromUtf8(bytes);
  return FromCodePage437(bytes);
}

}  // namespace quireforge
