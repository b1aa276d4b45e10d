// The interface language as the system locale decides it. This program runs once per
// locale (LC_ALL set by ctest); QF_EXPECTED_LANGUAGE says which interface that locale must
// give: "zh" for the Chinese one, "en" for the English one.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <cstdlib>

#include "WindowFixture.h"
#include "ui/InterfaceFonts.h"

namespace quireforge::test {
namespace {

bool ExpectChinese() {
  const char* expected = std::getenv("QF_EXPECTED_LANGUAGE");
  return expected != nullptr && std::string(expected) == "zh";
}

QStringList Items(QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items.append(list->itemText(i));
  return items;
}

class LanguageTest : public WindowFixture {
 protected:
  QStringList Columns() {
    QStringList captions;
    for (int i = 0; i < JobList()->model()->columnCount(); ++i) {
      captions.append(JobList()->model()->headerData(i, Qt::Horizontal).toString());
    }
    return captions;
  }
  QString LabelText(const char* name) { return Find<QLabel>(name)->text(); }

  // Every text the window shows, named by where it is shown: captions of the main window's
  // controls, option items, column captions, the progress window and the find dialog.
  QStringList AllTexts() {
    QStringList texts;
    auto* dialog = window->findChild<QDialog*>("ReplaceDialog_Head");
    for (QWidget* control : window->findChildren<QWidget*>() + dialog->findChildren<QWidget*>()) {
      QString text;
      if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(control)) text = button->text();
      if (auto* list = qobject_cast<QComboBox*>(control)) {
        text = Items(list).join('|') + " @" + QString::number(list->currentIndex());
      }
      if (!text.isEmpty()) texts.append(control->objectName() + "=" + text);
    }
    texts.append("columns=" + Columns().join('|'));
    texts.append("waiting=" + waiting->PanelText());
    texts.append("dialog=" + dialog->windowTitle());
    return texts;
  }
};

TEST_F(LanguageTest, FollowsTheSystemLocale) {
  EXPECT_EQ(window->Language(),
            ExpectChinese() ? InterfaceLanguage::kChinese : InterfaceLanguage::kEnglish);
}

TEST_F(LanguageTest, CaptionsColumnsAndOptionItems) {
  if (ExpectChinese()) {
    EXPECT_EQ(Columns(), (QStringList{"文章标题", "作者", "章节数", "标志"}));
    EXPECT_EQ(LabelText("Label_SourceFile"), "源文件");
    EXPECT_EQ(LabelText("Label_TargetFile"), "输出文件");
    EXPECT_EQ(LabelText("Label_OP"), "选项");
    EXPECT_EQ(LabelText("Label_FW"), "字型");
    EXPECT_EQ(Button("Button_Start")->text(), "转换");
    EXPECT_EQ(Button("Button_FEdit")->text(), "更名");
    EXPECT_EQ(Check("CheckBox_PH")->text(), "文件名作为章节名");
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox_PM")), (QStringList{"小", "大"}));
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox_FS")), (QStringList{"大", "中", "小"}));
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox_FW")), (QStringList{"正常", "粗体"}));
    EXPECT_EQ(waiting->PanelText(), "正在处理，请稍候……");
  } else {
    EXPECT_EQ(Columns(), (QStringList{"Title", "Author", "Charpters", "Tag"}));
    EXPECT_EQ(LabelText("Label_SourceFile"), "Source File");
    EXPECT_EQ(LabelText("Label_OP"), "Option");
    EXPECT_EQ(Button("Button_Start")->text(), "Start");
    EXPECT_EQ(Check("CheckBox_NC")->text(), "Dont Convert Charpter");
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox_PM")), (QStringList{"Normal", "Wide"}));
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox_FS")), (QStringList{"Large", "Middle", "Small"}));
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox_FW")), (QStringList{"Normal", "Bold"}));
    EXPECT_EQ(waiting->PanelText(), "Processing, please waiting...");
  }
  // The defaults are the same indexes in both languages.
  EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->currentIndex(), 1);
}

TEST_F(LanguageTest, MessagesAndTheDoneMark) {
  window->Button_StartClick();
  dialogs.yes_no_answers = {false};
  Click(Check("CheckBox_UF"));
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("b.txt", 2), temp / "missing" / "b.epub", "B");
  Click(Button("Button_Start"));
  Click(Button("Button_Add"));  // every field empty
  const QString absent = QString::fromStdString((temp / "absent.txt").string());
  AddBook(temp / "absent.txt", temp / "absent.epub", "X");
  dialogs.yes_no_answers = {false};
  window->close();
  ASSERT_EQ(dialogs.shown.size(), 6u);
  const QString done = Cell(0, 3);
  const QString failed = Cell(1, 3);
  const QString reason = Tip(1, 3);
  const QString summary = dialogs.shown[2].text;
  const QString missing = QString::fromStdString((temp / "missing").string()) + "/";
  if (ExpectChinese()) {
    EXPECT_EQ(dialogs.shown[0].text, "文件列表为空！请先添加文件。");
    EXPECT_EQ(dialogs.shown[1].caption, "警告");
    EXPECT_EQ(dialogs.shown[1].text,
              "使用过大的字体文件可能会导致转换后的文件无法使用！要使用字体文件吗？");
    EXPECT_EQ(done, "完成");
    EXPECT_EQ(failed, "失败");
    EXPECT_EQ(dialogs.shown[2].caption, "转换结束");
    EXPECT_TRUE(summary.startsWith("已写入（1）：")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("\n\n失败（1）：\n")) << summary.toStdString();
    EXPECT_EQ(dialogs.shown[3].text, "源文件为空。请用“...”选择文本文件，或输入它的路径。");
    // The failures of the core and the archive component, too.
    EXPECT_EQ(dialogs.shown[4].text, "无法打开文件“" + absent + "”。文件或文件夹不存在");
    EXPECT_EQ(reason, "目标文件夹“" + missing + "”不存在！");
    EXPECT_TRUE(summary.contains(reason));
    EXPECT_EQ(dialogs.shown[5].text, "列表中还有尚未转换的文件！仍要关闭窗口吗？");
  } else {
    EXPECT_EQ(dialogs.shown[0].text, "File list is empty! Please add file(s).");
    EXPECT_EQ(dialogs.shown[1].caption, "Warning");
    EXPECT_EQ(done, "Done");
    EXPECT_EQ(failed, "Failed");
    EXPECT_EQ(dialogs.shown[2].caption, "Conversion finished");
    EXPECT_TRUE(summary.startsWith("Written (1):")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("\n\nFailed (1):\n")) << summary.toStdString();
    EXPECT_EQ(dialogs.shown[3].text,
              "Source File is empty. Choose a text file with \"...\" or type its path.");
    EXPECT_EQ(dialogs.shown[4].text,
              "Cannot open file \"" + absent + "\". No such file or directory");
    EXPECT_EQ(reason, "Destination directory '" + missing + "' must exist!");
    EXPECT_EQ(dialogs.shown[5].text,
              "Some files are not converted yet! Close the window and lose them?");
  }
}

TEST_F(LanguageTest, ClearAsksInTheInterfaceLanguage) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  Click(Button("Button_Clear"));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "question");
  if (ExpectChinese()) {
    EXPECT_EQ(dialogs.shown[0].caption, "警告");
    EXPECT_EQ(dialogs.shown[0].text, "列表中还有尚未转换的文件！仍要清除文件列表吗？");
  } else {
    EXPECT_EQ(dialogs.shown[0].caption, "Warning");
    EXPECT_EQ(dialogs.shown[0].text,
              "Some files are not converted yet! Clear the file list anyway?");
  }
  EXPECT_EQ(RowCount(), 2);  // the scripted answer is No
}

TEST_F(LanguageTest, ChapterEditorAndFontDialogTexts) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  ClickRow(0);
  QTest::mouseClick(Chapters()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    ChapterLineRect(0).center());
  Click(Button("Button_FEdit"));
  Click(Button("Button_FReplace"));
  auto* replace = window->findChild<QDialog*>("ReplaceDialog_Head");
  ASSERT_NE(replace, nullptr);
  replace->findChild<QLineEdit*>("FindText")->setText("no such title");
  QTest::mouseClick(replace->findChild<QPushButton*>("FindNext"), Qt::LeftButton);
  dialogs.yes_no_answers = {true};
  Click(Check("CheckBox_UF"));
  Click(Edit("Edit_UF"));
  ASSERT_EQ(dialogs.file_requests.size(), 1u);
  const FileDialogRequest& font = dialogs.file_requests[0];
  ASSERT_GE(dialogs.shown.size(), 2u);
  if (ExpectChinese()) {
    EXPECT_EQ(dialogs.shown[0].caption, "更改章节名称");
    EXPECT_EQ(dialogs.shown[0].text, "请输入新的章节名称：");
    EXPECT_EQ(dialogs.TextsOf("message"), QStringList{"没有找到匹配的章节！"});
    EXPECT_EQ(font.title, "请指定要使用的字体文件");
    EXPECT_EQ(font.filter, "TrueType字体文件|*.TTF");
    EXPECT_EQ(replace->windowTitle(), "替换");
  } else {
    EXPECT_EQ(dialogs.shown[0].caption, "Edit Charpter Name");
    EXPECT_EQ(dialogs.shown[0].text, "Please input the NEW charpter name below:");
    EXPECT_EQ(dialogs.TextsOf("message"), QStringList{"Not find any charpter!"});
    EXPECT_EQ(font.title, "");
    EXPECT_EQ(font.filter, "TrueType Font File|*.TTF");
    EXPECT_EQ(replace->windowTitle(), "Replace");
  }
}

TEST_F(LanguageTest, RetranslateUiSwitchesEveryTextBothWays) {
  // A done row and a pending one.
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  Click(Button("Button_Start"));
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  Find<QComboBox>("ComboBox_FS")->setCurrentIndex(2);
  const QStringList as_opened = AllTexts();

  window->RetranslateUi(TextsFor(InterfaceLanguage::kChinese));
  EXPECT_EQ(LabelText("Label_Author"), "作者");
  EXPECT_EQ(LabelText("Label_LH"), "行间距");
  EXPECT_EQ(Button("Button_Clear")->text(), "清除");
  EXPECT_EQ(Button("Button_FReplace")->text(), "替换");
  EXPECT_EQ(Check("CheckBox_UF")->text(), "嵌入字体文件");
  EXPECT_EQ(Columns(), (QStringList{"文章标题", "作者", "章节数", "标志"}));
  EXPECT_EQ(Items(Find<QComboBox>("ComboBox_LH")), (QStringList{"小", "大"}));
  EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->currentText(), "小");  // the index stays
  EXPECT_EQ(Cell(0, 3), "完成");
  EXPECT_EQ(Cell(1, 3), "");
  EXPECT_EQ(waiting->PanelText(), "正在处理，请稍候……");
  EXPECT_EQ(window->findChild<QDialog*>("ReplaceDialog_Head")->windowTitle(), "替换");
  dialogs.yes_no_answers = {false};
  Click(Check("CheckBox_UF"));
  window->Edit_UFClick();
  ASSERT_EQ(dialogs.shown.size(), 3u);  // the summary of the Start above, then these two
  EXPECT_EQ(dialogs.shown[1].caption, "警告");
  EXPECT_EQ(dialogs.file_requests.back().title, "请指定要使用的字体文件");

  window->RetranslateUi(TextsFor(InterfaceLanguage::kEnglish));
  EXPECT_EQ(LabelText("Label_Author"), "Author");
  EXPECT_EQ(LabelText("Label_LH"), "Line Height");
  EXPECT_EQ(Button("Button_Clear")->text(), "Clear");
  EXPECT_EQ(Check("CheckBox_UF")->text(), "Usage Font File");
  EXPECT_EQ(Columns(), (QStringList{"Title", "Author", "Charpters", "Tag"}));
  EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->currentText(), "Small");
  EXPECT_EQ(Cell(0, 3), "Done");
  EXPECT_EQ(Cell(1, 3), "");
  EXPECT_EQ(waiting->PanelText(), "Processing, please waiting...");
  dialogs.yes_no_answers = {false};
  Click(Check("CheckBox_UF"));
  window->Edit_UFClick();
  ASSERT_EQ(dialogs.shown.size(), 5u);
  EXPECT_EQ(dialogs.shown[3].caption, "Warning");
  EXPECT_EQ(dialogs.file_requests.back().title, "");

  // Back to the language the window opened in: every text as it was.
  window->RetranslateUi(TextsFor(window->Language()));
  EXPECT_EQ(AllTexts(), as_opened);
}

TEST_F(LanguageTest, FontsAndQtsOwnButtons) {
  const QFontInfo window_font(window->font());
  const QFontInfo ellipsis_font(Button("Button_Open")->font());
  EXPECT_EQ(ellipsis_font.family(), QFontInfo(DesignFont()).family());
  QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No);
  const QString yes = buttons.button(QDialogButtonBox::Yes)->text();
  if (ExpectChinese()) {
    EXPECT_EQ(window->font().pointSize(), 9);
    const QString family = window->font().family();
    EXPECT_TRUE(family == "WenQuanYi Zen Hei" || family == "宋体" || family == "SimSun")
        << family.toStdString();
    EXPECT_EQ(Edit("Edit_Title")->font().family(), window->font().family());
    EXPECT_TRUE(yes.contains("是")) << yes.toStdString();
  } else {
    EXPECT_EQ(window->font().pointSize(), 8);
    EXPECT_EQ(yes, "&Yes");
  }
}

}  // namespace
}  // namespace quireforge::test
