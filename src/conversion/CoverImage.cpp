#include "conversion/CoverImage.h"

#include "base/Utf.h"
#include "conversion/FileErrors.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n";

uint32_t BigEndian16(std::string_view bytes, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 8) |
         static_cast<unsigned char>(bytes[at + 1]);
}

uint32_t BigEndian32(std::string_view bytes, size_t at) {
  return (BigEndian16(bytes, at) << 16) | BigEndian16(bytes, at + 2);
}

// A PNG picture: the signature, then the IHDR chunk with width and height.
bool RecognisePng(std::string_view bytes, CoverImage* image) {
  if (bytes.size() < 24 || !bytes.starts_with(kPngSignature)) return false;
  if (bytes.substr(12, 4) != "IHDR") return false;
  image->width = BigEndian32(bytes, 16);
  image->height = BigEndian32(bytes, 20);
  image->media_type = u"image/png";
  image->file_name = u"cover.png";
  return true;
}

// A start-of-frame marker, which carries the picture's size (not DHT, JPG or DAC).
bool IsStartOfFrame(unsigned char marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// A JPEG picture: the start-of-image marker, then segments up to a start-of-frame segment
// with height and width. Scanning stops at the start of the scan or the end of the picture.
bool RecogniseJpeg(std::string_view bytes, CoverImage* image) {
  if (bytes.size() < 4 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
      static_cast<unsigned char>(bytes[1]) != 0xD8 ||
      static_cast<unsigned char>(bytes[2]) != 0xFF) {
    return false;
  }
  size_t at = 2;
  while (at < bytes.size()) {
    if (static_cast<unsigned char>(bytes[at]) != 0xFF) return false;
    while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) == 0xFF) ++at;  // fill
    if (at >= bytes.size()) return false;
    const unsigned char marker = static_cast<unsigned char>(bytes[at++]);
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return false;                  // no frame before the scan
    if (at + 2 > bytes.size()) return false;
    const uint32_t length = BigEndian16(bytes, at);
    if (length < 2 || at + length > bytes.size()) return false;
    if (IsStartOfFrame(marker)) {
      if (length < 7) return false;
      image->height = BigEndian16(bytes, at + 3);
      image->width = BigEndian16(bytes, at + 5);
      image->media_type = u"image/jpeg";
      image->file_name = u"cover.jpg";
      return true;
    }
    at += length;
  }
  return false;
}

[[noreturn]] void ThrowUnusable(std::u16string_view path, const std::string& reason) {
  throw FileError("Cannot use cover image \"" + ToUtf8(path) + "\". " + reason);
}

}  // namespace

bool RecogniseCoverImage(std::string_view bytes, CoverImage* image) {
  CoverImage found;
  if (!RecognisePng(bytes, &found) && !RecogniseJpeg(bytes, &found)) return false;
  if (found.width == 0 || found.height == 0) return false;
  image->media_type = found.media_type;
  image->file_name = found.file_name;
  image->width = found.width;
  image->height = found.height;
  return true;
}

CoverImage ReadCoverImage(std::u16string_view path) {
  CoverImage image;
  image.bytes = ReadFileBytes(path, kMaxCoverBytes + 1);
  if (image.bytes.size() > kMaxCoverBytes) ThrowUnusable(path, "It is larger than 64 MB.");
  if (!RecogniseCoverImage(image.bytes, &image)) {
    ThrowUnusable(path, "It is neither a JPEG nor a PNG picture.");
  }
  return image;
}

}  // namespace quireforge
