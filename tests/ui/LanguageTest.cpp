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
#include <map>

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
  // named controls (the Book options dialog's among them), option items, column captions,
  // the progress window and the find dialog. A control without text is listed empty.
  QStringList AllTexts() {
    QStringList texts;
    auto* dialog = window->findChild<QDialog*>("ReplaceDialog_Head");
    for (QWidget* control : window->findChildren<QWidget*>() + dialog->findChildren<QWidget*>()) {
      const QString name = control->objectName();
      // Qt's own parts, and the cover's preview, which shows a picture.
      if (name.isEmpty() || name.startsWith("qt_") || name.startsWith("Preview_")) continue;
      QString text;
      if (auto* label = qobject_cast<QLabel*>(control)) {
        text = label->text();
      } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        text = button->text();
      } else if (auto* list = qobject_cast<QComboBox*>(control)) {
        text = Items(list).join('|') + " @" + QString::number(list->currentIndex());
      } else {
        continue;
      }
      texts.append(name + "=" + text);
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

// The defaults are the same indexes in both languages, and the window opens with the texts
// of its language.
TEST_F(LanguageTest, OpensWithTheTextsOfItsLanguage) {
  const InterfaceTexts& texts = TextsFor(window->Language());
  EXPECT_EQ(Columns(), texts.job_columns);
  EXPECT_EQ(LabelText("Label_OP"), texts.label_option);
  EXPECT_EQ(Items(Find<QComboBox>("ComboBox_FS")), texts.font_size_items);
  EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->currentIndex(), 1);
  EXPECT_EQ(waiting->PanelText(), texts.waiting_panel);
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
  const InterfaceTexts& t = TextsFor(window->Language());
  EXPECT_EQ(dialogs.shown[0].text, t.empty_list_message);
  EXPECT_EQ(dialogs.shown[1].caption, t.font_warning_caption);
  EXPECT_EQ(dialogs.shown[1].text, t.font_warning_text);
  EXPECT_EQ(done, t.done_mark);
  EXPECT_EQ(failed, t.failed_mark);
  EXPECT_EQ(dialogs.shown[2].caption, t.summary_caption);
  EXPECT_TRUE(summary.startsWith(t.summary_written.arg(1))) << summary.toStdString();
  EXPECT_TRUE(summary.contains("\n\n" + t.summary_failed.arg(1) + "\n")) << summary.toStdString();
  EXPECT_TRUE(summary.contains(reason));
  EXPECT_EQ(dialogs.shown[3].text, t.add_no_source);
  EXPECT_EQ(dialogs.shown[5].text, t.close_pending_text);
  // The failures of the core and the archive component read in the interface's language.
  if (ExpectChinese()) {
    EXPECT_EQ(dialogs.shown[4].text, "无法打开文件“" + absent + "”。文件或文件夹不存在");
    EXPECT_EQ(reason, "目标文件夹“" + missing + "”不存在！");
  } else {
    EXPECT_EQ(dialogs.shown[4].text,
              "Cannot open file \"" + absent + "\". No such file or directory");
    EXPECT_EQ(reason, "Destination directory '" + missing + "' must exist!");
  }
}

TEST_F(LanguageTest, ClearAsksInTheInterfaceLanguage) {
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  Click(Button("Button_Clear"));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "question");
  EXPECT_EQ(dialogs.shown[0].caption, TextsFor(window->Language()).clear_question_caption);
  EXPECT_EQ(dialogs.shown[0].text, TextsFor(window->Language()).clear_question_text);
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
  const InterfaceTexts& t = TextsFor(window->Language());
  EXPECT_EQ(dialogs.shown[0].caption, t.chapter_edit_caption);
  EXPECT_EQ(dialogs.shown[0].text, t.chapter_edit_prompt);
  EXPECT_EQ(dialogs.TextsOf("message"), QStringList{t.not_found_message});
  EXPECT_EQ(font.title, t.font_dialog_title);
  EXPECT_EQ(font.filter, t.font_dialog_filter);
  EXPECT_EQ(replace->windowTitle(), t.replace_caption);
}

TEST_F(LanguageTest, EveryTextIsSetInBothLanguagesAndSwitchesBothWays) {
  // A done row and a pending one.
  AddBook(WriteNovel("a.txt", 2), temp / "a.epub", "A");
  Click(Button("Button_Start"));
  AddBook(WriteNovel("b.txt", 2), temp / "b.epub", "B");
  Find<QComboBox>("ComboBox_FS")->setCurrentIndex(2);
  const QStringList as_opened = AllTexts();

  std::map<InterfaceLanguage, QStringList> texts_of;
  for (InterfaceLanguage language : {InterfaceLanguage::kEnglish, InterfaceLanguage::kChinese}) {
    const InterfaceTexts& texts = TextsFor(language);
    window->RetranslateUi(texts);
    texts_of[language] = AllTexts();
    EXPECT_EQ(Find<QComboBox>("ComboBox_FS")->currentText(), texts.font_size_items[2]);
    EXPECT_EQ(Cell(0, 3), texts.done_mark);
    EXPECT_EQ(Cell(1, 3), "");
    // The messages are taken from the texts when shown.
    dialogs.yes_no_answers = {false};
    Click(Check("CheckBox_UF"));
    window->Edit_UFClick();
    ASSERT_GE(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[dialogs.shown.size() - 2].caption, texts.font_warning_caption);
    EXPECT_EQ(dialogs.file_requests.back().title, texts.font_dialog_title);
  }
  const QStringList& english = texts_of[InterfaceLanguage::kEnglish];
  const QStringList& chinese = texts_of[InterfaceLanguage::kChinese];
  ASSERT_EQ(english.size(), chinese.size());
  // The same in both languages: the "..." buttons (and the dialog's "..." for its file).
  const QStringList kSame = {"Button_Open", "Button_Save", "Button_Edit_Cover"};
  QStringList names;
  for (const QString& text : english) names.append(text.section('=', 0, 0));
  for (qsizetype i = 0; i < english.size(); ++i) {
    const QString& name = names[i];
    EXPECT_EQ(chinese[i].section('=', 0, 0), name);
    // A check box of the Book options dialog has its caption in its label.
    if (english[i].endsWith('=') && names.contains("Label_" + name)) continue;
    EXPECT_FALSE(english[i].section('=', 1).isEmpty()) << name.toStdString();
    if (!kSame.contains(name)) {
      EXPECT_NE(chinese[i], english[i]) << "not translated: " << english[i].toStdString();
    }
  }

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
