// Finding a code page from the bytes of a text with ICU's detector: the code pages of our
// users' books, UTF-8 with a few broken bytes, too little to go on, and the sample the
// detector is shown (start, middle and end of the text, whole lines, nothing after a NUL).
#include <gtest/gtest.h>

#include <algorithm>

#include "CodePageSamples.h"
#include "conversion/CodePageDetector.h"

namespace quireforge::test {
namespace {

// An English paragraph, pure ASCII.
std::string English(int repeat) {
  std::string text;
  for (int i = 0; i < repeat; ++i) {
    text +=
        "It was a bright cold day in April, and the clocks were striking thirteen. The old man "
        "walked slowly along the river, thinking of the years he had spent in the city.\r\n";
  }
  return text;
}

TEST(CodePageDetectorTest, FindsTheCodePageOfEverySample) {
  for (const CodePageSample* sample : AllCodePageSamples()) {
    EXPECT_EQ(DetectCodePage(sample->bytes), sample->code_page) << sample->label;
  }
}

TEST(CodePageDetectorTest, NamesTheSupersetWhereOneDecodesMore) {
  // French without any of windows-1252's extra characters looks like ISO-8859-1 to ICU.
  const std::string french =
      "Au marché, les marchands installent leurs étals de légumes, de fromages et de fleurs. "
      "Une vieille dame choisit ses pêches. L'après-midi, le soleil réchauffe les façades. Des "
      "hommes âgés jouent à l'ombre. Son frère était là, près de l'église.\r\n";
  EXPECT_EQ(DetectCodePage(EncodeIn("ISO-8859-1", french + french)), "windows-1252");
  EXPECT_EQ(DetectCodePage(EucKrText().bytes), "windows-949");
}

TEST(CodePageDetectorTest, Utf8WithAFewBrokenBytesIsUtf8) {
  const std::string novel = CorpusText("三国演义.txt").substr(0, 100000);
  std::string broken = novel;
  broken[5000] = '\xFF';  // a damaged byte
  broken += "\xE7\xAC";   // a last character cut short
  EXPECT_EQ(DetectCodePage(broken), "UTF-8");
  // Broken bytes everywhere are not UTF-8 with a few of them.
  std::string mangled = novel.substr(0, 3000);
  for (size_t i = 0; i < mangled.size(); i += 7) mangled[i] = '\xFF';
  EXPECT_NE(DetectCodePage(mangled), "UTF-8");
}

TEST(CodePageDetectorTest, NoAnswerWithoutEnoughToGoOn) {
  EXPECT_EQ(DetectCodePage(""), std::nullopt);
  EXPECT_EQ(DetectCodePage(English(3)), std::nullopt);
  // A name or two in Chinese inside English prose: ICU scores its English letters, not the
  // ten bytes that matter, so the locale's code page must decide.
  EXPECT_EQ(DetectCodePage(EncodeIn("GB18030", English(3) + "第一章 开始\r\n" + English(3))),
            std::nullopt);
  EXPECT_EQ(DetectCodePage(EncodeIn("windows-1252", "caf\xC3\xA9 na\xC3\xAFve")), std::nullopt);
  // Bytes that no usable code page explains well.
  std::string noise;
  for (int i = 0; i < 3000; ++i) noise += static_cast<char>(0x80 + (i * 37) % 0x80);
  EXPECT_EQ(DetectCodePage(noise), std::nullopt);
}

TEST(CodePageDetectorTest, AMultiByteCodePageBeatsEnglishLetterStatistics) {
  // English with a Chinese sentence in it: ICU's ISO-8859-1 scores above 90 on the letters.
  const std::string text =
      English(3) + "他说：“我们明天再见吧。”她点了点头，转身离开了。\r\n" + English(3);
  EXPECT_EQ(DetectCodePage(EncodeIn("GB18030", text)), "GB18030");
}

TEST(CodePageDetectorTest, SmallTextsAreTheirOwnSample) {
  EXPECT_EQ(DetectionSample(""), "");
  const std::string small = Gb18030Piece().bytes;
  EXPECT_EQ(DetectionSample(small), small);
  const std::string exact(kDetectionSampleLimit, 'a');
  EXPECT_EQ(DetectionSample(exact), exact);
}

TEST(CodePageDetectorTest, TheSampleTakesWholeLinesFromTheStartTheMiddleAndTheEnd) {
  const std::string& novel = Gb18030Novel().bytes;
  const std::string sample = DetectionSample(novel);
  EXPECT_LE(sample.size(), kDetectionSampleLimit);
  EXPECT_GT(sample.size(), kDetectionSampleLimit / 2);
  // The start, as it is.
  const size_t first_break = sample.find('\n');
  EXPECT_EQ(novel.compare(0, first_break, sample, 0, first_break), 0);
  // The end, as it is.
  const size_t tail = sample.size() - sample.rfind('\n', sample.size() - 3) - 1;
  EXPECT_EQ(novel.compare(novel.size() - tail, tail, sample, sample.size() - tail, tail), 0);
  // Every line of the sample is a whole line of the novel, one of them from its middle.
  size_t begin = 0;
  bool middle = false;
  while (begin < sample.size()) {
    const size_t end = sample.find('\n', begin);
    const std::string line = sample.substr(begin, end == std::string::npos ? end : end - begin);
    if (line.size() > 2) {
      const size_t at = novel.find("\n" + line);
      EXPECT_TRUE(at != std::string::npos || novel.compare(0, line.size(), line) == 0)
          << "not a whole line at sample offset " << begin;
      if (at != std::string::npos && at > novel.size() / 3 && at < novel.size() * 2 / 3) {
        middle = true;
      }
    }
    if (end == std::string::npos) break;
    begin = end + 1;
  }
  EXPECT_TRUE(middle);
}

TEST(CodePageDetectorTest, ATextWithoutLineBreaksIsCutAnywhere) {
  std::string line = Gb18030Novel().bytes;
  line.erase(
      std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
      line.end());
  const std::string sample = DetectionSample(line);
  EXPECT_LE(sample.size(), kDetectionSampleLimit);
  EXPECT_EQ(std::count(sample.begin(), sample.end(), '\n'), 2);  // the pieces' joints
  EXPECT_EQ(DetectCodePage(line), "GB18030");
}

TEST(CodePageDetectorTest, LooksBeyondTheStartOfTheText) {
  // The first 100 KB are English; the Chinese comes later. ICU alone looks at 8 KB.
  const std::string chinese = EncodeIn("GB18030", CorpusText("西游记.txt").substr(0, 30000));
  EXPECT_EQ(DetectCodePage(English(700) + chinese), "GB18030");
  EXPECT_EQ(DetectCodePage(English(700) + chinese + English(700)), "GB18030");
}

TEST(CodePageDetectorTest, OnlyTheBytesBeforeTheFirstNulCount) {
  // Chinese before the NUL, noise after it: the end of the text is where the NUL is.
  std::string bytes = Gb18030Novel().bytes.substr(0, 40000);
  bytes += '\0';
  for (int i = 0; i < 40000; ++i) bytes += static_cast<char>(0x80 + (i * 53) % 0x80);
  EXPECT_EQ(DetectCodePage(bytes), "GB18030");
  // And nothing before the NUL gives nothing to go on.
  EXPECT_EQ(DetectCodePage(std::string("\0", 1) + Gb18030Novel().bytes), std::nullopt);
}

}  // namespace
}  // namespace quireforge::test
