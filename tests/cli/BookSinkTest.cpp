// One book, three sinks: staged in a folder and packed (the window), streamed into its archive
// as the pages are made (the command line), or only listed (--list-chapters). The two books
// are the same bytes, and the listing finds the same chapters, volumes and pages without
// making any. Books are written by the real engine; identifier and time are fixed so that two
// books of the same text can be the same bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "BookChecks.h"
#include "TestSupport.h"
#include "archive/Archiver.h"
#include "base/UserInterface.h"
#include "chapterhead/HeadingFinder.h"
#include "conversion/ArchiveSink.h"
#include "conversion/ConvertFile.h"
#include "conversion/FileErrors.h"
#include "conversion/LegacyCodePage.h"
#include "conversion/ListingSink.h"
#include "conversion/StagingRoot.h"

namespace quireforge::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr std::time_t kTime = 1700000000;

// A red picture of 2 x 3 pixels.
const std::string kCoverPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00"
    "\x00\x03\x08\x02\x00\x00\x00\x36\x88\x49\xD6\x00\x00\x00\x10\x49\x44\x41\x54\x78\xDA\x63"
    "\xF8\xCF\xC0\x00\x44\x0C\x28\x14\x00\x44\xD0\x05\xFB\x4C\xCE\x71\x0F\x00\x00\x00\x00\x49"
    "\x45\x4E\x44\xAE\x42\x60\x82",
    73);

// The jobs' surroundings: a staging root, the heading finder, GB18030 for text that is not
// UTF-8, and the fixed identifier and time.
class SinkBench {
 public:
  SinkBench() : code_page_("GB18030") {
    CreateStagingRoot(U16((temp_ / "QuireforgeTmp").string()));
    environment_.staging_root = U16((temp_ / "QuireforgeTmp").string());
    environment_.ui = &ui;
    environment_.find_headings = HeadingFinder(VolumeChoice::kAuto);
    environment_.code_page = &code_page_;
    environment_.identifier = u"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";
    environment_.time = kTime;
  }

  const fs::path& dir() const { return temp_.path(); }

  // Builds the book of `parameters` into `sink` (null: a staging folder of its own in
  // `staging_root`, when given one of those made by NewStagingRoot), with the identifier whose
  // last character is `mark`.
  std::unique_ptr<TConvertFile> Build(const JobParameters& parameters, BookSink* sink,
                                      char16_t mark = u'0', const fs::path& staging_root = {}) {
    JobEnvironment environment = environment_;
    environment.sink = sink;
    environment.identifier.back() = mark;
    if (!staging_root.empty()) environment.staging_root = U16(staging_root.string());
    return std::make_unique<TConvertFile>(parameters, environment);
  }

  // Another staging root, named `name`.
  fs::path NewStagingRoot(const std::string& name) {
    CreateStagingRoot(U16((temp_ / name).string()));
    return temp_ / name;
  }

  RecordingUserInterface ui;

 private:
  TempDir temp_;
  LegacyCodePage code_page_;
  JobEnvironment environment_;
};

struct SinkCase {
  const char* what;
  std::vector<std::string> sources;  // corpus novels, or files the case writes
  bool epub3 = false;
  bool cover = false;
  bool font = false;
  bool finishing = false;  // a contents page, and the text set vertically
};

// Both the staged and the streamed book of `parameters`; the streamed one at `target` + ".s".
void ExpectSameBooks(SinkBench& bench, const JobParameters& parameters, const char* what) {
  std::unique_ptr<TConvertFile> staged = bench.Build(parameters, nullptr);
  TArchiver staging_archiver(bench.ui);
  ASSERT_TRUE(staged->FinishBook(staging_archiver)) << what;

  JobParameters streamed_parameters = parameters;
  streamed_parameters.target_path += u".s";
  TArchiver stream_archiver(bench.ui);
  ArchiveSink sink(stream_archiver, streamed_parameters.target_path, kTime);
  ASSERT_TRUE(sink.Open()) << what;
  std::unique_ptr<TConvertFile> streamed = bench.Build(streamed_parameters, &sink);
  EXPECT_FALSE(fs::exists(U8(streamed_parameters.target_path))) << "nothing before the end";
  ASSERT_TRUE(streamed->FinishBook(stream_archiver)) << what;
  EXPECT_FALSE(streamed->FinishBook(stream_archiver)) << "made once";

  const fs::path one = U8(parameters.target_path);
  const fs::path two = U8(streamed_parameters.target_path);
  EXPECT_EQ(EntryNames(two), EntryNames(one)) << what;
  EXPECT_TRUE(ReadFile(one) == ReadFile(two)) << what << ": the books differ";
  EXPECT_EQ(ZipProblems(two), "") << what;
  EXPECT_EQ(streamed->Chapters(), staged->Chapters()) << what;
  EXPECT_TRUE(bench.ui.CallsStartingWith("ShowArchive").empty()) << what;

  // The listing finds the same chapters, volumes and pages, and makes nothing.
  ListingSink listing;
  const std::vector<std::string> before = EverythingBelow(bench.dir());
  std::unique_ptr<TConvertFile> listed = bench.Build(parameters, &listing);
  EXPECT_EQ(listed->Chapters(), staged->Chapters()) << what;
  EXPECT_EQ(listed->Volumes().size(), staged->Volumes().size()) << what;
  EXPECT_EQ(listed->PageCounter(), staged->PageCounter()) << what;
  EXPECT_EQ(EverythingBelow(bench.dir()), before) << what;
  EXPECT_FALSE(listed->FinishBook(stream_archiver)) << what;
}

TEST(BookSinkTest, StagedAndStreamedBooksAreTheSameBytes) {
  const std::string volumes = "《卷书》\r\n楔子 开端\r\n　　序文 & <注>\r\n第一卷 潜龙\r\n" +
                              NovelText(150000) + "　　第二卷　空卷\r\n" + NovelText(40000);
  const std::vector<SinkCase> cases = {
      {"西游记, EPUB 2", {"西游记.txt"}},
      {"三国演义, EPUB 3", {"三国演义.txt"}, true},
      {"volumes and a cover, EPUB 2", {"volumes.txt"}, false, true},
      {"volumes and a cover, EPUB 3", {"volumes.txt"}, true, true},
      {"two sources and a font, EPUB 3", {"volumes.txt", "西游记.txt"}, true, false, true},
      {"a contents page, set vertically", {"volumes.txt"}, true, false, false, true},
  };
  SinkBench bench;
  WriteFile(bench.dir() / "volumes.txt", volumes);
  WriteFile(bench.dir() / "cover.png", kCoverPng);
  int n = 0;
  for (const SinkCase& sink_case : cases) {
    JobParameters parameters;
    for (const std::string& source : sink_case.sources) {
      const fs::path corpus = fs::path(QF_CORPUS_DIR) / source;
      parameters.sources.push_back(
          U16(fs::exists(corpus) ? corpus.string() : (bench.dir() / source).string()));
    }
    parameters.target_path = U16((bench.dir() / ("book" + std::to_string(++n) + ".epub")).string());
    parameters.title = u"书";
    parameters.author = u"作者";
    parameters.options.epub3 = sink_case.epub3;
    if (sink_case.cover) parameters.options.cover = U16((bench.dir() / "cover.png").string());
    if (sink_case.font) parameters.options.font = U16(kDejaVu);
    if (sink_case.finishing) {
      parameters.options.contents_page = true;
      parameters.options.vertical = true;
    }
    ExpectSameBooks(bench, parameters, sink_case.what);
  }
}

// Staged books finished at once, each on a thread of its own with an archive component of its
// own (as the window's Start packs them), are the bytes of the same books finished one at a
// time.
TEST(BookSinkTest, BooksFinishedAtOnceOnThreadsAreTheBooksOfOneAtATime) {
  SinkBench bench;
  constexpr int kBooks = 4;
  std::vector<std::unique_ptr<TConvertFile>> jobs;
  for (const char* set : {"one", "many"}) {
    fs::create_directory(bench.dir() / set);
    const fs::path root = bench.NewStagingRoot(std::string(set) + "-staging");
    for (int i = 0; i < kBooks; ++i) {
      JobParameters parameters;
      parameters.sources = {U16((fs::path(QF_CORPUS_DIR) / "西游记.txt").string())};
      parameters.target_path = U16((bench.dir() / set / (std::to_string(i) + ".epub")).string());
      parameters.title = u"书";
      parameters.options.epub3 = i % 2 == 1;
      jobs.push_back(bench.Build(parameters, nullptr, static_cast<char16_t>(u'1' + i), root));
    }
  }
  for (int i = 0; i < kBooks; ++i) {
    TArchiver archiver(bench.ui);
    EXPECT_TRUE(jobs[static_cast<size_t>(i)]->FinishBook(archiver));
  }
  std::vector<int> written(kBooks, 0);
  {
    std::vector<std::jthread> threads;
    for (int i = 0; i < kBooks; ++i) {
      threads.emplace_back([&jobs, &written, i] {
        SilentUserInterface ui;
        TArchiver archiver(ui);
        written[static_cast<size_t>(i)] =
            jobs[static_cast<size_t>(kBooks + i)]->FinishBook(archiver);
      });
    }
  }
  for (int i = 0; i < kBooks; ++i) {
    const std::string name = std::to_string(i) + ".epub";
    EXPECT_EQ(written[static_cast<size_t>(i)], 1) << name;
    EXPECT_TRUE(ReadFile(bench.dir() / "one" / name) == ReadFile(bench.dir() / "many" / name))
        << name;
  }
}

// A book whose making fails part-way leaves no trace at the target, whichever way it fails:
// in the text, or in the archive.
TEST(BookSinkTest, AStreamedBookThatFailsLeavesTheOlderBook) {
  SinkBench bench;
  const fs::path target = bench.dir() / "book.epub";
  WriteFile(target, "older book");
  WriteFile(bench.dir() / "a.txt", NovelText(300000));
  JobParameters parameters;
  parameters.sources = {U16((bench.dir() / "a.txt").string()),
                        U16((bench.dir() / "missing.txt").string())};
  parameters.target_path = U16(target.string());
  parameters.title = u"Book";
  {
    TArchiver archiver(bench.ui);
    ArchiveSink sink(archiver, parameters.target_path, kTime);
    ASSERT_TRUE(sink.Open());
    EXPECT_THROW(bench.Build(parameters, &sink), FileError);
  }
  parameters.sources.pop_back();
  parameters.options.font = U16((bench.dir() / "no-font.ttf").string());
  {
    TArchiver archiver(bench.ui);
    ArchiveSink sink(archiver, parameters.target_path, kTime);
    ASSERT_TRUE(sink.Open());
    std::unique_ptr<TConvertFile> job = bench.Build(parameters, &sink);
    EXPECT_THROW(job->FinishBook(archiver), FileError);
  }
  {
    // Stopped while the pages are made, as Cancel or a signal stops it.
    TArchiver archiver(bench.ui);
    {
      ArchiveSink sink(archiver, parameters.target_path, kTime);
      ASSERT_TRUE(sink.Open());
      archiver.Abort();
      EXPECT_THROW(bench.Build(parameters, &sink), BookNotWrittenError);
      EXPECT_EQ(bench.ui.CallsStartingWith("ShowArchiveError").size(), 1u);
    }
    // The sink that goes unmade ends the stream: the archiver is free again.
    EXPECT_FALSE(archiver.Streaming());
    EXPECT_TRUE(archiver.BeginStream());
    EXPECT_EQ(archiver.EndStream(false), 0);
  }
  EXPECT_EQ(ReadFile(target), "older book");
  EXPECT_EQ(RunLeftovers(bench.dir()), std::vector<std::string>());
}

}  // namespace
}  // namespace quireforge::test
