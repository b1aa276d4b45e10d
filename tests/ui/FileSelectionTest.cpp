// Picking sources, targets and fonts in the file dialogs and dropping files on the window:
// the fields they fill, the target and title derived from the picked path, and the
// visibility of "Filename As Charpter". Drops arrive as real QDropEvents with file URLs.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <functional>

#include "WindowFixture.h"
#include "conversion/ConvertFile.h"
#include "ui/LocalPaths.h"
#include "ui/ProgramArguments.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

class FileSelectionTest : public WindowFixture {
 protected:
  QString Field(const char* name) { return Edit(name)->text(); }

  void PickSources(const QStringList& files) {
    dialogs.file_answers.push_back(files);
    Click(Button("Button_Open"));
  }

  // Delivers a drop of `paths` (and `extra` non-file URLs) the way the desktop does.
  bool Drop(const QStringList& paths, const QList<QUrl>& extra = {}) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
    urls.append(extra);
    data.setUrls(urls);
    const QPoint point = window->rect().center();
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    return drop.isAccepted();
  }

  // Drags `data` over the middle of `widget` and drops it there, the way the window system
  // delivers a drop: to the nearest widget from there up that accepts drops, the drag move
  // arriving with the answer to the drag enter. Returns whether the drop was accepted.
  bool DropOn(QWidget* widget, const QMimeData& data) {
    QWidget* target = widget;
    while (!target->acceptDrops() && !target->isWindow()) target = target->parentWidget();
    const QPoint point = widget->mapTo(target->window(), widget->rect().center());
    const QPoint local = target->mapFrom(target->window(), point);
    QDragEnterEvent enter(local, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(local, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    move.setAccepted(true);
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted()) return false;
    QDropEvent drop(QPointF(local), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
  }
};

TEST_F(FileSelectionTest, AFileDroppedOnATextFieldIsTakenByTheWindow) {
  // File managers offer the file's URL as text too, which a text field would take.
  QMimeData file;
  file.setUrls({QUrl::fromLocalFile("/books/novel.txt")});
  file.setText("file:///books/novel.txt");
  for (const char* name : {"Edit_SourceFile", "Edit_TargetFile", "Edit_Title", "Edit_Author"}) {
    for (const char* field : {"Edit_SourceFile", "Edit_TargetFile", "Edit_Title"}) {
      Edit(field)->clear();
    }
    Edit("Edit_Author")->setText("Author");
    ASSERT_TRUE(DropOn(Edit(name), file)) << name;
    EXPECT_EQ(Field("Edit_SourceFile"), "/books/novel.txt") << name;
    EXPECT_EQ(Field("Edit_TargetFile"), "/books/novel.EPUB") << name;
    EXPECT_EQ(Field("Edit_Title"), "novel") << name;
    EXPECT_EQ(Field("Edit_Author"), "Author") << name;
  }
  // The read-only font file field and the lists hand file drops to the window as well.
  for (QWidget* other : {static_cast<QWidget*>(Edit("Edit_UF")), JobList()->viewport(),
                         Chapters()->viewport(), static_cast<QWidget*>(Button("Button_Add"))}) {
    Edit("Edit_Title")->clear();
    ASSERT_TRUE(DropOn(other, file)) << other->objectName().toStdString();
    EXPECT_EQ(Field("Edit_Title"), "novel");
  }

  // A text drop without files still lands in the field it is dropped on.
  QMimeData text;
  text.setText("Wu Cheng'en");
  Edit("Edit_Author")->clear();
  ASSERT_TRUE(DropOn(Edit("Edit_Author"), text));
  EXPECT_EQ(Field("Edit_Author"), "Wu Cheng'en");
  EXPECT_EQ(Field("Edit_SourceFile"), "/books/novel.txt");
}

TEST_F(FileSelectionTest, OneSourceFromTheDialogFillsSourceTargetAndTitle) {
  Check("CheckBox_PH")->show();
  Edit("Edit_Author")->setText("kept");
  PickSources({"/books/novel.txt"});
  ASSERT_EQ(dialogs.file_requests.size(), 1u);
  EXPECT_EQ(dialogs.file_requests[0].name, "FileOpenDialog_Source");
  EXPECT_EQ(dialogs.file_requests[0].mode, FileDialogRequest::Mode::kOpenMany);
  EXPECT_EQ(dialogs.file_requests[0].filter, "Text File|*.txt");
  EXPECT_EQ(Field("Edit_SourceFile"), "/books/novel.txt");
  EXPECT_EQ(Field("Edit_TargetFile"), "/books/novel.epub");
  EXPECT_EQ(Field("Edit_Title"), "novel");
  EXPECT_EQ(Field("Edit_Author"), "kept");
  EXPECT_FALSE(Check("CheckBox_PH")->isVisible());
}

TEST_F(FileSelectionTest, OnlyTheFinalExtensionOfTheFileNameIsReplaced) {
  PickSources({"/books/novel.TXT"});
  EXPECT_EQ(Field("Edit_TargetFile"), "/books/novel.epub");
  EXPECT_EQ(Field("Edit_Title"), "novel");
  PickSources({"/books/A.TXT.d/b.txt"});
  EXPECT_EQ(Field("Edit_TargetFile"), "/books/A.TXT.d/b.epub");
  PickSources({"/books/a.txt.d/b.txt"});
  EXPECT_EQ(Field("Edit_TargetFile"), "/books/a.txt.d/b.epub");
  PickSources({"/books/a.txt.txt"});
  EXPECT_EQ(Field("Edit_TargetFile"), "/books/a.txt.epub");
  EXPECT_EQ(Field("Edit_Title"), "a");
  PickSources({"/books/README"});
  EXPECT_EQ(Field("Edit_TargetFile"), "/books/README.epub");
  EXPECT_EQ(Field("Edit_Title"), "README");
}

TEST_F(FileSelectionTest, TheDialogTakesTitleAndAnAuthorFromTheFileName) {
  PickSources({QString::fromUtf8("/书库/《希灵帝国》（校对版全本）作者：远瞳.txt")});
  EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("希灵帝国"));
  EXPECT_EQ(Field("Edit_Author"), QString::fromUtf8("远瞳"));
  // The Author field now holds text: the next name's author does not replace it.
  PickSources({QString::fromUtf8("/书库/斗破苍穹 作者：天蚕土豆.txt")});
  EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("斗破苍穹"));
  EXPECT_EQ(Field("Edit_Author"), QString::fromUtf8("远瞳"));
  // A name without an author leaves the field alone too, and keeps today's title.
  Edit("Edit_Author")->clear();
  PickSources({QString::fromUtf8("/书库/李敖《北京法源寺》.txt")});
  EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("李敖《北京法源寺》"));
  EXPECT_EQ(Field("Edit_Author"), "");
  EXPECT_EQ(Field("Edit_TargetFile"), QString::fromUtf8("/书库/李敖《北京法源寺》.epub"));
}

TEST_F(FileSelectionTest, SeveralSourcesAreJoinedAndQuotedWhereNeeded) {
  PickSources({"/my books/a.txt", "/plain/b.txt", "/odd/c,\"d\".txt"});
  EXPECT_EQ(Field("Edit_SourceFile"), "\"/my books/a.txt\",/plain/b.txt,\"/odd/c,\"\"d\"\".txt\"");
  EXPECT_EQ(Field("Edit_TargetFile"), "/my books/a.epub");
  EXPECT_EQ(Field("Edit_Title"), "a");
  EXPECT_TRUE(Check("CheckBox_PH")->isVisible());
}

TEST_F(FileSelectionTest, ASinglePathWithACommaOrBlankIsQuotedAndAddReadsItAsOneSource) {
  const fs::path folder = temp / "my books";
  fs::create_directory(folder);
  const fs::path novel = folder / "Vol 1, part 2.txt";
  WriteFile(novel, "第一章 开始\r\n正文。\r\n第二章 继续\r\n正文。\r\n第三章 结束\r\n正文。\r\n");
  const QString path = QString::fromStdString(novel.string());
  const QString quoted = "\"" + path + "\"";

  PickSources({path});
  EXPECT_EQ(Field("Edit_SourceFile"), quoted);
  EXPECT_EQ(Field("Edit_TargetFile"),
            QString::fromStdString((folder / "Vol 1, part 2.epub").string()));
  EXPECT_EQ(Field("Edit_Title"), "Vol 1, part 2");
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 1) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_EQ(Cell(0, 2), "3");

  ASSERT_TRUE(Drop({path}));
  EXPECT_EQ(Field("Edit_SourceFile"), quoted);
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 2) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_EQ(window->JobOfRow(1)->TargetPath(), (folder / "Vol 1, part 2.EPUB").u16string());

  // A path with a double quote in its name.
  const fs::path odd = temp / "say \"hi\".txt";
  WriteFile(odd, "第一章 开始\r\n正文。\r\n");
  ASSERT_TRUE(Drop({QString::fromStdString(odd.string())}));
  EXPECT_EQ(Field("Edit_SourceFile"),
            "\"" + QString::fromStdString(odd.string()).replace("\"", "\"\"") + "\"");
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 3) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_TRUE(dialogs.TextsOf("error").isEmpty());
}

TEST_F(FileSelectionTest, CancelledDialogsChangeNothing) {
  Edit("Edit_SourceFile")->setText("s");
  Edit("Edit_TargetFile")->setText("t");
  Click(Button("Button_Open"));
  Click(Button("Button_Save"));
  EXPECT_EQ(Field("Edit_SourceFile"), "s");
  EXPECT_EQ(Field("Edit_TargetFile"), "t");
  EXPECT_EQ(dialogs.file_requests.size(), 2u);
}

TEST_F(FileSelectionTest, TargetAndFontDialogs) {
  dialogs.file_answers.push_back({"/out/book.epub"});
  Click(Button("Button_Save"));
  EXPECT_EQ(Field("Edit_TargetFile"), "/out/book.epub");
  EXPECT_EQ(dialogs.file_requests[0].name, "SaveDialog_Target");
  EXPECT_EQ(dialogs.file_requests[0].mode, FileDialogRequest::Mode::kSave);
  EXPECT_EQ(dialogs.file_requests[0].filter, "ePub File|*.epub");
  EXPECT_EQ(dialogs.file_requests[0].default_suffix, "epub");

  dialogs.yes_no_answers = {true};
  Click(Check("CheckBox_UF"));
  dialogs.file_answers.push_back({"/fonts/kai.ttf"});
  Click(Edit("Edit_UF"));
  EXPECT_EQ(Field("Edit_UF"), "/fonts/kai.ttf");
  ASSERT_EQ(dialogs.file_requests.size(), 2u);
  EXPECT_EQ(dialogs.file_requests[1].name, "OpenDialog_Font");
  EXPECT_EQ(dialogs.file_requests[1].mode, FileDialogRequest::Mode::kOpenOne);
  EXPECT_EQ(dialogs.file_requests[1].title, "");
  EXPECT_EQ(dialogs.file_requests[1].filter, "TrueType Font File|*.TTF");
  Click(Edit("Edit_UF"));  // cancelled: the font stays
  EXPECT_EQ(Field("Edit_UF"), "/fonts/kai.ttf");
}

TEST_F(FileSelectionTest, ASingleDroppedFileIsTakenAsItIs) {
  Check("CheckBox_PH")->show();
  Check("CheckBox_PH")->setChecked(true);
  ASSERT_TRUE(Drop({"/my books/novel.txt"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "\"/my books/novel.txt\"");
  EXPECT_EQ(Field("Edit_TargetFile"), "/my books/novel.EPUB");
  EXPECT_EQ(Field("Edit_Title"), "novel");
  EXPECT_FALSE(Check("CheckBox_PH")->isVisible());
  EXPECT_TRUE(Check("CheckBox_PH")->isChecked());
  // Any single item, a folder or a picture, becomes the source.
  ASSERT_TRUE(Drop({"/pictures/cover.png"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "/pictures/cover.png");
  EXPECT_EQ(Field("Edit_TargetFile"), "/pictures/cover.EPUB");
}

TEST_F(FileSelectionTest, ADroppedBookIsAddedWithTheTitleAndAuthorOfItsName) {
  const std::string name = "《缔造苹果神话》作者_杰弗里_扬.txt";
  WriteFile(temp / name, "第一章 开始\r\ntext\r\n");
  Edit("Edit_Author")->setText("typed");
  ASSERT_TRUE(Drop({QString::fromStdString((temp / name).string())}));
  EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("缔造苹果神话"));
  EXPECT_EQ(Field("Edit_Author"), "typed");  // never over what the user typed
  Edit("Edit_Author")->clear();
  ASSERT_TRUE(Drop({QString::fromStdString((temp / name).string())}));
  EXPECT_EQ(Field("Edit_Author"), QString::fromUtf8("杰弗里_扬"));
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 1) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_EQ(Cell(0, 0), QString::fromUtf8("缔造苹果神话"));
  EXPECT_EQ(Cell(0, 1), QString::fromUtf8("杰弗里_扬"));
  EXPECT_EQ(window->JobOfRow(0)->Author(), U16("杰弗里_扬"));
}

TEST_F(FileSelectionTest, SeveralDroppedFilesKeepOnlyTextFilesQuoted) {
  ASSERT_TRUE(Drop({"/b/a.txt", "/b/pic.png", "/b/c.TxT"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "\"/b/a.txt\",\"/b/c.TxT\"");
  EXPECT_EQ(Field("Edit_TargetFile"), "/b/c.EPUB");
  EXPECT_EQ(Field("Edit_Title"), "c");
  EXPECT_TRUE(Check("CheckBox_PH")->isVisible());

  ASSERT_TRUE(Drop({"/b/a.txt", "/b/c.txt", "/b/pic.png"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "\"/b/a.txt\",\"/b/c.txt\"");
  EXPECT_EQ(Field("Edit_TargetFile"), "/b/pic.EPUB");
  EXPECT_EQ(Field("Edit_Title"), "pic");

  ASSERT_TRUE(Drop({"/b/x.png", "/b/y.doc"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "");
  EXPECT_EQ(Field("Edit_TargetFile"), "/b/y.EPUB");
}

TEST_F(FileSelectionTest, DroppedPathsAreNeverCutShortAndOtherUrlsAreIgnored) {
  const QString long_path = "/" + QString(300, 'x') + "/" + QString(100, 'y') + ".txt";
  ASSERT_TRUE(Drop({long_path}, {QUrl("https://example.org/z.txt")}));
  EXPECT_EQ(Field("Edit_SourceFile"), long_path);
  EXPECT_EQ(Field("Edit_Title"), QString(100, 'y'));
  Edit("Edit_SourceFile")->setText("unchanged");
  EXPECT_FALSE(Drop({}, {QUrl("https://example.org/z.txt")}));
  EXPECT_EQ(Field("Edit_SourceFile"), "unchanged");
}

TEST_F(FileSelectionTest, DroppedBooksConvertAndTheHiddenFileNameBoxStillCounts) {
  WriteFile(temp / "first part.txt", "Opening line\r\ntext\r\n");
  WriteFile(temp / "second.txt", "Another line\r\ntext\r\n");
  const QString first = QString::fromStdString((temp / "first part.txt").string());
  const QString second = QString::fromStdString((temp / "second.txt").string());
  ASSERT_TRUE(Drop({first, second}));
  Click(Check("CheckBox_PH"));
  ASSERT_TRUE(Check("CheckBox_PH")->isChecked());
  const QString two_sources = Field("Edit_SourceFile");
  ASSERT_TRUE(Drop({first}));  // hides the box; its check stays
  Edit("Edit_SourceFile")->setText(two_sources);
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 1) << dialogs.TextsOf("error").join("\n").toStdString();
  TConvertFile* job = window->JobOfRow(0);
  ASSERT_EQ(job->ChapterCount(), 2);
  EXPECT_EQ(job->ChapterTitle(0), u"first part");
  EXPECT_EQ(job->ChapterTitle(1), u"second");
  EXPECT_EQ(job->TargetPath(), (temp / "first part.EPUB").u16string());
}

// Files on the program's command line ("Open with") fill the fields exactly as a drop of the
// same files does, the visibility of "Filename As Charpter" included.
TEST_F(FileSelectionTest, FilesOpenedFromTheCommandLineFillTheFieldsAsADrop) {
  const QStringList cases[] = {{"/my books/novel.txt"},
                               {"/b/a.txt", "/b/pic.png", "/b/c.TxT"},
                               {"/b/x,y.txt"},
                               {"/b/a.txt", "/b/b.txt"}};
  for (const QStringList& files : cases) {
    QStringList dropped;
    ASSERT_TRUE(Drop(files));
    for (const char* name : {"Edit_SourceFile", "Edit_TargetFile", "Edit_Title"}) {
      dropped.append(Field(name));
      Edit(name)->clear();
    }
    const bool shown_after_drop = Check("CheckBox_PH")->isVisibleTo(window.get());
    Check("CheckBox_PH")->setVisible(!shown_after_drop);

    window->OpenFiles(files);
    EXPECT_EQ(
        QStringList({Field("Edit_SourceFile"), Field("Edit_TargetFile"), Field("Edit_Title")}),
        dropped)
        << files.join(' ').toStdString();
    EXPECT_EQ(Check("CheckBox_PH")->isVisibleTo(window.get()), shown_after_drop);
  }
}

// 西游记.txt named in GBK (its text UTF-8), as old archives of Chinese books hold it: dropped,
// picked in a dialog (Qt's own lists it with U+FFFD) or named on the command line, it fills
// the fields, the title read as GB18030, and the book is made beside it under the name's bytes.
TEST_F(FileSelectionTest, AFileWhoseNameIsNotUtf8OpensAndConverts) {
  const std::string gbk = "\xCE\xF7\xD3\xCE\xBC\xC7";
  const fs::path source = temp / (gbk + ".txt");
  WriteFile(source, "第一回 灵根育孕源流出\r\n正文。\r\n");
  const QByteArray bytes = QByteArray::fromStdString(source.string());
  const QString exact = PathFromNative(bytes);
  ASSERT_TRUE(QFile::decodeName(bytes).contains(QChar::ReplacementCharacter));
  const struct {
    const char* way;
    std::function<void()> open;
    std::string extension;
  } ways[] = {
      {"drop",
       [&] {
         QMimeData data;
         data.setUrls({QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"))});
         ASSERT_TRUE(DropOn(window.get(), data));
       },
       ".EPUB"},
      {"dialog",
       [&] {
         PickSources({RecoveredPath(QFile::decodeName(bytes))});  // as QtDialogService does
       },
       ".epub"},
      {"command line",
       [&] { window->OpenFiles(ParseProgramArguments({exact}, QStringLiteral("/")).files); },
       ".EPUB"},
  };
  for (const auto& [way, open, extension] : ways) {
    open();
    EXPECT_EQ(Field("Edit_SourceFile"), exact) << way;
    EXPECT_EQ(Field("Edit_Title"), QStringLiteral("西游记")) << way;
    Click(Button("Button_Add"));
    ASSERT_EQ(RowCount(), 1) << way << dialogs.TextsOf("error").join("|").toStdString();
    Click(Button("Button_Start"));
    EXPECT_EQ(Cell(0, 3), "Done") << way;
    const fs::path book = temp / (gbk + extension);
    EXPECT_EQ(RunCommand("unzip -p " + ShellQuote(book.string()) +
                         " OEBPS/book.opf | grep -q '<dc:title>西游记</dc:title>'"),
              0)
        << way;
    fs::remove(book);
    Click(Button("Button_Clear"));
  }
  EXPECT_TRUE(dialogs.TextsOf("error").isEmpty());
}

TEST(ProgramArgumentsTest, ReadsFilesHelpVersionAndUnknownOptions) {
  using Action = ProgramArguments::Action;
  struct Case {
    QStringList arguments;
    Action action;
    QStringList files;
  };
  const Case cases[] = {
      {{}, Action::kRun, {}},
      {{"a.txt", "../b/c.txt", "/abs/d e.txt", ""},
       Action::kRun,
       {"/home/u/a.txt", "/home/b/c.txt", "/abs/d e.txt"}},
      {{"file:///x/%E5%B0%8F%E8%AF%B4.txt"}, Action::kRun, {"/x/小说.txt"}},
      // A name that is no UTF-8 keeps its bytes (the core's lone surrogates).
      {{"file:///x/%B2%E2.txt"}, Action::kRun, {PathFromNative("/x/\xB2\xE2.txt")}},
      {{"--", "--help", "-n.txt"}, Action::kRun, {"/home/u/--help", "/home/u/-n.txt"}},
      {{"a.txt", "--version", "--help"}, Action::kVersion, {}},
      {{"--bogus", "-h"}, Action::kHelp, {}},
      {{"a.txt", "-x"}, Action::kUsageError, {}},
  };
  for (const Case& c : cases) {
    const ProgramArguments result = ParseProgramArguments(c.arguments, "/home/u");
    EXPECT_EQ(result.action, c.action) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(result.files, c.files) << c.arguments.join(' ').toStdString();
  }
  // The options QApplication takes for itself are no files and no unknown options.
  EXPECT_EQ(WithoutToolkitOptions({"-style", "fusion", "a.txt", "--platform=offscreen", "-reverse",
                                   "-qwindowtitle", "T", "-x", "--", "-style"}),
            (QStringList{"a.txt", "-x", "--", "-style"}));
  EXPECT_EQ(ParseProgramArguments({"-x"}, "/").error,
            "unknown option \"-x\"; run quireforge --help for the usage");
}

}  // namespace
}  // namespace quireforge::test
