// The job list and the Start run without a window: real jobs built from real files, packed by
// the real zip engine, the model checked by Qt's model tester, the rows read as a view reads
// them. Add, edit, remove, clear, start, cancel and fail, each as a step of a table.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "QtTestPrinters.h"
#include "TestSupport.h"
#include "archive/Archiver.h"
#include "conversion/BookNames.h"
#include "conversion/BookRequest.h"
#include "conversion/CodePageChoice.h"
#include "conversion/ConvertFile.h"
#include "conversion/StagingRoot.h"
#include "ui/JobListModel.h"
#include "ui/StartRun.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;
using State = JobListModel::State;

// Calls `on_pump` whenever the archiver lets the message queue run, as the window's
// message pump would run a click on Cancel.
class PumpingUserInterface : public RecordingUserInterface {
 public:
  void ProcessMessages() override {
    if (on_pump) on_pump();
  }
  std::function<void()> on_pump;
};

// Hears the run, and cancels it while book `cancel_at` is being packed; counts the most books
// packed at once.
class Listener : public StartRun::Listener {
 public:
  Listener(StartRun& run, PumpingUserInterface& ui) : run_(run), ui_(ui) {}
  void BookStarted(int line, int number, int count, const QString& title) override {
    books.append(QStringLiteral("%1/%2 %3").arg(number).arg(count).arg(title));
    busy_lines.insert(line);
    most_at_once = std::max(most_at_once, static_cast<int>(busy_lines.size()));
    ui_.on_pump = number == cancel_at ? std::function<void()>([this] { run_.Cancel(); })
                                      : std::function<void()>();
  }
  void BookProgress(int, int) override {}
  void BookEnded(int line) override { busy_lines.erase(line); }

  int cancel_at = 0;
  QStringList books;
  std::set<int> busy_lines;
  int most_at_once = 0;

 private:
  StartRun& run_;
  PumpingUserInterface& ui_;
};

// Public: the steps of the table reach the list through the fixture.
class JobListTest : public ::testing::Test {
 public:
  JobListTest()
      : code_pages_(CodePageChoice::Detecting()),
        archiver(ui),
        // One book at a time: the table's steps know which book is packed when.
        run(jobs, archiver, ui, nullptr, 1),
        tester_(&jobs, QAbstractItemModelTester::FailureReportingMode::Fatal) {
    environment_.Set("TEMP", temp.path().c_str());
    CreateStagingRoot(StagingRoot());
  }

  std::u16string StagingRoot() const { return U16((temp / "QuireforgeTmp").string()); }
  QString Path(const fs::path& path) const { return QString::fromStdString(path.string()); }

  // Adds the book of a novel with `chapters` chapters, named `name`, packed to `target`.
  void Add(const std::string& name, int chapters, const fs::path& target,
           const BookOptions& options = {}) {
    std::string text;
    for (int i = 1; i <= chapters; ++i) {
      text += "第" + std::to_string(i) + "章 标题\r\n正文，段落" + std::to_string(i) + "。\r\n";
    }
    WriteFile(temp / (name + ".txt"), text);
    BookRequest request;
    request.sources = {U16((temp / (name + ".txt")).string())};
    request.target = U16(target.string());
    request.title = U16(name);
    request.author = u"Author";
    request.options = options;
    jobs.Append(
        MakeJob(PlanBook(request, code_pages_), JobSurroundings{StagingRoot(), &ui, &code_pages_}),
        Path(temp / (name + ".txt")));
  }

  // Every row as a view shows it: "title|author|chapters|mark".
  QStringList Rows() const {
    QStringList rows;
    for (int row = 0; row < jobs.rowCount(); ++row) {
      QStringList cells;
      for (int column = 0; column < jobs.columnCount(); ++column) {
        cells.append(jobs.index(row, column).data().toString());
      }
      rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
  }

  // Runs Start, cancelling it while book `cancel_at` is packed (0: never; -1: before the run
  // begins); keeps its summary and the first reason a book failed for.
  void Start(int cancel_at) {
    listener.cancel_at = cancel_at;
    if (cancel_at < 0) run.Cancel();
    const InterfaceTexts& texts = TextsFor(InterfaceLanguage::kEnglish);
    const StartResults results = run.Run(texts, &listener);
    EXPECT_FALSE(run.IsRunning());
    summary = SummaryText(results, texts);
    if (failure.isEmpty() && !results.failed.isEmpty()) {
      failure = results.failed.first().section(QStringLiteral(": "), 1);
    }
  }

  // The files of `folder` whose names start with a dot: the engine's temporary archives.
  static int HiddenFiles(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename().string().starts_with(".")) ++count;
    }
    return count;
  }

  // The OEBPS folder of row `row`'s staging tree.
  fs::path OebpsOf(int row) const { return fs::path(U8(jobs.Job(row).StagingPath())) / "OEBPS"; }
  static void ChattrImmutable(const fs::path& path, bool on) {
    ASSERT_EQ(RunCommand(std::string(on ? "chattr +i " : "chattr -i ") + ShellQuote(path.string())),
              0);
  }

  TempDir temp;
  PumpingUserInterface ui;

 private:
  ScopedEnvironment environment_;
  CodePageChoice code_pages_;

 public:
  TArchiver archiver;
  JobListModel jobs;
  StartRun run;
  Listener listener{run, ui};
  QString summary;
  QString failure;

 private:
  QAbstractItemModelTester tester_;
};

// One list through its life: every step, and what the rows then show (title, author,
// chapter count, mark) and what the run's summary said.
TEST_F(JobListTest, AddEditStartCancelFailRemoveAndClear) {
  const fs::path missing = temp / "missing";
  const struct Step {
    const char* what;
    std::function<void(JobListTest&)> act;
    QStringList rows;
    QString summary = QString();  // of a run; empty for the other steps
  } kSteps[] = {
      {"add", [](JobListTest& t) { t.Add("A", 2, t.temp / "a.epub"); }, {"A|Author|2|"}},
      {"add a book whose folder is missing",
       [&](JobListTest& t) { t.Add("B", 3, missing / "b.epub"); },
       {"A|Author|2|", "B|Author|3|"}},
      {"edit",
       [&](JobListTest& t) { t.jobs.Rename(1, t.Path(missing / "b2.epub"), "B2", ""); },
       {"A|Author|2|", "B2||3|"}},
      {"remove a chapter",
       [](JobListTest& t) {
         t.jobs.Job(0).DeleteChapter(0);
         t.jobs.ChaptersChanged(0);
       },
       {"A|Author|1|", "B2||3|"}},
      {"start: one written, one failed",
       [](JobListTest& t) { t.Start(0); },
       {"A|Author|1|Done", "B2||3|Failed"},
       "Written (1):\n    $/a.epub\n\nFailed (1):\n    $/missing/b2.epub: $FAILURE"},
      {"add two more",
       [](JobListTest& t) {
         t.Add("C", 2, t.temp / "c.epub");
         t.Add("D", 2, t.temp / "d.epub");
       },
       {"A|Author|1|Done", "B2||3|Failed", "C|Author|2|", "D|Author|2|"}},
      {"cancel asked before the run",
       [](JobListTest& t) { t.Start(-1); },
       {"A|Author|1|Done", "B2||3|Failed", "C|Author|2|", "D|Author|2|"},
       "No book was written.\n\nNot started (3):\n    $/missing/b2.epub\n    $/c.epub\n    "
       "$/d.epub"},
      {"start, cancelled during the second book",
       [](JobListTest& t) { t.Start(2); },
       {"A|Author|1|Done", "B2||3|Failed", "C|Author|2|Cancelled", "D|Author|2|"},
       "No book was written.\n\nFailed (1):\n    $/missing/b2.epub: $FAILURE\n\n"
       "Cancelled (1):\n    $/c.epub\n\nNot started (1):\n    $/d.epub"},
      {"start again once the folder exists",
       [&](JobListTest& t) {
         fs::create_directory(missing);
         t.Start(0);
       },
       {"A|Author|1|Done", "B2||3|Done", "C|Author|2|Done", "D|Author|2|Done"},
       "Written (3):\n    $/missing/b2.epub\n    $/c.epub\n    $/d.epub"},
      {"start with nothing pending",
       [](JobListTest& t) { t.Start(0); },
       {"A|Author|1|Done", "B2||3|Done", "C|Author|2|Done", "D|Author|2|Done"},
       "No book was written."},
      {"remove two",
       [](JobListTest& t) {
         t.jobs.RemoveRows({2, 0});
       },
       {"B2||3|Done", "D|Author|2|Done"}},
      {"clear", [](JobListTest& t) { t.jobs.Clear(); }, {}},
  };
  for (const Step& step : kSteps) {
    summary.clear();
    step.act(*this);
    EXPECT_EQ(Rows(), step.rows) << step.what;
    QString expected = step.summary;
    expected.replace(QStringLiteral("$FAILURE"), failure)
        .replace(QLatin1Char('$'), Path(temp.path()));
    EXPECT_EQ(summary, expected) << step.what;
  }
  EXPECT_TRUE(failure.contains("must exist")) << failure.toStdString();
  EXPECT_EQ(listener.books,
            QStringList({"1/2 A", "2/2 B2", "1/3 B2", "2/3 C", "1/3 B2", "2/3 C", "3/3 D"}));
  // The books are whole; the cancelled run left no partial book beside them.
  for (const char* book : {"a.epub", "missing/b2.epub", "c.epub", "d.epub"}) {
    EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote((temp / book).string())), 0) << book;
  }
  EXPECT_EQ(HiddenFiles(temp.path()), 0);
  // A finished job's staging folder went with its row; the list remembers every folder.
  ASSERT_EQ(jobs.StagingFolders().size(), 4u);
  for (const std::u16string& folder : jobs.StagingFolders()) {
    EXPECT_FALSE(fs::exists(U8(folder))) << U8(folder);
  }
}

// Every way a book can fail: the row says why (its tooltip too), the archive component shows
// no dialog of its own, an older book at the target stays as it was, the next row is packed,
// (unless the cause holds it back too), and the failed rows stay pending, so that a later
// run packs them once the cause is gone.
TEST_F(JobListTest, EveryWayABookFailsIsItsRowsReason) {
  const struct Case {
    const char* what;
    const char* target;  // in the test's folder
    std::function<void(JobListTest&)> break_it, mend_it;
    const char* reason;
    const char* next_mark;  // of the next row
  } kCases[] = {
      {"the target's folder is missing", "missing/a.epub", [](JobListTest&) {},
       [](JobListTest& t) { fs::create_directory(t.temp / "missing"); }, "must exist", "Done"},
      {"the target cannot be replaced", "a.epub",
       [](JobListTest& t) { ChattrImmutable(t.temp / "a.epub", true); },
       [](JobListTest& t) { ChattrImmutable(t.temp / "a.epub", false); }, "a.epub", "Done"},
      {"the engine does not load", "a.epub",
       [](JobListTest& t) {
         fs::create_directory(t.temp / "engine");
         WriteFile(t.temp / "engine" / "libqzengine.so", "not a library");
         t.archiver.SetDLLDirectory(U16((t.temp / "engine").string()));
       },
       [](JobListTest& t) { t.archiver.SetDLLDirectory(u""); }, "libqzengine.so", "Failed"},
      {"the navigation file cannot be written", "a.epub",
       [](JobListTest& t) { ChattrImmutable(t.OebpsOf(0), true); },
       [](JobListTest& t) { ChattrImmutable(t.OebpsOf(0), false); }, "toc.ncx", "Done"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    jobs.Clear();
    failure.clear();
    fs::remove_all(temp / "missing");
    WriteFile(temp / "a.epub", "older book");
    Add("A", 2, temp / c.target);
    Add("B", 2, temp / "b.epub");
    c.break_it(*this);
    Start(0);
    c.mend_it(*this);
    EXPECT_EQ(Rows(),
              QStringList({"A|Author|2|Failed", QStringLiteral("B|Author|2|") + c.next_mark}));
    EXPECT_TRUE(jobs.Reason(0).contains(c.reason)) << jobs.Reason(0).toStdString();
    EXPECT_EQ(failure, jobs.Reason(0));
    EXPECT_TRUE(jobs.index(0, JobListModel::kTitle)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith(jobs.Reason(0)));
    EXPECT_EQ(ReadFile(temp / "a.epub"), "older book");
    EXPECT_EQ(jobs.PendingRows().first(), 0);
    Start(0);
    EXPECT_EQ(Rows(), QStringList({"A|Author|2|Done", "B|Author|2|Done"}));
    EXPECT_EQ(jobs.Reason(0), "");
    EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote((temp / c.target).string())), 0);
  }
  EXPECT_EQ(ui.CallsStartingWith("ShowArchive"), std::vector<std::string>());
}

// An edit is checked as Add checks a target; a refused edit, or one of a finished book,
// changes nothing.
TEST_F(JobListTest, AnEditIsCheckedAndAFinishedBookKeepsItsNames) {
  Add("A", 1, temp / "a.epub");
  const struct {
    QString target;
    const char* message;
  } kRefused[] = {
      {Path(temp / "A.txt"), "It is one of the source files."},
      {Path(temp / "." / "A.txt"), "It is one of the source files."},
  };
  for (const auto& c : kRefused) {
    try {
      jobs.Rename(0, c.target, "New", "");
      ADD_FAILURE() << c.target.toStdString();
    } catch (const BookNameError& error) {
      EXPECT_TRUE(std::string(error.what()).ends_with(c.message)) << error.what();
    }
    EXPECT_EQ(Rows(), QStringList{"A|Author|1|"});
  }
  Start(0);
  EXPECT_THROW(jobs.Rename(0, Path(temp / "b.epub"), "B", ""), std::logic_error);
  EXPECT_EQ(Rows(), QStringList{"A|Author|1|Done"});
  EXPECT_THROW(jobs.Job(1), std::out_of_range);
}

// The captions and marks follow the interface's language, and the tooltip names the options
// the book was made with.
TEST_F(JobListTest, CaptionsMarksAndTooltipsInTheInterfacesLanguage) {
  BookOptions bold;
  bold.bold = true;
  Add("A", 1, temp / "a.epub", bold);
  Start(0);
  QSignalSpy headers(&jobs, &QAbstractItemModel::headerDataChanged);
  QSignalSpy cells(&jobs, &QAbstractItemModel::dataChanged);
  jobs.SetTexts(TextsFor(InterfaceLanguage::kChinese));
  EXPECT_EQ(headers.size(), 1);
  EXPECT_EQ(cells.size(), 1);
  QStringList captions;
  for (int column = 0; column < jobs.columnCount(); ++column) {
    captions.append(jobs.headerData(column, Qt::Horizontal).toString());
  }
  EXPECT_EQ(captions, TextsFor(InterfaceLanguage::kChinese).job_columns);
  EXPECT_EQ(jobs.index(0, JobListModel::kTag).data().toString(),
            TextsFor(InterfaceLanguage::kChinese).done_mark);
  // The tooltip names the option away from its default, by its caption and item.
  const InterfaceTexts& chinese = TextsFor(InterfaceLanguage::kChinese);
  EXPECT_EQ(jobs.index(0, JobListModel::kTitle).data(Qt::ToolTipRole).toString(),
            chinese.label_font_weight + ": " + chinese.font_weight_items[1]);
}

// Every file of `book` with the book's identifier made "GUID" and its date of change left out,
// name by name: what one book holds, whenever it was made.
std::map<std::string, std::string> Contents(const fs::path& book) {
  const std::string script =
      "import re, sys, zipfile\n"
      "book = zipfile.ZipFile(sys.argv[1])\n"
      "guid = re.compile(rb'(?i)[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}')\n"
      "for name in book.namelist():\n"
      "    sys.stdout.buffer.write(name.encode() + b'\\0' + "
      "guid.sub(b'GUID', re.sub(rb'<meta property=\"dcterms:modified\">[^<]*', b'', "
      "book.read(name))) + b'\\0')\n";
  std::string output;
  EXPECT_EQ(
      RunCommand("python3 -c " + ShellQuote(script) + " " + ShellQuote(book.string()), &output), 0);
  std::map<std::string, std::string> contents;
  for (size_t at = 0; at < output.size();) {
    const size_t name_end = output.find('\0', at);
    const size_t data_end = output.find('\0', name_end + 1);
    if (name_end == std::string::npos || data_end == std::string::npos) break;
    contents[output.substr(at, name_end - at)] =
        output.substr(name_end + 1, data_end - name_end - 1);
    at = data_end + 1;
  }
  return contents;
}

// Books packed several at once are the books one at a time gives; Cancel then stops every book
// being packed, leaving nothing behind, and starts no other.
TEST_F(JobListTest, BooksPackedAtOnceAreTheBooksOfOneAtATime) {
  const int kBooks = 4;
  BookOptions epub3;
  epub3.epub3 = true;
  for (const int at_once : {1, 3}) {
    fs::create_directory(temp / std::to_string(at_once));
    for (int i = 0; i < kBooks; ++i) {
      Add("B" + std::to_string(i), 20 + 15 * i,
          temp / std::to_string(at_once) / ("b" + std::to_string(i) + ".epub"),
          i % 2 == 0 ? BookOptions{} : epub3);
    }
    // Two books into one target, the first much the longer: the second is the one kept.
    Add("Long", 3000, temp / std::to_string(at_once) / "same.epub");
    Add("Short", 5, temp / std::to_string(at_once) / "same.epub");
    run.SetBooksAtOnce(at_once);
    listener.most_at_once = 0;
    Start(0);
    EXPECT_EQ(listener.most_at_once, at_once);
    EXPECT_EQ(summary.count(QStringLiteral(".epub")), kBooks + 2) << summary.toStdString();
    EXPECT_NE(Contents(temp / std::to_string(at_once) / "same.epub")["OEBPS/book.opf"].find(
                  "<dc:title>Short</dc:title>"),
              std::string::npos)
        << at_once;
  }
  for (int row = 0; row < jobs.rowCount(); ++row) EXPECT_EQ(jobs.StateOf(row), State::kDone);
  for (int i = 0; i < kBooks; ++i) {
    const std::string name = "b" + std::to_string(i) + ".epub";
    EXPECT_EQ(Contents(temp / "3" / name), Contents(temp / "1" / name)) << name;
    EXPECT_EQ(RunCommand("unzip -tq " + ShellQuote((temp / "3" / name).string())), 0) << name;
  }

  // Cancelled while the first three are packed: they end as cancelled, the others are not
  // started, and every older book stays as it was.
  jobs.Clear();
  fs::create_directory(temp / "cancel");
  for (int i = 0; i < kBooks; ++i) {
    const fs::path target = temp / "cancel" / ("b" + std::to_string(i) + ".epub");
    WriteFile(target, "older book");
    Add("C" + std::to_string(i), 200, target);
  }
  run.SetBooksAtOnce(3);
  Start(3);
  EXPECT_EQ(Rows(), QStringList({"C0|Author|200|Cancelled", "C1|Author|200|Cancelled",
                                 "C2|Author|200|Cancelled", "C3|Author|200|"}));
  for (int i = 0; i < kBooks; ++i) {
    EXPECT_EQ(ReadFile(temp / "cancel" / ("b" + std::to_string(i) + ".epub")), "older book");
  }
  EXPECT_EQ(HiddenFiles(temp / "cancel"), 0);
}

TEST(StartSummaryTest, WrittenFoldersComeOnceInTheOrderOfTheBooks) {
  StartResults results;
  results.written = {"/b/x.epub", "/a/y.epub", "/b/z.epub"};
  EXPECT_EQ(WrittenFolders(results), QStringList({"/b", "/a"}));
  EXPECT_EQ(WrittenFolders(StartResults{}), QStringList());
}

}  // namespace
}  // namespace quireforge::test
