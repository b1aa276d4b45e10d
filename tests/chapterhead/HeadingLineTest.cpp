// One line at a time: which lines open with a heading marker and read as a heading, and the
// numbers the markers count with. The book-wide choice is HeadingFinderTest's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Utf.h"
#include "chapterhead/HeadingLine.h"
#include "chapterhead/HeadingNumeral.h"

namespace quireforge {
namespace {

TEST(HeadingNumeralTest, NumbersReadAsTheyAreWritten) {
  const std::vector<std::pair<const char*, int64_t>> numbers = {
      {"一", 1},          {"十", 10},          {"十二", 12},  {"二十", 20},
      {"一百零五", 105},  {"一百二十", 120},   {"两百", 200}, {"一〇三", 103},
      {"一千零一", 1001}, {"三万五千", 35000}, {"廿一", 21},  {"壹佰贰拾叁", 123},
      {"007", 7},         {"１２", 12},        {"Ⅻ", 12},     {"ⅳ", 4}};
  for (const auto& [text, value] : numbers) {
    const HeadingNumber number = LeadingNumber(FromUtf8(text));
    EXPECT_EQ(number.value, value) << text;
    EXPECT_EQ(number.length, FromUtf8(text).size()) << text;
  }
  const std::vector<std::pair<const char*, int64_t>> latin = {
      {"IV", 4}, {"xiv", 14}, {"XL", 40}, {"one", 1}, {"Twenty-One", 21}, {"NINETEEN", 19}};
  for (const auto& [text, value] : latin) {
    EXPECT_EQ(LeadingLatinNumber(FromUtf8(text)).value, value) << text;
  }
  EXPECT_EQ(LeadingLatinNumber(u"Item").length, 0u);
  EXPECT_EQ(LeadingNumber(u"第一").length, 0u);
}

struct LineCase {
  const char* line;
  bool heading;
  int64_t number = -1;  // checked for headings when not -1
};

TEST(HeadingLineTest, HeadingsStandAloneAndSentencesDoNot) {
  const std::vector<LineCase> cases = {
      {"第一章", true, 1},
      {"　　第十二回　灵根育孕源流出　心性修持大道生", true, 12},
      {"第 3 章：重逢", true, 3},
      {"正文 第001章 开始", true, 1},
      {"【第一卷】 初入江湖", true, 1},
      {"第一卷 第三章 风起", true, 3},
      {"第一章 你好，世界！", true, 1},
      {"第五章《归来》", true, 5},
      {"第一章风起云涌", true, 1},
      {"楔子", true},
      {"番外三：旧事", true, 3},
      {"一　灭门", true, 1},
      {"1．出发", true, 1},
      {"（二）承", true, 2},
      {"Chapter Twelve", true, 12},
      {"CHAPTER IV. The Road", true, 4},
      {"斗破苍穹 第十章 客人", true, 10},
      {"第一次见到她，他才十二岁。", false},
      {"第二天早上", false},
      {"第一回合和第二回合，他都输了。", false},
      {"第三十八集团军的士兵们正在操练。", false},
      {"第三章，他没有写完。", false},
      {"见本书第1卷第2章第1节。", false},
      {"一、先把米洗干净；二、再放进锅里。", false},
      {"1.5", false},
      {"2019 年", true},  // a number and a title; only a series makes it a heading
      {"5000 年前的故事", true},
      {"12000 多人", false},  // beyond any chapter's number: an amount
      {"后记得很清楚", false},
      {"Preface line", false},
      {"Part of the reason was money.", false},
      {"第一章 "
       "这是一个很长很长的句子，它说了很多很多的事情，然后又说了很多很多的事情，最后还是没有说完",
       false},
  };
  for (const LineCase& c : cases) {
    const std::optional<HeadingMarker> marker = ReadHeadingLine(FromUtf8(c.line));
    EXPECT_EQ(marker.has_value(), c.heading) << c.line;
    if (marker && c.number != -1) {
      EXPECT_EQ(marker->number, c.number) << c.line;
    }
  }
}

TEST(HeadingLineTest, MarkersTellVolumesAndRunOnTitles) {
  EXPECT_TRUE(ReadHeadingLine(u"第二卷 风云")->volume_like);
  EXPECT_TRUE(ReadHeadingLine(u"卷三 归去")->volume_like);
  EXPECT_TRUE(ReadHeadingLine(u"下篇")->volume_like);
  EXPECT_FALSE(ReadHeadingLine(u"第二卷 第三章 风云")->volume_like);
  EXPECT_TRUE(ReadHeadingLine(u"第二卷 第三章 风云")->after_volume);
  EXPECT_TRUE(ReadHeadingLine(u"第一章风起")->tight);
  EXPECT_FALSE(ReadHeadingLine(u"第一章 风起")->tight);
  EXPECT_NE(ReadHeadingLine(u"甲 第一章 起")->named_lead,
            ReadHeadingLine(u"乙 第一章 起")->named_lead);
  // A page number in brackets ends a page head; the years a title covers date it.
  EXPECT_EQ(ReadHeadingLine(u"童年时光（400）")->page, 400);
  EXPECT_EQ(ReadHeadingLine(u"往事（2001）")->family, MarkerFamily::kDated);
  EXPECT_EQ(ReadHeadingLine(u"少年时代（1893—1910）")->number, 1893);
}

}  // namespace
}  // namespace quireforge
