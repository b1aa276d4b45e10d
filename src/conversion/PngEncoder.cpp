#include "conversion/PngEncoder.h"

#include <libdeflate.h>

#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

namespace quireforge {

namespace {

// Level 6: the covers' plain grounds compress to almost nothing at any level; the higher ones
// only cost time.
constexpr int kCompressionLevel = 6;
constexpr uint8_t kFilterUp = 2;

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

void AppendBigEndian(uint32_t value, std::string* out) {
  const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                         static_cast<char>(value >> 8), static_cast<char>(value)};
  out->append(bytes, 4);
}

// One chunk: length, name, data and the CRC of name and data.
void AppendChunk(std::string_view name, std::string_view data, std::string* out) {
  AppendBigEndian(static_cast<uint32_t>(data.size()), out);
  const size_t from = out->size();
  out->append(name);
  out->append(data);
  AppendBigEndian(libdeflate_crc32(0, out->data() + from, out->size() - from), out);
}

}  // namespace

std::string EncodePng(const uint8_t* pixels, uint32_t width, uint32_t height, size_t stride) {
  // The filtered rows: a filter byte, then each pixel's R, G and B less the one above.
  const size_t row_bytes = 1 + size_t{width} * 3;
  std::vector<uint8_t> filtered(row_bytes * height);
  std::vector<uint8_t> previous(size_t{width} * 3, 0);
  std::vector<uint8_t> current(size_t{width} * 3);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels + stride * y;
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + size_t{x} * 4, 4);
      current[3 * x] = static_cast<uint8_t>(pixel >> 16);
      current[3 * x + 1] = static_cast<uint8_t>(pixel >> 8);
      current[3 * x + 2] = static_cast<uint8_t>(pixel);
    }
    uint8_t* out = filtered.data() + row_bytes * y;
    out[0] = kFilterUp;
    for (size_t i = 0; i < current.size(); ++i) {
      out[1 + i] = static_cast<uint8_t>(current[i] - previous[i]);
    }
    previous.swap(current);
  }

  std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
      libdeflate_alloc_compressor(kCompressionLevel));
  if (!compressor) throw std::bad_alloc();
  // Left uninitialised: the compressed picture fills only the start of its bound.
  const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filtered.size());
  const std::unique_ptr<char[]> compressed(new char[bound]);
  const size_t length = libdeflate_zlib_compress(compressor.get(), filtered.data(), filtered.size(),
                                                 compressed.get(), bound);

  std::string png("\x89PNG\r\n\x1A\n", 8);
  std::string header;
  AppendBigEndian(width, &header);
  AppendBigEndian(height, &header);
  header += std::string_view("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, adaptive, none
  AppendChunk("IHDR", header, &png);
  AppendChunk("IDAT", std::string_view(compressed.get(), length), &png);
  AppendChunk("IEND", {}, &png);
  return png;
}

}  // namespace quireforge
