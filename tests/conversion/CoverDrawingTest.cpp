// Drawn covers: real fonts found through fontconfig, real PNGs decoded again. Each title is
// set whole (wrapped between characters, never inside one), the picture has the promised size
// and weight and no time in it, and the same names give the same bytes.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "conversion/CoverDrawing.h"

namespace quireforge::test {
namespace {

// Width, height and the length of the decompressed image data of a PNG, as Python's zlib
// finds them; a message when the picture does not decode.
std::string DecodedPng(const std::string& bytes) {
  TempDir temp;
  WriteFile(temp / "cover.png", bytes);
  const std::string script =
      "import struct, sys, zlib\n"
      "data = open(sys.argv[1], 'rb').read()\n"
      "assert data[:8] == b'\\x89PNG\\r\\n\\x1a\\n'\n"
      "at, idat, names = 8, b'', []\n"
      "while at < len(data):\n"
      "    length, name = struct.unpack('>I4s', data[at:at + 8])\n"
      "    body = data[at + 8:at + 8 + length]\n"
      "    assert zlib.crc32(name + body) == struct.unpack('>I', data[at + 8 + length:at + 12 + "
      "length])[0]\n"
      "    names.append(name.decode())\n"
      "    if name == b'IHDR': width, height, depth, kind = struct.unpack('>IIBB', body[:10])\n"
      "    if name == b'IDAT': idat += body\n"
      "    at += 12 + length\n"
      "pixels = zlib.decompress(idat)\n"
      "size = {2: 3, 3: 1, 6: 4}[kind]\n"
      "print(width, height, depth, kind, len(pixels) == height * (1 + width * size), "
      "' '.join(sorted(set(names))))\n";
  std::string output;
  RunCommand("python3 -c " + ShellQuote(script) + " " + ShellQuote((temp / "cover.png").string()),
             &output);
  return output;
}

std::u16string Joined(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (const std::u16string& line : lines) text += line;
  return text;
}

struct Case {
  const char* name;
  const char* title;
  const char* author;
  size_t least_title_lines;
};

class CoverDrawingTest : public testing::TestWithParam<Case> {};

TEST_P(CoverDrawingTest, SetsTheWholeTitleOnADecodablePicture) {
  const Case c = GetParam();
  std::string problem;
  const std::optional<DrawnCover> cover = DrawCover(U16(c.title), U16(c.author), &problem);
  ASSERT_TRUE(cover.has_value()) << problem;
  EXPECT_EQ(cover->image.width, 1200u);
  EXPECT_EQ(cover->image.height, 1600u);
  EXPECT_LE(cover->image.bytes.size(), 200u * 1024) << c.name;
  // Decoded whole: its size, a palette (the text's shades are kept few), every CRC, and no
  // chunk but the picture's own (no time).
  EXPECT_EQ(DecodedPng(cover->image.bytes), "1200 1600 8 3 True IDAT IEND IHDR PLTE\n");
  // The title whole, in as many lines as it needs, each line whole characters.
  EXPECT_GE(cover->title_lines.size(), c.least_title_lines) << c.name;
  std::u16string blanks_out;
  for (const char16_t ch : Joined(cover->title_lines)) {
    if (ch != u' ') blanks_out += ch;
  }
  std::u16string expected;
  for (const char16_t ch : U16(c.title)) {
    if (ch != u' ') expected += ch;
  }
  EXPECT_EQ(blanks_out, expected) << c.name;
  for (const std::u16string& line : cover->title_lines) {
    ASSERT_FALSE(line.empty());
    EXPECT_FALSE(line.front() >= 0xDC00 && line.front() <= 0xDFFF) << "a line begins mid-character";
    EXPECT_FALSE(line.back() >= 0xD800 && line.back() <= 0xDBFF) << "a line ends mid-character";
  }
  EXPECT_EQ(Joined(cover->author_lines), U16(c.author));
  // The same names, the same bytes.
  EXPECT_EQ(DrawCover(U16(c.title), U16(c.author))->image.bytes, cover->image.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, CoverDrawingTest,
    testing::Values(Case{"Cjk", "西游记", "吴承恩", 1}, Case{"Latin", "The Odyssey", "Homer", 1},
                    Case{"Long",
                         "斗破苍穹之吉祥如意大主宰后传——一个关于少年萧炎从废柴到巅峰的漫长而曲折的"
                         "故事第二部，以及他的朋友们和敌人们在大陆上的种种经历与传说",
                         "天蚕土豆", 3},
                    Case{"LongLatin",
                         "The Remarkably Long and Winding Chronicle of a Traveller Who Never "
                         "Stopped",
                         "Anonymous", 2},
                    Case{"NoAuthor", "三国演义", "", 1}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(CoverDrawingChoiceTest, DifferentTitlesGiveDifferentCovers) {
  EXPECT_NE(DrawCover(u"西游记", u"吴承恩")->image.bytes,
            DrawCover(u"水浒传", u"施耐庵")->image.bytes);
  EXPECT_NE(DrawCover(u"西游记", u"吴承恩")->image.bytes, DrawCover(u"西游记", u"")->image.bytes);
}

TEST(CoverDrawingChoiceTest, TitleWithNothingToShowGivesNoCover) {
  for (const std::u16string& title : {std::u16string(u" \t "), std::u16string(u"\xD800")}) {
    std::string problem;
    EXPECT_FALSE(DrawCover(title, u"Author", &problem).has_value());
    EXPECT_NE(problem.find("no cover"), std::string::npos) << problem;
  }
}

}  // namespace
}  // namespace quireforge::test
