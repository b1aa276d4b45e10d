// TArchiver driving the real engine libqzengine.so over a staged book: archives that
// unzip, 7z and Python's zipfile accept, moved files, an add after one that ended in its
// checks, and the new-archive request replacing a target wholly or not at all; and the streamed
// add, whose files come from memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "ArchiveTestSupport.h"
#include "archive/Archiver.h"

namespace quireforge {
namespace {

namespace fs = std::filesystem;
using test::Errors;
using test::MakeZip;
using test::ReadFile;
using test::RunCommand;
using test::ShellQuote;
using test::U16;
using test::WriteFile;

constexpr uint32_t kBookOptions = 2055;

const char* const kStagedFiles[] = {"mimetype",       "META-INF/container.xml", "OEBPS/book.opf",
                                    "OEBPS/toc.ncx",  "OEBPS/css/main.css",     "OEBPS/ch_1.html",
                                    "OEBPS/ch_2.html"};

// Python prints the archive's names in order, one per line, after checking every CRC.
std::string PythonListing(const fs::path& archive) {
  const char* script =
      "import sys, zipfile\n"
      "z = zipfile.ZipFile(sys.argv[1])\n"
      "bad = z.testzip()\n"
      "if bad: sys.exit('bad entry ' + bad)\n"
      "for i in z.infolist(): print(i.filename, i.compress_type)\n";
  std::string output;
  EXPECT_EQ(
      RunCommand("python3 -c " + ShellQuote(script) + " " + ShellQuote(archive.string()), &output),
      0)
      << output;
  return output;
}

std::set<std::string> Names(const std::string& listing) {
  std::set<std::string> names;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    std::string line = listing.substr(start, end - start);
    names.insert(line.substr(0, line.rfind(' ')));
    start = end == std::string::npos ? listing.size() : end + 1;
  }
  return names;
}

class ArchiverEngineTest : public ::testing::Test {
 protected:
  ArchiverEngineTest() { Stage(); }

  void Stage() {
    std::string page = "<p>第一回 宴桃园豪杰三结义</p>\n";
    for (int i = 0; i < 12; ++i) page += page;
    for (const char* name : kStagedFiles) {
      fs::create_directories((stage_ / name).parent_path());
      WriteFile(stage_ / name,
                std::string(name) == "mimetype" ? "application/epub+zip" : name + page);
    }
  }

  int32_t AddBook(const fs::path& target) {
    archiver_.SetDLLDirectory(U16(QF_REAL_ENGINE_DIR));
    archiver_.SetAddOptions(kBookOptions);
    archiver_.SetZipFileName(U16(target.string()));
    archiver_.SetRootDir(U16(stage_.string()));
    archiver_.FSpecArgs().push_back(u"*.*");
    archiver_.SetAddCompLevel(9);
    return archiver_.Add();
  }

  int StagedFileCount() const {
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(stage_)) {
      count += entry.is_regular_file() ? 1 : 0;
    }
    return count;
  }

  test::TempDir temp_;
  fs::path stage_ = temp_ / "stage";
  fs::path target_ = temp_ / "book.epub";
  test::RecordingUserInterface ui_;
  TArchiver archiver_{ui_};
};

TEST_F(ArchiverEngineTest, PacksTheStagedTreeIntoAnArchiveEveryReaderAccepts) {
  EXPECT_EQ(AddBook(target_), 0);
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty()) << ui_.calls.front();
  EXPECT_GE(archiver_.StoredCount(), 7);

  std::string output;
  EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(target_.string()), &output), 0) << output;
  EXPECT_EQ(RunCommand("7z t " + ShellQuote(target_.string()), &output), 0) << output;
  std::string listing = PythonListing(target_);
  EXPECT_EQ(listing.substr(0, listing.find('\n')), "mimetype 0");  // first, stored
  std::set<std::string> names = Names(listing);
  for (const char* name : kStagedFiles) EXPECT_EQ(names.count(name), 1u) << name;
  EXPECT_NE(listing.find("OEBPS/ch_1.html 8"), std::string::npos);  // deflated

  EXPECT_EQ(StagedFileCount(), 0);
  EXPECT_EQ(archiver_.EntryNames().size(), std::size(kStagedFiles));
  EXPECT_TRUE(archiver_.FSpecArgs().empty());
}

TEST_F(ArchiverEngineTest, AddAfterOneThatEndedInItsChecksGivesASoundArchive) {
  EXPECT_EQ(AddBook(temp_ / "missing" / "book.epub"), 10308);
  EXPECT_EQ(archiver_.FSpecArgs(), std::vector<std::u16string>{u"*.*"});
  EXPECT_EQ(StagedFileCount(), static_cast<int>(std::size(kStagedFiles)));

  EXPECT_EQ(AddBook(target_), 0);
  EXPECT_EQ(Errors(ui_).size(), 1u);
  std::string output;
  EXPECT_EQ(RunCommand("unzip -t " + ShellQuote(target_.string()), &output), 0) << output;
  std::string listing = PythonListing(target_);
  EXPECT_EQ(Names(listing).size(),
            static_cast<size_t>(std::count(listing.begin(), listing.end(), '\n')));
  EXPECT_EQ(StagedFileCount(), 0);
}

TEST_F(ArchiverEngineTest, PlainAddKeepsOtherEntriesAndReplacesSameNamedOnes) {
  MakeZip(target_, {{"OEBPS/ch_9.html", "from a longer book"}, {"OEBPS/ch_1.html", "old"}});
  EXPECT_EQ(AddBook(target_), 0);
  std::set<std::string> names = Names(PythonListing(target_));
  EXPECT_EQ(names.count("OEBPS/ch_9.html"), 1u);
  std::string page;
  RunCommand("unzip -p " + ShellQuote(target_.string()) + " OEBPS/ch_1.html", &page);
  EXPECT_EQ(page.substr(0, 15), "OEBPS/ch_1.html");
}

TEST_F(ArchiverEngineTest, NewArchiveLeavesNoOldEntry) {
  MakeZip(target_, {{"OEBPS/ch_9.html", "from a longer book"}, {"old.txt", "old"}}, "old note");
  archiver_.SetNewArchive(true);
  EXPECT_EQ(AddBook(target_), 0);
  std::set<std::string> names = Names(PythonListing(target_));
  EXPECT_EQ(names.count("OEBPS/ch_9.html"), 0u);
  EXPECT_EQ(names.count("old.txt"), 0u);
  EXPECT_EQ(names.count("mimetype"), 1u);
  EXPECT_EQ(archiver_.ZipComment(), "");
}

TEST_F(ArchiverEngineTest, FailingNewArchiveLeavesTheOldFileByteForByte) {
  MakeZip(target_, {{"OEBPS/ch_9.html", "from a longer book"}});
  const std::string old_bytes = ReadFile(target_);
  // The target itself stays writable, so the checks pass; its folder takes no new file.
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(temp_.path().string())), 0);
  archiver_.SetNewArchive(true);
  int32_t result = AddBook(target_);
  RunCommand("chattr -i " + ShellQuote(temp_.path().string()));

  EXPECT_NE(result, 0);
  ASSERT_EQ(Errors(ui_).size(), 1u);
  EXPECT_EQ(Errors(ui_)[0].rfind("critical DLL Error", 0), 0u) << Errors(ui_)[0];
  // The engine's own account of the failure follows on a line of its own.
  EXPECT_NE(Errors(ui_)[0].find('\n'), std::string::npos);
  EXPECT_EQ(archiver_.StoredCount(), 0);
  EXPECT_EQ(ReadFile(target_), old_bytes);
  EXPECT_EQ(StagedFileCount(), static_cast<int>(std::size(kStagedFiles)));
}

// Streams the staged files' names with `data` into `target` through the engine in
// `engine_dir`; returns BeginStream's verdict.
bool StreamBook(TArchiver& archiver, const fs::path& target, const std::string& engine_dir) {
  archiver.SetDLLDirectory(U16(engine_dir));
  archiver.SetNewArchive(true);
  archiver.SetAddOptions(kBookOptions & ~AddMove);
  archiver.SetZipFileName(U16(target.string()));
  archiver.SetAddCompLevel(9);
  if (!archiver.BeginStream()) return false;
  for (const char* name : kStagedFiles) {
    EXPECT_TRUE(archiver.StreamFile(
        name, std::string(name) == "mimetype" ? "application/epub+zip" : std::string(4000, 'x'),
        1700000000, 0644))
        << name;
  }
  return true;
}

TEST_F(ArchiverEngineTest, AStreamedAddWritesItsFilesOnlyWhenEndedWithCommit) {
  WriteFile(target_, "older book");
  ASSERT_TRUE(StreamBook(archiver_, target_, QF_REAL_ENGINE_DIR));
  EXPECT_TRUE(archiver_.Streaming());
  // The component is busy meanwhile; the target is as it was.
  archiver_.FSpecArgs().push_back(u"*.*");
  EXPECT_EQ(archiver_.Add(), -255);
  EXPECT_FALSE(archiver_.BeginStream());
  EXPECT_EQ(ReadFile(target_), "older book");

  EXPECT_EQ(archiver_.EndStream(true), 0);
  EXPECT_FALSE(archiver_.Streaming());
  EXPECT_EQ(archiver_.StoredCount(), static_cast<int32_t>(std::size(kStagedFiles)));
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty());
  std::string listing = PythonListing(target_);
  EXPECT_EQ(listing.substr(0, listing.find('\n')), "mimetype 0");
  EXPECT_EQ(Names(listing).count("OEBPS/"), 0u) << "no folder was handed over";
  EXPECT_EQ(archiver_.EntryNames().size(), std::size(kStagedFiles));

  // Ended without commit: nothing reaches the target, and the component is free again.
  ASSERT_TRUE(StreamBook(archiver_, temp_ / "dropped.epub", QF_REAL_ENGINE_DIR));
  EXPECT_EQ(archiver_.EndStream(false), 0);
  EXPECT_EQ(archiver_.StoredCount(), 0);
  EXPECT_FALSE(fs::exists(temp_ / "dropped.epub"));
  EXPECT_FALSE(archiver_.StreamFile("late.txt", "x", 0, 0644));
  EXPECT_EQ(AddBook(temp_ / "packed.epub"), 0);
}

TEST_F(ArchiverEngineTest, AStreamThatCannotBeOpenedSaysWhyAndLeavesNothingOpen) {
  const struct {
    const char* what;
    fs::path target;
    std::string engine_dir;
    int32_t code;
  } cases[] = {
      {"missing folder", temp_ / "missing" / "book.epub", QF_REAL_ENGINE_DIR, 10308},
      {"engine without streamed add", target_, std::string(QF_TEST_ENGINES_DIR) + "/v179", 10651},
  };
  for (const auto& failing : cases) {
    ui_.calls.clear();
    EXPECT_FALSE(StreamBook(archiver_, failing.target, failing.engine_dir)) << failing.what;
    EXPECT_FALSE(archiver_.Streaming()) << failing.what;
    EXPECT_EQ(archiver_.ErrCode(), failing.code) << failing.what;
    EXPECT_EQ(Errors(ui_).size(), 1u) << failing.what;
    EXPECT_FALSE(fs::exists(failing.target)) << failing.what;
  }
  EXPECT_EQ(AddBook(target_), 0) << "the component is free again";
}

TEST_F(ArchiverEngineTest, AStreamWhoseArchiveCannotBeWrittenKeepsTheOlderFile) {
  WriteFile(target_, "older book");
  ASSERT_TRUE(StreamBook(archiver_, target_, QF_REAL_ENGINE_DIR));
  // The target itself stays writable; its folder takes no new file.
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(temp_.path().string())), 0);
  archiver_.EndStream(true);
  RunCommand("chattr -i " + ShellQuote(temp_.path().string()));
  ASSERT_EQ(Errors(ui_).size(), 1u);
  EXPECT_EQ(Errors(ui_)[0].rfind("critical DLL Error", 0), 0u) << Errors(ui_)[0];
  EXPECT_EQ(archiver_.StoredCount(), 0);
  EXPECT_EQ(ReadFile(target_), "older book");
}

}  // namespace
}  // namespace quireforge
