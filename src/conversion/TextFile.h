// Where text meets files: the byte-order-mark test, loading a text file as a line list,
// and the two writers every staged document goes through (the plain writer in the legacy
// code page, the UTF-8 writer with its mark). A source is read within one call, in pieces,
// up to the end of its text; a staged file is written with one write. A file is open only within
// one call and closed on every path. Free functions; one thread (the code page is not thread-safe).
//
// Failures raise FileError: "Cannot open file "<path>". <reason>" when a file cannot be
// opened or read (also for a folder or a device given as file), "Cannot create file
// "<path>". <reason>" when a file cannot be created, and a write error naming the file when
// its bytes cannot be written; a file that was not written completely is removed.
#ifndef QUIREFORGE_CONVERSION_TEXTFILE_H_
#define QUIREFORGE_CONVERSION_TEXTFILE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/TextLines.h"

namespace quireforge {

class LegacyCodePage;

// What the first bytes of a file say about its encoding.
enum class MarkKind : int {
  kNone = 0,               // anything else, also a file shorter than two bytes
  kUtf16LittleEndian = 1,  // FF FE
  kUtf16BigEndian = 2,     // FE FF
  kUtf8 = 3,               // EF BB BF, all three (EF BB alone may start a code page's text)
};

// Reads at most the first three bytes of `path`. Raises FileError when it cannot be opened.
MarkKind TestMark(std::u16string_view path);

// What a load does with the code page it is handed, for a source without mark that is not
// valid UTF-8.
enum class CodePageUse {
  kAlways,           // decode in it
  kWhenNotDetected,  // decode in the code page found from the text; in it when none is found
};

// Where the decoding of a source came from.
enum class EncodingOrigin {
  kMark,       // its byte-order mark
  kValidUtf8,  // no mark, and valid UTF-8 throughout
  kNamed,      // the code page handed to the load (CodePageUse::kAlways)
  kDetected,   // found from the text
  kFallback,   // the code page handed to the load, because the text did not tell
};

// How a source's bytes became text.
struct SourceEncoding {
  std::string name;  // "UTF-16LE", "UTF-16BE", "UTF-8" or the code page's name
  EncodingOrigin origin = EncodingOrigin::kNamed;
  // How many bytes of the file after the NUL that ended its text were left out; 0 when no NUL
  // ended it, or when no more than a few bytes other than zeros follow it (common junk).
  uint64_t bytes_after_nul = 0;

  bool operator==(const SourceEncoding&) const = default;
};

// What one source of a job was read as.
struct SourceReading {
  std::u16string path;
  SourceEncoding encoding;
};

// Reads `path` up to the end of its text and decodes it as `kind` says: the UTF-16 kinds take
// code units as they are (a last odd byte is ignored), kUtf8 decodes UTF-8 with U+FFFD for
// malformed sequences, and kNone decodes UTF-16 when `code_page` is a byte order of UTF-16
// used always, or when the zero bytes of the text's start show one (zeros in alternate
// places); else UTF-8 when the whole text is valid UTF-8, else as `use` says: in
// `code_page`, or in the code page found from the text (see CodePageDetector), which may be
// UTF-8 with U+FFFD for a few malformed sequences, such as a last character cut short. A full
// mark of the chosen encoding at the start is skipped. The text ends at its first NUL (a zero
// byte; a zero unit in UTF-16): nothing after it is decoded or kept, and what follows it is
// only looked at for text that was left out (SourceEncoding::bytes_after_nul), so a file that
// is mostly a hole or zeros costs neither memory nor time by its size. Never fails on
// content; raises std::bad_alloc when the text does not fit in memory. `encoding`, when given,
// receives how the text was decoded.
TextLines LoadTextFile(std::u16string_view path, MarkKind kind, const LegacyCodePage& code_page,
                       CodePageUse use = CodePageUse::kAlways, SourceEncoding* encoding = nullptr);

// TestMark followed by LoadTextFile with the decoding the mark selects.
TextLines ReadTextFile(std::u16string_view path, const LegacyCodePage& code_page,
                       CodePageUse use = CodePageUse::kAlways, SourceEncoding* encoding = nullptr);

// The plain writer: every line followed by CR LF, in `code_page`, no mark (in UTF-8 when
// `code_page` is UTF-16, which is only ever named for sources).
void WritePlainLines(std::u16string_view path, const std::vector<std::u16string>& lines,
                     const LegacyCodePage& code_page);
// The UTF-8 writer: EF BB BF, then every line followed by CR LF in UTF-8 (an unpaired
// surrogate becomes EF BF BD).
void WriteUtf8Lines(std::u16string_view path, const std::vector<std::u16string>& lines);

// The same writers for a text whose line breaks are already in place; written as it is.
// `scratch`, when given, is reused for the encoded bytes from call to call (it only grows).
void WritePlainText(std::u16string_view path, std::u16string_view text,
                    const LegacyCodePage& code_page);
void WriteUtf8Text(std::u16string_view path, std::u16string_view text,
                   std::string* scratch = nullptr);

// The bytes the writers above write for `text` (line breaks in place), for a file made
// elsewhere than on disk.
std::string PlainTextBytes(std::u16string_view text, const LegacyCodePage& code_page);
std::string Utf8TextBytes(std::u16string_view text);
// The bytes WriteUtf8Lines writes for `lines`.
std::string Utf8LinesBytes(const std::vector<std::u16string>& lines);

// The first `limit` bytes of `path` (all of it when it is shorter), read as the loads read:
// a folder, a device or a pipe is refused with the open error.
std::string ReadFileBytes(std::u16string_view path, size_t limit);

// Creates or replaces `path` with exactly `bytes`.
void WriteFileBytes(std::u16string_view path, std::string_view bytes);

// The lines joined, each followed by CR LF.
std::u16string JoinLines(const std::vector<std::u16string>& lines);

// The path as the operating system takes it (UTF-8).
std::string NativePath(std::u16string_view path);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_TEXTFILE_H_
