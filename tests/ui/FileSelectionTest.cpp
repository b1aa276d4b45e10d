// Picking sources, targets and fonts in the file dialogs and dropping files on the window:
// the fields they fill, the target and title derived from the picked path, and the
// visibility of "One book of all files" and "File name as chapter". Drops arrive as real
// QDropEvents with file URLs.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <functional>

#include "WindowFixture.h"
#include "conversion/ConvertFile.h"
#include "ui/DialogService.h"
#include "ui/LocalPaths.h"
#include "ui/ProgramArguments.h"
#include "ui/SourceField.h"

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
    EXPECT_EQ(Field("Edit_TargetFile"), "/books/novel.epub") << name;
    EXPECT_EQ(Field("Edit_Title"), "novel") << name;
    EXPECT_EQ(Field("Edit_Author"), "") << name;  // the previous book's author goes
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
  EXPECT_EQ(Field("Edit_Author"), "");
  EXPECT_FALSE(Check("CheckBox_PH")->isVisible());
  EXPECT_FALSE(Check("CheckBox_OneBook")->isVisible());
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
  // The next file's names replace the previous book's.
  PickSources({QString::fromUtf8("/书库/斗破苍穹 作者：天蚕土豆.txt")});
  EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("斗破苍穹"));
  EXPECT_EQ(Field("Edit_Author"), QString::fromUtf8("天蚕土豆"));
  // A name without an author empties the field, and keeps today's title.
  PickSources({QString::fromUtf8("/书库/李敖《北京法源寺》.txt")});
  EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("李敖《北京法源寺》"));
  EXPECT_EQ(Field("Edit_Author"), "");
  EXPECT_EQ(Field("Edit_TargetFile"), QString::fromUtf8("/书库/李敖《北京法源寺》.epub"));
}

TEST_F(FileSelectionTest, SeveralSourcesAreJoinedAndQuotedWhereNeeded) {
  PickSources({"/my books/a.txt", "/plain/b.txt", "/odd/c,\"d\".txt"});
  EXPECT_EQ(Field("Edit_SourceFile"), "\"/my books/a.txt\",/plain/b.txt,\"/odd/c,\"\"d\"\".txt\"");
  // One book each, by default: the fields name none of them.
  EXPECT_TRUE(Check("CheckBox_OneBook")->isVisible());
  EXPECT_FALSE(Check("CheckBox_OneBook")->isChecked());
  EXPECT_FALSE(Check("CheckBox_PH")->isVisible());
  EXPECT_EQ(Field("Edit_TargetFile"), "");
  EXPECT_FALSE(Edit("Edit_Title")->isEnabled());
  // One book of all: the first file names it, and file names may title its chapters.
  Click(Check("CheckBox_OneBook"));
  EXPECT_EQ(Field("Edit_TargetFile"), "/my books/a.epub");
  EXPECT_EQ(Field("Edit_Title"), "a");
  EXPECT_TRUE(Edit("Edit_Title")->isEnabled());
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
  EXPECT_EQ(Field("Edit_TargetFile"),
            QString::fromStdString((folder / "Vol 1, part 2.epub").string()));
  Edit("Edit_TargetFile")->setText(QString::fromStdString((folder / "again.epub").string()));
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 2) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_EQ(window->JobOfRow(1)->TargetPath(), (folder / "again.epub").u16string());

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
  // Every font kind a CJK reader may have, in either letter case, or any file at all.
  EXPECT_EQ(QtNameFilter(dialogs.file_requests[1].filter),
            "Font files (*.ttf *.otf *.ttc *.TTF *.OTF *.TTC *.Ttf *.Otf *.Ttc);;All files (*)");
  Click(Edit("Edit_UF"));  // cancelled: the font stays
  EXPECT_EQ(Field("Edit_UF"), "/fonts/kai.ttf");
}

TEST_F(FileSelectionTest, ASingleDroppedFileIsTakenAsItIs) {
  Check("CheckBox_PH")->show();
  Check("CheckBox_PH")->setChecked(true);
  ASSERT_TRUE(Drop({"/my books/novel.txt"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "\"/my books/novel.txt\"");
  EXPECT_EQ(Field("Edit_TargetFile"), "/my books/novel.epub");
  EXPECT_EQ(Field("Edit_Title"), "novel");
  EXPECT_FALSE(Check("CheckBox_PH")->isVisible());
  EXPECT_TRUE(Check("CheckBox_PH")->isChecked());
  // Any single item, a folder or a picture, becomes the source.
  ASSERT_TRUE(Drop({"/pictures/cover.png"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "/pictures/cover.png");
  EXPECT_EQ(Field("Edit_TargetFile"), "/pictures/cover.epub");
}

TEST_F(FileSelectionTest, ADroppedBookIsAddedWithTheTitleAndAuthorOfItsName) {
  const std::string name = "《缔造苹果神话》作者_杰弗里_扬.txt";
  WriteFile(temp / name, "第一章 开始\r\ntext\r\n");
  Edit("Edit_Author")->setText("typed for another book");
  ASSERT_TRUE(Drop({QString::fromStdString((temp / name).string())}));
  EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("缔造苹果神话"));
  EXPECT_EQ(Field("Edit_Author"), QString::fromUtf8("杰弗里_扬"));
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 1) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_EQ(Cell(0, 0), QString::fromUtf8("缔造苹果神话"));
  EXPECT_EQ(Cell(0, 1), QString::fromUtf8("杰弗里_扬"));
  EXPECT_EQ(window->JobOfRow(0)->Author(), U16("杰弗里_扬"));
}

TEST_F(FileSelectionTest, SeveralDroppedFilesKeepOnlyTextFiles) {
  ASSERT_TRUE(Drop({"/b/a.txt", "/b/pic.png", "/b/c.TxT"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "/b/a.txt,/b/c.TxT");
  EXPECT_EQ(Field("Edit_TargetFile"), "");
  // Joined, the last text file names the book.
  Click(Check("CheckBox_OneBook"));
  EXPECT_EQ(Field("Edit_TargetFile"), "/b/c.epub");
  EXPECT_EQ(Field("Edit_Title"), "c");
  EXPECT_TRUE(Check("CheckBox_PH")->isVisible());

  ASSERT_TRUE(Drop({"/b/a.txt", "/b/c.txt", "/b/pic.png"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "/b/a.txt,/b/c.txt");
  EXPECT_EQ(Field("Edit_TargetFile"), "/b/c.epub");
  EXPECT_EQ(Field("Edit_Title"), "c");

  // No text file among them: each is taken, and Add says what it cannot read.
  ASSERT_TRUE(Drop({"/b/x.png", "/b/y.doc"}));
  EXPECT_EQ(Field("Edit_SourceFile"), "/b/x.png,/b/y.doc");
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
  Click(Check("CheckBox_OneBook"));
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
  EXPECT_EQ(job->TargetPath(), (temp / "first part.epub").u16string());
}

// Files on the program's command line ("Open with") fill the fields exactly as a drop of the
// same files does, the visibility of "File name as chapter" included.
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
       ".epub"},
      {"dialog",
       [&] {
         PickSources({RecoveredPath(QFile::decodeName(bytes))});  // as QtDialogService does
       },
       ".epub"},
      {"command line",
       [&] { window->OpenFiles(ParseProgramArguments({exact}, QStringLiteral("/")).files); },
       ".epub"},
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

// What the book at `book` says its title and author are (from its package document).
std::string PackageOf(const fs::path& book) {
  std::string opf;
  RunCommand("unzip -p " + ShellQuote(book.string()) + " '*.opf'", &opf);
  return opf;
}

// Several novels picked, dropped, opened or typed make one book each, named after its own file;
// "One book of all files" joins them as each file a chapter.
TEST_F(FileSelectionTest, SeveralFilesMakeOneBookEachUnlessJoined) {
  const std::string names[] = {"《甲书》作者：张三.txt", "乙书.txt", "丙书 作者：李四.txt"};
  QStringList files;
  for (const std::string& name : names) {
    WriteFile(temp / name, "第一章 开始\r\n正文。\r\n第二章 继续\r\n正文。\r\n");
    files.append(QString::fromStdString((temp / name).string()));
  }
  struct Way {
    const char* name;
    std::function<void()> give;
    bool join;
  };
  const Way ways[] = {
      {"dialog", [&] { PickSources(files); }, false},
      {"drop", [&] { ASSERT_TRUE(Drop(files)); }, false},
      {"open with", [&] { window->OpenFiles(files); }, false},
      {"typed", [&] { Type("Edit_SourceFile", JoinSourcePaths(files)); }, false},
      {"joined",
       [&] {
         PickSources(files);
         Click(Check("CheckBox_OneBook"));
       },
       true},
  };
  for (const Way& way : ways) {
    Edit("Edit_Author")->setText("stale");
    way.give();
    Click(Button("Button_Add"));
    EXPECT_TRUE(dialogs.TextsOf("error").isEmpty()) << way.name;
    EXPECT_EQ(Field("Edit_SourceFile"), "") << way.name;
    EXPECT_FALSE(Check("CheckBox_OneBook")->isChecked()) << way.name;
    if (way.join) {
      ASSERT_EQ(RowCount(), 1) << way.name;
      EXPECT_EQ(Cell(0, 0), QString::fromUtf8("甲书"));
      EXPECT_EQ(window->JobOfRow(0)->ChapterCount(), 3);  // each file a chapter
    } else {
      ASSERT_EQ(RowCount(), 3) << way.name;
      const char* titles[] = {"甲书", "乙书", "丙书"};
      const char* authors[] = {"张三", "", "李四"};
      for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Cell(row, 0), QString::fromUtf8(titles[row])) << way.name;
        EXPECT_EQ(Cell(row, 1), QString::fromUtf8(authors[row])) << way.name;
        EXPECT_EQ(window->JobOfRow(row)->ChapterCount(), 2) << way.name;
      }
    }
    // Each book is written where its own file is, with its own names.
    Click(Button("Button_Start"));
    for (int row = 0; row < RowCount(); ++row) {
      const fs::path book(window->JobOfRow(row)->TargetPath());
      EXPECT_EQ(book.extension(), ".epub");
      EXPECT_EQ(book.parent_path(), temp.path());
      const std::string opf = PackageOf(book);
      EXPECT_NE(opf.find("<dc:title>" + U8(window->JobOfRow(row)->Title()) + "</dc:title>"),
                std::string::npos)
          << way.name << opf;
      EXPECT_EQ(opf.find("stale"), std::string::npos) << way.name;
      fs::remove(book);  // the next way writes there again
    }
    Click(Button("Button_Clear"));
    dialogs.shown.clear();
  }
}

// The fields belong to the file they were taken from: a new source replaces title and author,
// and a cover picture goes into the next book only and is not remembered.
TEST_F(FileSelectionTest, FieldsBelongToTheirFileAndACoverToOneBook) {
  struct Case {
    const char* file;
    const char* typed_author;  // typed before the source is given; null: none
    const char* title;
    const char* author;
  };
  const Case cases[] = {
      {"《甲书》作者：张三.txt", nullptr, "甲书", "张三"},
      {"乙书.txt", nullptr, "乙书", ""},  // no author of the previous book is kept
      {"丙书 作者：李四.txt", "王五", "丙书", "李四"},
      {"丁书.txt", "王五", "丁书", ""},
  };
  for (const Case& c : cases) {
    if (c.typed_author != nullptr) Edit("Edit_Author")->setText(QString::fromUtf8(c.typed_author));
    PickSources({QString::fromStdString((temp / c.file).string())});
    EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8(c.title)) << c.file;
    EXPECT_EQ(Field("Edit_Author"), QString::fromUtf8(c.author)) << c.file;
  }

  // A typed author stays for the source it was typed for.
  const fs::path novel = WriteNovel("novel.txt", 2);
  const fs::path picture = temp / "cover.png";
  QImage(60, 80, QImage::Format_RGB32).save(QString::fromStdString(picture.string()));
  PickSources({QString::fromStdString(novel.string())});
  Type("Edit_Author", "Typed Author");
  auto* cover = window->findChild<QLineEdit*>(QStringLiteral("Edit_Cover"));
  ASSERT_NE(cover, nullptr);
  cover->setText(QString::fromStdString(picture.string()));
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 1) << dialogs.TextsOf("error").join("\n").toStdString();
  EXPECT_EQ(Cell(0, 1), "Typed Author");
  EXPECT_EQ(cover->text(), "");  // the next book gets no picture of this one
  Type("Edit_SourceFile", QString::fromStdString(novel.string()));
  Edit("Edit_TargetFile")->setText(QString::fromStdString((temp / "second.epub").string()));
  Click(Button("Button_Add"));
  ASSERT_EQ(RowCount(), 2) << dialogs.TextsOf("error").join("\n").toStdString();
  Click(Button("Button_Start"));
  // The first book shows the picture; the second has its own drawn cover.
  std::string first_cover, second_cover;
  RunCommand("unzip -p " + ShellQuote(U8(window->JobOfRow(0)->TargetPath())) + " '*cover.*g'",
             &first_cover);
  RunCommand("unzip -p " + ShellQuote((temp / "second.epub").string()) + " '*cover.*g'",
             &second_cover);
  EXPECT_EQ(first_cover, ReadFile(picture));
  EXPECT_FALSE(second_cover.empty());
  EXPECT_NE(second_cover, ReadFile(picture));

  // Not remembered across runs either.
  cover->setText(QString::fromStdString(picture.string()));
  CloseWindow();
  OpenWindow();
  EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("Edit_Cover"))->text(), "");
}

// Paths as users paste them (a file manager's URL, a path in quotes, blanks around it) name
// the file, in the source field and in the target field; the book is made where they say.
TEST_F(FileSelectionTest, PastedPathsAreTakenAsThePathsTheyName) {
  fs::create_directory(temp / "my books");
  const fs::path novel = temp / "my books" / "西游 记.txt";
  WriteFile(novel, "第一章 开始\r\n正文。\r\n第二章 继续\r\n正文。\r\n");
  const QString path = QString::fromStdString(novel.string());
  const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
  ASSERT_TRUE(url.contains("%20"));
  struct Case {
    QString source, target;
  };
  const Case cases[] = {
      {url, "file://" + QString::fromStdString((temp / "a.epub").string())},
      {"\"" + path + "\"", "'" + QString::fromStdString((temp / "b.epub").string()) + "'"},
      {"  " + path + "  ", " " + QString::fromStdString((temp / "c.epub").string()) + " "},
      {"'" + path + "'", "\"" + QString::fromStdString((temp / "d.epub").string()) + "\""},
  };
  for (const Case& c : cases) {
    Type("Edit_SourceFile", c.source);
    EXPECT_EQ(Field("Edit_Title"), QString::fromUtf8("西游 记")) << c.source.toStdString();
    EXPECT_EQ(Field("Edit_TargetFile"),
              QString::fromStdString((temp / "my books" / "西游 记.epub").string()));
    Edit("Edit_TargetFile")->setText(c.target);
    Click(Button("Button_Add"));
    EXPECT_TRUE(dialogs.TextsOf("error").isEmpty())
        << dialogs.TextsOf("error").join("\n").toStdString();
  }
  ASSERT_EQ(RowCount(), 4);
  Click(Button("Button_Start"));
  for (const char* name : {"a.epub", "b.epub", "c.epub", "d.epub"}) {
    EXPECT_TRUE(fs::exists(temp / name)) << name;
  }
  EXPECT_EQ(window->JobOfRow(0)->ChapterCount(), 2);
}

}  // namespace
}  // namespace quireforge::test
