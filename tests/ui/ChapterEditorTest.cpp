// The chapter list editor as a user meets it: real mouse drags on the list box, the Edit
// input box, Remove, and the find-and-replace dialog in both search modes. After every
// operation the list box and the job's chapter list must agree entry for entry; the
// edits must reach toc.ncx of the packed book.
#include <gtest/gtest.h>

#include <QDialog>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QTextDocument>
#include <QToolTip>
#include <filesystem>
#include <string>
#include <vector>

#include "WindowFixture.h"
#include "conversion/ConvertFile.h"
#include "ui/ChapterListBox.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

class ChapterEditorTest : public WindowFixture {
 protected:
  // Adds a single-source job whose chapters carry `titles`, and shows its chapters.
  void AddJobWithTitles(const std::vector<std::string>& titles) {
    std::string text;
    for (const std::string& title : titles) text += title + "\r\n正文。\r\n";
    WriteFile(temp / "book.txt", text);
    AddBook(temp / "book.txt", temp / "book.epub", "Book");
    ASSERT_EQ(RowCount(), 1);
    ClickRow(0);
    ASSERT_EQ(Chapters()->LineCount(), static_cast<int>(titles.size()));
    original_entries_ = job().Chapters();
  }

  TConvertFile& job() { return *window->JobOfRow(0); }

  QStringList Lines() {
    QStringList lines;
    for (int i = 0; i < Chapters()->LineCount(); ++i) lines.append(ChapterLine(i));
    return lines;
  }

  // The list box and the job's chapter list agree entry for entry.
  void ExpectInStep() {
    ASSERT_EQ(Chapters()->LineCount(), job().ChapterCount());
    for (int i = 0; i < job().ChapterCount(); ++i) {
      EXPECT_EQ(ChapterLine(i).toStdU16String(), job().ChapterTitle(i)) << i;
    }
  }

  // The current entries as indexes into the entries the job was built with.
  std::vector<int> Order() {
    std::vector<int> order;
    for (const std::u16string& entry : job().Chapters()) {
      int found = -1;
      for (size_t i = 0; i < original_entries_.size(); ++i) {
        if (original_entries_[i] == entry) found = static_cast<int>(i);
      }
      order.push_back(found + 1);
    }
    return order;
  }

  QPoint LinePoint(int line, int dy = 0) { return ChapterLineRect(line).center() + QPoint(0, dy); }
  QWidget* ListViewport() { return Chapters()->viewport(); }

  void Press(const QPoint& point) {
    QTest::mousePress(ListViewport(), Qt::LeftButton, Qt::NoModifier, point);
  }
  void MoveHeld(const QPoint& point) {
    QMouseEvent move(QEvent::MouseMove, point, ListViewport()->mapToGlobal(point), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(ListViewport(), &move);
  }
  void Release(const QPoint& point) {
    QTest::mouseRelease(ListViewport(), Qt::LeftButton, Qt::NoModifier, point);
    QApplication::processEvents();
  }
  void SelectLine(int line) {
    QTest::mouseClick(ListViewport(), Qt::LeftButton, Qt::NoModifier, LinePoint(line));
    QApplication::processEvents();
  }

  QDialog* OpenReplaceDialog(const QString& find, const QString& replace, bool whole) {
    Click(Button("Button_FReplace"));
    auto* dialog = window->findChild<QDialog*>("ReplaceDialog_Head");
    EXPECT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    dialog->findChild<QLineEdit*>("FindText")->setText(find);
    dialog->findChild<QLineEdit*>("ReplaceText")->setText(replace);
    dialog->findChild<QCheckBox*>("WholeWord")->setChecked(whole);
    return dialog;
  }
  void Command(QDialog* dialog, const char* name) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(name), Qt::LeftButton);
    QApplication::processEvents();
  }
  int Selected() { return Chapters()->SelectedLine(); }

  std::vector<std::u16string> original_entries_;
};

const std::vector<std::string> kFive = {"第1章 一", "第2章 二", "第3章 三", "第4章 四", "第5章 五"};

// The window finds chapters as a reader would: a contents list and body sentences that
// mention a chapter are text, and every editing feature works on what it found.
TEST_F(ChapterEditorTest, TheListHoldsTheHeadingsAReaderWouldSee) {
  WriteFile(temp / "book.txt",
            "目录\r\n第一章 启程\r\n第二章 归来\r\n第三章 再会\r\n\r\n"
            "第一章 启程\r\n正文。\r\n第一次见到她时，他才十二岁。\r\n"
            "第二章 归来\r\n正文。\r\n见本书第1卷第2章第1节。\r\n第三章 再会\r\n正文。\r\n");
  AddBook(temp / "book.txt", temp / "book.epub", "Book");
  ClickRow(0);
  EXPECT_EQ(Lines(), QStringList({"第一章 启程", "第二章 归来", "第三章 再会"}));
  EXPECT_EQ(job().ChapterEntry(0).substr(0, 10), u"ch_2.html=");
  ExpectInStep();
}

TEST_F(ChapterEditorTest, LinesAreEighteenPixelsHigh) {
  AddJobWithTitles(kFive);
  EXPECT_EQ(ChapterLineRect(0).height(), 18);
  EXPECT_EQ(ChapterLineRect(1).top(), 18);
}

TEST_F(ChapterEditorTest, DraggingLineFourOntoLineOneMovesWholeEntries) {
  AddJobWithTitles(kFive);
  Press(LinePoint(3));
  MoveHeld(LinePoint(0));
  Release(LinePoint(0));
  EXPECT_EQ(Order(), (std::vector<int>{4, 1, 2, 3, 5}));
  EXPECT_EQ(job().ChapterEntry(0), original_entries_[3]);  // page file and title together
  EXPECT_EQ(Selected(), 0);
  ExpectInStep();
}

TEST_F(ChapterEditorTest, DraggingLineOneOntoLineFourAndLineByLineGiveTheSameOrders) {
  AddJobWithTitles(kFive);
  Press(LinePoint(0));
  MoveHeld(LinePoint(3));
  Release(LinePoint(3));
  EXPECT_EQ(Order(), (std::vector<int>{2, 3, 4, 1, 5}));
  ExpectInStep();

  // Back up one line at a time: the entry follows the mouse on every move.
  Press(LinePoint(3));
  for (int line = 2; line >= 0; --line) {
    MoveHeld(LinePoint(line));
    EXPECT_EQ(Selected(), line);
  }
  Release(LinePoint(0));
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 3, 4, 5}));
  ExpectInStep();
}

TEST_F(ChapterEditorTest, ADragBackToItsStartLineChangesNothing) {
  AddJobWithTitles(kFive);
  Press(LinePoint(1));
  MoveHeld(LinePoint(4));
  MoveHeld(LinePoint(1));
  Release(LinePoint(1));
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 3, 4, 5}));
  ExpectInStep();
}

TEST_F(ChapterEditorTest, NothingMovesBelowTheLastLineOrBeforeTheThreshold) {
  AddJobWithTitles(kFive);
  const QPoint below = LinePoint(4, 18 * 3);
  ASSERT_LT(below.y(), ListViewport()->height());
  // To a point below the last line.
  Press(LinePoint(1));
  MoveHeld(below);
  Release(below);
  // From a point below the last line.
  Press(below);
  MoveHeld(LinePoint(0));
  Release(LinePoint(0));
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 3, 4, 5}));
  // A move of 4 pixels across a line border is still a click.
  const QRect first = ChapterLineRect(0);
  Press(QPoint(10, first.bottom() - 1));
  MoveHeld(QPoint(10, first.bottom() + 3));
  Release(QPoint(10, first.bottom() + 3));
  EXPECT_EQ(Order(), (std::vector<int>{1, 2, 3, 4, 5}));
  ExpectInStep();
}

TEST_F(ChapterEditorTest, EditRenamesWithOkAndKeepsTheTitleWithCancel) {
  AddJobWithTitles(kFive);
  EXPECT_FALSE(Button("Button_FEdit")->isEnabled());
  SelectLine(2);
  EXPECT_TRUE(Button("Button_FEdit")->isEnabled());
  dialogs.input_answers = {QString("Tom & Jerry"), std::nullopt, QString()};
  Click(Button("Button_FEdit"));
  EXPECT_EQ(Lines()[2], "Tom & Jerry");
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].caption, "Edit Charpter Name");
  EXPECT_EQ(dialogs.shown[0].text, "Please input the NEW charpter name below:");
  EXPECT_EQ(dialogs.input_initial_texts[0], "第3章 三");
  EXPECT_EQ(dialogs.input_max_lengths[0], 255);
  // The entry keeps its page file.
  const std::u16string entry = job().ChapterEntry(2);
  EXPECT_EQ(entry.substr(0, entry.find(u'=')),
            original_entries_[2].substr(0, original_entries_[2].find(u'=')));

  Click(Button("Button_FEdit"));  // Cancel
  EXPECT_EQ(Lines()[2], "Tom & Jerry");
  Click(Button("Button_FEdit"));  // OK with an empty text: the entry stays, untitled
  EXPECT_EQ(Lines()[2], "");
  EXPECT_EQ(Chapters()->LineCount(), 5);
  ExpectInStep();
}

TEST_F(ChapterEditorTest, RemoveDeletesTheEntryAndTheChapterCountColumnFollows) {
  AddJobWithTitles({"第1章 一", "第2章 二"});
  SelectLine(0);
  Click(Button("Button_FRemove"));
  EXPECT_EQ(Lines(), QStringList{"第2章 二"});
  ExpectInStep();
  EXPECT_FALSE(Button("Button_FEdit")->isEnabled());
  EXPECT_TRUE(Button("Button_FReplace")->isEnabled());
  EXPECT_EQ(Cell(0, 2), "1");
  SelectLine(0);
  Click(Button("Button_FRemove"));
  EXPECT_EQ(Chapters()->LineCount(), 0);
  EXPECT_EQ(job().ChapterCount(), 0);
  EXPECT_FALSE(Button("Button_FEdit")->isEnabled());
  EXPECT_FALSE(Button("Button_FRemove")->isEnabled());
  EXPECT_FALSE(Button("Button_FReplace")->isEnabled());
}

TEST_F(ChapterEditorTest, ContainmentModeWalksDownInExactCaseWithoutWrapping) {
  AddJobWithTitles({"第1章 Alpha", "第2章 alpha", "第3章 Beta", "第4章 Alpha Beta"});
  QDialog* dialog = OpenReplaceDialog("Alpha", "", false);
  Command(dialog, "FindNext");
  EXPECT_EQ(Selected(), 0);
  Command(dialog, "FindNext");
  EXPECT_EQ(Selected(), 3);  // "alpha" differs in letter case
  EXPECT_TRUE(dialogs.shown.empty());
  Command(dialog, "FindNext");  // the last line is selected: no wrap-around
  EXPECT_EQ(dialogs.TextsOf("message"), QStringList{"Not find any charpter!"});

  dialog->findChild<QLineEdit*>("ReplaceText")->setText("Gamma");
  SelectLine(1);
  Command(dialog, "Replace");
  EXPECT_EQ(Lines()[3], "第4章 Gamma Beta");
  EXPECT_EQ(Selected(), 3);
  EXPECT_EQ(Lines()[1], "第2章 alpha");
  ExpectInStep();
}

TEST_F(ChapterEditorTest, ReplaceAllInContainmentModeMakesOnePass) {
  AddJobWithTitles({"第1章 ab", "第2章 xx", "第3章 ab ab"});
  QDialog* dialog = OpenReplaceDialog("ab", "[ab]", false);
  SelectLine(2);  // Replace All starts from the top whatever is selected
  Command(dialog, "ReplaceAll");
  EXPECT_EQ(Lines(), (QStringList{"第1章 [ab]", "第2章 xx", "第3章 [ab] [ab]"}));
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectInStep();
  dialog->findChild<QLineEdit*>("FindText")->setText("zz");
  Command(dialog, "ReplaceAll");
  EXPECT_EQ(dialogs.TextsOf("message"), QStringList{"Not find any charpter!"});
}

TEST_F(ChapterEditorTest, WholeEntryModeFindsIgnoringCaseButReplacesInExactCase) {
  AddJobWithTitles({"第1章 x", "第2章 abc", "第3章 ABC", "第4章 y"});
  QDialog* dialog = OpenReplaceDialog("第2章 ABC", "第2章 DEF", true);
  Command(dialog, "FindNext");
  EXPECT_EQ(Selected(), 1);
  Command(dialog, "FindNext");
  EXPECT_EQ(Selected(), 1);  // always the first equal line
  // Replace finds the line, but "第2章 ABC" does not occur in it in exact case.
  Command(dialog, "Replace");
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(Lines()[1], "第2章 abc");
  EXPECT_TRUE(dialogs.shown.empty());

  // Replace All: every equal line once, then stop.
  dialog->findChild<QLineEdit*>("FindText")->setText("第2章 abc");
  dialog->findChild<QLineEdit*>("ReplaceText")->setText("第2章 ABC");
  ChapterModel()->SetTitle(2, "第2章 Abc");
  Command(dialog, "ReplaceAll");
  EXPECT_EQ(Lines(), (QStringList{"第1章 x", "第2章 ABC", "第2章 Abc", "第4章 y"}));
  EXPECT_TRUE(dialogs.shown.empty());
  ExpectInStep();
}

TEST_F(ChapterEditorTest, ReplaceWithoutAShownJobDoesNothing) {
  AddJobWithTitles(kFive);
  QDialog* dialog = OpenReplaceDialog("一", "1", false);
  dialogs.yes_no_answers = {true};
  Click(Button("Button_Clear"));
  Command(dialog, "Replace");
  Command(dialog, "ReplaceAll");
  EXPECT_EQ(dialogs.shown.size(), 1u);  // Clear's question alone
}

TEST_F(ChapterEditorTest, TitlesAreDrawnWithoutAcceleratorProcessing) {
  AddJobWithTitles({"第1章 A&B", "第2章 AB"});
  ChapterListBox* box = Chapters();
  box->resize(218, 200);
  const QImage image = box->viewport()->grab().toImage();
  const QRect first = ChapterLineRect(0);
  const QRect second = ChapterLineRect(1);
  // "A&B" must draw the ampersand: its ink reaches further right than that of "AB".
  auto ink_width = [&](const QRect& rect) {
    int right = 0;
    const QColor background = image.pixelColor(rect.right() - 1, rect.center().y());
    for (int x = rect.left(); x < rect.right(); ++x) {
      for (int y = rect.top(); y <= rect.bottom(); ++y) {
        if (image.pixelColor(x, y) != background) right = x;
      }
    }
    return right;
  };
  EXPECT_GT(ink_width(first), ink_width(second) + 3);
}

TEST_F(ChapterEditorTest, EditsReachTheTableOfContentsOfThePackedBook) {
  AddJobWithTitles(kFive);
  // Rename line 2, remove line 5, move line 4 to the top.
  SelectLine(1);
  dialogs.input_answers = {QString("Renamed <two> & more")};
  Click(Button("Button_FEdit"));
  SelectLine(4);
  Click(Button("Button_FRemove"));
  Press(LinePoint(3));
  MoveHeld(LinePoint(0));
  Release(LinePoint(0));
  ExpectInStep();
  Click(Button("Button_Start"));
  ASSERT_TRUE(fs::exists(temp / "book.epub"));
  ASSERT_TRUE(dialogs.TextsOf("error").isEmpty());

  const std::string script =
      "import re, sys, zipfile\n"
      "toc = zipfile.ZipFile(sys.argv[1]).read('OEBPS/toc.ncx').decode('utf-8')\n"
      "labels = re.findall(r'<navLabel>\\s*<text>(.*?)</text>', toc, re.S)\n"
      "sources = re.findall(r'<content src=\"([^\"]*)\"', toc)\n"
      "open(sys.argv[2], 'w', encoding='utf-8').write('|'.join(labels) + '\\n' + "
      "'|'.join(sources) + '\\n')\n";
  WriteFile(temp / "toc.py", script);
  std::string output;
  ASSERT_EQ(RunCommand("python3 " + ShellQuote((temp / "toc.py").string()) + " " +
                           ShellQuote((temp / "book.epub").string()) + " " +
                           ShellQuote((temp / "toc.txt").string()),
                       &output),
            0)
      << output;
  output = ReadFile(temp / "toc.txt");
  const size_t newline = output.find('\n');
  EXPECT_EQ(output.substr(0, newline), "第4章 四|第1章 一|Renamed &lt;two&gt; &amp; more|第3章 三");
  // Each title still points at its own page.
  std::string expected_sources;
  for (int i : {3, 0, 1, 2}) {
    const std::u16string& entry = original_entries_[i];
    if (!expected_sources.empty()) expected_sources += "|";
    expected_sources += U8(entry.substr(0, entry.find(u'='))) + "#";
  }
  EXPECT_NE(output.find(expected_sources), std::string::npos) << output << expected_sources;
}

TEST_F(ChapterEditorTest, DeleteRemovesAndF2AndDoubleClickEditTheSelectedChapter) {
  AddJobWithTitles(kFive);
  Chapters()->setFocus(Qt::TabFocusReason);
  QTest::keyClick(Chapters(), Qt::Key_Delete);  // nothing selected: nothing goes
  EXPECT_EQ(Chapters()->LineCount(), 5);
  SelectLine(1);
  QTest::keyClick(Chapters(), Qt::Key_Delete);
  EXPECT_EQ(Lines(), (QStringList{"第1章 一", "第3章 三", "第4章 四", "第5章 五"}));
  ExpectInStep();
  EXPECT_FALSE(Button("Button_FRemove")->isEnabled());  // CheckStatus ran

  dialogs.input_answers = {QString("按F2改名"), QString("双击改名")};
  SelectLine(2);
  QTest::keyClick(Chapters(), Qt::Key_F2);
  EXPECT_EQ(Lines()[2], "按F2改名");
  QTest::mouseDClick(ListViewport(), Qt::LeftButton, Qt::NoModifier, LinePoint(0));
  QApplication::processEvents();
  EXPECT_EQ(Lines()[0], "双击改名");
  EXPECT_EQ(dialogs.input_initial_texts, (QStringList{"第4章 四", "第1章 一"}));
  ExpectInStep();
  // A double click below the last line edits nothing.
  QTest::mouseDClick(ListViewport(), Qt::LeftButton, Qt::NoModifier, LinePoint(3, 18 * 3));
  EXPECT_EQ(dialogs.input_initial_texts.size(), 2);
}

TEST_F(ChapterEditorTest, DraggingNearAnEdgeScrollsTheList) {
  std::vector<std::string> titles;
  for (int i = 1; i <= 80; ++i) titles.push_back("第" + std::to_string(i) + "章 标题");
  AddJobWithTitles(titles);
  const int visible = ListViewport()->height() / 18;
  ASSERT_LT(visible, 40);
  QScrollBar* scroll = Chapters()->verticalScrollBar();
  ASSERT_EQ(scroll->value(), 0);

  // Hold the first entry near the bottom edge: the list scrolls and the entry follows.
  const QPoint bottom(LinePoint(0).x(), ListViewport()->height() - 4);
  Press(LinePoint(0));
  MoveHeld(bottom);
  QTest::qWait(600);
  Release(bottom);
  EXPECT_GT(scroll->value(), 0);
  const int moved_to = Selected();
  EXPECT_GE(moved_to, visible + 2);
  EXPECT_EQ(Order()[moved_to], 1);
  ExpectInStep();

  // And back up past the top edge.
  const int before = scroll->value();
  Press(LinePoint(moved_to));
  MoveHeld(QPoint(LinePoint(moved_to).x(), 3));
  QTest::qWait(600);
  Release(QPoint(LinePoint(moved_to).x(), 3));
  EXPECT_LT(scroll->value(), before);
  EXPECT_LT(Selected(), moved_to);
  EXPECT_EQ(Order()[Selected()], 1);
  ExpectInStep();

  // Nothing scrolls once the button is up.
  const int resting = scroll->value();
  QTest::qWait(200);
  EXPECT_EQ(scroll->value(), resting);
}

TEST_F(ChapterEditorTest, ATitleTooLongForTheListShowsWholeInATooltip) {
  std::string long_title = "第1章 ";
  for (int i = 0; i < 40; ++i) long_title += "Ｗ";  // wider than the list, short as a title
  long_title += " <end>";
  AddJobWithTitles({long_title, "第2章 短"});
  auto tooltip_at = [&](int line) {
    const QPoint point = LinePoint(line);
    QHelpEvent help(QEvent::ToolTip, point, ListViewport()->mapToGlobal(point));
    QApplication::sendEvent(ListViewport(), &help);
    QApplication::processEvents();
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  const QString shown = tooltip_at(0);
  QTextDocument document;
  document.setHtml(shown);
  EXPECT_EQ(document.toPlainText(), QString::fromStdString(long_title));  // "<end>" as text
  QToolTip::hideText();
  ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
  EXPECT_EQ(tooltip_at(1), "");  // a title that fits needs none
}

TEST_F(ChapterEditorTest, TheChapterPanelGrowsWithTheWindow) {
  AddJobWithTitles(kFive);
  QWidget* panel = Chapters()->parentWidget();
  auto share = [&] { return double(panel->width()) / (panel->width() + JobList()->width()); };
  const int panel_before = panel->width();
  const double share_before = share();
  window->resize(1400, 800);
  QApplication::processEvents();
  // The panel keeps its share of the width, and the list box takes the new height.
  EXPECT_GT(panel->width(), panel_before + 150);
  EXPECT_NEAR(share(), share_before, 0.02);
  EXPECT_GT(Chapters()->height(), 400);
  // The splitter still moves the border by hand.
  auto* splitter = window->findChild<QSplitter*>("Splitter_Bottom");
  ASSERT_NE(splitter, nullptr);
  splitter->setSizes({300, 1000});
  QApplication::processEvents();
  EXPECT_GT(panel->width(), 900);
}

// Two jobs whose chapter titles differ; rows are chosen with the keyboard.
class KeyboardSelectionTest : public ChapterEditorTest {
 protected:
  void SetUp() override {
    ChapterEditorTest::SetUp();
    AddBookWithTitles("a", {"第1章 甲", "第2章 甲", "第3章 甲"});
    AddBookWithTitles("b", {"第1章 乙", "第2章 乙", "第3章 乙", "第4章 乙"});
    ASSERT_EQ(RowCount(), 2);
    JobList()->setFocus(Qt::TabFocusReason);
  }

  void AddBookWithTitles(const std::string& name, const std::vector<std::string>& titles) {
    std::string text;
    for (const std::string& title : titles) text += title + "\r\n正文。\r\n";
    WriteFile(temp / (name + ".txt"), text);
    AddBook(temp / (name + ".txt"), temp / (name + ".epub"), QString::fromStdString(name));
  }

  void Key(Qt::Key key) {
    QTest::keyClick(JobList(), key);
    QApplication::processEvents();
  }

  QStringList TitlesOf(int row) {
    QStringList titles;
    TConvertFile* job = window->JobOfRow(row);
    for (int i = 0; i < job->ChapterCount(); ++i) {
      titles.append(QString::fromStdU16String(job->ChapterTitle(i)));
    }
    return titles;
  }

  const QStringList a_ = {"第1章 甲", "第2章 甲", "第3章 甲"};
};

TEST_F(KeyboardSelectionTest, TheChapterListFollowsTheCurrentRow) {
  Key(Qt::Key_Down);  // the first key makes row 0 current
  EXPECT_EQ(Lines(), a_);
  Key(Qt::Key_Down);
  EXPECT_EQ(Lines(), TitlesOf(1));
  EXPECT_EQ(Chapters()->LineCount(), 4);
  EXPECT_TRUE(Button("Button_Remove")->isEnabled());
  EXPECT_TRUE(Button("Button_FReplace")->isEnabled());
  Key(Qt::Key_Home);
  EXPECT_EQ(Lines(), a_);
  Key(Qt::Key_End);
  EXPECT_EQ(Chapters()->LineCount(), 4);
}

TEST_F(KeyboardSelectionTest, EditRemoveReplaceAndDragsWorkOnTheSelectedJob) {
  ClickRow(0);
  Key(Qt::Key_Down);
  ASSERT_EQ(Chapters()->LineCount(), 4);

  SelectLine(1);
  dialogs.input_answers = {QString("新名")};
  Click(Button("Button_FEdit"));
  SelectLine(0);
  Click(Button("Button_FRemove"));
  QDialog* dialog = OpenReplaceDialog("乙", "丙", false);
  Command(dialog, "ReplaceAll");
  dialog->hide();
  Press(LinePoint(2));
  MoveHeld(LinePoint(0));
  Release(LinePoint(0));
  EXPECT_EQ(TitlesOf(1), (QStringList{"第4章 丙", "新名", "第3章 丙"}));
  EXPECT_EQ(Lines(), TitlesOf(1));
  EXPECT_EQ(TitlesOf(0), a_);  // the job shown before is untouched

  // Back up to the first job: its chapters, and its chapters only, are edited.
  Key(Qt::Key_Up);
  EXPECT_EQ(Lines(), a_);
  SelectLine(2);
  Click(Button("Button_FRemove"));
  EXPECT_EQ(TitlesOf(0), (QStringList{"第1章 甲", "第2章 甲"}));
  EXPECT_EQ(TitlesOf(1), (QStringList{"第4章 丙", "新名", "第3章 丙"}));
}

TEST_F(KeyboardSelectionTest, RemovingAKeyboardSelectedRowLeavesNoChaptersOfIt) {
  ClickRow(0);
  Key(Qt::Key_Down);
  ASSERT_EQ(Chapters()->LineCount(), 4);
  dialogs.yes_no_answers = {true};
  Click(Button("Button_Remove"));
  ASSERT_EQ(RowCount(), 1);
  EXPECT_EQ(Chapters()->LineCount(), 0);
  EXPECT_EQ(TitlesOf(0), a_);
  // The remaining row is chosen again from the keyboard and shown.
  JobList()->setFocus(Qt::TabFocusReason);
  Key(Qt::Key_Space);
  EXPECT_EQ(Lines(), a_);
  ExpectInStep();
}

}  // namespace
}  // namespace quireforge::test
