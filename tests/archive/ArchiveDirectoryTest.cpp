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
