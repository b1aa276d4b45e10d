// The window's small pure parts: the source field format, the chapter search, the option
// mapping, the language decision, name filters and the guard of the event handlers.
#include <gtest/gtest.h>

#include <QComboBox>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "QtTestPrinters.h"
#include "conversion/BookOptionTable.h"
#include "ui/BookOptionControls.h"
#include "ui/ChapterSearch.h"
#include "ui/DialogService.h"
#include "ui/GuardedHandler.h"
#include "ui/InterfaceLanguage.h"
#include "ui/SourceField.h"

namespace quireforge::test {
namespace {

TEST(SourceFieldTest, ATextWithoutCommaIsTheOnlySourceUnchanged) {
  EXPECT_EQ(ParseSourceField("a.txt"), QStringList{"a.txt"});
  EXPECT_EQ(ParseSourceField(" /my books/a b.txt "), QStringList{" /my books/a b.txt "});
  EXPECT_EQ(ParseSourceField("\"a.txt\""), QStringList{"\"a.txt\""});
}

TEST(SourceFieldTest, CommasBlanksAndQuotesSeparateItems) {
  const QStringList two{"a.txt", "b.txt"};
  EXPECT_EQ(ParseSourceField("a.txt,b.txt"), two);
  EXPECT_EQ(ParseSourceField("a.txt, b.txt"), two);
  EXPECT_EQ(ParseSourceField("\"a.txt\",\"b.txt\""), two);
  EXPECT_EQ(ParseSourceField("a b.txt,c.txt"), (QStringList{"a", "b.txt", "c.txt"}));
  EXPECT_EQ(ParseSourceField("\"a b.txt\",c.txt"), (QStringList{"a b.txt", "c.txt"}));
  EXPECT_EQ(ParseSourceField("a.txt,"), (QStringList{"a.txt", ""}));
  EXPECT_EQ(ParseSourceField("/books/a,b.txt"), (QStringList{"/books/a", "b.txt"}));
  EXPECT_EQ(ParseSourceField(",a"), (QStringList{"", "a"}));
  EXPECT_EQ(ParseSourceField("a,,b"), (QStringList{"a", "", "b"}));
  EXPECT_EQ(ParseSourceField("  a ,\tb  "), (QStringList{"a", "b"}));
}

TEST(SourceFieldTest, QuotedItemsDoubleTheirQuotesAndMayRunToTheEnd) {
  EXPECT_EQ(ParseSourceField("\"say \"\"hi\"\".txt\",b"), (QStringList{"say \"hi\".txt", "b"}));
  EXPECT_EQ(ParseSourceField("a,\"open, end"), (QStringList{"a", "open, end"}));
}

TEST(SourceFieldTest, WrittenPathsReadBackUnchanged) {
  const QStringList paths{"/plain.txt", "/my books/a.txt", "/x,y.txt", "/say \"hi\".txt",
                          "/tab\there.txt"};
  const QString field = JoinSourcePaths(paths);
  EXPECT_EQ(field.left(11), "/plain.txt,");  // quoted only where needed
  EXPECT_EQ(ParseSourceField(field), paths);
  EXPECT_EQ(QuoteSourcePath("/a.txt", true), "\"/a.txt\"");
  EXPECT_EQ(ParseSourceField(QuoteSourcePath("/a\".txt", true) + "," + QuoteSourcePath("/b", true)),
            (QStringList{"/a\".txt", "/b"}));
}

TEST(SourceFieldTest, ASinglePathReadsBackAsOneSourceWhateverItHolds) {
  for (const QString path : {"/plain.txt", "/books/Vol 1, part 2.txt", "/my books/a.txt",
                             "/say \"hi\".txt", "/tab\there.txt", "/\"q\"", "\"", " "}) {
    const QString field = QuoteSourcePath(path, false);
    EXPECT_EQ(ParseSourceField(field), QStringList{path}) << field.toStdString();
  }
  EXPECT_EQ(QuoteSourcePath("/my books/a.txt", false), "\"/my books/a.txt\"");
  // Quotes that the writer would not have written stay part of the text.
  EXPECT_EQ(ParseSourceField("\"/a.txt\""), QStringList{"\"/a.txt\""});
  EXPECT_EQ(ParseSourceField("\"a\"b c\""), QStringList{"\"a\"b c\""});
  EXPECT_EQ(ParseSourceField("\"a b\" "), QStringList{"\"a b\" "});
}

TEST(ChapterSearchTest, WholeEntryIgnoresCaseAndSkipsReplacedLines) {
  const QStringList lines{"One", "two", "TWO", "three"};
  EXPECT_EQ(FindWholeEntry(lines, "Two", {}), 1);
  EXPECT_EQ(FindWholeEntry(lines, "Two", {false, true}), 2);
  EXPECT_EQ(FindWholeEntry(lines, "tw", {}), -1);
  EXPECT_EQ(FindWholeEntry({"", "a"}, "", {}), 0);
}

TEST(ChapterSearchTest, ContainmentIsExactCaseFromTheStartLineDown) {
  const QStringList lines{"abc", "xAbx", "xabx"};
  EXPECT_EQ(FindContaining(lines, "ab", 0), 0);
  EXPECT_EQ(FindContaining(lines, "ab", 1), 2);
  EXPECT_EQ(FindContaining(lines, "ab", 3), -1);
  EXPECT_EQ(FindContaining(lines, "Ab", 0), 1);
  EXPECT_EQ(FindContaining(lines, "", 0), -1);
}

TEST(DialogServiceTest, NameFiltersInQtForm) {
  EXPECT_EQ(QtNameFilter("Text File|*.txt"), "Text File (*.txt)");
  EXPECT_EQ(QtNameFilter("TrueType字体文件|*.TTF"), "TrueType字体文件 (*.TTF)");
  EXPECT_EQ(QtNameFilter("Books|*.txt;*.text|All|*"), "Books (*.txt *.text);;All (*)");
}

// The option line's lists: only the selected index decides the value, in either language;
// no selection gives the default.
TEST(OptionLineTest, OnlyTheIndexDecides) {
  const struct {
    const char* name;
    int index;
    void (*check)(const BookOptions&);
  } kCases[] = {
      {"margin", 0, [](const BookOptions& o) { EXPECT_EQ(o.margin, 2); }},
      {"margin", 1, [](const BookOptions& o) { EXPECT_EQ(o.margin, 5); }},
      {"margin", -1, [](const BookOptions& o) { EXPECT_EQ(o.margin, 2); }},
      {"line-height", 0, [](const BookOptions& o) { EXPECT_EQ(o.line_height, 100); }},
      {"line-height", 1, [](const BookOptions& o) { EXPECT_EQ(o.line_height, 120); }},
      {"font-size", 0, [](const BookOptions& o) { EXPECT_EQ(o.font_size, 110); }},
      {"font-size", 1, [](const BookOptions& o) { EXPECT_EQ(o.font_size, 105); }},
      {"font-size", 2, [](const BookOptions& o) { EXPECT_EQ(o.font_size, 100); }},
      {"bold", 0, [](const BookOptions& o) { EXPECT_FALSE(o.bold); }},
      {"bold", 1, [](const BookOptions& o) { EXPECT_TRUE(o.bold); }},
  };
  for (const auto& c : kCases) {
    const BookOption& option = FindBookOption(c.name);
    QComboBox list;
    list.addItems(OptionItems(option, TextsFor(InterfaceLanguage::kChinese)));
    list.setCurrentIndex(c.index);
    BookOptions options;
    option.set(&options, ControlWord(list, option).toStdString());
    SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.index));
    c.check(options);
  }
}

TEST(InterfaceLanguageTest, ChineseOnlyForChineseInChina) {
  EXPECT_EQ(DecideInterfaceLanguage(QLocale("zh_CN")), InterfaceLanguage::kChinese);
  EXPECT_EQ(DecideInterfaceLanguage(QLocale("zh_TW")), InterfaceLanguage::kEnglish);
  EXPECT_EQ(DecideInterfaceLanguage(QLocale("zh_SG")), InterfaceLanguage::kEnglish);
  EXPECT_EQ(DecideInterfaceLanguage(QLocale("en_US")), InterfaceLanguage::kEnglish);
  EXPECT_EQ(DecideInterfaceLanguage(QLocale::c()), InterfaceLanguage::kEnglish);
  // The same option indexes in both languages.
  EXPECT_EQ(TextsFor(InterfaceLanguage::kChinese).font_size_items[0], "大");
  EXPECT_EQ(TextsFor(InterfaceLanguage::kEnglish).font_size_items[0], "Large");
}

TEST(GuardedHandlerTest, TheRestoreStepRunsWhateverTheWorkDid) {
  std::vector<std::string> steps;
  const auto restore = [&] { steps.push_back("restore"); };
  EXPECT_EQ(RunGuarded([&] { steps.push_back("work"); }, restore), std::nullopt);
  EXPECT_EQ(
      RunGuarded([] { throw std::runtime_error("Cannot open file \"/a.txt\". Gone"); }, restore),
      QString("Cannot open file \"/a.txt\". Gone"));
  EXPECT_EQ(RunGuarded([] { throw std::runtime_error("无法打开“书.txt”"); }, restore),
            QString("无法打开“书.txt”"));
  // A failure that says nothing, or is no std::exception, still gets a text to show.
  EXPECT_EQ(RunGuarded([] { throw std::runtime_error(""); }, restore),
            QString("Unexpected failure."));
  EXPECT_EQ(RunGuarded([] { throw 42; }, restore), QString("Unexpected failure."));
  EXPECT_EQ(steps, (std::vector<std::string>{"work", "restore", "restore", "restore", "restore",
                                             "restore"}));
  // Without a restore step.
  EXPECT_EQ(RunGuarded([] { throw std::out_of_range("List index out of bounds (3)"); }),
            QString("List index out of bounds (3)"));
}

TEST(GuardedHandlerTest, AFailingRestoreIsToldUnlessTheWorkFailedFirst) {
  const auto failing_restore = [] { throw std::runtime_error("restore failed"); };
  EXPECT_EQ(RunGuarded([] {}, failing_restore), QString("restore failed"));
  EXPECT_EQ(RunGuarded([] { throw std::runtime_error("work failed"); }, failing_restore),
            QString("work failed"));
}

}  // namespace
}  // namespace quireforge::test
