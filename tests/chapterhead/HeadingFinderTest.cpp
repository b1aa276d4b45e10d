// The heading finder on small books written for each marker shape and each trap a real
// download-site book holds: every case is a text and the outline a reader would make of it.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "HeadingTestSupport.h"

namespace quireforge::test {
namespace {

struct BookCase {
  const char* name;
  std::string text;
  std::vector<std::string> outline;
  VolumeChoice volumes = VolumeChoice::kAuto;
};

// Chapters 第一章 … 第N章 (Chinese numerals) with two paragraphs each.
std::string Chapters(int from, int to, const std::string& prefix = "") {
  static const char* kNumerals[] = {"零", "一", "二", "三", "四", "五",
                                    "六", "七", "八", "九", "十"};
  std::string text;
  for (int i = from; i <= to; ++i) text += prefix + "第" + kNumerals[i] + "章 标题\n~\n~\n";
  return text;
}

const std::vector<BookCase>& Cases() {
  static const std::vector<BookCase> cases = {
      {"SentencesThatMentionMarkersAreText",
       "第一章 出发\n~\n卡缪的第一部小说出版了。\n第一次见到她，他才十二岁。\n第二天早上\n~\n"
       "第三十八集团军的士兵们正在操练。\n见本书第1卷第2章第1节。\n第一回合和第二回合，他都输了。\n"
       "第二章 归来\n~\n这群戈什哈们还是有生以来第一回干这种事\n~\n第三章，他没有写完。\n"
       "第三章 再见\n~\n",
       {"C 第一章 出发", "C 第二章 归来", "C 第三章 再见"}},
      {"AContentsListAtTheFrontIsText",
       "目录\n序\n第一章 甲\n第二章 乙\n第三章 丙\n\n序\n~\n第一章 甲\n~\n~\n第二章 乙\n~\n~\n"
       "第三章 丙\n~\n~\n后记\n~\n",
       {"C 序", "C 第一章 甲", "C 第二章 乙", "C 第三章 丙", "C 后记"}},
      {"AContentsListRightBeforeTheFirstChapter",
       "书名\n第一章 甲\n第二章 乙\n第三章 丙\n第一章 甲\n~\n~\n第二章 乙\n~\n~\n第三章 丙\n~\n",
       {"C 第一章 甲", "C 第二章 乙", "C 第三章 丙"}},
      {"AContentsListWithTitlesOnLinesOfTheirOwn",
       "第一章\n启程\n第二章\n归来\n第三章\n再会\n第一章\n启程\n~\n第二章\n归来\n~\n第三章\n再会\n~"
       "\n",
       {"C 第一章", "C 第二章", "C 第三章"}},
      {"ChaptersOfOneLongLineEachAreNoContentsList",
       "第一卷 上\n第一章 甲\n~\n第二章 乙\n~\n第三章 丙\n~\n第二卷 下\n第一章 丁\n~\n第二章 "
       "戊\n~\n"
       "第三章 己\n~\n",
       {"V 第一卷 上", "C 第一章 甲", "C 第二章 乙", "C 第三章 丙", "V 第二卷 下", "C 第一章 丁",
        "C 第二章 戊", "C 第三章 己"}},
      {"ANumberedListInTheBodyIsNoChapter",
       "一　灭门\n~\n~\n~\n~\n二　报仇\n~\n一、洗米\n二、煮饭\n三、吃饭\n~\n~\n~\n三　归隐\n~\n~\n~"
       "\n~\n"
       "四　重逢\n~\n~\n~\n~\n",
       {"C 一　灭门", "C 二　报仇", "C 三　归隐", "C 四　重逢"}},
      {"SectionsNumberedInsideChaptersAreText",
       "第一章 甲\n一\n~\n~\n~\n二\n~\n~\n~\n第二章 乙\n一\n~\n~\n~\n二\n~\n~\n~\n第三章 "
       "丙\n一\n~\n~\n~\n",
       {"C 第一章 甲", "C 第二章 乙", "C 第三章 丙"}},
      {"BareNumbersAloneAndWithTitles",
       "前言\n~\n1\n~\n~\n~\n2\n~\n~\n~\n3\n~\n~\n~\n4\n~\n~\n~\n尾声\n~\n",
       {"C 前言", "C 1", "C 2", "C 3", "C 4", "C 尾声"}},
      {"NumbersWithSeparatorsAndBrackets",
       "（一）起\n~\n~\n~\n（二）承\n~\n~\n~\n（三）转\n~\n~\n~\n（四）合\n~\n~\n~\n",
       {"C （一）起", "C （二）承", "C （三）转", "C （四）合"}},
      {"LeadsBracketsBlanksAndUnusualCounters",
       "　　正文 第一封信 致友人\n~\n【第二封信】\n~\n〖第三封信〗 再致\n~\n[第四封信]回信\n~\n",
       {"C 　　正文 第一封信 致友人", "C 【第二封信】", "C 〖第三封信〗 再致", "C [第四封信]回信"}},
      // A heading said again right below itself is one heading: the one the text follows.
      {"DecoratedAndRepeatedHeadings",
       "===第一章 起===\n第一章 起\n~\n☆、第二章 承\n~\n◆ 第三章 转\n~\n",
       {"C 第一章 起", "C ☆、第二章 承", "C ◆ 第三章 转"}},
      {"RunOnTitlesCountOnlyInTheirPlace",
       "第一回 甲\n~\n第二回乙\n~\n第一回合\n~\n第三回 丙\n~\n",
       {"C 第一回 甲", "C 第二回乙", "C 第三回 丙"}},
      {"AMarkerMetOnceInTheMiddleIsNoSeries",
       "第1章 起\n~\n~\n第2章 承\n~\n第三十八集 团军\n~\n第3章 转\n~\n~\n",
       {"C 第1章 起", "C 第2章 承", "C 第3章 转"}},
      {"EnglishChaptersAndMatter",
       "Prologue\nIt began.\nChapter 1\nHe walked.\nPart of the reason was money.\nCHAPTER II: The "
       "Road\n"
       "She ran.\nChapter Three\nThey met.\nEpilogue\nThe end.\n",
       {"C Prologue", "C Chapter 1", "C CHAPTER II: The Road", "C Chapter Three", "C Epilogue"}},
      {"NestedVolumesMakeTwoLevels",
       "【第一卷】\n" + Chapters(1, 2) + "第一卷卷轴一展开，满屋生香。\n第二卷 风云\n" +
           Chapters(3, 4, "第二卷 ") + "卷三 归去\n" + Chapters(5, 6),
       {"V 【第一卷】", "C 第一章 标题", "C 第二章 标题", "V 第二卷 风云", "C 第二卷 第三章 标题",
        "C 第二卷 第四章 标题", "V 卷三 归去", "C 第五章 标题", "C 第六章 标题"}},
      {"VolumesTurnedOffAreChapters",
       "第一部 上\n" + Chapters(1, 2) + "第二部 下\n" + Chapters(3, 4),
       {"C 第一部 上", "C 第一章 标题", "C 第二章 标题", "C 第二部 下", "C 第三章 标题",
        "C 第四章 标题"},
       VolumeChoice::kOff},
      {"AForcedVolumeMayStandAlone",
       "第一卷 初入江湖\n" + Chapters(1, 3),
       {"V 第一卷 初入江湖", "C 第一章 标题", "C 第二章 标题", "C 第三章 标题"},
       VolumeChoice::kForce},
      {"VolumesWithoutChaptersAreTheChapters",
       "第一卷 甲\n~\n~\n第二卷 乙\n~\n~\n第三卷 丙\n~\n",
       {"C 第一卷 甲", "C 第二卷 乙", "C 第三卷 丙"}},
      {"ABookNamePutBeforeEveryHeading",
       "斗破苍穹 作者：天蚕土豆\n~\n斗破苍穹 第一章 陨落\n~\n~\n斗破苍穹 第二章 斗气\n~\n他说 "
       "第三章 写完了\n"
       "~\n斗破苍穹 第三章 客人\n~\n",
       {"C 斗破苍穹 第一章 陨落", "C 斗破苍穹 第二章 斗气", "C 斗破苍穹 第三章 客人"}},
      {"MatterSaidOverAndOverIsNoHeading",
       "序\n~\n序\n~\n序\n~\n第一章 甲\n~\n第二章 乙\n~\n后记\n~\n",
       {"C 第一章 甲", "C 第二章 乙", "C 后记"}},
      {"ABookWithoutHeadingsHasNone", "~\n~\n一个人走在路上。\n~\n他说：“第一章写完了。”\n", {}},
  };
  return cases;
}

TEST(HeadingFinderTest, FindsTheOutlineAReaderWouldMake) {
  for (const BookCase& book : Cases()) {
    EXPECT_EQ(OutlineOf(book.text, book.volumes), book.outline) << book.name;
  }
}

}  // namespace
}  // namespace quireforge::test
