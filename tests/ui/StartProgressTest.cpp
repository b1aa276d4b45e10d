// Start as a user watches it: the progress window names each book and offers Cancel (the
// button or Esc); a cancelled book leaves nothing behind and an older book at its target
// untouched, the rows after it are not started, and every row and the summary say what
// became of each book. Real jobs, packed by the real zip engine.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "WindowFixture.h"
#include "conversion/ConvertFile.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

class StartProgressTest : public WindowFixture {
 protected:
  QString Tag(int row) { return Cell(row, 3); }
  QString Path(const fs::path& path) { return QString::fromStdString(path.string()); }

  // Runs `action` once, from the message pump the archiver drives, while the book whose
  // line reads `book` is being packed (the engine has counted its files and not finished).
  void WhilePacking(const QString& book, std::function<void()> action) {
    auto* timer = new QTimer(window.get());
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, book, action] {
      const TArchiver::AddProgress progress = window->Archiver().Progress();
      if (!waiting->BookText().startsWith(book) || progress.total == 0 ||
          progress.done >= progress.total) {
        return;
      }
      timer->stop();
      timer->deleteLater();
      action();
    });
    timer->start();
  }
};

TEST_F(StartProgressTest, TheProgressWindowNamesEachBookAndFollowsThePacking) {
  AddBook(WriteNovel("a.txt", 150), temp / "a.epub", "Alpha");
  AddBook(WriteNovel("b.txt", 150), temp / "b.epub", "Beta");
  QStringList books;
  int largest_bar = 0;
  bool cancel_shown = false;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!waiting->isVisible()) return;
    if (!books.contains(waiting->BookText())) books.append(waiting->BookText());
    largest_bar = std::max(largest_bar, waiting->Bar()->value());
    cancel_shown = waiting->findChild<QPushButton*>("Button_Cancel")->isVisible();
  });
  watch.start();
  Click(Button("Button_Start"));
  watch.stop();
  EXPECT_TRUE(books.contains("Book 1 of 2: Alpha")) << books.join("|").toStdString();
  EXPECT_TRUE(books.contains("Book 2 of 2: Beta")) << books.join("|").toStdString();
  EXPECT_GT(largest_bar, 0);
  EXPECT_TRUE(cancel_shown);
  // Afterwards the window is passive again, as Add shows it.
  EXPECT_FALSE(waiting->isVisible());
  EXPECT_FALSE(waiting->IsCancellable());
  EXPECT_FALSE(waiting->findChild<QPushButton*>("Button_Cancel")->isVisible());
}

// Three books, the second cancelled with the button, then with Esc: its older book stays
// as it was, the third is not started; a later Start packs both. (What a cancelled run leaves
// on disk: JobListModelTest.)
TEST_F(StartProgressTest, CancelStopsTheBookBeingPackedAndTheRowsAfterIt) {
  for (const bool with_escape : {false, true}) {
    SCOPED_TRACE(with_escape ? "Esc" : "Cancel");
    const fs::path folder = temp / (with_escape ? "esc" : "button");
    fs::create_directory(folder);
    WriteFile(folder / "b.epub", "older book");
    AddBook(WriteNovel("a.txt", 50), folder / "a.epub", "A");
    AddBook(WriteNovel("b.txt", 400), folder / "b.epub", "B");
    AddBook(WriteNovel("c.txt", 50), folder / "c.epub", "C");
    const int first = RowCount() - 3;
    WhilePacking("Book 2 of 3", [this, with_escape] {
      if (with_escape) {
        QTest::keyClick(waiting.get(), Qt::Key_Escape);
      } else {
        QTest::mouseClick(waiting->findChild<QPushButton*>("Button_Cancel"), Qt::LeftButton);
      }
    });
    dialogs.shown.clear();
    Click(Button("Button_Start"));

    EXPECT_EQ(Tag(first), "Done");
    EXPECT_EQ(Tag(first + 1), "Cancelled");
    EXPECT_EQ(Tag(first + 2), "");
    EXPECT_EQ(ReadFile(folder / "b.epub"), "older book");
    EXPECT_FALSE(fs::exists(folder / "c.epub"));
    ASSERT_EQ(dialogs.TextsOf("summary").size(), 1);
    EXPECT_EQ(dialogs.TextsOf("summary")[0],
              "Written (1):\n    " + Path(folder / "a.epub") + "\n\nCancelled (1):\n    " +
                  Path(folder / "b.epub") + "\n\nNot started (1):\n    " + Path(folder / "c.epub"));
    EXPECT_TRUE(window->isEnabled());

    Click(Button("Button_Start"));
    EXPECT_EQ(Tag(first + 1), "Done");
    EXPECT_EQ(Tag(first + 2), "Done");
  }
}

// A finished book's chapters are shown but cannot change; its count stays what was packed.
TEST_F(StartProgressTest, AFinishedRowsChaptersAreReadOnly) {
  AddBook(WriteNovel("a.txt", 3), temp / "a.epub", "A");
  Click(Button("Button_Start"));
  ClickRow(0);
  ASSERT_EQ(Chapters()->LineCount(), 3);
  QTest::mouseClick(Chapters()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    ChapterLineRect(0).center());
  EXPECT_FALSE(Button("Button_FRemove")->isEnabled());
  EXPECT_FALSE(Button("Button_FEdit")->isEnabled());
  EXPECT_FALSE(Button("Button_FReplace")->isEnabled());
  QTest::keyClick(Chapters(), Qt::Key_Delete);
  QTest::keyClick(Chapters(), Qt::Key_F2);
  EXPECT_EQ(Chapters()->LineCount(), 3);
  EXPECT_EQ(window->JobOfRow(0)->ChapterCount(), 3);
  EXPECT_EQ(dialogs.TextsOf("message").size(), 2);
  EXPECT_TRUE(dialogs.TextsOf("input").isEmpty());
}

}  // namespace
}  // namespace quireforge::test
