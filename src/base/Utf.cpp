#include "base/Utf.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdint>

namespace quireforge {

namespace {

// Large enough to make the per-call overhead vanish, small enough for ICU's 32-bit sizes.
constexpr size_t kChunk = size_t{1} << 20;
// UTF-8 is decoded through a buffer of this many units on the stack.
constexpr size_t kScratchUnits = 8192;

constexpr int32_t kReplacementCharacter = 0xFFFD;

}  // namespace

namespace detail {

size_t EncodeUtf8Chunked(std::u16string_view text, char* dest, size_t chunk) {
  size_t written = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = std::min(text.size(), pos + chunk);
    // Keep a surrogate pair together.
    if (end < text.size() && end - pos > 1 && U16_IS_LEAD(text[end - 1]) &&
        U16_IS_TRAIL(text[end])) {
      --end;
    }
    const size_t units = end - pos;
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(dest + written, static_cast<int32_t>(3 * units), &length,
                       reinterpret_cast<const UChar*>(text.data() + pos),
                       static_cast<int32_t>(units), kReplacementCharacter, nullptr, &status);
    // With a substitute and room for the worst case, ICU cannot fail here.
    if (U_SUCCESS(status)) written += static_cast<size_t>(length);
    pos = end;
  }
  return written;
}

bool AppendFromUtf8Chunked(std::string_view bytes, std::u16string* out, bool strict, size_t chunk) {
  // Pieces are decoded into a small buffer that stays in the cache, then appended.
  char16_t scratch[kScratchUnits];
  chunk = std::min(chunk, kScratchUnits);  // never more UTF-16 units than UTF-8 bytes
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
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(scratch), static_cast<int32_t>(kScratchUnits),
                         &written, bytes.data() + pos, static_cast<int32_t>(end - pos),
                         strict ? U_SENTINEL : kReplacementCharacter, nullptr, &status);
    if (U_FAILURE(status)) return false;
    out->append(scratch, static_cast<size_t>(written));
    pos = end;
  }
  return true;
}

}  // namespace detail

size_t EncodeUtf8(std::u16string_view text, char* dest) {
  return detail::EncodeUtf8Chunked(text, dest, kChunk);
}

void AppendUtf8(std::u16string_view text, std::string* out) {
  const size_t old_size = out->size();
  out->resize(old_size + 3 * text.size());
  out->resize(old_size + EncodeUtf8(text, out->data() + old_size));
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(text, &out);
  return out;
}

void AppendFromUtf8(std::string_view bytes, std::u16string* out) {
  detail::AppendFromUtf8Chunked(bytes, out, false, kScratchUnits);
}

std::u16string FromUtf8(std::string_view bytes) {
  std::u16string out;
  AppendFromUtf8(bytes, &out);
  return out;
}

bool DecodeStrictUtf8(std::string_view bytes, std::u16string* out) {
  out->clear();
  return AppendFromStrictUtf8(bytes, out);
}

bool AppendFromStrictUtf8(std::string_view bytes, std::u16string* out) {
  return detail::AppendFromUtf8Chunked(bytes, out, true, kScratchUnits);
}

size_t CompleteUtf8Prefix(std::string_view bytes) {
  size_t lead = bytes.size();
  int continuations = 0;
  while (lead > 0 && continuations < 3 &&
         (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80) {
    --lead;
    ++continuations;
  }
  if (lead == 0) return bytes.size();  // no lead byte at all: nothing to wait for
  const unsigned char first = static_cast<unsigned char>(bytes[lead - 1]);
  const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
  return bytes.size() - (lead - 1) < length ? lead - 1 : bytes.size();
}

}  // namespace quireforge
