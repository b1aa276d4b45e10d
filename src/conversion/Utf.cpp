#include "conversion/Utf.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdint>

namespace quireforge {

namespace {

// Large enough to make the per-call overhead vanish, small enough for ICU's 32-bit sizes
// and for the strict decoder to give up early on text that is not UTF-8.
constexpr size_t kChunk = size_t{1} << 20;

constexpr int32_t kReplacementCharacter = 0xFFFD;

}  // namespace

namespace detail {

void AppendUtf8Chunked(std::u16string_view text, std::string* out, size_t chunk) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = std::min(text.size(), pos + chunk);
    // Keep a surrogate pair together.
    if (end < text.size() && end - pos > 1 && U16_IS_LEAD(text[end - 1]) &&
        U16_IS_TRAIL(text[end])) {
      --end;
    }
    const size_t units = end - pos;
    const size_t old_size = out->size();
    out->resize(old_size + 3 * units);
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out->data() + old_size, static_cast<int32_t>(3 * units), &written,
                       reinterpret_cast<const UChar*>(text.data() + pos),
                       static_cast<int32_t>(units), kReplacementCharacter, nullptr, &status);
    // With a substitute and room for the worst case, ICU cannot fail here.
    if (U_FAILURE(status)) written = 0;
    out->resize(old_size + static_cast<size_t>(written));
    pos = end;
  }
}

bool AppendFromUtf8Chunked(std::string_view bytes, std::u16string* out, bool strict, size_t chunk) {
  out->reserve(out->size() + bytes.size());
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = std::min(bytes.size(), pos + chunk);
    // Start the next piece at the first byte of a sequence, not inside one.
    size_t backed = 0;
    while (end < bytes.size() && backed < 3 && end - 1 > pos &&
           (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) {
      --end;
      ++backed;
    }
    const size_t length = end - pos;
    const size_t old_size = out->size();
    out->resize(old_size + length);  // never more UTF-16 units than UTF-8 bytes
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out->data() + old_size),
                         static_cast<int32_t>(length), &written, bytes.data() + pos,
                         static_cast<int32_t>(length), strict ? U_SENTINEL : kReplacementCharacter,
                         nullptr, &status);
    if (U_FAILURE(status)) {
      out->resize(old_size);
      return false;
    }
    out->resize(old_size + static_cast<size_t>(written));
    pos = end;
  }
  return true;
}

}  // namespace detail

void AppendUtf8(std::u16string_view text, std::string* out) {
  detail::AppendUtf8Chunked(text, out, kChunk);
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(text, &out);
  return out;
}

void AppendFromUtf8(std::string_view bytes, std::u16string* out) {
  detail::AppendFromUtf8Chunked(bytes, out, false, kChunk);
}

std::u16string FromUtf8(std::string_view bytes) {
  std::u16string out;
  AppendFromUtf8(bytes, &out);
  return out;
}

bool DecodeStrictUtf8(std::string_view bytes, std::u16string* out) {
  out->clear();
  return detail::AppendFromUtf8Chunked(bytes, out, true, kChunk);
}

}  // namespace quireforge
