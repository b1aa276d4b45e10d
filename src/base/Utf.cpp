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
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0xDC80 || unit > 0xDCFF) continue;
    if (i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF) continue;  // a pair
    AppendUtf8(text.substr(start, i - start), &out);
    out += static_cast<char>(unit & 0xFF);
    start = i + 1;
  }
  AppendUtf8(text.substr(start), &out);
  return out;
}

size_t Utf8CharacterLength(std::string_view bytes, size_t at) {
  const auto byte = [&](size_t k) {
    return at + k < bytes.size() ? static_cast<unsigned char>(bytes[at + k]) : 0u;
  };
  const auto continues = [&](size_t k) { return byte(k) >= 0x80 && byte(k) <= 0xBF; };
  const unsigned c = byte(0);
  if (at >= bytes.size()) return 0;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return continues(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
    return byte(1) >= low && byte(1) <= high && continues(2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
    return byte(1) >= low && byte(1) <= high && continues(2) && continues(3) ? 4 : 0;
  }
  return 0;
}

std::u16string FromUtf8Escaped(std::string_view bytes) {
  std::u16string out;
  size_t start = 0;  // of the valid run not decoded yet
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = Utf8CharacterLength(bytes, i);
    if (length > 0) {
      i += length;
      continue;
    }
    AppendFromUtf8(bytes.substr(start, i - start), &out);
    out += static_cast<char16_t>(0xDC00 | static_cast<unsigned char>(bytes[i]));
    start = ++i;
  }
  AppendFromUtf8(bytes.substr(start), &out);
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
