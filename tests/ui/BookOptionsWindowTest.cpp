// The window's book options against the command line's: every option of the table, chosen in
// the window's controls, makes the book the command line (and each child of --each) makes
// from the same word; the Book options dialog makes a valid EPUB 3 book in the interface's
// language; the choices come back after a restart; both front ends name a book alike.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <regex>

#include "BookChecks.h"
#include "WindowFixture.h"
#include "conversion/BookOptionTable.h"
#include "ui/BookOptionControls.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// Every entry of `book`, by name, its identifiers and dates masked.
std::string MaskedBook(const fs::path& book) {
  static const std::regex kIdentifier(
      "[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}");
  static const std::regex kDate("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
  std::string text;
  for (const std::string& entry : EntryNames(book)) {
    text += "== " + entry + "\n";
    text += std::regex_replace(std::regex_replace(EntryBytes(book, entry), kIdentifier, "ID"),
                               kDate, "DATE");
  }
  return text;
}

// Chooses `word` for `option` in its window control as a user does: the list's item at the
// word's place, the box checked for its flag's word, the text typed.
void Choose(QWidget* control, const BookOption& option, const std::string& word) {
  if (auto* box = qobject_cast<QCheckBox*>(control)) {
    box->setChecked(word == option.flags.front().word);
  } else if (auto* list = qobject_cast<QComboBox*>(control); list && !list->isEditable()) {
    const auto at = std::find(option.words.begin(), option.words.end(), word);
    ASSERT_NE(at, option.words.end()) << word;
    list->setCurrentIndex(static_cast<int>(at - option.words.begin()));
  } else if (list != nullptr) {
    list->setCurrentText(QString::fromStdString(word));
  } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(QString::fromStdString(word));
  }
}

class BookOptionsWindowTest : public WindowFixture {
 protected:
  QWidget* Control(const BookOption& option) const {
    return window->findChild<QWidget*>(OptionControlName(option));
  }
  // Adds `source` as `target` with every control at `words` (name, word) and starts.
  void MakeBook(const fs::path& source, const fs::path& target,
                const std::vector<std::pair<std::string, std::string>>& words) {
    for (const BookOption& option : BookOptionTable()) {
      if (QWidget* control = Control(option)) Choose(control, option, option.DefaultWord());
    }
    for (const auto& [name, word] : words) {
      Choose(Control(FindBookOption(name)), FindBookOption(name), word);
    }
    AddBook(source, target, QStringLiteral("novel"));
    Click(Button("Button_Start"));
  }
};

// A new option of the table shows in the window by itself: a control on the option line or
// in the Book options dialog, with a caption in both languages, and list items for no more
// words than it has.
TEST_F(BookOptionsWindowTest, EveryOptionHasAControlAndACaptionInBothLanguages) {
  for (const BookOption& option : BookOptionTable()) {
    const QString name = QString::fromUtf8(option.name.data(), std::ssize(option.name));
    EXPECT_NE(Control(option), nullptr) << option.name;
    for (InterfaceLanguage language : {InterfaceLanguage::kEnglish, InterfaceLanguage::kChinese}) {
      const InterfaceTexts& texts = TextsFor(language);
      EXPECT_FALSE(texts.option_captions.value(name).isEmpty()) << option.name;
      EXPECT_LE(texts.option_items.value(name).size(), std::ssize(option.words)) << option.name;
      EXPECT_EQ(OptionItems(option, texts).size(), std::ssize(option.words)) << option.name;
    }
  }
}

TEST_F(BookOptionsWindowTest, EveryOptionMakesTheSameBookInTheWindowAndOnTheCommandLine) {
  fs::create_directories(temp / "each");
  const std::string novel = NovelText(30000) + "\r\n\r\n\r\n（完）\r\n";
  WriteFile(temp / "novel.txt", novel);
  WriteFile(temp / "each/novel.txt", novel);
  QImage picture(4, 6, QImage::Format_RGB32);
  picture.fill(Qt::red);
  ASSERT_TRUE(picture.save(QString::fromStdString((temp / "cover.png").string()), "PNG"));
  // Besides every word of every list: a value for each text and file option.
  const std::map<std::string, std::vector<std::string>> texts = {
      {"font", {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"}},
      {"cover", {(temp / "cover.png").string(), "none"}},
      // Two of the script conversions: the others differ only in OpenCC's dictionaries.
      {"chinese", {"s2t", "tw2sp"}},
      {"chapter-pattern", {"^第.+回"}},
      {"volume-pattern", {"^第[一二]回"}},
      {"language", {"ja", "en", "zh-Hant"}}};
  int cases = 0;
  for (const BookOption& option : BookOptionTable()) {
    ASSERT_NE(Control(option), nullptr) << option.name << " has no control in the window";
    std::vector<std::string> words(option.words.begin(), option.words.end());
    if (texts.count(std::string(option.name)) != 0) words = texts.at(std::string(option.name));
    for (const std::string& word : words) {
      if (word == option.DefaultWord()) continue;
      SCOPED_TRACE(std::string(option.name) + "=" + word);
      MakeBook(temp / "novel.txt", temp / "window.epub", {{std::string(option.name), word}});
      ASSERT_TRUE(fs::exists(temp / "window.epub"))
          << dialogs.TextsOf("error").join("\n").toStdString();
      std::vector<std::string> arguments = {"-q", "-o", "cli.epub"};
      const auto flag = std::find_if(option.flags.begin(), option.flags.end(),
                                     [&](const OptionFlag& f) { return f.word == word; });
      arguments.push_back(flag != option.flags.end() ? std::string(flag->flag)
                                                     : std::string(option.option) + "=" + word);
      arguments.push_back("novel.txt");
      ASSERT_EQ(RunCli(arguments, temp.path()).status, 0);
      arguments.erase(arguments.begin() + 1, arguments.begin() + 3);
      arguments.insert(arguments.begin(), "--each");
      arguments.back() = "each/novel.txt";
      ASSERT_EQ(RunCli(arguments, temp.path()).status, 0);
      const std::string window_book = MaskedBook(temp / "window.epub");
      EXPECT_EQ(window_book, MaskedBook(temp / "cli.epub"));
      EXPECT_EQ(window_book, MaskedBook(temp / "each/novel.epub"));
      Click(Button("Button_Clear"));
      ++cases;
    }
  }
  EXPECT_GE(cases, 20);
}

TEST_F(BookOptionsWindowTest, TheBookOptionsDialogMakesAValidEpub3Book) {
  WriteFile(temp / "novel.txt",
            "第一卷 风起\r\n第一章 开端\r\n正文。\r\n\r\n\r\n正文。\r\n"
            "第二章 继续\r\n正文。\r\n第二卷 云涌\r\n第三章 终\r\n正文。\r\n");
  QImage picture(40, 60, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  const QString cover = QString::fromStdString((temp / "cover.jpg").string());
  ASSERT_TRUE(picture.save(cover, "JPEG"));
  Type("Edit_SourceFile", QString::fromStdString((temp / "novel.txt").string()));
  QString count;
  QTimer::singleShot(0, [&] {
    auto* dialog = window->findChild<QDialog*>(QStringLiteral("Dialog_BookOptions"));
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>(QStringLiteral("Edit_Cover"))->setText(cover);
    const std::vector<std::pair<std::string, std::string>> choices = {{"volumes", "on"},
                                                                      {"epub3", "on"},
                                                                      {"heading-style", "title"},
                                                                      {"indent", "2"},
                                                                      {"blank-lines", "single"}};
    for (const auto& [name, word] : choices) {
      Choose(dialog->findChild<QWidget*>(OptionControlName(FindBookOption(name))),
             FindBookOption(name), word);
    }
    QApplication::processEvents();
    count = dialog->findChild<QLabel*>(QStringLiteral("Label_HeadingCount"))->text();
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  Click(Button("Button_BookOptions"));
  EXPECT_TRUE(count.contains(QLatin1Char('3'))) << count.toStdString();  // three chapters
  Type("Edit_TargetFile", QString::fromStdString((temp / "book.epub").string()));
  Type("Edit_Title", QStringLiteral("书"));
  Click(Button("Button_Add"));
  // The row keeps its own options and names them.
  ASSERT_EQ(RowCount(), 1);
  EXPECT_TRUE(Tip(0, 0).contains("EPUB 3"));
  Click(Button("Button_Start"));
  ASSERT_TRUE(fs::exists(temp / "book.epub")) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_EQ(EpubCheckProblemsOf({{temp / "book.epub", false, true}}).front(),
            std::vector<std::string>());
  const std::string opf = EntryBytes(temp / "book.epub", "OEBPS/book.opf");
  EXPECT_NE(opf.find("<dc:language>zh</dc:language>"), std::string::npos);
  EXPECT_NE(opf.find("cover-image"), std::string::npos);
  EXPECT_EQ(EntryBytes(temp / "book.epub", "OEBPS/ch_2.xhtml").find("<p></p>\r\n<p></p>"),
            std::string::npos);
}

TEST_F(BookOptionsWindowTest, ChoicesComeBackAfterARestart) {
  Choose(Control(FindBookOption("margin")), FindBookOption("margin"), "wide");
  Choose(Control(FindBookOption("blank-lines")), FindBookOption("blank-lines"), "none");
  Choose(Control(FindBookOption("language")), FindBookOption("language"), "ja");
  Choose(Control(FindBookOption("chapter-rule")), FindBookOption("chapter-rule"), "classic");
  window->resize(900, 700);
  CloseWindow();
  OpenWindow();
  EXPECT_EQ(Find<QComboBox>("ComboBox_PM")->currentIndex(), 1);
  EXPECT_EQ(Find<QComboBox>("ComboBox_BlankLines")->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox_Language")->currentText(), QStringLiteral("ja"));
  EXPECT_EQ(Find<QComboBox>("ComboBox_ChapterRule")->currentIndex(), 1);
  EXPECT_EQ(window->size(), QSize(900, 700));
}

TEST_F(BookOptionsWindowTest, BothFrontEndsNameABookAlike) {
  for (const auto& [name, text] : std::vector<std::pair<const char*, const char*>>{
           {"《希灵帝国》作者：远瞳.txt", "书名：别的\r\n正文。\r\n"},
           {".txt", "正文。\r\n"},
           {"a.txt.txt", "正文。\r\n"},
           {".hidden", "正文。\r\n"},
           {"named.txt", "\r\n　　书名：西游记\r\n作者:吴承恩\r\n正文。\r\n"}}) {
    SCOPED_TRACE(name);
    WriteFile(temp / name, text);
    dialogs.file_answers.push_back({QString::fromStdString((temp / name).string())});
    Click(Button("Button_Open"));
    const fs::path target = Edit("Edit_TargetFile")->text().toStdString();
    Click(Button("Button_Add"));
    ASSERT_EQ(RowCount(), 1);
    Click(Button("Button_Start"));
    ASSERT_TRUE(fs::remove(target)) << target;
    const CliResult cli = RunCli({"-q", "-o", "cli.epub", name}, temp.path());
    ASSERT_EQ(cli.status, 0) << cli.err;
    const std::string opf = EntryBytes(temp / "cli.epub", "OEBPS/book.opf");
    EXPECT_NE(opf.find("<dc:title>" + Cell(0, 0).toStdString() + "</dc:title>"), std::string::npos);
    EXPECT_NE(opf.find("<dc:creator>" + Cell(0, 1).toStdString() + "</dc:creator>"),
              std::string::npos);
    // Without -o the command line writes where the window did.
    const CliResult derived = RunCli({"-q", name}, temp.path());
    ASSERT_EQ(derived.status, 0) << derived.err;
    EXPECT_TRUE(fs::exists(target)) << target;
    Click(Button("Button_Clear"));
  }
}

TEST_F(BookOptionsWindowTest, TheCoverIsAPictureDrawnOrNoneAndTheClassicBoxSetsItsChoices) {
  WriteFile(temp / "novel.txt", "书名：西游记\r\n第一回 开端\r\n正文。\r\n");
  dialogs.file_answers.push_back({QString::fromStdString((temp / "novel.txt").string())});
  Click(Button("Button_Open"));
  ASSERT_EQ(Edit("Edit_Title")->text(), QStringLiteral("西游记"));  // from the text
  QTimer::singleShot(0, [&] {
    auto* dialog = window->findChild<QDialog*>(QStringLiteral("Dialog_BookOptions"));
    ASSERT_NE(dialog, nullptr);
    const auto* choice = dialog->findChild<QComboBox*>(QStringLiteral("ComboBox_CoverChoice"));
    const auto* preview = dialog->findChild<QLabel*>(QStringLiteral("Preview_Edit_Cover"));
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("Edit_Cover"));
    auto* classic = dialog->findChild<QCheckBox*>(QStringLiteral("CheckBox_Classic"));
    const auto* rule = dialog->findChild<QComboBox*>(QStringLiteral("ComboBox_ChapterRule"));
    const auto* language = dialog->findChild<QComboBox*>(QStringLiteral("ComboBox_Language"));
    ASSERT_TRUE(choice && preview && field && classic && rule && language);
    // Drawn by default, previewed with the window's names; no file field.
    EXPECT_EQ(choice->currentText(), QStringLiteral("Drawn"));
    EXPECT_FALSE(preview->isHidden());
    EXPECT_FALSE(preview->pixmap().isNull());
    EXPECT_TRUE(field->isHidden());
    // The classic book: its rule, its language, no cover.
    classic->click();
    EXPECT_EQ(rule->currentIndex(), 1);
    EXPECT_EQ(language->currentText(), QStringLiteral("en"));
    EXPECT_EQ(choice->currentText(), QStringLiteral("None"));
    EXPECT_TRUE(preview->isHidden());
    classic->click();
    EXPECT_EQ(rule->currentIndex(), 0);
    EXPECT_EQ(language->currentIndex(), 0);
    EXPECT_EQ(choice->currentText(), QStringLiteral("Drawn"));
    // A picture: the file dialog answers, the field shows it.
    const QString picture = QString::fromStdString((temp / "cover.png").string());
    QImage image(4, 6, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture, "PNG"));
    dialogs.file_answers.push_back({picture});
    QMetaObject::invokeMethod(const_cast<QComboBox*>(choice), "activated", Q_ARG(int, 0));
    EXPECT_EQ(field->text(), picture);
    EXPECT_FALSE(field->isHidden());
    // None.
    QMetaObject::invokeMethod(const_cast<QComboBox*>(choice), "activated", Q_ARG(int, 2));
    EXPECT_EQ(field->text(), QStringLiteral("none"));
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  Click(Button("Button_BookOptions"));
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 1);
  Click(Button("Button_Start"));
  const std::string opf = EntryBytes(temp / "novel.epub", "OEBPS/book.opf");
  EXPECT_NE(opf.find("<dc:title>西游记</dc:title>"), std::string::npos) << opf;
  EXPECT_EQ(opf.find("cover"), std::string::npos) << opf;
}

}  // namespace
}  // namespace quireforge::test
