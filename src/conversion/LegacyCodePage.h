// A legacy (non-Unicode) code page that sources without a byte-order mark are read in and
// that the plain writer writes: an ICU converter, named by the user, found from a source's
// text, or the user's locale's. Only ASCII-compatible, stateless code pages are accepted, and
// the two byte orders of UTF-16 (UTF-16LE, UTF-16BE), which a user may name for sources
// without a mark; those are read as UTF-16 units, and the plain writer writes UTF-8 then.
// Undecodable bytes and unencodable characters get ICU's default substitutes; nothing fails on
// content. Owned by the caller, which keeps it alive for every job using it. Not thread-safe: one
// thread at a time (the converter keeps state between the pieces of one call).
#ifndef QUIREFORGE_CONVERSION_LEGACYCODEPAGE_H_
#define QUIREFORGE_CONVERSION_LEGACYCODEPAGE_H_

#include <unicode/ucnv.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace quireforge {

// A code page name that ICU does not know or that is not ASCII-compatible.
class CodePageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class LegacyCodePage {
 public:
  // Opens the ICU converter `name` (e.g. "GB18030", "windows-1252"). Raises CodePageError
  // ("Unknown code page "x"." or "Code page "x" is not ASCII-compatible." for any other
  // Unicode form or a stateful code page) and holds
  // nothing when the name is unusable.
  explicit LegacyCodePage(const std::string& name);
  ~LegacyCodePage();

  LegacyCodePage(const LegacyCodePage&) = delete;
  LegacyCodePage& operator=(const LegacyCodePage&) = delete;

  // The name the code page was opened with.
  const std::string& Name() const { return name_; }

  // Which byte order of UTF-16 the code page is, if it is one.
  enum class Utf16 { kNo, kLittleEndian, kBigEndian };
  Utf16 utf16() const { return utf16_; }

  // Replaces `out` with the UTF-16 text of `bytes`. A large text is decoded by two threads
  // that are joined before this returns (by one, when no second thread can be made); the
  // result is the same. Raises std::bad_alloc when the text does not fit in memory.
  void Decode(std::string_view bytes, std::u16string* out) const;
  // Appends the encoded form of `text` to `out`.
  void Encode(std::u16string_view text, std::string* out) const;

  // The Windows ANSI code page of the locale in LC_ALL, else LC_CTYPE, else LANG (the first
  // that is set and not empty); windows-1252 when none is.
  static std::string LocaleName();
  // The Windows ANSI code page of a locale such as "zh_CN.UTF-8" or "ru_RU": GB18030 for
  // zh_CN and zh_SG, Big5 for zh_TW and zh_HK, and so on; windows-1252 for anything else.
  static std::string NameForLocale(std::string_view locale);

 private:
  std::string name_;
  icu::LocalUConverterPointer converter_;
  Utf16 utf16_ = Utf16::kNo;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_LEGACYCODEPAGE_H_
