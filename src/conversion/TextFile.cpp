#include "conversion/TextFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "conversion/FileErrors.h"
#include "conversion/LegacyCodePage.h"
#include "conversion/ScopedFd.h"
#include "conversion/Utf.h"

namespace quireforge {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

// Opens an existing regular file for reading. A folder, a device or a pipe is refused:
// reading one would give garbage or never end.
ScopedFd OpenForReading(std::u16string_view path) {
  const std::string native = NativePath(path);
  if (native.find('\0') != std::string::npos) ThrowOpenError(path, ENOENT);
  ScopedFd file(open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid()) ThrowOpenError(path, errno);
  struct stat status;
  if (fstat(file.get(), &status) != 0) ThrowOpenError(path, errno);
  if (S_ISDIR(status.st_mode)) ThrowOpenError(path, EISDIR);
  if (!S_ISREG(status.st_mode)) ThrowOpenError(path, "Not a regular file");
  return file;
}

// Reads until the end of the file or until `limit` bytes are in.
std::string ReadBytes(std::u16string_view path, const ScopedFd& file, size_t expected,
                      size_t limit) {
  std::string bytes;
  // One byte more than expected, so that the end of the file is seen without growing.
  bytes.resize(std::min(limit, expected + 1));
  size_t got = 0;
  while (got < limit) {
    if (got == bytes.size()) bytes.resize(std::min(limit, got + std::max<size_t>(got / 2, 65536)));
    const ssize_t n = read(file.get(), bytes.data() + got, bytes.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowOpenError(path, errno);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

std::string ReadWholeFile(std::u16string_view path) {
  ScopedFd file = OpenForReading(path);
  struct stat status;
  const size_t expected = fstat(file.get(), &status) == 0 ? static_cast<size_t>(status.st_size) : 0;
  return ReadBytes(path, file, expected, std::string::npos);
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

void DecodeUtf16(std::string_view bytes, bool little_endian, std::u16string* out) {
  const size_t units = bytes.size() / 2;  // a last odd byte is ignored
  out->resize(units);
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  const int high = little_endian ? 1 : 0;
  const int low = 1 - high;
  for (size_t i = 0; i < units; ++i) {
    (*out)[i] = static_cast<char16_t>((b[2 * i + high] << 8) | b[2 * i + low]);
  }
}

}  // namespace

std::string NativePath(std::u16string_view path) { return ToUtf8(path); }

MarkKind TestMark(std::u16string_view path) {
  ScopedFd file = OpenForReading(path);
  const std::string head = ReadBytes(path, file, 3, 3);
  if (head.size() < 2) return MarkKind::kNone;
  if (StartsWith(head, kUtf16LittleEndianMark)) return MarkKind::kUtf16LittleEndian;
  if (StartsWith(head, kUtf16BigEndianMark)) return MarkKind::kUtf16BigEndian;
  if (StartsWith(head, kUtf8Mark.substr(0, 2))) return MarkKind::kUtf8;
  return MarkKind::kNone;
}

TextLines LoadTextFile(std::u16string_view path, MarkKind kind, const LegacyCodePage& code_page) {
  std::u16string text;
  {
    std::string bytes = ReadWholeFile(path);
    std::string_view content = bytes;
    switch (kind) {
      case MarkKind::kUtf16LittleEndian:
        if (StartsWith(content, kUtf16LittleEndianMark)) content.remove_prefix(2);
        DecodeUtf16(content, true, &text);
        break;
      case MarkKind::kUtf16BigEndian:
        if (StartsWith(content, kUtf16BigEndianMark)) content.remove_prefix(2);
        DecodeUtf16(content, false, &text);
        break;
      case MarkKind::kUtf8:
        if (StartsWith(content, kUtf8Mark)) content.remove_prefix(3);
        AppendFromUtf8(content, &text);
        break;
      case MarkKind::kNone:
        // Text that is valid UTF-8 throughout is UTF-8, whatever the code page.
        if (!DecodeStrictUtf8(content, &text)) code_page.Decode(content, &text);
        break;
    }
  }  // the bytes go before the lines are cut
  return TextLines(std::move(text));
}

TextLines ReadTextFile(std::u16string_view path, const LegacyCodePage& code_page) {
  return LoadTextFile(path, TestMark(path), code_page);
}

void WriteFileBytes(std::u16string_view path, std::string_view bytes) {
  const std::string native = NativePath(path);
  if (native.find('\0') != std::string::npos) ThrowCreateError(path, ENOENT);
  ScopedFd file(open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
  if (!file.valid()) ThrowCreateError(path, errno);
  int error = 0;
  size_t done = 0;
  while (done < bytes.size() && error == 0) {
    const ssize_t n = write(file.get(), bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n == 0) {
      error = ENOSPC;
    } else if (errno != EINTR) {
      error = errno;
    }
  }
  if (file.Close() != 0 && error == 0) error = errno;
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

void WritePlainText(std::u16string_view path, std::u16string_view text,
                    const LegacyCodePage& code_page) {
  std::string bytes;
  code_page.Encode(text, &bytes);
  WriteFileBytes(path, bytes);
}

void WriteUtf8Text(std::u16string_view path, std::u16string_view text, std::string* scratch) {
  std::string local;
  std::string* bytes = scratch != nullptr ? scratch : &local;
  bytes->assign(kUtf8Mark);
  AppendUtf8(text, bytes);
  WriteFileBytes(path, *bytes);
}

void WritePlainLines(std::u16string_view path, const std::vector<std::u16string>& lines,
                     const LegacyCodePage& code_page) {
  WritePlainText(path, JoinLines(lines), code_page);
}

void WriteUtf8Lines(std::u16string_view path, const std::vector<std::u16string>& lines) {
  WriteUtf8Text(path, JoinLines(lines));
}

}  // namespace quireforge
