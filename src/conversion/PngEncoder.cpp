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

uint32_t PixelAt(const uint8_t* row, uint32_t x) {
  uint32_t pixel;
  std::memcpy(&pixel, row + size_t{x} * 4, 4);
  return pixel & 0xFFFFFF;
}

// The colours of a picture in the order they first appear, each with its index.
class Palette {
 public:
  static constexpr size_t kMostColours = 256;

  // The index of `colour`, added when new; -1 when the palette is full without it.
  int IndexOf(uint32_t colour) {
    size_t slot = (colour * 2654435761u) >> (32 - kSlotBits);
    while (slots_[slot] != 0) {
      if ((slots_[slot] & 0xFFFFFF) == colour) return static_cast<int>(slots_[slot] >> 32) - 1;
      slot = (slot + 1) & (kSlots - 1);
    }
    if (colours_.size() == kMostColours) return -1;
    colours_.push_back(colour);
    slots_[slot] = uint64_t{colours_.size()} << 32 | colour;
    return static_cast<int>(colours_.size()) - 1;
  }

  // The PLTE chunk's data: R, G and B of each colour.
  std::string Data() const {
    std::string data;
    for (const uint32_t colour : colours_) {
      data += static_cast<char>(colour >> 16);
      data += static_cast<char>(colour >> 8);
      data += static_cast<char>(colour);
    }
    return data;
  }

 private:
  // A slot holds the colour's index plus one above the colour (0: empty); a quarter full at
  // most, so a search ends soon.
  static constexpr int kSlotBits = 10;
  static constexpr size_t kSlots = size_t{1} << kSlotBits;

  uint64_t slots_[kSlots] = {};
  std::vector<uint32_t> colours_;
};

// The filtered rows of the picture as palette indices (a filter byte, then each pixel's index
// less the one above), with the palette in `palette`; empty when it has more colours than a
// palette holds.
std::vector<uint8_t> IndexedRows(const uint8_t* pixels, uint32_t width, uint32_t height,
                                 size_t stride, Palette* palette) {
  const size_t row_bytes = 1 + size_t{width};
  std::vector<uint8_t> filtered(row_bytes * height);
  std::vector<uint8_t> previous(width, 0);
  std::vector<uint8_t> current(width);
  uint32_t last_colour = 0;
  int last_index = -1;
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels + stride * y;
    for (uint32_t x = 0; x < width; ++x) {
      const uint32_t colour = PixelAt(row, x);
      if (colour != last_colour || last_index < 0) {
        last_index = palette->IndexOf(colour);
        if (last_index < 0) return {};
        last_colour = colour;
      }
      current[x] = static_cast<uint8_t>(last_index);
    }
    uint8_t* out = filtered.data() + row_bytes * y;
    out[0] = kFilterUp;
    for (size_t i = 0; i < width; ++i) out[1 + i] = static_cast<uint8_t>(current[i] - previous[i]);
    previous.swap(current);
  }
  return filtered;
}

// The filtered rows of the picture in RGB: a filter byte, then each pixel's R, G and B less
// the one above.
std::vector<uint8_t> RgbRows(const uint8_t* pixels, uint32_t width, uint32_t height,
                             size_t stride) {
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
  return filtered;
}

}  // namespace

std::string EncodePng(const uint8_t* pixels, uint32_t width, uint32_t height, size_t stride) {
  Palette palette;
  std::vector<uint8_t> filtered = IndexedRows(pixels, width, height, stride, &palette);
  const bool indexed = !filtered.empty();
  if (!indexed) filtered = RgbRows(pixels, width, height, stride);

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
  // 8 bits, palette or RGB, deflate, adaptive filters, no interlace.
  header += std::string_view(indexed ? "\x08\x03\x00\x00\x00" : "\x08\x02\x00\x00\x00", 5);
  AppendChunk("IHDR", header, &png);
  if (indexed) AppendChunk("PLTE", palette.Data(), &png);
  AppendChunk("IDAT", std::string_view(compressed.get(), length), &png);
  AppendChunk("IEND", {}, &png);
  return png;
}

}  // namespace quireforge
