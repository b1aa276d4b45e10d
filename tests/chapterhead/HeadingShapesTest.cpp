// The shapes real download-site books give their headings, each written here as a short book
// of its own with the outline a reader expects, traps included: page heads of books cut into
// web pages, decorated heads, counters before their numbers, bare titles set apart by layout,
// running heads, contents lists, sections under chapters, scans of printed books. Each case
// names the thresholds it guards: moving one far enough changes that case's outline.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HeadingTestSupport.h"

namespace quireforge::test {
namespace {

struct ShapeCase {
  const char* name;
  const char* guards;  // the thresholds of chapterhead/HeadingTunables.h the case depends on
  std::string text;
  std::vector<std::string> outline;
};

// `count` bare titles, each set apart as `layout` says, with `body` paragraphs under it.
std::string Titles(const std::vector<std::string>& titles, const std::string& before,
                   const std::string& after, int body) {
  std::string text = "书名\n~\n";
  for (const std::string& title : titles) {
    text += before + title + "\n" + after + "~" + std::to_string(body) + "\n";
  }
  return text;
}

std::vector<std::string> Chapters(const std::vector<std::string>& titles,
                                  const std::string& prefix = "") {
  std::vector<std::string> outline;
  for (const std::string& title : titles) outline.push_back("C " + prefix + title);
  return outline;
}

const std::vector<ShapeCase>& Cases() {
  static const std::vector<ShapeCase> cases = {
      // --- Page heads of books cut into web pages ---
      {"PageHeadsCountThePagesOfEachChapter", "kMaxPageNumber kMinLooseSeries",
       "第一章 出发（1）\n~2\n第一章 出发（2）\n~2\n第二章 归来（1）\n~2\n第二章 归来（2）\n~2\n"
       "第二章 归来（3）\n~2\n",
       Chapters({"第一章 出发（1）", "第一章 出发（2）", "第二章 归来（1）", "第二章 归来（2）",
                 "第二章 归来（3）"})},
      {"PageHeadsWithoutMarkerAndAPageHeadQuotedInTheText", "kMinStepShare",
       "书名\n~\n童年时光(1)(图)\n~2\n童年时光(2)\n~2\n见上文童年（2）\n~\n少年(1)\n~2\n少年(2)\n~"
       "2\n"
       "少年(3)\n~2\n",
       Chapters({"童年时光(1)(图)", "童年时光(2)", "少年(1)", "少年(2)", "少年(3)"})},
      {"AListOfThePageHeadsIsText", "kMinContentsRun kContentsGap",
       "·故乡（1）\n·故乡（2）\n·父亲（1）\n·父亲（2）\n~\n故乡（1）\n~2\n故乡（2）\n~"
       "2\n父亲（1）\n~2\n"
       "父亲（2）\n~2\n",
       Chapters({"故乡（1）", "故乡（2）", "父亲（1）", "父亲（2）"})},
      {"ChapterTitlePagesBeforeTheirPagesAndChaptersOfOnePage", "kMinChapterText",
       "《文集》　第一部分答问\n~\n《文集》　第一部分答问（1）\n~2\n《文集》　第一部分答问（2）\n~"
       "2\n"
       "《文集》　第二部分自语\n~12\n《文集》　第三部分宿命\n~12\n",
       Chapters({"《文集》　第一部分答问", "《文集》　第一部分答问（1）",
                 "《文集》　第一部分答问（2）", "《文集》　第二部分自语",
                 "《文集》　第三部分宿命"})},
      // --- Decorated heads ---
      {"BracketsBookNamesAndLeadsAroundMarkers", "",
       "[(第1章 命运（1）)]\n~\n[(第2章 命运（2）)]\n~\n《血色》第三章 归来\n~\n【正文】 第四章 "
       "再会\n~\n",
       Chapters({"[(第1章 命运（1）)]", "[(第2章 命运（2）)]", "《血色》第三章 归来",
                 "【正文】 第四章 再会"})},
      {"HeadsInsideRulesWithAnUnusualCounter", "kMinLooseSeries kMaxNamedLead",
       "----我的写作生涯第一封信----\n~\n----我的写作生涯第二封信----\n~\n"
       "----我的写作生涯第三封信----\n~\n",
       Chapters({"----我的写作生涯第一封信----", "----我的写作生涯第二封信----",
                 "----我的写作生涯第三封信----"})},
      {"TitlesBoxedByRuleLines", "kMinBareTitles kMinBareSpan kMinBareGap",
       Titles({"序幕", "童年", "少年", "远行"}, "------\n", "------\n", 5),
       Chapters({"序幕", "童年", "少年", "远行"})},
      // --- Counters before their number or without 第 ---
      {"CountersBeforeTheirNumbers", "", "章一 出发\n~2\n章二 归来\n~2\n章三 再会\n~2\n",
       Chapters({"章一 出发", "章二 归来", "章三 再会"})},
      {"CountersWithout第AfterTheFirst", "", "第一回 甲\n~2\n二回 乙\n~2\n三回 丙\n~2\n",
       Chapters({"第一回 甲", "二回 乙", "三回 丙"})},
      {"NumbersWithAColonOrAPoint", "kMinNumeralGap kMinNumeralSpan kMaxNumeralTitle",
       "一：出发去远方寻找失落的家园\n~3\n二：归来\n~3\n三：再会\n~3\n四：离别\n~3\n"
       "1．先把米洗干净\n2．放进锅里\n3．煮熟\n~3\n",
       Chapters({"一：出发去远方寻找失落的家园", "二：归来", "三：再会", "四：离别"})},
      {"NumbersRunOnIntoTitlesAndPartsThatCountAgain", "kMinPartCount kMaxUnmarkedParts",
       "一神和鬼\n~3\n二　人生\n~3\n三　灵与肉\n~3\n四　天命\n~3\n五　万物\n~3\n六　文明\n~3\n"
       "七　修身\n~3\n一　阿菊\n~3\n二　温德\n~3\n三　神父\n~3\n四　双鹊\n~3\n五　恋爱\n~3\n"
       "六　夫人\n~3\n",
       Chapters({"一神和鬼", "二　人生", "三　灵与肉", "四　天命", "五　万物", "六　文明",
                 "七　修身", "一　阿菊", "二　温德", "三　神父", "四　双鹊", "五　恋爱",
                 "六　夫人"})},
      // --- Bare titles, set apart by layout alone ---
      {"TitlesIndentedOtherwiseThanTheParagraphs", "kMaxBareTitle kMaxBareShare",
       Titles({"春天的雨", "夏夜", "秋风起时", "冬至"}, "\n ", "\n", 5),
       Chapters({" 春天的雨", " 夏夜", " 秋风起时", " 冬至"})},
      {"TitlesFollowedByTheirDate", "kMaxLayoutTitle",
       "望远镜里的二〇〇八年，世界会更好吗？\n2008-01-03\n~5\n　　2008年1月3日，他出发了。\n~\n"
       "海军，远征\n2008-02-03\n~5\n空军的明天\n2008-03-05\n~5\n",
       Chapters({"望远镜里的二〇〇八年，世界会更好吗？", "海军，远征", "空军的明天"})},
      {"LongerTitlesAfterAsManyBlankLinesAsTheShortOnes", "kWideBlankGap kMinLayoutShare",
       Titles({"前言", "沉思", "反驳", "答辩",
               "按几何学方式证明上帝的存在和人的精神与肉体之间的区别的理由"},
              "\n\n\n\n\n", "\n", 6),
       Chapters({"前言", "沉思", "反驳", "答辩",
                 "按几何学方式证明上帝的存在和人的精神与肉体之间的区别的理由"})},
      {"PageTitlesAfterARunningPrefix", "kPrefixKey kMinPrefixedTitles kMinPrefixedSpan",
       "上篇经营之道　一前言\n~5\n上篇经营之道　一拿来主义\n~5\n上篇经营之道　一博采众长\n~5\n"
       "上篇经营之道　二消化创新\n~5\n上篇经营之道　二扬长避短\n~5\n",
       Chapters({"上篇经营之道　一前言", "上篇经营之道　一拿来主义", "上篇经营之道　一博采众长",
                 "上篇经营之道　二消化创新", "上篇经营之道　二扬长避短"})},
      {"ASiteLineSaidBeforeEveryChapterIsNoHeading", "kMaxMatterRepeats",
       "第一章 甲\n~2\n\n\n\n《书名》作者：某人\n\n\n\n第二章 "
       "乙\n~2\n\n\n\n《书名》作者：某人\n\n\n\n"
       "第三章 丙\n~2\n\n\n\n《书名》作者：某人\n\n\n\n第四章 丁\n~2\n",
       Chapters({"第一章 甲", "第二章 乙", "第三章 丙", "第四章 丁"})},
      // --- Running heads ---
      {"ARunningPartLineIsOneVolume",
       "kRepeatReach",
       "第三部分\n第一章 甲\n~6\n第三部分\n~6\n第三部分\n第二章 乙\n~6\n第三部分\n~6\n",
       {"V 第三部分", "C 第一章 甲", "C 第二章 乙"}},
      {"AHeadSaidAgainAfterTheSitesFurnitureIsOneHeading",
       "kRepeatReach kMaxRepeatText",
       "一：走私案\n------\nApply now for a card!\n所有跟贴·加跟贴·论坛主页\n------\n"
       "送交者: 某人 于 July 27, 2001 22:15 31 "
       "hits\n一：走私案\n~3\n二：牺牲品\n~3\n三：生意\n~3\n",
       {"C 一：走私案", "C 二：牺牲品", "C 三：生意"}},
      // --- Contents lists ---
      {"AContentsListWithPageNumbers", "kContentsTitleReach",
       "目录\n第一章 出发\t1\n第二章 归来\t23\n第三章 再会\t45\n\n第一章 出发\n~3\n第二章 "
       "归来\n~3\n"
       "第三章 再会\n~3\n",
       Chapters({"第一章 出发", "第二章 归来", "第三章 再会"})},
      {"AContentsListWithTeasers", "kMaxContentsEntryText",
       "目录\n第一章 出发\n出发那天下着雨，他一个人走到了车站，看着远处的山，想起了很多往事。\n"
       "第二章 归来\n归来的时候已经是秋天了，院子里的树叶落了一地，母亲站在门口等他回家。\n"
       "第三章 再会\n~\n思考 一（1）\n~12\n思考 一（2）\n~12\n思考 二（1）\n~12\n",
       Chapters({"思考 一（1）", "思考 一（2）", "思考 二（1）"})},
      // --- Chapters and their sections ---
      {"SectionsUnderChaptersAreLeftOut", "kMinSideSeries",
       "第一章 甲\n第一节\n~\n第二节\n~\n第三节\n~\n第四节\n~\n第五节\n~\n第六节\n~\n"
       "第二章 乙\n第一节\n~\n第二节\n~\n第三节\n~\n第四节\n~\n第五节\n~\n第六节\n~\n"
       "第三章 丙\n第一节\n~\n第二节\n~\n",
       Chapters({"第一章 甲", "第二章 乙", "第三章 丙"})},
      {"ASideSeriesBesideTheChapters", "kMinSideSeries",
       "第一章 甲\n~\n第二章 乙\n~\n第三章 丙\n~\n第四章 丁\n~\n第五章 戊\n~\n第一话 番外\n~\n"
       "第二话 番外\n~\n",
       Chapters({"第一章 甲", "第二章 乙", "第三章 丙", "第四章 丁", "第五章 戊", "第一话 番外",
                 "第二话 番外"})},
      {"ThreeLevelsWithChaptersThatCountAgain",
       "kMinContentsRun",
       "第一部 上\n第一卷 春\n第一章 甲\n~\n第二章 乙\n~\n第二卷 夏\n第一章 丙\n~\n第二章 丁\n~\n"
       "第二部 下\n第一卷 秋\n第一章 戊\n~\n第二章 己\n~\n",
       {"V 第一部 上", "V 第一卷 春", "C 第一章 甲", "C 第二章 乙", "V 第二卷 夏", "C 第一章 丙",
        "C 第二章 丁", "V 第二部 下", "V 第一卷 秋", "C 第一章 戊", "C 第二章 己"}},
      // --- Titles that summarise, and titles of every length ---
      {"SummariesThatFormACleanSeries", "kMaxWeakTitle",
       "第一章 他来了。她走了。\n~\n第二章黄金斩首，打响美元保卫战\n~\n"
       "第三章 收入。资本。二者的区别与联系，以及它们在一个现代国家里的作用\n~\n",
       Chapters({"第一章 他来了。她走了。", "第二章黄金斩首，打响美元保卫战",
                 "第三章 收入。资本。二者的区别与联系，以及它们在一个现代国家里的作用"})},
      {"TitlesLongAndWithCommas", "kMaxMarkedTitle kMaxTitleWithCommas kMaxTitleWithStop",
       "第一章 灵根育孕源流出，心性修持大道生\n~\n第二章 风起，云涌，雷动\n~\n第三章 归来。\n~\n"
       "第四章 悟彻菩提真妙理断魔归本合元神又一回过火焰山再到西天取经回来\n~\n",
       Chapters({"第一章 灵根育孕源流出，心性修持大道生", "第二章 风起，云涌，雷动",
                 "第三章 归来。",
                 "第四章 悟彻菩提真妙理断魔归本合元神又一回过火焰山再到西天取经回来"})},
      {"OutOfOrderChaptersAndSkippedNumbers", "kMinRisingShare kMinStepShare kMaxFirstNumber",
       "第一章 甲\n~\n第二章 乙\n~\n第五章 戊\n~\n第三章 丙\n~\n第四章 丁\n~\n"
       "2\n~3\n3\n~3\n4\n~3\n5\n~3\n7\n~3\n",
       Chapters({"第一章 甲", "第二章 乙", "第五章 戊", "第三章 丙", "第四章 丁"})},
      {"FrontMatterAndItsPageTitle",
       "kMaxMatterRepeats kMaxEndingMatter",
       "序\n序\n~\n第一章 甲\n~\n第二章 乙\n~\n25周年版序言\n~\n2019 年\n~\n"
       "这是我为这本书的新版写的一篇很长的说明性质的序言\n~\n",
       {"C 序", "C 第一章 甲", "C 第二章 乙", "C 25周年版序言"}},
      {"ALoneFirstVolumeNearTheStart",
       "kLoneHeadingReach kLoneHeadingLines",
       "书名\n作者\n~5\n第一卷 初入江湖\n第一章 甲\n~\n第二章 乙\n~\n第三章 丙\n~\n",
       {"V 第一卷 初入江湖", "C 第一章 甲", "C 第二章 乙", "C 第三章 丙"}},
      // --- Traps and the thresholds that keep them out, long titles after a gap ---
      {"LongTitlesAfterGapsInTheNumbering",
       "kMaxMarkedTitle kMaxTitleWithCommas kMaxTitleWithStop kMaxEnglishTitle",
       "第一章 甲\n~\n第二章 乙\n~\n第四章 他在暴风雨中独自穿过了整片森林回到了村庄\n~\n"
       "第六章 风起云涌，天地变色，英雄出世\n~\n第八章 他终于回到了故乡。\n~\n",
       Chapters({"第一章 甲", "第二章 乙", "第四章 他在暴风雨中独自穿过了整片森林回到了村庄",
                 "第六章 风起云涌，天地变色，英雄出世", "第八章 他终于回到了故乡。"})},
      {"LongEnglishTitlesAfterAGap", "kMaxEnglishTitle",
       "Chapter 1\nIt began.\nChapter 2\nIt went on.\n"
       "Chapter 4: The Long Road Home Through the Darkest Forest\nIt ended.\n",
       Chapters(
           {"Chapter 1", "Chapter 2", "Chapter 4: The Long Road Home Through the Darkest Forest"})},
      {"BareNumbersNotCountingOneByOneAreAList",
       "kMinStepShare kMaxFirstNumber",
       "书名\n~\n1 出发\n~3\n2 归来\n~3\n3 远行\n~3\n5 重逢\n~3\n7 离别\n~3\n"
       "五 甲\n~3\n六 乙\n~3\n七 丙\n~3\n八 丁\n~3\n",
       {}},
      {"AListInReverseOrderIsNoSeries",
       "kMinRisingShare",
       "第五章 甲\n~\n第四章 乙\n~\n第三章 丙\n~\n第二章 丁\n~\n第一章 戊\n~\n",
       {}},
      {"ALoneUnusualCounterIsText", "kMinLooseSeries",
       "第一章 甲\n~\n第一封信 致友人\n~\n第二章 乙\n~\n", Chapters({"第一章 甲", "第二章 乙"})},
      {"ANumberedListInOnePartOfTheBookIsText",
       "kMinNumeralSpan kMinNumeralGap",
       "1 甲\n~3\n2 乙\n~3\n3 丙\n~3\n~20\n一 甲\n~\n二 乙\n~\n三 丙\n~\n四 丁\n~\n~20\n",
       {}},
      {"ShortCountsStartingAgainAreListsInChapters",
       "kMinPartCount kMaxUnmarkedParts",
       "书名\n~\n一 甲\n~3\n二 乙\n~3\n三 丙\n~3\n一 丁\n~3\n二 戊\n~3\n一 己\n~3\n二 庚\n~3\n"
       "三 辛\n~3\n~10\n"
       "1 甲\n~3\n2 乙\n~3\n3 丙\n~3\n4 丁\n~3\n5 戊\n~3\n6 己\n~3\n1 庚\n~3\n2 辛\n~3\n"
       "3 壬\n~3\n4 癸\n~3\n5 子\n~3\n6 丑\n~3\n1 寅\n~3\n2 卯\n~3\n3 辰\n~3\n4 巳\n~3\n"
       "5 午\n~3\n6 未\n~3\n1 申\n~3\n2 酉\n~3\n3 戌\n~3\n4 亥\n~3\n5 天\n~3\n6 地\n~3\n"
       "1 春\n~3\n2 夏\n~3\n3 秋\n~3\n4 冬\n~3\n5 晨\n~3\n6 暮\n~3\n",
       {}},
      {"AShortSideSeriesBesideManyChaptersIsText", "kMinSideSeries",
       "第一章 甲\n~\n第二章 乙\n~\n第三章 丙\n~\n第四章 丁\n~\n第五章 戊\n~\n第六章 己\n~\n"
       "第七章 庚\n~\n第八章 辛\n~\n第九章 壬\n~\n第十章 癸\n~\n第十一章 子\n~\n第一话 引\n~\n",
       Chapters({"第一章 甲", "第二章 乙", "第三章 丙", "第四章 丁", "第五章 戊", "第六章 己",
                 "第七章 庚", "第八章 辛", "第九章 壬", "第十章 癸", "第十一章 子"})},
      // --- Scans of printed books ---
      {"AHeadSpreadOverLinesAndPageNumbersAlone",
       "",
       "CHAPTER\n1\nWeapons of Influence\nIt was a dark and stormy\n4\nnight, and the rain fell.\n"
       "The end of it came.\nCHAPTER\n2\nReciprocation\nShe ran along the shore of\n12\nthe lake.\n"
       "It was over.\nCHAPTER\n3\nCommitment\nThey met again.\n",
       {"C CHAPTER", "C CHAPTER", "C CHAPTER"}},
  };
  return cases;
}

std::string Joined(const std::vector<std::string>& outline) {
  std::string joined;
  for (const std::string& entry : outline) joined += entry + " | ";
  return joined;
}

TEST(HeadingShapesTest, EachShapeGivesTheOutlineAReaderWouldMake) {
  for (const ShapeCase& book : Cases()) {
    const std::vector<std::string> outline = OutlineOf(book.text);
    EXPECT_EQ(outline, book.outline)
        << book.name << " (guards " << book.guards << ")\n  made: " << Joined(outline);
  }
}

}  // namespace
}  // namespace quireforge::test
