#include "conversion/CoverImage.h"

#include <array>

#include "base/Utf.h"
#include "conversion/FileErrors.h"
#include "conversion/TextFile.h"

namespace quireforge {

namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1A\n";

// The largest width or height PNG allows, and the largest chunk length.
constexpr uint32_t kPngLargest = 0x7FFFFFFF;

uint32_t BigEndian16(std::string_view bytes, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 8) |
         static_cast<unsigned char>(bytes[at + 1]);
}

uint32_t BigEndian32(std::string_view bytes, size_t at) {
  return (BigEndian16(bytes, at) << 16) | BigEndian16(bytes, at + 2);
}

// The CRC-32 of PNG chunks (ISO 3309, as zlib's).
uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> kTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : bytes) {
    crc = kTable[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
  }
  return crc ^ 0xFFFFFFFFu;
}

std::string PngSizeProblem(const char* which, uint32_t value) {
  if (value == 0) return std::string("its ") + which + " is 0";
  if (value > kPngLargest) {
    return std::string("its ") + which + " " + std::to_string(value) +
           " is larger than PNG allows (2147483647)";
  }
  return {};
}

// True for the bit depths PNG allows with `colour_type`.
bool IsPngDepth(unsigned colour_type, unsigned depth) {
  switch (colour_type) {
    case 0:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

// A PNG picture (`bytes` start with the signature): chunks whole and with their CRC, IHDR first
// with 13 bytes and a sound size and format, image data (IDAT), and IEND. What is wrong,
// or empty.
std::string PngProblem(std::string_view bytes, CoverImage* image) {
  size_t at = kPngSignature.size();
  bool saw_data = false;
  for (bool first = true;; first = false) {
    if (at == bytes.size()) return "it ends before its IEND chunk (it may be cut short)";
    if (bytes.size() - at < 8) return "it ends inside a chunk header (it may be cut short)";
    const uint32_t length = BigEndian32(bytes, at);
    const std::string type(bytes.substr(at + 4, 4));
    for (const char c : type) {
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
        return "it holds a chunk whose type is not four letters";
      }
    }
    if (length > kPngLargest) return "its " + type + " chunk has a length beyond PNG's limit";
    if (bytes.size() - at - 8 < uint64_t{length} + 4) {
      return "it ends inside its " + type + " chunk (it may be cut short)";
    }
    const std::string_view data = bytes.substr(at + 8, length);
    if (Crc32(bytes.substr(at + 4, 4 + size_t{length})) != BigEndian32(bytes, at + 8 + length)) {
      return "the CRC of its " + type + " chunk is wrong";
    }
    if (first) {
      if (type != "IHDR") return "its first chunk is " + type + ", not IHDR";
      if (length != 13) {
        return "its IHDR chunk has " + std::to_string(length) + " bytes instead of 13";
      }
      const uint32_t width = BigEndian32(data, 0);
      const uint32_t height = BigEndian32(data, 4);
      for (const std::string& problem :
           {PngSizeProblem("width", width), PngSizeProblem("height", height)}) {
        if (!problem.empty()) return problem;
      }
      const auto byte = [&](size_t i) { return static_cast<unsigned char>(data[i]); };
      if (!IsPngDepth(byte(9), byte(8))) {
        return "its IHDR chunk names no valid colour type and bit depth";
      }
      if (byte(10) != 0 || byte(11) != 0 || byte(12) > 1) {
        return "its IHDR chunk names an unknown compression, filter or interlace method";
      }
      image->width = width;
      image->height = height;
    } else if (type == "IHDR") {
      return "it holds a second IHDR chunk";
    } else if (type == "IDAT") {
      saw_data = true;
    } else if (type == "IEND") {
      if (!saw_data) return "it has no image data (IDAT chunk)";
      break;
    }
    at += 12 + size_t{length};
  }
  image->media_type = u"image/png";
  image->file_name = u"cover.png";
  return {};
}

// A start-of-frame marker, which carries the picture's size (not DHT, JPG or DAC).
bool IsStartOfFrame(unsigned char marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// A JPEG picture (`bytes` start with FF D8 FF): segments whole up to the start of the scan, a
// frame header (SOF) of the right length with a size before it, a scan header of the right
// length, and an end-of-image marker (EOI) after it. What is wrong, or empty.
std::string JpegProblem(std::string_view bytes, CoverImage* image) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  bool saw_frame = false;
  size_t at = 2;
  for (;;) {
    if (at >= bytes.size()) return "it ends before its image data (it may be cut short)";
    if (byte(at) != 0xFF) return "it holds bytes where a marker should be";
    while (at < bytes.size() && byte(at) == 0xFF) ++at;  // fill
    if (at >= bytes.size()) return "it ends before its image data (it may be cut short)";
    const unsigned char marker = byte(at++);
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD8) return "it holds a second start-of-image marker";
    if (marker == 0xD9) return "it ends (EOI) before its image data";
    if (bytes.size() - at < 2) return "it ends inside a segment (it may be cut short)";
    const uint32_t length = BigEndian16(bytes, at);
    if (length < 2) return "it holds a segment whose length is below 2";
    if (bytes.size() - at < length) return "it ends inside a segment (it may be cut short)";
    if (IsStartOfFrame(marker) && !saw_frame) {
      // Length, precision, height, width, component count, three bytes per component.
      if (length < 8 || length != 8 + 3 * uint32_t{byte(at + 7)} || byte(at + 7) == 0) {
        return "its frame header (SOF) has the wrong length for its components";
      }
      image->height = BigEndian16(bytes, at + 3);
      image->width = BigEndian16(bytes, at + 5);
      if (image->width == 0) return "its width is 0";
      if (image->height == 0) return "its height is 0";
      saw_frame = true;
    } else if (marker == 0xDA) {
      if (!saw_frame) return "it has no frame header (SOF) before its image data";
      const uint32_t components = length >= 3 ? byte(at + 2) : 0;
      if (components == 0 || components > 4 || length != 6 + 2 * components) {
        return "its scan header (SOS) has the wrong length for its components";
      }
      // Entropy-coded data never holds FF D9: the first one after the scan header ends it.
      if (bytes.find("\xFF\xD9", at + length) == std::string_view::npos) {
        return "it does not end with an end-of-image marker (it may be cut short)";
      }
      break;
    }
    at += length;
  }
  image->media_type = u"image/jpeg";
  image->file_name = u"cover.jpg";
  return {};
}

bool IsJpeg(std::string_view bytes) {
  return bytes.size() >= 3 && bytes.substr(0, 3) == "\xFF\xD8\xFF";
}

[[noreturn]] void ThrowUnusable(std::u16string_view path, const std::string& reason) {
  throw FileError("Cannot use cover image \"" + ToUtf8(path) + "\". " + reason);
}

}  // namespace

std::string CoverImageProblem(std::string_view bytes, CoverImage* image) {
  CoverImage found;
  if (bytes.starts_with(kPngSignature)) {
    const std::string problem = PngProblem(bytes, &found);
    if (!problem.empty()) return "It is a damaged PNG picture: " + problem + ".";
  } else if (IsJpeg(bytes)) {
    const std::string problem = JpegProblem(bytes, &found);
    if (!problem.empty()) return "It is a damaged JPEG picture: " + problem + ".";
  } else {
    return "It is neither a JPEG nor a PNG picture.";
  }
  image->media_type = found.media_type;
  image->file_name = found.file_name;
  image->width = found.width;
  image->height = found.height;
  return {};
}

bool RecogniseCoverImage(std::string_view bytes, CoverImage* image) {
  return CoverImageProblem(bytes, image).empty();
}

CoverImage ReadCoverImage(std::u16string_view path) {
  CoverImage image;
  image.bytes = ReadFileBytes(path, kMaxCoverBytes + 1);
  if (image.bytes.size() > kMaxCoverBytes) ThrowUnusable(path, "It is larger than 64 MB.");
  const std::string problem = CoverImageProblem(image.bytes, &image);
  if (!problem.empty()) ThrowUnusable(path, problem);
  return image;
}

}  // namespace quireforge
