// The directory read that assigning ZipFileName performs: entries and comment of a sound
// archive, and each fault of the end record and central headers with its own message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "ArchiveTestSupport.h"
#include "archive/Archiver.h"

namespace quireforge {
namespace {

using test::Errors;
using test::Informations;
using test::MakeZip;
using test::ReadFile;
using test::U16;
using test::WriteFile;

void Put16(std::string& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

uint16_t Get16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                               (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

uint32_t Get32(const std::string& bytes, size_t at) {
  return Get16(bytes, at) | (static_cast<uint32_t>(Get16(bytes, at + 2)) << 16);
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  Put16(bytes, at, static_cast<uint16_t>(value & 0xFFFF));
  Put16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

void Put64(std::string& bytes, size_t at, uint64_t value) {
  Put32(bytes, at, static_cast<uint32_t>(value & 0xFFFFFFFF));
  Put32(bytes, at + 4, static_cast<uint32_t>(value >> 32));
}

// `zip` (whose end record is its last 22 bytes) in the form an archive of more than 65,535
// entries has: a zip64 end record and its locator between the central directory and the
// end record, whose count, size and offset fields then say "see the zip64 record".
std::string WithZip64EndRecords(const std::string& zip) {
  const size_t end = zip.size() - 22;
  const uint16_t count = Get16(zip, end + 10);
  const uint32_t size = Get32(zip, end + 12);
  const uint32_t offset = Get32(zip, end + 16);
  std::string record(56, '\0');
  Put32(record, 0, 0x06064B50);
  Put64(record, 4, 44);  // the size of the rest of the record
  Put16(record, 12, 45);
  Put16(record, 14, 45);
  Put64(record, 24, count);
  Put64(record, 32, count);
  Put64(record, 40, size);
  Put64(record, 48, offset);
  std::string locator(20, '\0');
  Put32(locator, 0, 0x07064B50);
  Put64(locator, 8, end);  // where the record starts
  Put32(locator, 16, 1);
  std::string end_record = zip.substr(end);
  Put16(end_record, 8, 0xFFFF);
  Put16(end_record, 10, 0xFFFF);
  Put32(end_record, 12, 0xFFFFFFFF);
  Put32(end_record, 16, 0xFFFFFFFF);
  return zip.substr(0, end) + record + locator + end_record;
}

class ArchiveDirectoryTest : public ::testing::Test {
 protected:
  // A sound archive of three files and one folder, without comment; returns its bytes.
  std::string MakeThreeFileZip() {
    MakeZip(target_, {{"META-INF/container.xml", "<container/>"},
                      {"OEBPS/", ""},
                      {"OEBPS/ch_1.html", "<p>one</p>"},
                      {"mimetype", "application/epub+zip"}});
    return ReadFile(target_);
  }

  // Rewrites the archive with `patch` applied; the end record is the last 22 bytes.
  template <typename Patch>
  void Rewrite(Patch patch) {
    std::string bytes = ReadFile(target_);
    patch(bytes, bytes.size() - 22);
    WriteFile(target_, bytes);
  }

  void Assign() { archiver_.SetZipFileName(U16(target_.string())); }

  test::TempDir temp_;
  test::RecordingUserInterface ui_;
  TArchiver archiver_{ui_};
  std::filesystem::path target_ = temp_ / "book.epub";
};

TEST_F(ArchiveDirectoryTest, MissingTargetIsNoError) {
  Assign();
  EXPECT_TRUE(ui_.calls.empty());
  EXPECT_TRUE(archiver_.EntryNames().empty());
  EXPECT_EQ(archiver_.ErrCode(), 0);
}

TEST_F(ArchiveDirectoryTest, ListsFilesWithoutFoldersAndKeepsTheComment) {
  MakeZip(
      target_,
      {{"OEBPS/", ""}, {"OEBPS/第一章.html", "<p>一</p>"}, {"mimetype", "application/epub+zip"}},
      "made for a test");
  Assign();
  EXPECT_TRUE(ui_.calls.empty());
  EXPECT_EQ(archiver_.EntryNames(),
            (std::vector<std::u16string>{U16("OEBPS/第一章.html"), u"mimetype"}));
  EXPECT_EQ(archiver_.ZipComment(), "made for a test");
  EXPECT_EQ(archiver_.ErrCode(), 0);
}

TEST_F(ArchiveDirectoryTest, FileWithoutEndRecordIsNotAZip) {
  WriteFile(target_, std::string(5000, 'x'));
  Assign();
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"This archive is not a valid Zip archive"});
  EXPECT_EQ(archiver_.ErrCode(), 11036);

  WriteFile(target_, "");
  Assign();
  EXPECT_EQ(Errors(ui_).size(), 2u);
  EXPECT_EQ(archiver_.ErrCode(), 11036);
}

TEST_F(ArchiveDirectoryTest, ArchiveCutShortInItsDirectoryIsNotAZip) {
  std::string bytes = MakeThreeFileZip();
  WriteFile(target_, bytes.substr(0, bytes.size() - 40));
  Assign();
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"This archive is not a valid Zip archive"});
}

TEST_F(ArchiveDirectoryTest, FolderInPlaceOfTheArchiveCannotBeOpened) {
  std::filesystem::create_directory(target_);
  Assign();
  EXPECT_EQ(Informations(ui_), std::vector<std::string>{"Zip file could not be opened"});
  EXPECT_TRUE(Errors(ui_).empty());
}

TEST_F(ArchiveDirectoryTest, TargetBelowAFileIsNoArchiveAndNoError) {
  const std::filesystem::path blocker = target_.parent_path() / "plain-file";
  WriteFile(blocker, "not a folder");
  archiver_.SetZipFileName(U16((blocker / "book.epub").string()));
  EXPECT_EQ(Informations(ui_), std::vector<std::string>{});
  EXPECT_TRUE(Errors(ui_).empty());
  EXPECT_TRUE(archiver_.EntryNames().empty());
}

TEST_F(ArchiveDirectoryTest, DataBeforeTheArchiveWarnsAndReadsOn) {
  std::string bytes = MakeThreeFileZip();
  WriteFile(target_, std::string(100, 'S') + bytes);
  Assign();
  EXPECT_EQ(Informations(ui_), std::vector<std::string>{"Warning - Error in zip structure!"});
  EXPECT_TRUE(Errors(ui_).empty());
  EXPECT_EQ(archiver_.EntryNames().size(), 3u);
}

TEST_F(ArchiveDirectoryTest, WrongCentralSignature) {
  MakeThreeFileZip();
  Rewrite([](std::string& bytes, size_t end) {
    size_t start = end - Get32(bytes, end + 12);
    bytes[start] = 'X';
  });
  Assign();
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"A central header signature is wrong"});
  EXPECT_EQ(archiver_.ErrCode(), 11015);
}

TEST_F(ArchiveDirectoryTest, DirectorySizeTooLargeWarnsThenFindsNoHeader) {
  MakeThreeFileZip();
  Rewrite(
      [](std::string& bytes, size_t end) { Put32(bytes, end + 12, Get32(bytes, end + 12) + 10); });
  Assign();
  EXPECT_EQ(ui_.calls,
            (std::vector<std::string>{"ShowArchiveInformation Warning - Error in zip structure!",
                                      "ShowArchiveError A central header signature is wrong"}));
}

TEST_F(ArchiveDirectoryTest, DirectoryStartingBeforeTheFileIsASeekError) {
  MakeThreeFileZip();
  Rewrite([](std::string& bytes, size_t end) { Put32(bytes, end + 12, 0x7FFFFFFF); });
  Assign();
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Seek error reading Zip archive!"});
  EXPECT_EQ(archiver_.ErrCode(), 10201);
}

TEST_F(ArchiveDirectoryTest, OneEntryTooManyRunsIntoTheEndRecord) {
  MakeThreeFileZip();
  Rewrite([](std::string& bytes, size_t end) {
    Put16(bytes, end + 8, Get16(bytes, end + 8) + 1);
    Put16(bytes, end + 10, Get16(bytes, end + 10) + 1);
  });
  Assign();
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Error while reading a central header"});
  EXPECT_EQ(archiver_.ErrCode(), 11013);
  EXPECT_EQ(archiver_.EntryNames().size(), 3u);  // what was read stays
}

TEST_F(ArchiveDirectoryTest, OneEntryTooFewFindsNoEndRecord) {
  MakeThreeFileZip();
  Rewrite([](std::string& bytes, size_t end) {
    Put16(bytes, end + 8, Get16(bytes, end + 8) - 1);
    Put16(bytes, end + 10, Get16(bytes, end + 10) - 1);
  });
  Assign();
  EXPECT_EQ(Errors(ui_),
            std::vector<std::string>{"Error while reading the End Of Central Directory"});
  EXPECT_EQ(archiver_.ErrCode(), 11011);
  EXPECT_EQ(archiver_.EntryNames().size(), 2u);
}

TEST_F(ArchiveDirectoryTest, NamesOf260BytesAreRefused) {
  MakeZip(target_, {{std::string(259, 'a'), "fine"}});
  Assign();
  EXPECT_TRUE(ui_.calls.empty());
  EXPECT_EQ(archiver_.EntryNames().size(), 1u);

  MakeZip(target_, {{std::string(260, 'a'), "too long"}});
  Assign();
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Error while reading a central file name"});
  EXPECT_EQ(archiver_.ErrCode(), 11017);
}

TEST_F(ArchiveDirectoryTest, Zip64EndRecordsGiveTheCountSizeAndPlaceOfTheDirectory) {
  WriteFile(target_, WithZip64EndRecords(MakeThreeFileZip()));
  // The form is right: independent readers take it.
  EXPECT_EQ(test::RunCommand("unzip -tq " + test::ShellQuote(target_.string())), 0);
  EXPECT_EQ(test::RunCommand("7z t " + test::ShellQuote(target_.string())), 0);
  Assign();
  EXPECT_TRUE(ui_.calls.empty()) << ::testing::PrintToString(ui_.calls);
  EXPECT_EQ(archiver_.EntryNames(), (std::vector<std::u16string>{u"META-INF/container.xml",
                                                                 u"OEBPS/ch_1.html", u"mimetype"}));
  EXPECT_EQ(archiver_.ErrCode(), 0);
}

TEST_F(ArchiveDirectoryTest, DataBeforeAZip64ArchiveWarnsAndReadsOn) {
  WriteFile(target_, std::string(100, 'S') + WithZip64EndRecords(MakeThreeFileZip()));
  Assign();
  EXPECT_EQ(Informations(ui_), std::vector<std::string>{"Warning - Error in zip structure!"});
  EXPECT_TRUE(Errors(ui_).empty());
  EXPECT_EQ(archiver_.EntryNames().size(), 3u);
}

TEST_F(ArchiveDirectoryTest, Zip64RecordsThatDoNotHoldTogether) {
  const std::string zip64 = WithZip64EndRecords(MakeThreeFileZip());
  const size_t record = zip64.size() - 22 - 20 - 56;
  // A locator without its record: no valid end record.
  std::string broken = zip64;
  broken[record] = 'X';
  WriteFile(target_, broken);
  Assign();
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"This archive is not a valid Zip archive"});
  EXPECT_EQ(archiver_.ErrCode(), 11036);
  // One entry too few: the zip64 record is not where the directory ends.
  broken = zip64;
  Put64(broken, record + 24, 3);
  Put64(broken, record + 32, 3);
  WriteFile(target_, broken);
  Assign();
  EXPECT_EQ(Errors(ui_).back(), "Error while reading the End Of Central Directory");
  EXPECT_EQ(archiver_.ErrCode(), 11011);
  EXPECT_EQ(archiver_.EntryNames().size(), 2u);
}

TEST_F(ArchiveDirectoryTest, APipeInPlaceOfTheArchiveIsNotWaitedFor) {
  ASSERT_EQ(mkfifo(target_.c_str(), 0644), 0);
  // Opening a pipe for reading waits for a writer unless it is opened without blocking: the
  // read runs in a child process with a deadline, which answers 0 when all went as expected.
  const int outcome = test::RunInChildWithin(30, [&] {
    Assign();
    const bool as_expected =
        Informations(ui_) == std::vector<std::string>{"Zip file could not be opened"} &&
        Errors(ui_).empty();
    return as_expected ? 0 : 1;
  });
  EXPECT_EQ(outcome, 0);
}

}  // namespace
}  // namespace quireforge
