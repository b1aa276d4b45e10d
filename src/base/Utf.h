// UTF-8 <-> UTF-16 through ICU, for file contents, paths and messages. Never fails on
// content: malformed UTF-8 and unpaired surrogates become U+FFFD, except in the strict
// decoder, which only reports whether the bytes are valid. Stateless; any thread.
#ifndef QUIREFORGE_BASE_UTF_H_
#define QUIREFORGE_BASE_UTF_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace quireforge {

// Appends the UTF-8 form of `text` to `out`; an unpaired surrogate becomes EF BF BD.
void AppendUtf8(std::u16string_view text, std::string* out);
// The same for paths and messages, but for a lone surrogate U+DC80..U+DCFF, which stands for
// the byte 80..FF of a file name that is not UTF-8 (FromUtf8Escaped) and becomes that byte
// again, so that such a name opens the file it names.
std::string ToUtf8(std::u16string_view text);
// The UTF-16 form of a file name: valid UTF-8 decoded, every other byte (80..FF) the lone
// surrogate U+DC00 + byte, which ToUtf8 turns back into it.
std::u16string FromUtf8Escaped(std::string_view bytes);
// The length of the valid UTF-8 character at `at` in `bytes`; 0 when none starts there.
size_t Utf8CharacterLength(std::string_view bytes, size_t at);
// Writes the UTF-8 form of `text` to `dest`, which must have room for 3 * text.size()
// bytes, and returns the number of bytes written.
size_t EncodeUtf8(std::u16string_view text, char* dest);

// Appends the UTF-16 form of `bytes` to `out`; every malformed sequence becomes U+FFFD.
void AppendFromUtf8(std::string_view bytes, std::u16string* out);
std::u16string FromUtf8(std::string_view bytes);

// Replaces `out` with the UTF-16 form of `bytes` and returns true when `bytes` is valid
// UTF-8 throughout; returns false otherwise, leaving `out` with unspecified content.
bool DecodeStrictUtf8(std::string_view bytes, std::u16string* out);
// Appends like AppendFromUtf8 when `bytes` is valid UTF-8 and returns true; returns false
// otherwise, leaving `out` with unspecified content.
bool AppendFromStrictUtf8(std::string_view bytes, std::u16string* out);

// For UTF-8 that arrives in pieces: the length of the longest prefix of `bytes` that does
// not end inside a character cut short by the end of the piece.
size_t CompleteUtf8Prefix(std::string_view bytes);

namespace detail {
// The same conversions cut into pieces of at most `chunk` units (at least 4) without
// splitting a character: ICU counts in 32 bits, and decoding goes through a small buffer.
size_t EncodeUtf8Chunked(std::u16string_view text, char* dest, size_t chunk);
bool AppendFromUtf8Chunked(std::string_view bytes, std::u16string* out, bool strict, size_t chunk);
}  // namespace detail

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_UTF_H_
