// Start as a user watches it: the progress window names each book, a line for each book packed
// at once, and offers Cancel (the button or Esc); a cancelled book leaves nothing behind and an
// older book at its target untouched, the rows after it are not started, and every row and the
// summary say what became of each book. Real jobs, packed by the real zip engine.
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

  // The texts of the progress window's book lines, the empty ones left out.
  QStringList BookLines() {
    QStringList lines;
    for (int line = 0; line < waiting->BookLineCount(); ++line) {
      if (!waiting->BookLineText(line).isEmpty()) lines.append(waiting->BookLineText(line));
    }
    return lines;
  }

  // Runs `action` once, from the message pump Start drives, as soon as `ready` says so.
  void WhenPacking(std::function<bool()> ready, std::function<void()> action) {
    auto* timer = new QTimer(window.get());
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, action] {
      if (!ready()) return;
      timer->stop();
      timer->deleteLater();
      action();
    });
    timer->start();
  }

  // Runs `action` once as soon as a line names the book whose line reads `book`: that book is
  // being packed.
  void WhilePacking(const QString& book, std::function<void()> action) {
    WhenPacking(
        [this, book] {
          for (const QString& line : BookLines()) {
            if (line.startsWith(book)) return true;
          }
          return false;
        },
        action);
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
    for (const QString& line : BookLines()) {
      if (!books.contains(line)) books.append(line);
    }
    for (int line = 0; line < waiting->BookLineCount(); ++line) {
      largest_bar = std::max(largest_bar, waiting->BookBar(line)->value());
    }
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

// Three books packed one at a time, the second cancelled with the button, then with Esc: its
// older book stays as it was, the third is not started; a later Start packs both. (What a
// cancelled run leaves on disk: JobListModelTest.)
TEST_F(StartProgressTest, CancelStopsTheBookBeingPackedAndTheRowsAfterIt) {
  window->StartRunner().SetBooksAtOnce(1);
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

// Books packed at once, each named on a line of its own while it is packed; Cancel stops all of
// them, and a later Start packs them again.
TEST_F(StartProgressTest, BooksPackedAtOnceHaveALineEachAndCancelStopsThemAll) {
  window->StartRunner().SetBooksAtOnce(3);
  for (const char* name : {"a", "b", "c", "d"}) {
    WriteFile(temp / (std::string(name) + ".epub"), "older book");
    AddBook(WriteNovel(std::string(name) + ".txt", 300), temp / (std::string(name) + ".epub"),
            QString::fromLatin1(name).toUpper());
  }
  int most_lines = 0;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    most_lines = std::max(most_lines, static_cast<int>(BookLines().size()));
  });
  watch.start();
  // Cancelled while the first three are packed, each named on its line.
  WhenPacking(
      [this] {
        return BookLines() == QStringList({"Book 1 of 4: A", "Book 2 of 4: B", "Book 3 of 4: C"});
      },
      [this] {
        QTest::mouseClick(waiting->findChild<QPushButton*>("Button_Cancel"), Qt::LeftButton);
      });
  Click(Button("Button_Start"));
  watch.stop();
  EXPECT_EQ(most_lines, 3);
  EXPECT_EQ(waiting->BookLineCount(), 1) << "the window is as it always was afterwards";
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Tag(row), "Cancelled") << row;
  EXPECT_EQ(Tag(3), "");
  for (const char* name : {"a", "b", "c", "d"}) {
    EXPECT_EQ(ReadFile(temp / (std::string(name) + ".epub")), "older book") << name;
  }

  Click(Button("Button_Start"));
  for (int row = 0; row < 4; ++row) EXPECT_EQ(Tag(row), "Done") << row;
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
