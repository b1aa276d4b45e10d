// The PNG encoder: pictures of few colours stored with a palette, others in RGB, and every one
// decoded again by Python's zlib to exactly the pixels it was given.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestSupport.h"
#include "conversion/PngEncoder.h"

namespace quireforge::test {
namespace {

// The colour type of a PNG and its pixels as R, G, B bytes, decoded by Python (Up filters
// only, the one the encoder writes); a message when it does not decode.
std::string Decoded(const std::string& png, std::string* rgb) {
  TempDir temp;
  WriteFile(temp / "picture.png", png);
  const std::string script =
      "import struct, sys, zlib\n"
      "data = open(sys.argv[1], 'rb').read()\n"
      "assert data[:8] == b'\\x89PNG\\r\\n\\x1a\\n'\n"
      "at, idat, palette = 8, b'', None\n"
      "while at < len(data):\n"
      "    length, name = struct.unpack('>I4s', data[at:at + 8])\n"
      "    body = data[at + 8:at + 8 + length]\n"
      "    assert zlib.crc32(name + body) == struct.unpack('>I', data[at + 8 + length:at + 12 + "
      "length])[0]\n"
      "    if name == b'IHDR': width, height, depth, kind = struct.unpack('>IIBB', body[:10])\n"
      "    if name == b'PLTE': palette = body\n"
      "    if name == b'IDAT': idat += body\n"
      "    at += 12 + length\n"
      "rows, size = zlib.decompress(idat), (3 if kind == 2 else 1)\n"
      "above, out = bytearray(width * size), bytearray()\n"
      "for y in range(height):\n"
      "    row = rows[y * (1 + width * size):(y + 1) * (1 + width * size)]\n"
      "    assert row[0] == 2 and len(row) == 1 + width * size\n"
      "    above = bytearray((row[1 + i] + above[i]) & 255 for i in range(width * size))\n"
      "    if kind == 3:\n"
      "        assert len(palette) % 3 == 0 and len(palette) <= 768 and max(above) * 3 < "
      "len(palette)\n"
      "        for i in above: out += palette[3 * i:3 * i + 3]\n"
      "    else: out += above\n"
      "open(sys.argv[2], 'wb').write(out)\n"
      "print(kind)\n";
  std::string output;
  RunCommand("python3 -c " + ShellQuote(script) + " " +
                 ShellQuote((temp / "picture.png").string()) + " " +
                 ShellQuote((temp / "rgb").string()),
             &output);
  *rgb = std::filesystem::exists(temp / "rgb") ? ReadFile(temp / "rgb") : "";
  return output;
}

struct Case {
  const char* name;
  uint32_t colours;   // distinct colours in the picture
  int expected_kind;  // 3: palette, 2: RGB
};

class PngEncoderTest : public testing::TestWithParam<Case> {};

TEST_P(PngEncoderTest, DecodesToThePixelsItWasGiven) {
  const Case c = GetParam();
  constexpr uint32_t kWidth = 37;
  constexpr uint32_t kHeight = 23;
  constexpr size_t kStride = kWidth * 4 + 12;  // rows padded, as Cairo may pad them
  std::vector<uint8_t> pixels(kStride * kHeight, 0xEE);
  std::string expected;
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      // Every colour appears, in runs and out of order; the unused top byte varies.
      const uint32_t n = (y * kWidth + x) * 7 % c.colours;
      const uint32_t colour = (n * 2654435761u) & 0xFFFFFF;
      const uint32_t word = colour | (x % 2 == 0 ? 0xFF000000u : 0u);
      std::memcpy(pixels.data() + kStride * y + x * 4, &word, 4);
      expected += static_cast<char>(colour >> 16);
      expected += static_cast<char>(colour >> 8);
      expected += static_cast<char>(colour);
    }
  }
  const std::string png = EncodePng(pixels.data(), kWidth, kHeight, kStride);
  std::string rgb;
  EXPECT_EQ(Decoded(png, &rgb), std::to_string(c.expected_kind) + "\n") << c.name;
  EXPECT_TRUE(rgb == expected) << c.name << ": the pixels differ";
  EXPECT_EQ(EncodePng(pixels.data(), kWidth, kHeight, kStride), png) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngEncoderTest,
                         testing::Values(Case{"OneColour", 1, 3}, Case{"TwoColours", 2, 3},
                                         Case{"FullPalette", 256, 3}, Case{"OneTooMany", 257, 2},
                                         Case{"Many", 851, 2}),
                         [](const testing::TestParamInfo<Case>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace quireforge::test
