// The Chinese script conversions give what OpenCC's own converter gives, on real prose and on
// the awkward corners (phrases, characters outside the BMP, text the dictionaries do not know),
// for every conversion, and a missing configuration fails with a message naming it.
#include <gtest/gtest.h>

#include <filesystem>
#include <opencc/SimpleConverter.hpp>

#include "TestSupport.h"
#include "conversion/ChineseConverter.h"

namespace quireforge::test {
namespace {

// About 20,000 characters of real Simplified prose, cut at a line end.
std::string SimplifiedProse() {
  const std::string text = ReadFile(std::filesystem::path(QF_CORPUS_DIR) / "西游记.txt");
  return text.substr(0, text.find("\r\n", 60000));
}

constexpr const char* kAwkward =
    "头发 鼠标 软件 打印机 后面 干燥 里面 面条 乾隆 著作 理发 一只 一隻 憂鬱 頭髮\r\n"
    "ASCII 123 & <tag> 全角　空格 𠀀𠮷 汉字𠀀后 乾坤 後來 電腦 軟體 滑鼠 計程車";

struct Case {
  ChineseConversion conversion;
  bool from_traditional;  // the input is the prose in Traditional script
};

class ChineseConverterTest : public testing::TestWithParam<Case> {};

TEST_P(ChineseConverterTest, GivesWhatOpenCcGives) {
  const Case c = GetParam();
  const std::string name(ConversionName(c.conversion));
  std::string input = SimplifiedProse() + "\r\n" + kAwkward;
  if (c.from_traditional) input = opencc::SimpleConverter("s2t.json").Convert(input);
  const std::string expected = opencc::SimpleConverter(name + ".json").Convert(input);

  const ChineseConverter converter(c.conversion);
  const std::u16string converted = converter.Convert(U16(input));
  EXPECT_EQ(U8(converted), expected) << name;
  EXPECT_NE(U8(converted), input) << name << " changed nothing";
  // Line by line as the pages are written: the same text.
  std::u16string lines;
  std::u16string line;
  const std::u16string whole = U16(input);
  for (size_t at = 0; at <= whole.size();) {
    size_t end = whole.find(u"\r\n", at);
    if (end == std::u16string::npos) end = whole.size();
    converter.Convert(std::u16string_view(whole).substr(at, end - at), &line);
    lines += line;
    if (end < whole.size()) lines += u"\r\n";
    at = end + 2;
  }
  EXPECT_EQ(lines, converted) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, ChineseConverterTest,
    testing::Values(Case{ChineseConversion::kS2T, false}, Case{ChineseConversion::kT2S, true},
                    Case{ChineseConversion::kS2TW, false}, Case{ChineseConversion::kTW2S, true},
                    Case{ChineseConversion::kS2TWP, false}, Case{ChineseConversion::kTW2SP, true},
                    Case{ChineseConversion::kS2HK, false}, Case{ChineseConversion::kHK2S, true}),
    [](const testing::TestParamInfo<Case>& param) {
      return std::string(ConversionName(param.param.conversion));
    });

TEST(ChineseConverterEdgeTest, LeavesWhatItDoesNotKnowAsItIs) {
  const ChineseConverter converter(ChineseConversion::kS2T);
  // Unpaired surrogates, an empty text, text in the target script already.
  for (const std::u16string& text :
       {std::u16string(u"a\xD800"
                       u"b\xDC00"),
        std::u16string(), std::u16string(u"頭髮與軟體"), std::u16string(u"\x3000\x3000")}) {
    EXPECT_EQ(converter.Convert(text), text);
  }
}

TEST(ChineseConverterEdgeTest, MissingConfigurationNamesTheConversion) {
  TempDir temp;
  // OpenCC looks for its files in the current folder first: a broken one there stands for a
  // damaged installation.
  WriteFile(temp / "s2hk.json", "{ not json");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(temp.path());
  const std::string error = ErrorOf([] { ChineseConverter converter(ChineseConversion::kS2HK); });
  std::filesystem::current_path(before);
  EXPECT_NE(error.find("\"s2hk\""), std::string::npos) << error;
}

}  // namespace
}  // namespace quireforge::test
