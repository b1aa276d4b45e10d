#include "conversion/FontFile.h"

#include "base/Utf.h"
#include "conversion/FileErrors.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

constexpr size_t kHeaderSize = 4;

}  // namespace

bool IsFontHeader(std::string_view head) {
  head = head.substr(0, kHeaderSize);
  return head == std::string_view("\0\1\0\0", kHeaderSize) || head == "true" || head == "OTTO" ||
         head == "ttcf";
}

std::string NotAFontMessage(std::u16string_view path) {
  return "Cannot use font file \"" + ToUtf8(path) + "\". It is not a TrueType or OpenType font.";
}

void CheckFontFile(std::u16string_view path) {
  std::string head;
  try {
    head = ReadFileBytes(path, kHeaderSize);
  } catch (const FileError&) {
    return;
  }
  if (!IsFontHeader(head)) throw FileError(NotAFontMessage(path));
}

}  // namespace quireforge
