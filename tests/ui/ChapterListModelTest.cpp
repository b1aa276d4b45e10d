// The chapter list model over real jobs built from real files: what it shows, and that each
// edit reaches the job's chapter list once and tells the views once, in the form Qt's own
// model checker accepts; a chapter list box on the model follows every edit.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QSignalSpy>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "QtTestPrinters.h"
#include "TestSupport.h"
#include "chapterhead/ChapterHeadRule.h"
#include "conversion/CodePageChoice.h"
#include "conversion/ConvertFile.h"
#include "ui/ChapterListBox.h"
#include "ui/ChapterListModel.h"
#include "ui/ProgramValues.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

// Qt's model checker reports through warnings that start with "FAIL!"; they are kept here.
QStringList model_failures;

void KeepModelFailures(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtDebugMsg && message.contains(QStringLiteral("FAIL!"))) {
    model_failures.append(message);
  }
}

class ChapterListModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model_failures.clear();
    previous_handler_ = qInstallMessageHandler(KeepModelFailures);
    fs::create_directory(temp_ / "QuireforgeTmp");
    tester_ = std::make_unique<QAbstractItemModelTester>(
        &model_, QAbstractItemModelTester::FailureReportingMode::Warning);
    view_.setModel(&model_);
  }
  void TearDown() override {
    model_.SetJob(nullptr);
    tester_.reset();
    qInstallMessageHandler(previous_handler_);
    EXPECT_TRUE(model_failures.isEmpty()) << model_failures.join('\n').toStdString();
  }

  // A single-source job whose chapters carry `titles`, in order; it lives as long as the test.
  TConvertFile* MakeJob(const std::string& name, const std::vector<std::string>& titles) {
    std::string text;
    for (const std::string& title : titles) text += title + "\r\n正文。\r\n";
    WriteFile(temp_ / (name + ".txt"), text);
    JobParameters parameters;
    parameters.sources = {(temp_ / (name + ".txt")).u16string()};
    parameters.target_path = (temp_ / (name + ".epub")).u16string();
    parameters.title = U16(name);
    JobEnvironment environment;
    environment.staging_root = values_.StagingRoot();
    environment.ui = &ui_;
    environment.is_chapter_head = [this](std::u16string_view line) {
      return chapter_head_.IsChapterHead(line);
    };
    values_.CodePages().ApplyTo(&environment);
    jobs_.push_back(std::make_unique<TConvertFile>(parameters, environment));
    EXPECT_EQ(jobs_.back()->ChapterCount(), static_cast<int32_t>(titles.size()));
    return jobs_.back().get();
  }

  // The page file of each entry of `job`, in order.
  static std::vector<std::u16string> PageFiles(const TConvertFile& job) {
    std::vector<std::u16string> pages;
    for (const std::u16string& entry : job.Chapters())
      pages.push_back(entry.substr(0, entry.find(u'=')));
    return pages;
  }

  static QString Shown(const QAbstractItemModel& model, int row, int role = Qt::DisplayRole) {
    return model.index(row, 0).data(role).toString();
  }

  TempDir temp_;
  RecordingUserInterface ui_;
  ProgramValues values_;
  ChapterHeadRule chapter_head_;
  // Declared before the model, so that they outlive it.
  std::vector<std::unique_ptr<TConvertFile>> jobs_;
  ChapterListModel model_;
  ChapterListBox view_;
  std::unique_ptr<QAbstractItemModelTester> tester_;
  QtMessageHandler previous_handler_ = nullptr;
};

const std::vector<std::string> kFive = {"第1章 一", "第2章 二", "第3章 a=b", "第4章 四",
                                        "第5章 五"};

// Every signal a model sends about its rows, counted.
struct ModelSignals {
  explicit ModelSignals(const QAbstractItemModel& model)
      : data_changed(&model, &QAbstractItemModel::dataChanged),
        rows_removed(&model, &QAbstractItemModel::rowsRemoved),
        rows_inserted(&model, &QAbstractItemModel::rowsInserted),
        rows_moved(&model, &QAbstractItemModel::rowsMoved),
        layout_changed(&model, &QAbstractItemModel::layoutChanged),
        reset(&model, &QAbstractItemModel::modelReset) {}
  // The counts, in the order of the members.
  std::vector<qsizetype> Counts() const {
    return {data_changed.count(), rows_removed.count(),   rows_inserted.count(),
            rows_moved.count(),   layout_changed.count(), reset.count()};
  }
  QSignalSpy data_changed, rows_removed, rows_inserted, rows_moved, layout_changed, reset;
};

TEST_F(ChapterListModelTest, ShowsTheTitlesOfTheJobsOwnEntries) {
  EXPECT_EQ(model_.rowCount(), 0);
  EXPECT_EQ(view_.LineCount(), 0);
  TConvertFile* job = MakeJob("book", kFive);
  model_.SetJob(job);
  EXPECT_EQ(model_.Job(), job);
  ASSERT_EQ(model_.rowCount(), 5);
  EXPECT_EQ(view_.LineCount(), 5);
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(Shown(model_, row).toStdU16String(), job->ChapterTitle(row)) << row;
    EXPECT_EQ(Shown(model_, row, Qt::EditRole), Shown(model_, row)) << row;
  }
  // The title is everything after the entry's first "=".
  EXPECT_EQ(Shown(model_, 2), "第3章 a=b");
  EXPECT_EQ(model_.Titles(),
            (QStringList{"第1章 一", "第2章 二", "第3章 a=b", "第4章 四", "第5章 五"}));
  EXPECT_FALSE(model_.index(0, 0).data(Qt::ToolTipRole).isValid());
  EXPECT_FALSE(model_.index(5, 0).data().isValid());
  EXPECT_EQ(model_.rowCount(model_.index(0, 0)), 0);  // a list: no row has children

  // The job is the only copy: a title changed in it shows as it is.
  job->SetChapterTitle(0, u"第1章 改");
  EXPECT_EQ(Shown(model_, 0), "第1章 改");

  model_.SetJob(nullptr);
  EXPECT_EQ(model_.rowCount(), 0);
  EXPECT_EQ(view_.LineCount(), 0);
}

TEST_F(ChapterListModelTest, EachEditReachesTheJobOnceAndTellsTheViewsOnce) {
  TConvertFile* job = MakeJob("book", kFive);
  model_.SetJob(job);
  const std::vector<std::u16string> pages = PageFiles(*job);
  const std::vector<std::u16string> entries = job->Chapters();

  {  // Rename: one entry's title, its page file kept; one dataChanged for that row.
    ModelSignals spies(model_);
    model_.SetTitle(1, "Tom & Jerry");
    EXPECT_EQ(job->ChapterEntry(1), pages[1] + u"=Tom & Jerry");
    EXPECT_EQ(Shown(model_, 1), "Tom & Jerry");
    EXPECT_EQ(spies.Counts(), (std::vector<qsizetype>{1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(spies.data_changed[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(spies.data_changed[0][1].toModelIndex().row(), 1);
    model_.SetTitle(1, "");  // an empty title stays an entry
    EXPECT_EQ(job->ChapterEntry(1), pages[1] + u"=");
    EXPECT_EQ(model_.rowCount(), 5);
  }
  {  // Move up: line 4 onto line 1 gives 4, 1, 2, 3; the view's selection goes along.
    view_.SelectLine(3);
    ModelSignals spies(model_);
    model_.MoveChapter(3, 0);
    EXPECT_EQ(PageFiles(*job),
              (std::vector<std::u16string>{pages[3], pages[0], pages[1], pages[2], pages[4]}));
    EXPECT_EQ(job->ChapterEntry(0), entries[3]);
    EXPECT_EQ(spies.Counts(), (std::vector<qsizetype>{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(spies.rows_moved[0][1].toInt(), 3);  // first row moved
    EXPECT_EQ(spies.rows_moved[0][4].toInt(), 0);  // lands before row 0
    EXPECT_EQ(view_.SelectedLine(), 0);
  }
  {  // Move down: line 1 onto line 4 gives the original order back.
    ModelSignals spies(model_);
    model_.MoveChapter(0, 3);
    EXPECT_EQ(PageFiles(*job), pages);
    EXPECT_EQ(spies.Counts(), (std::vector<qsizetype>{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(spies.rows_moved[0][4].toInt(), 4);  // Qt counts the destination before the move
    EXPECT_EQ(view_.SelectedLine(), 3);
  }
  {  // A move onto its own line changes and tells nothing.
    ModelSignals spies(model_);
    model_.MoveChapter(2, 2);
    EXPECT_EQ(PageFiles(*job), pages);
    EXPECT_EQ(spies.Counts(), (std::vector<qsizetype>{0, 0, 0, 0, 0, 0}));
  }
  {  // Remove: one entry out of the job; one rowsRemoved; the view has one line less.
    ModelSignals spies(model_);
    model_.RemoveChapter(4);
    EXPECT_EQ(PageFiles(*job),
              (std::vector<std::u16string>{pages[0], pages[1], pages[2], pages[3]}));
    EXPECT_EQ(spies.Counts(), (std::vector<qsizetype>{0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(spies.rows_removed[0][1].toInt(), 4);
    EXPECT_EQ(view_.LineCount(), 4);
  }
}

TEST_F(ChapterListModelTest, AnEditOutsideTheListChangesNothingAndTellsNothing) {
  TConvertFile* job = MakeJob("book", kFive);
  model_.SetJob(job);
  const std::vector<std::u16string> entries = job->Chapters();
  ModelSignals spies(model_);
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { model_.SetTitle(5, "x"); }),
            "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { model_.SetTitle(-1, "x"); }),
            "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { model_.RemoveChapter(5); }),
            "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { model_.MoveChapter(0, 5); }),
            "List index out of bounds (5)");
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { model_.MoveChapter(-1, 0); }),
            "List index out of bounds (-1)");
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { (void)model_.Title(7); }),
            "List index out of bounds (7)");
  EXPECT_EQ(job->Chapters(), entries);
  EXPECT_EQ(spies.Counts(), (std::vector<qsizetype>{0, 0, 0, 0, 0, 0}));

  // Without a job there is no line to edit.
  model_.SetJob(nullptr);
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { model_.SetTitle(0, "x"); }),
            "List index out of bounds (0)");
  EXPECT_EQ(ErrorOf<std::out_of_range>([&] { model_.RemoveChapter(0); }),
            "List index out of bounds (0)");
  EXPECT_EQ(job->Chapters(), entries);
}

TEST_F(ChapterListModelTest, ShowingAnotherJobStartsTheViewsAfresh) {
  TConvertFile* a = MakeJob("a", {"第1章 甲", "第2章 甲"});
  TConvertFile* b = MakeJob("b", {"第1章 乙", "第2章 乙", "第3章 乙"});
  model_.SetJob(a);
  view_.SelectLine(1);
  ASSERT_EQ(view_.SelectedLine(), 1);
  ModelSignals spies(model_);
  model_.SetJob(b);
  EXPECT_EQ(spies.reset.count(), 1);
  EXPECT_EQ(view_.LineCount(), 3);
  EXPECT_EQ(view_.SelectedLine(), -1);
  EXPECT_EQ(Shown(model_, 2), "第3章 乙");
  // Edits now reach b alone.
  model_.RemoveChapter(0);
  EXPECT_EQ(a->ChapterCount(), 2);
  EXPECT_EQ(b->ChapterCount(), 2);
}

}  // namespace
}  // namespace quireforge::test
