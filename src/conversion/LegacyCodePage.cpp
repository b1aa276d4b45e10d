#include "conversion/LegacyCodePage.h"

#include <stdlib.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <exception>
#include <system_error>
#include <thread>

#include "base/AsciiText.h"

namespace quireforge {

namespace {

// Source bytes are fed to ICU in pieces of this size, so that the output grows with the
// text actually decoded.
constexpr size_t kPiece = size_t{1} << 20;

// Texts from this size on are decoded in two halves at once.
constexpr size_t kParallelThreshold = size_t{8} << 20;

// Appends the text of `piece` decoded by `converter`; with `last`, a character cut short at
// the end is flushed as a substitute, otherwise the converter keeps it for the next piece.
void DecodeWith(UConverter* converter, std::string_view piece, bool last, std::u16string* out) {
  // Decoded into a small buffer that stays in the cache, then appended.
  UChar scratch[8192];
  const char* source = piece.data();
  const char* const source_end = piece.data() + piece.size();
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    UChar* target = scratch;
    ucnv_toUnicode(converter, &target, scratch + std::size(scratch), &source, source_end, nullptr,
                   last, &status);
    out->append(reinterpret_cast<const char16_t*>(scratch), static_cast<size_t>(target - scratch));
    // A full buffer: go on with the rest of the piece. With the default substitution
    // callback nothing else can go wrong on content.
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
  }
}

// Appends the whole of `bytes` decoded by `converter`, fed in pieces.
void DecodeAll(UConverter* converter, std::string_view bytes, std::u16string* out) {
  do {
    const std::string_view piece = bytes.substr(0, kPiece);
    bytes.remove_prefix(piece.size());
    DecodeWith(converter, piece, bytes.empty(), out);
  } while (!bytes.empty());
}

// Every ASCII byte must stand for the same character, both ways. IBM tables swap the
// controls 1A, 1C and 7F, which never matter in text, so those are not compared.
std::string AsciiProbe() {
  std::string probe;
  for (int c = 0; c < 0x80; ++c) {
    if (c != 0x1A && c != 0x1C && c != 0x7F) probe += static_cast<char>(c);
  }
  return probe;
}

// Converters that give ASCII bytes other meanings after an escape or shift, even when the
// probe alone passes.
bool IsStateful(UConverterType type) {
  switch (type) {
    case UCNV_EBCDIC_STATEFUL:
    case UCNV_ISO_2022:
    case UCNV_HZ:
    case UCNV_SCSU:
    case UCNV_UTF7:
    case UCNV_BOCU1:
    case UCNV_IMAP_MAILBOX:
      return true;
    default:
      return type >= UCNV_LMBCS_1 && type <= UCNV_LMBCS_LAST;
  }
}

bool ReadEnvironment(const char* name, std::string* value) {
  const char* v = getenv(name);
  if (v == nullptr || *v == '\0') return false;
  *value = v;
  return true;
}

}  // namespace

LegacyCodePage::LegacyCodePage(const std::string& name) : name_(name) {
  UErrorCode status = U_ZERO_ERROR;
  // An empty name would open ICU's default converter; an unusable one is an error.
  if (!name.empty()) converter_.adoptInstead(ucnv_open(name.c_str(), &status));
  if (converter_.isNull() || U_FAILURE(status)) {
    throw CodePageError("Unknown code page \"" + name + "\".");
  }
  // ICU's own name, whichever alias was given ("utf16le", "UTF-16LE", ...).
  const std::string_view canonical = ucnv_getName(converter_.getAlias(), &status);
  if (canonical == "UTF-16LE" || canonical == "UTF-16BE") {
    utf16_ = canonical == "UTF-16LE" ? Utf16::kLittleEndian : Utf16::kBigEndian;
    return;
  }
  const std::string probe = AsciiProbe();
  std::u16string decoded;
  Decode(probe, &decoded);
  std::string encoded;
  Encode(decoded, &encoded);
  bool compatible = !IsStateful(ucnv_getType(converter_.getAlias())) &&
                    decoded.size() == probe.size() && encoded == probe;
  for (size_t i = 0; compatible && i < probe.size(); ++i) {
    compatible = decoded[i] == static_cast<char16_t>(probe[i]);
  }
  if (!compatible) {
    throw CodePageError("Code page \"" + name + "\" is not ASCII-compatible.");
  }
}

LegacyCodePage::~LegacyCodePage() = default;

void LegacyCodePage::Decode(std::string_view bytes, std::u16string* out) const {
  out->clear();
  out->reserve(bytes.size() + 16);  // one unit per byte is the rule, more the exception
  UConverter* const converter = converter_.getAlias();
  ucnv_resetToUnicode(converter);
  // A large text is cut after a line feed in its middle and both halves are decoded at
  // once, each by its own converter. A line feed is a whole character in every code page
  // accepted here (none is stateful, and none uses ASCII bytes inside a character), so the
  // text comes out as one pass over all of it would give it.
  const size_t cut = bytes.size() >= kParallelThreshold && std::thread::hardware_concurrency() > 1
                         ? bytes.find('\n', bytes.size() / 2)
                         : std::string_view::npos;
  UErrorCode status = U_ZERO_ERROR;
  const icu::LocalUConverterPointer second(
      cut == std::string_view::npos ? nullptr : ucnv_clone(converter, &status));
  if (second.isNull() || U_FAILURE(status)) {
    DecodeAll(converter, bytes, out);
    return;
  }
  std::u16string tail;
  tail.reserve(bytes.size() - cut + 16);
  // A failure of either half (running out of memory) is raised here, once both are done.
  std::exception_ptr tail_failure;
  // Declared after everything it uses: a failure of the first half leaves this scope through
  // the worker's destructor, which joins it before the tail and the converter go.
  std::jthread worker;
  try {
    worker = std::jthread([&] {
      try {
        DecodeAll(second.getAlias(), bytes.substr(cut + 1), &tail);
      } catch (...) {
        tail_failure = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // No second thread to be had (a limit on memory or threads): one pass does it all.
    DecodeAll(converter, bytes, out);
    return;
  }
  DecodeAll(converter, bytes.substr(0, cut + 1), out);
  worker.join();
  if (tail_failure) std::rethrow_exception(tail_failure);
  out->append(tail);
}

void LegacyCodePage::Encode(std::u16string_view text, std::string* out) const {
  UConverter* const converter = converter_.getAlias();
  ucnv_resetFromUnicode(converter);
  const UChar* source = reinterpret_cast<const UChar*>(text.data());
  const UChar* const source_end = source + text.size();
  size_t written = out->size();
  out->resize(written + text.size() + 16);
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    char* target = out->data() + written;
    ucnv_fromUnicode(converter, &target, out->data() + out->size(), &source, source_end, nullptr,
                     true, &status);
    written = static_cast<size_t>(target - out->data());
    if (status != U_BUFFER_OVERFLOW_ERROR) break;
    out->resize(out->size() * 2);
  }
  out->resize(written);
}

std::string LegacyCodePage::LocaleName() {
  std::string locale;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    if (ReadEnvironment(variable, &locale)) break;
  }
  return NameForLocale(locale);
}

std::string LegacyCodePage::NameForLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  const size_t language_end = std::min(locale.find_first_of("_.@"), locale.size());
  const std::string language = AsciiLowered(locale.substr(0, language_end));
  std::string territory;
  if (language_end < locale.size() && locale[language_end] == '_') {
    const std::string_view rest = locale.substr(language_end + 1);
    territory = AsciiLowered(rest.substr(0, std::min(rest.find_first_of(".@"), rest.size())));
  }

  if (language == "zh") {
    if (territory == "cn" || territory == "sg") return "GB18030";
    if (territory == "tw" || territory == "hk") return "Big5";
    return "windows-1252";
  }
  struct Entry {
    const char* languages[8];
    const char* code_page;
  };
  static const std::array<Entry, 11> kTable = {{
      {{"ja"}, "Shift_JIS"},
      {{"ko"}, "windows-949"},
      {{"ru", "uk", "bg", "sr"}, "windows-1251"},
      {{"cs", "pl", "hu", "sk", "sl", "hr", "ro"}, "windows-1250"},
      {{"el"}, "windows-1253"},
      {{"tr"}, "windows-1254"},
      {{"he"}, "windows-1255"},
      {{"ar"}, "windows-1256"},
      {{"lt", "lv", "et"}, "windows-1257"},
      {{"vi"}, "windows-1258"},
      {{"th"}, "windows-874"},
  }};
  for (const Entry& entry : kTable) {
    for (const char* candidate : entry.languages) {
      if (candidate != nullptr && language == candidate) return entry.code_page;
    }
  }
  return "windows-1252";
}

}  // namespace quireforge
