#include "conversion/TextFile.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include "base/PosixIo.h"
#include "base/ScopedFd.h"
#include "base/Utf.h"
#include "conversion/CodePageDetector.h"
#include "conversion/FileErrors.h"
#include "conversion/LegacyCodePage.h"

namespace quireforge {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

// Opens an existing regular file for reading; `size`, when given, receives its size. A
// folder, a device or a pipe is refused: reading one would give garbage or never end.
ScopedFd OpenForReading(std::u16string_view path, size_t* size = nullptr) {
  ScopedFd file;
  uint64_t file_size = 0;
  const int error = OpenRegularFile(NativePath(path), &file, &file_size);
  if (error == kNotRegularFile) ThrowOpenError(path, "Not a regular file");
  if (error != 0) ThrowOpenError(path, error);
  if (size != nullptr) *size = static_cast<size_t>(file_size);
  return file;
}

// Reads up to `size` bytes of `file` into `buffer` and returns how many arrived: fewer only at
// the end of the file. Raises the open error naming `path` when a read fails.
size_t ReadPiece(std::u16string_view path, const ScopedFd& file, char* buffer, size_t size) {
  size_t done = 0;
  if (const int error = ReadFully(file.get(), buffer, size, &done)) ThrowOpenError(path, error);
  return done;
}

// Reads at most `count` bytes from the start of `file`.
std::string ReadHead(std::u16string_view path, const ScopedFd& file, size_t count) {
  std::string bytes(count, '\0');
  bytes.resize(ReadPiece(path, file, bytes.data(), count));
  return bytes;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

// Room is laid out for a text by the size of its file only up to this; a larger text grows
// as it comes.
constexpr size_t kLargestReservation = size_t{1} << 30;

// How long the text of `file` (`size` bytes) can be at most: up to its first hole, which
// reads as zeros and so ends the text, and no longer than the file.
size_t TextSizeBound(const ScopedFd& file, size_t size) {
  const off_t hole = lseek(file.get(), 0, SEEK_HOLE);
  const size_t bound = hole >= 0 ? std::min(size, static_cast<size_t>(hole)) : size;
  // Back to the start; a file that cannot seek is read from where it is, as before.
  lseek(file.get(), 0, SEEK_SET);
  return std::min(bound, kLargestReservation);
}

// No warning for fewer bytes than this after the first NUL: a few are common junk.
constexpr size_t kFewBytes = 16;
// How much of the file after the first NUL is looked at, at most (holes not counted).
constexpr uint64_t kFollowingScan = uint64_t{16} << 20;

// True when more than kFewBytes non-zero bytes lie in `file` from `from` on. Holes, which
// read as zeros, are skipped, and at most kFollowingScan bytes are read: text that was left
// out shows at once, and a long tail of zeros costs no more than that.
bool TextFollows(const ScopedFd& file, uint64_t from) {
  constexpr size_t kPiece = size_t{64} << 10;
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  size_t found = 0;
  for (uint64_t at = from, scanned = 0; scanned < kFollowingScan;) {
    const off_t data = lseek(file.get(), static_cast<off_t>(at), SEEK_DATA);
    if (data < 0) return false;  // nothing but a hole up to the end
    size_t n = 0;
    if (ReadFullyAt(file.get(), static_cast<uint64_t>(data), buffer.get(), kPiece, &n) != 0 ||
        n == 0) {
      return false;
    }
    found += n - static_cast<size_t>(std::count(buffer.get(), buffer.get() + n, '\0'));
    if (found > kFewBytes) return true;
    at = static_cast<uint64_t>(data) + n;
    scanned += n;
  }
  return false;
}

// How the bytes of a file become UTF-16, piece by piece.
enum class PieceDecoding {
  kUtf16LittleEndian,
  kUtf16BigEndian,
  kUtf8,        // malformed sequences become U+FFFD
  kStrictUtf8,  // stops at the first malformed sequence
};

PieceDecoding DecodingFor(MarkKind kind) {
  switch (kind) {
    case MarkKind::kUtf16LittleEndian:
      return PieceDecoding::kUtf16LittleEndian;
    case MarkKind::kUtf16BigEndian:
      return PieceDecoding::kUtf16BigEndian;
    case MarkKind::kUtf8:
      return PieceDecoding::kUtf8;
    case MarkKind::kNone:
      break;
  }
  return PieceDecoding::kStrictUtf8;  // without a mark, UTF-8 is tried first
}

// The mark a decoding skips when the file begins with it completely.
std::string_view MarkOf(PieceDecoding decoding) {
  switch (decoding) {
    case PieceDecoding::kUtf16LittleEndian:
      return kUtf16LittleEndianMark;
    case PieceDecoding::kUtf16BigEndian:
      return kUtf16BigEndianMark;
    case PieceDecoding::kUtf8:
      return kUtf8Mark;
    default:
      return {};
  }
}

// Decodes what can be decoded of `bytes` and returns how many bytes it took; the rest (a
// character cut by the end of the piece) waits for the next piece. Strict UTF-8 leaves a
// character cut short by the end of the last piece too, for the caller to judge. Sets
// `*valid` to false when strict UTF-8 meets a malformed sequence.
size_t DecodePiece(std::string_view bytes, bool last, PieceDecoding decoding, std::u16string* out,
                   bool* valid) {
  switch (decoding) {
    case PieceDecoding::kUtf16LittleEndian:
    case PieceDecoding::kUtf16BigEndian: {
      // Units are taken as they are; a last odd byte is ignored.
      const size_t units = bytes.size() / 2;
      const size_t old_size = out->size();
      out->resize(old_size + units);
      const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
      const int high = decoding == PieceDecoding::kUtf16LittleEndian ? 1 : 0;
      const int low = 1 - high;
      char16_t* target = out->data() + old_size;
      for (size_t i = 0; i < units; ++i) {
        target[i] = static_cast<char16_t>((b[2 * i + high] << 8) | b[2 * i + low]);
      }
      return last ? bytes.size() : 2 * units;
    }
    case PieceDecoding::kUtf8:
    case PieceDecoding::kStrictUtf8: {
      const size_t complete =
          last && decoding == PieceDecoding::kUtf8 ? bytes.size() : CompleteUtf8Prefix(bytes);
      if (decoding == PieceDecoding::kUtf8) {
        AppendFromUtf8(bytes.substr(0, complete), out);
      } else if (!AppendFromStrictUtf8(bytes.substr(0, complete), out)) {
        *valid = false;
      }
      return complete;
    }
  }
  return bytes.size();
}

// What the pieces of a file held.
enum class PiecesResult {
  kDecoded,   // all of it is in the text
  kCutShort,  // strict UTF-8, valid but for a character cut short by the end of the text
  kInvalid,   // strict UTF-8 met a malformed sequence and stopped
};

// Where the text in `bytes` ends: at its first zero byte, or for UTF-16 at its first zero
// unit (`bytes` starts at a unit boundary); npos when it goes on past them. A zero byte is
// never part of a longer character in UTF-8 or in the code pages accepted here.
size_t TextEnd(std::string_view bytes, PieceDecoding decoding) {
  if (decoding != PieceDecoding::kUtf16LittleEndian && decoding != PieceDecoding::kUtf16BigEndian) {
    return bytes.find('\0');
  }
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (bytes[i] == '\0' && bytes[i + 1] == '\0') return i;
  }
  return std::string_view::npos;
}

// No NUL was met.
constexpr uint64_t kNoNul = ~uint64_t{0};

// Reads `file` from its start in pieces and appends their text to `out`, up to the end of
// the file or the end of the text (its first NUL), whichever comes first: nothing after the
// NUL is read. Stops early when strict UTF-8 meets invalid bytes. For kCutShort, `cut`
// receives the bytes of the character cut short. `nul` receives the offset in the file of
// the NUL that ended the text, or kNoNul.
PiecesResult DecodePieces(std::u16string_view path, const ScopedFd& file, PieceDecoding decoding,
                          std::u16string* out, std::string* cut, uint64_t* nul) {
  constexpr size_t kPiece = size_t{1} << 20;
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  const std::string_view mark = MarkOf(decoding);
  bool at_start = true;
  bool valid = true;
  size_t filled = 0;           // bytes in the buffer not decoded yet
  uint64_t buffer_offset = 0;  // where in the file the buffer's first byte is
  *nul = kNoNul;
  for (bool end = false; !end && valid;) {
    const size_t n = ReadPiece(path, file, buffer.get() + filled, kPiece - filled);
    end = n == 0;
    filled += n;
    std::string_view bytes(buffer.get(), filled);
    if (at_start) {
      if (!end && bytes.size() < mark.size()) continue;  // not enough to see the mark yet
      if (StartsWith(bytes, mark)) bytes.remove_prefix(mark.size());
      at_start = false;
    }
    if (const size_t text_end = TextEnd(bytes, decoding); text_end != std::string_view::npos) {
      *nul = buffer_offset + static_cast<uint64_t>(bytes.data() - buffer.get()) + text_end;
      bytes = bytes.substr(0, text_end);
      end = true;
    }
    const size_t used = DecodePiece(bytes, end, decoding, out, &valid);
    // Keep what waits for the next piece at the start of the buffer.
    const size_t consumed = static_cast<size_t>(bytes.data() - buffer.get()) + used;
    const size_t left = bytes.size() - used;  // not what follows a NUL
    std::memmove(buffer.get(), buffer.get() + consumed, left);
    buffer_offset += consumed;
    filled = left;
  }
  if (!valid) return PiecesResult::kInvalid;
  if (filled == 0) return PiecesResult::kDecoded;
  cut->assign(buffer.get(), filled);
  return PiecesResult::kCutShort;
}

// How much of the start of a source without a mark is looked at for UTF-16.
constexpr size_t kUtf16Sample = size_t{64} << 10;
// The most units UTF-16 text runs without a zero byte: a paragraph of CJK characters without
// a line break, ASCII, 一 or an ideographic space (classical novels reach 550).
constexpr size_t kUtf16LongestRunWithoutZero = 2048;

// The byte order of UTF-16 that `head`, the start of a source without a mark, is in, when its
// zero bytes say so. The text it decides on runs up to its first zero unit (or the end of
// `head`). Units with one zero byte (ASCII in one byte order, and in Chinese text also 一
// U+4E00 and the ideographic space U+3000 in the other) must be found throughout it: in both
// its halves, never more than kUtf16LongestRunWithoutZero units apart (nor from its start
// and end), and in at least one unit of 256. A legacy text has no zero byte before the NUL
// that ends it, so a long one is never taken for UTF-16, whatever follows its NUL. Then line
// breaks decide the byte order: in one order, at least one per kUtf16LongestRunWithoutZero
// units and 16 times as many as in the other. A text with fewer line breaks is decided by
// all those units, when one order has four times as many as the other. Junk after a short
// legacy text's NUL has its zero bytes in both places alike and no line breaks to speak of.
std::optional<PieceDecoding> DetectUtf16(std::string_view head) {
  size_t units = 0;
  size_t little = 0, big = 0;                // units with a zero high byte, or low byte
  size_t little_breaks = 0, big_breaks = 0;  // CR or LF in either order
  size_t first = 0, next = 0;                // the first unit with a zero byte; one past the last
  size_t longest_run = 0;                    // units in a row without a zero byte
  const auto* b = reinterpret_cast<const unsigned char*>(head.data());
  for (size_t i = 0; i + 1 < head.size(); i += 2, ++units) {
    if (b[i] == 0 && b[i + 1] == 0) break;  // the end of the text in either order
    if (b[i] != 0 && b[i + 1] != 0) continue;
    if (little + big == 0) first = units;
    longest_run = std::max(longest_run, units - next);
    next = units + 1;
    if (b[i + 1] == 0) {
      ++little;
      if (b[i] == '\n' || b[i] == '\r') ++little_breaks;
    } else {
      ++big;
      if (b[i + 1] == '\n' || b[i + 1] == '\r') ++big_breaks;
    }
  }
  longest_run = std::max(longest_run, units - next);
  if (little + big < 2 || 256 * (little + big) < units || 2 * first >= units || 2 * next <= units ||
      longest_run > kUtf16LongestRunWithoutZero) {
    return std::nullopt;
  }
  const auto dominant = [](size_t one, size_t other, size_t ratio) { return one >= ratio * other; };
  const size_t enough_breaks = std::max<size_t>(2, units / kUtf16LongestRunWithoutZero);
  if (little_breaks + big_breaks >= enough_breaks) {
    if (little_breaks >= enough_breaks && dominant(little_breaks, big_breaks, 16)) {
      return PieceDecoding::kUtf16LittleEndian;
    }
    if (big_breaks >= enough_breaks && dominant(big_breaks, little_breaks, 16)) {
      return PieceDecoding::kUtf16BigEndian;
    }
    return std::nullopt;
  }
  if (little >= 2 && dominant(little, big, 4)) return PieceDecoding::kUtf16LittleEndian;
  if (big >= 2 && dominant(big, little, 4)) return PieceDecoding::kUtf16BigEndian;
  return std::nullopt;
}

// The name of the encoding a mark selects.
std::string EncodingName(MarkKind kind) {
  switch (kind) {
    case MarkKind::kUtf16LittleEndian:
      return "UTF-16LE";
    case MarkKind::kUtf16BigEndian:
      return "UTF-16BE";
    case MarkKind::kUtf8:
    case MarkKind::kNone:
      break;
  }
  return "UTF-8";
}

// Replaces `text` with `bytes` decoded as `use` says, and tells how in `encoding`.
void DecodeLegacy(std::string_view bytes, const LegacyCodePage& code_page, CodePageUse use,
                  std::u16string* text, SourceEncoding* encoding) {
  if (use == CodePageUse::kWhenNotDetected) {
    if (const std::optional<std::string> found = DetectCodePage(bytes)) {
      if (*found == "UTF-8") {
        // As the UTF-8 reader does: malformed sequences become U+FFFD.
        text->clear();
        AppendFromUtf8(bytes, text);
      } else {
        LegacyCodePage(*found).Decode(bytes, text);
      }
      *encoding = {*found, EncodingOrigin::kDetected};
      return;
    }
    code_page.Decode(bytes, text);
    *encoding = {code_page.Name(), EncodingOrigin::kFallback};
    return;
  }
  code_page.Decode(bytes, text);
  *encoding = {code_page.Name(), EncodingOrigin::kNamed};
}

// Reserves room for `size` elements in `buffer` when that much memory is to be had. The
// size of a file only suggests the size of its text, which may end much earlier (at its first
// NUL): without the room the buffer grows as the text comes.
template <typename Buffer>
void ReserveIfPossible(Buffer* buffer, size_t size) {
  try {
    buffer->reserve(size);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
}

// Reads `file` from its start to its end or to its first zero byte, which is left out, as is
// everything after it: in pieces, so that neither memory nor time goes to what follows the
// zero byte. `expected` (the most the text can be) sets the room laid out at first. `nul`
// receives the offset of the zero byte, or kNoNul.
std::string ReadUntilNul(std::u16string_view path, const ScopedFd& file, size_t expected,
                         uint64_t* nul) {
  constexpr size_t kPiece = size_t{1} << 20;
  std::string bytes;
  ReserveIfPossible(&bytes, expected + 1);  // one more, to see the end without growing
  size_t filled = 0;
  *nul = kNoNul;
  for (;;) {
    // Only the piece about to be read is laid out (and zero-filled) each time.
    bytes.resize(filled + kPiece);
    const size_t n = ReadPiece(path, file, bytes.data() + filled, kPiece);
    if (n == 0) break;
    const size_t zero = std::string_view(bytes.data() + filled, n).find('\0');
    if (zero != std::string_view::npos) {
      filled += zero;
      *nul = filled;
      break;
    }
    filled += n;
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace

std::string NativePath(std::u16string_view path) { return ToUtf8(path); }

MarkKind TestMark(std::u16string_view path) {
  ScopedFd file = OpenForReading(path);
  const std::string head = ReadHead(path, file, 3);
  if (head.size() < 2) return MarkKind::kNone;
  if (StartsWith(head, kUtf16LittleEndianMark)) return MarkKind::kUtf16LittleEndian;
  if (StartsWith(head, kUtf16BigEndianMark)) return MarkKind::kUtf16BigEndian;
  // All three bytes: EF BB alone also starts text in a code page (锘 in GB18030).
  if (StartsWith(head, kUtf8Mark)) return MarkKind::kUtf8;
  return MarkKind::kNone;
}

TextLines LoadTextFile(std::u16string_view path, MarkKind kind, const LegacyCodePage& code_page,
                       CodePageUse use, SourceEncoding* encoding) {
  size_t file_size = 0;
  ScopedFd file = OpenForReading(path, &file_size);
  const size_t expected = TextSizeBound(file, file_size);
  PieceDecoding decoding = DecodingFor(kind);
  SourceEncoding found{EncodingName(kind), kind == MarkKind::kNone ? EncodingOrigin::kValidUtf8
                                                                   : EncodingOrigin::kMark};
  if (kind == MarkKind::kNone) {
    // UTF-16 without a mark: named, or told by the zero bytes of its text.
    if (use == CodePageUse::kAlways && code_page.utf16() != LegacyCodePage::Utf16::kNo) {
      decoding = code_page.utf16() == LegacyCodePage::Utf16::kLittleEndian
                     ? PieceDecoding::kUtf16LittleEndian
                     : PieceDecoding::kUtf16BigEndian;
      found = {code_page.Name(), EncodingOrigin::kNamed};
    } else if (const std::optional<PieceDecoding> order =
                   DetectUtf16(ReadHead(path, file, kUtf16Sample))) {
      decoding = *order;
      found = {
          EncodingName(*order == PieceDecoding::kUtf16LittleEndian ? MarkKind::kUtf16LittleEndian
                                                                   : MarkKind::kUtf16BigEndian),
          EncodingOrigin::kDetected};
    }
    if (lseek(file.get(), 0, SEEK_SET) != 0) ThrowOpenError(path, errno);
  }
  const bool utf16 =
      decoding == PieceDecoding::kUtf16LittleEndian || decoding == PieceDecoding::kUtf16BigEndian;
  // Never more UTF-16 units than bytes (for a code page, as a rule): the text is laid out
  // once and filled as the pieces come.
  std::u16string text;
  ReserveIfPossible(&text, (utf16 ? expected / 2 : expected) + 16);
  std::string cut;
  uint64_t nul = kNoNul;
  const PiecesResult result = DecodePieces(path, file, decoding, &text, &cut, &nul);
  if (result == PiecesResult::kCutShort && use == CodePageUse::kWhenNotDetected &&
      std::any_of(text.begin(), text.end(), [](char16_t c) { return c >= 0x80; })) {
    // UTF-8 whose last character was cut short, as by a download that stopped early. (Only
    // when the rest holds UTF-8 beyond ASCII: "caf" and the byte E9 is no evidence of it.)
    AppendFromUtf8(cut, &text);
    found.origin = EncodingOrigin::kDetected;
  } else if (result != PiecesResult::kDecoded) {
    // Not UTF-8 after all: read again from the start, up to the end of the text, and decode
    // it in a code page.
    if (lseek(file.get(), 0, SEEK_SET) != 0) ThrowOpenError(path, errno);
    DecodeLegacy(ReadUntilNul(path, file, expected, &nul), code_page, use, &text, &found);
  }
  // Say what a NUL left out, unless it is only a few bytes of junk.
  if (nul != kNoNul) {
    const uint64_t after = nul + (utf16 ? 2 : 1);
    if (after < file_size && TextFollows(file, after)) found.bytes_after_nul = file_size - after;
  }
  if (encoding != nullptr) *encoding = std::move(found);
  return TextLines(std::move(text));
}

TextLines ReadTextFile(std::u16string_view path, const LegacyCodePage& code_page, CodePageUse use,
                       SourceEncoding* encoding) {
  return LoadTextFile(path, TestMark(path), code_page, use, encoding);
}

std::string ReadFileBytes(std::u16string_view path, size_t limit) {
  size_t expected = 0;
  ScopedFd file = OpenForReading(path, &expected);
  std::string bytes;
  bytes.resize(std::min(limit, expected + 1));
  size_t filled = 0;
  while (filled < limit) {
    if (filled == bytes.size()) bytes.resize(std::min(limit, 2 * bytes.size() + 1));
    const size_t n = ReadPiece(path, file, bytes.data() + filled, bytes.size() - filled);
    if (n == 0) break;
    filled += n;
  }
  bytes.resize(filled);
  return bytes;
}

void WriteFileBytes(std::u16string_view path, std::string_view bytes) {
  const std::string native = NativePath(path);
  ScopedFd file;
  if (const int error = OpenForWriting(native, 0666, &file)) ThrowCreateError(path, error);
  int error = WriteFully(file.get(), bytes.data(), bytes.size());
  const int close_error = file.Close();
  if (error == 0) error = close_error;
  if (error != 0) {
    // A file cut short must not pass for a complete one.
    unlink(native.c_str());
    ThrowWriteError(path, error);
  }
}

std::u16string JoinLines(const std::vector<std::u16string>& lines) {
  size_t length = 0;
  for (const auto& line : lines) length += line.size() + 2;
  std::u16string text;
  text.reserve(length);
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

std::string PlainTextBytes(std::u16string_view text, const LegacyCodePage& code_page) {
  std::string bytes;
  if (code_page.utf16() != LegacyCodePage::Utf16::kNo) {
    // UTF-16 is named for sources only; a staged plain file stays ASCII-compatible.
    AppendUtf8(text, &bytes);
  } else {
    code_page.Encode(text, &bytes);
  }
  return bytes;
}

namespace {

// The UTF-8 writer's bytes for `text` in the first bytes of `*bytes` (which only grows);
// returns how many.
size_t EncodeUtf8File(std::u16string_view text, std::string* bytes) {
  const size_t room = kUtf8Mark.size() + 3 * text.size();
  if (bytes->size() < room) bytes->resize(room);
  kUtf8Mark.copy(bytes->data(), kUtf8Mark.size());
  return kUtf8Mark.size() + EncodeUtf8(text, bytes->data() + kUtf8Mark.size());
}

}  // namespace

std::string Utf8TextBytes(std::u16string_view text) {
  std::string bytes;
  bytes.resize(EncodeUtf8File(text, &bytes));
  return bytes;
}

std::string Utf8LinesBytes(const std::vector<std::u16string>& lines) {
  return Utf8TextBytes(JoinLines(lines));
}

void WritePlainText(std::u16string_view path, std::u16string_view text,
                    const LegacyCodePage& code_page) {
  WriteFileBytes(path, PlainTextBytes(text, code_page));
}

void WriteUtf8Text(std::u16string_view path, std::u16string_view text, std::string* scratch) {
  std::string local;
  std::string* bytes = scratch != nullptr ? scratch : &local;
  const size_t length = EncodeUtf8File(text, bytes);
  WriteFileBytes(path, std::string_view(bytes->data(), length));
}

void WritePlainLines(std::u16string_view path, const std::vector<std::u16string>& lines,
                     const LegacyCodePage& code_page) {
  WritePlainText(path, JoinLines(lines), code_page);
}

void WriteUtf8Lines(std::u16string_view path, const std::vector<std::u16string>& lines) {
  WriteUtf8Text(path, JoinLines(lines));
}

}  // namespace quireforge
