// TArchiver driving test engines: the command record field by field, the checks of the
// add with their messages, the result mapping, the spec list kept after an add that ended
// in its checks, and the component's states (busy, inactive, loaded, unattended).
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "ArchiveTestSupport.h"
#include "archive/Archiver.h"

namespace quireforge {
namespace {

namespace fs = std::filesystem;
using test::EngineDir;
using test::EngineLog;
using test::Errors;
using test::Informations;
using test::RunCommand;
using test::ShellQuote;
using test::U16;
using test::WriteFile;

constexpr uint32_t kBookOptions = 2055;  // AddDirNames, AddRecurseDirs, AddMove, AddSeparateDirs
constexpr char kStoreList[] =
    ".gif:.png:.z:.zip:.zoo:.arc:.lzh:.arj:.taz:.tgz:.lha:.rar:.ace:.cab:.gz:.gzip:.jar:.exe:"
    ".jpg:.jpeg:.7zp:.mp3:.wmv:.wma:.dvr-ms:.avi";

class ArchiverTest : public ::testing::Test {
 protected:
  ArchiverTest() {
    fs::create_directories(stage_ / "OEBPS");
    WriteFile(stage_ / "mimetype", "application/epub+zip");
    WriteFile(stage_ / "OEBPS" / "ch_1.html", "<p>one</p>");
  }

  // The finisher's calling order, with the engine looked for in `dll_directory`.
  int32_t AddBook(const std::string& dll_directory, const fs::path& target) {
    archiver_.SetDLLDirectory(U16(dll_directory));
    archiver_.SetAddOptions(kBookOptions);
    archiver_.SetZipFileName(U16(target.string()));
    archiver_.SetRootDir(U16(stage_.string()));
    archiver_.FSpecArgs().push_back(u"*.*");
    archiver_.SetAddCompLevel(9);
    return archiver_.Add();
  }

  bool StagedFilesStay() const {
    return fs::exists(stage_ / "mimetype") && fs::exists(stage_ / "OEBPS" / "ch_1.html");
  }

  test::TempDir temp_;
  fs::path stage_ = temp_ / "stage";
  fs::path target_ = temp_ / "book.epub";
  EngineLog log_{temp_.path()};
  test::HookedUserInterface ui_;
  TArchiver archiver_{ui_};
};

TEST_F(ArchiverTest, CommandRecordCarriesTheBookRequest) {
  archiver_.SetDLLDirectory(U16(EngineDir("zero")));
  archiver_.SetAddOptions(kBookOptions);
  archiver_.SetZipFileName(U16(target_.string()));
  archiver_.SetRootDir(U16((stage_ / "." / "OEBPS" / "..").string()));
  archiver_.FSpecArgs().push_back(u"  *.*\t");
  archiver_.SetAddCompLevel(9);
  EXPECT_EQ(archiver_.Add(), 0);
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty());

  auto record = log_.LastCommand();
  const std::map<std::string, std::string> expected = {
      {"window", "(nil)"},
      {"callerSet", "1"},
      {"version", "179"},
      {"callbackSet", "1"},
      {"trace", "0"},
      {"password", "(null)"},
      {"storeSuffixes", kStoreList},
      {"encrypt", "0"},
      {"hiddenFiles", "0"},
      {"volume", "0"},
      {"reserved40", "0"},
      {"noSeparateDirs", "0"},
      {"fromDate", "0"},
      {"verbose", "0"},
      {"reserved56", "-1"},
      {"level", "9"},
      {"newArchive", "0"},
      {"reserved68", "0"},
      {"noDirNames", "0"},
      {"recurse", "-1"},
      {"reserved80", "0"},
      {"notSafe", "-1"},
      {"forceDos", "0"},
      {"move", "-1"},
      {"reserved96", "0"},
      {"update", "0"},
      {"freshen", "0"},
      {"reserved108", "0"},
      {"zipTime", "0"},
      {"fromDosDate", "0"},
      {"specCount", "1"},
      {"archivePath", target_.string()},
      {"tempDir", "(null)"},
      {"archiveComment", "(null)"},
      {"archiveOnly", "0"},
      {"resetArchive", "0"},
      {"spec0", "*.*|password=(null)|encrypt=0|recurse=65535|spare=(null)|reserved=0,0,0,0,0"},
      {"reserved148", "0"},
      {"excludeCount", "0"},
      {"streams", "0,(nil),0,0,(nil),0"},
      {"allowUndo", "-1"},
      {"codePage", "0"},
      {"reserved200", "0"},
      {"check", "179"},
      {"rootDir", stage_.string()},
      {"reserved212", "0,0"},
      {"endMarker", "7"},
  };
  EXPECT_EQ(record, expected);
  // The add reached the engine: its spec is consumed, and result 0 stores nothing.
  EXPECT_TRUE(archiver_.FSpecArgs().empty());
  EXPECT_EQ(archiver_.StoredCount(), 0);
}

TEST_F(ArchiverTest, OtherSettingsReachTheirFields) {
  // A relative RootDir counts from the current folder.
  struct WorkingFolder {
    fs::path old = fs::current_path();
    explicit WorkingFolder(const fs::path& folder) { fs::current_path(folder); }
    ~WorkingFolder() { fs::current_path(old); }
  } working_folder(temp_.path());
  archiver_.SetDLLDirectory(U16(EngineDir("zero")));
  archiver_.SetAddOptions(AddEncrypt | AddHiddenFiles | AddUpdate | AddFreshen | AddFromDate |
                          AddArchiveOnly | AddResetArchive | AddSafe | AddForceDOS | AddZipTime);
  archiver_.SetZipFileName(U16(target_.string()));
  archiver_.SetRootDir(u"stage");
  archiver_.FSpecArgs() = {u">*.txt", u"|*.doc<own", u"*.htm<", u" "};
  archiver_.FSpecArgsExcl() = {u"*.bak"};
  archiver_.SetPassword(u"secret");
  archiver_.SetTempDir(u"/var/tmp");
  archiver_.SetCodePage(CodePageOpts::cpOEM);
  archiver_.SetHowToDelete(TDeleteOpts::htdFinal);
  archiver_.SetAddStoreSuffixes(assGIF | assEXT | assAVI);
  archiver_.SetExtAddStoreSuffixes(u"TXT; .Doc,,epub");
  archiver_.SetAddFrom(1700000000);  // 2023-11-14
  archiver_.SetVerbose(true);
  archiver_.SetNewArchive(true);
  archiver_.SetAddCompLevel(3);
  EXPECT_EQ(archiver_.Add(), 0);

  auto record = log_.LastCommand();
  EXPECT_EQ(record["rootDir"], stage_.string());
  EXPECT_EQ(record["password"], "secret");
  EXPECT_EQ(record["encrypt"], "-1");
  EXPECT_EQ(record["hiddenFiles"], "-1");
  EXPECT_EQ(record["update"], "-1");
  EXPECT_EQ(record["freshen"], "0");  // AddUpdate wins
  EXPECT_EQ(record["fromDate"], "-1");
  EXPECT_NE(record["fromDosDate"], "0");
  EXPECT_EQ(record["archiveOnly"], "1");
  EXPECT_EQ(record["resetArchive"], "1");
  EXPECT_EQ(record["notSafe"], "0");
  EXPECT_EQ(record["noSeparateDirs"], "-1");
  EXPECT_EQ(record["noDirNames"], "-1");
  EXPECT_EQ(record["recurse"], "0");
  EXPECT_EQ(record["forceDos"], "-1");
  EXPECT_EQ(record["zipTime"], "-1");
  EXPECT_EQ(record["move"], "0");
  EXPECT_EQ(record["verbose"], "-1");
  EXPECT_EQ(record["newArchive"], "-1");
  EXPECT_EQ(record["level"], "3");
  EXPECT_EQ(record["tempDir"], "/var/tmp");
  EXPECT_EQ(record["codePage"], "2");
  EXPECT_EQ(record["allowUndo"], "0");
  EXPECT_EQ(record["storeSuffixes"], ".gif:.avi:.txt:.doc:.epub");
  EXPECT_EQ(record["excludeCount"], "1");
  EXPECT_EQ(record["exclude0"], "*.bak");
  EXPECT_EQ(record["specCount"], "4");
  EXPECT_EQ(record["spec0"],
            "*.txt|password=secret|encrypt=-1|recurse=65535|spare=(null)|reserved=0,0,0,0,0");
  EXPECT_EQ(record["spec1"],
            "*.doc|password=own|encrypt=65535|recurse=0|spare=(null)|reserved=0,0,0,0,0");
  EXPECT_EQ(record["spec2"],
            "*.htm|password=(null)|encrypt=0|recurse=0|spare=(null)|reserved=0,0,0,0,0");
  EXPECT_EQ(record["spec3"],
            "(null)|password=secret|encrypt=-1|recurse=0|spare=(null)|reserved=0,0,0,0,0");
}

TEST_F(ArchiverTest, EmptyExtraSuffixesDropTheirElement) {
  archiver_.SetAddStoreSuffixes(assZIP | assEXT);
  AddBook(EngineDir("zero"), target_);
  EXPECT_EQ(log_.LastCommand()["storeSuffixes"], ".zip");
  archiver_.SetAddStoreSuffixes(0);
  AddBook(EngineDir("zero"), target_);
  EXPECT_EQ(log_.LastCommand()["storeSuffixes"], "(null)");
}

TEST_F(ArchiverTest, NoZipFileName) {
  archiver_.SetDLLDirectory(U16(EngineDir("zero")));
  archiver_.SetAddOptions(kBookOptions);
  archiver_.FSpecArgs().push_back(u"*.*");
  EXPECT_EQ(archiver_.Add(), 10102);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Error - no zip file specified!"});
  EXPECT_EQ(log_.Count("exec"), 0);
}

TEST_F(ArchiverTest, EmptySpecListWithoutUpdateHasNothingToAdd) {
  archiver_.SetDLLDirectory(U16(EngineDir("zero")));
  archiver_.SetZipFileName(U16(target_.string()));
  EXPECT_EQ(archiver_.Add(), 10301);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Nothing to add - no file specs given"});

  archiver_.SetAddOptions(AddUpdate);
  EXPECT_EQ(archiver_.Add(), 0);
  auto record = log_.LastCommand();
  EXPECT_EQ(record["spec0"].substr(0, 4), "*.*|");
  EXPECT_EQ(record["update"], "0");
  EXPECT_EQ(record["freshen"], "-1");
}

TEST_F(ArchiverTest, MissingFolderIsNamedWithItsSeparatorAndNothingIsCreated) {
  fs::path target = temp_ / "missing" / "deeper" / "book.epub";
  EXPECT_EQ(AddBook(EngineDir("zero"), target), 10308);
  EXPECT_EQ(Errors(ui_),
            std::vector<std::string>{"Destination directory '" +
                                     (temp_ / "missing" / "deeper").string() + "/' must exist!"});
  EXPECT_FALSE(fs::exists(temp_ / "missing"));
  EXPECT_EQ(log_.Count("exec"), 0);
  EXPECT_TRUE(StagedFilesStay());
}

TEST_F(ArchiverTest, FolderCheckComesBeforeLoadingTheEngine) {
  fs::create_directory(temp_ / "no-engine");
  EXPECT_EQ(AddBook((temp_ / "no-engine").string(), temp_ / "missing" / "book.epub"), 10308);
}

TEST_F(ArchiverTest, ForcedDestinationCreatesTheFolder) {
  fs::path target = temp_ / "made" / "here" / "book.epub";
  archiver_.SetAddOptions(kBookOptions | AddForceDest);
  archiver_.SetDLLDirectory(U16(EngineDir("zero")));
  archiver_.SetZipFileName(U16(target.string()));
  archiver_.SetRootDir(U16(stage_.string()));
  archiver_.FSpecArgs().push_back(u"*.*");
  EXPECT_EQ(archiver_.Add(), 0);
  EXPECT_TRUE(fs::is_directory(temp_ / "made" / "here"));
  EXPECT_EQ(log_.Count("exec"), 1);
}

TEST_F(ArchiverTest, ReadOnlyTargetIsRefusedAndItsSpecCarriedTwiceNextTime) {
  test::MakeZip(target_, {{"old.txt", "old"}});
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(target_.string())), 0);
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 11051);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Cannot write to " + target_.string() +
                                                  " <1:Operation not permitted>"});
  EXPECT_EQ(log_.Count("exec"), 0);
  EXPECT_TRUE(StagedFilesStay());
  EXPECT_EQ(archiver_.FSpecArgs(), std::vector<std::u16string>{u"*.*"});
  ASSERT_EQ(RunCommand("chattr -i " + ShellQuote(target_.string())), 0);

  EXPECT_EQ(AddBook(EngineDir("zero"), temp_ / "second.epub"), 0);
  auto record = log_.LastCommand();
  EXPECT_EQ(record["specCount"], "2");
  EXPECT_EQ(record["spec0"].substr(0, 4), "*.*|");
  EXPECT_EQ(record["spec1"].substr(0, 4), "*.*|");
  EXPECT_TRUE(archiver_.FSpecArgs().empty());
}

TEST_F(ArchiverTest, NewTargetInAnUnwritableFolderIsRefusedWithoutTrace) {
  fs::path folder = temp_ / "locked";
  fs::create_directory(folder);
  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(folder.string())), 0);
  fs::path target = folder / "book.epub";
  EXPECT_EQ(AddBook(EngineDir("zero"), target), 11051);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Cannot write to " + target.string() +
                                                  " <1:Operation not permitted>"});
  RunCommand("chattr -i " + ShellQuote(folder.string()));
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(ArchiverTest, ProbeFileThatCannotBeRemovedIsReported) {
  // An append-only folder lets the probe create its file but not remove it.
  fs::path folder = temp_ / "append-only";
  fs::create_directory(folder);
  ASSERT_EQ(RunCommand("chattr +a " + ShellQuote(folder.string())), 0);
  fs::path target = folder / "book.epub";
  EXPECT_EQ(AddBook(EngineDir("zero"), target), 11051);
  RunCommand("chattr -a " + ShellQuote(folder.string()));
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Cannot write to " + target.string() +
                                                  " <1:Operation not permitted>"});
  EXPECT_EQ(log_.Count("exec"), 0);
}

TEST_F(ArchiverTest, FolderAsTargetCannotBeWritten) {
  fs::create_directory(target_);
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 11051);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Cannot write to " + target_.string() +
                                                  " <15:Is a directory>"});
}

TEST_F(ArchiverTest, NewArchiveReadsNothingOfTheFileItReplacesButChecksItsWritability) {
  WriteFile(target_, "plain text, no archive");
  archiver_.SetNewArchive(true);
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_EQ(ui_.CallsStartingWith("ShowArchive"), std::vector<std::string>());
  EXPECT_EQ(log_.Count("exec"), 1);

  ASSERT_EQ(RunCommand("chattr +i " + ShellQuote(target_.string())), 0);
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 11051);
  RunCommand("chattr -i " + ShellQuote(target_.string()));
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Cannot write to " + target_.string() +
                                                  " <1:Operation not permitted>"});
  EXPECT_EQ(log_.Count("exec"), 1);
}

TEST_F(ArchiverTest, ProbeOfAMissingTargetLeavesNothingBehind) {
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_FALSE(fs::exists(target_));
  EXPECT_EQ(log_.Count("exec"), 1);
}

TEST_F(ArchiverTest, NotAZipIsShownOnAssignmentAndTheAddStillRuns) {
  WriteFile(target_, "plain text, no archive");
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"This archive is not a valid Zip archive"});
  EXPECT_EQ(log_.Count("exec"), 1);
  EXPECT_EQ(log_.LastCommand()["archivePath"], target_.string());
}

TEST_F(ArchiverTest, NoEngineAnywhere) {
  fs::create_directory(temp_ / "empty");
  EXPECT_EQ(AddBook((temp_ / "empty").string(), target_), 10650);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Failed to load libqzengine.so"});
  EXPECT_TRUE(StagedFilesStay());
  EXPECT_EQ(archiver_.FSpecArgs(), std::vector<std::u16string>{u"*.*"});
}

TEST_F(ArchiverTest, EngineFileThatIsNoLibrary) {
  fs::create_directory(temp_ / "bad");
  WriteFile(temp_ / "bad" / "libqzengine.so",
            "\x7f"
            "ELF but not really");
  archiver_.SetDLLDirectory(U16((temp_ / "bad").string()));
  archiver_.SetAddOptions(kBookOptions);
  archiver_.SetZipFileName(U16(target_.string()));
  archiver_.SetRootDir(U16(stage_.string()));
  archiver_.FSpecArgs().push_back(u"*.*");
  EXPECT_EQ(archiver_.Add(), 10650);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Failed to load " + (temp_ / "bad").string() +
                                                  "/libqzengine.so"});
}

TEST_F(ArchiverTest, OldOrIncompleteEngines) {
  EXPECT_EQ(AddBook(EngineDir("v178"), target_), 10651);
  EXPECT_EQ(AddBook(EngineDir("v301"), target_), 10651);
  EXPECT_EQ(AddBook(EngineDir("no-path"), target_), 10651);
  EXPECT_EQ(
      Errors(ui_),
      (std::vector<std::string>{
          "Unable to load /opt/reported/libqzengine-178.so - It is old or corrupt",
          "Unable to load /opt/reported/libqzengine-301.so - It is old or corrupt",
          "Unable to load " + EngineDir("no-path") + "/libqzengine.so - It is old or corrupt"}));
  EXPECT_EQ(log_.Count("exec"), 0);
  EXPECT_FALSE(test::LibraryMapped(EngineDir("v178") + "/libqzengine.so"));
}

TEST_F(ArchiverTest, NegativeResultsShowTheirMessages) {
  const std::vector<std::tuple<std::string, int32_t, std::string>> cases = {
      {"minus1", 10120, "DLL Error - User Cancelled"},
      {"minus2", 10118, "DLL Error - Aborting"},
      {"minus3", 10123, "DLL Error - Exception in handler "},
      {"minus4", 10121, "DLL Error - Not enough memory"},
      {"minus5", 10122, "DLL Error - Invalid structure"},
      {"minus7", 10124, "critical DLL Error -7"},
      {"minus9", 10124, "critical DLL Error -9"},
  };
  for (const auto& [engine, code, text] : cases) {
    ui_.calls.clear();
    EXPECT_EQ(AddBook(EngineDir(engine), target_), code) << engine;
    EXPECT_EQ(Errors(ui_), std::vector<std::string>{text}) << engine;
    EXPECT_EQ(archiver_.Message(), text);
    EXPECT_EQ(archiver_.StoredCount(), 0);
    EXPECT_TRUE(archiver_.FSpecArgs().empty()) << engine;
    EXPECT_FALSE(test::LibraryMapped(EngineDir(engine) + "/libqzengine.so")) << engine;
  }
  EXPECT_EQ(log_.Count("exec"), static_cast<int>(cases.size()));
}

TEST_F(ArchiverTest, EngineMessageFollowsTheFailureOnANewLine) {
  EXPECT_EQ(AddBook(EngineDir("message-fail"), target_), 10124);
  EXPECT_EQ(Errors(ui_),
            std::vector<std::string>{"critical DLL Error -8\n"
                                     "Cannot create temporary file: No space left on device"});
}

TEST_F(ArchiverTest, EngineMessageAloneShowsNothing) {
  EXPECT_EQ(AddBook(EngineDir("message300"), target_), 44);
  EXPECT_EQ(archiver_.ErrCode(), 44);
  EXPECT_EQ(archiver_.FullErrCode(), 300);
  EXPECT_EQ(archiver_.Message(), "Engine note");
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty());
}

TEST_F(ArchiverTest, PositiveResultReadsTheNewDirectoryAndZeroDoesNot) {
  fs::path made = temp_ / "made.zip";
  test::MakeZip(made, {{"OEBPS/", ""}, {"OEBPS/ch_1.html", "x"}, {"mimetype", "m"}}, "note");
  setenv("QF_TEST_ENGINE_ZIP", made.c_str(), 1);
  EXPECT_EQ(AddBook(EngineDir("stored"), target_), 0);
  EXPECT_EQ(archiver_.StoredCount(), 3);
  EXPECT_EQ(archiver_.EntryNames(), (std::vector<std::u16string>{u"OEBPS/ch_1.html", u"mimetype"}));
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty());

  // The comment read from the existing archive goes back to the engine.
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_EQ(log_.LastCommand()["archiveComment"], "note");
  EXPECT_EQ(archiver_.StoredCount(), 0);

  // A result of 0 leaves the archive unread: no second complaint about a broken one.
  WriteFile(target_, "broken");
  ui_.calls.clear();
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_EQ(Errors(ui_).size(), 1u);

  // A positive result over an archive that is no ZIP shows the read's error.
  setenv("QF_TEST_ENGINE_ZIP", (stage_ / "mimetype").c_str(), 1);
  ui_.calls.clear();
  EXPECT_EQ(AddBook(EngineDir("stored"), temp_ / "other.epub"), 11036);
  EXPECT_EQ(archiver_.StoredCount(), 3);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"This archive is not a valid Zip archive"});
  unsetenv("QF_TEST_ENGINE_ZIP");
}

TEST_F(ArchiverTest, ARefusedAddNeverReportsThePreviousCount) {
  fs::path made = temp_ / "made.zip";
  test::MakeZip(made, {{"OEBPS/ch_1.html", "x"}, {"mimetype", "m"}, {"a", "a"}});
  setenv("QF_TEST_ENGINE_ZIP", made.c_str(), 1);
  ASSERT_EQ(AddBook(EngineDir("stored"), target_), 0);
  ASSERT_EQ(archiver_.StoredCount(), 3);

  // Refused while busy: a second add during the first (which reports progress).
  int32_t nested_result = 0;
  int32_t nested_count = -1;
  ui_.onProcessMessages = [&] {
    if (nested_count != -1) return;
    nested_result = archiver_.Add();
    nested_count = archiver_.StoredCount();
  };
  EXPECT_EQ(AddBook(EngineDir("stored-progress"), target_), 0);
  EXPECT_EQ(nested_result, -255);
  EXPECT_EQ(nested_count, 0);
  EXPECT_EQ(archiver_.StoredCount(), 3);  // the running add's own count
  ui_.onProcessMessages = nullptr;

  // Refused while inactive.
  archiver_.SetActive(false);
  EXPECT_EQ(archiver_.Add(), -255);
  EXPECT_EQ(archiver_.StoredCount(), 0);
  archiver_.SetActive(true);

  // Refused by a hand-over that cannot load the engine it is to hold.
  ASSERT_EQ(AddBook(EngineDir("stored"), target_), 0);
  ASSERT_EQ(archiver_.StoredCount(), 3);
  archiver_.SetDLLDirectory(U16((temp_ / "nothing").string()));
  archiver_.SetDllLoad(true);
  EXPECT_EQ(archiver_.Add(), 10650);
  EXPECT_EQ(archiver_.StoredCount(), 0);
  unsetenv("QF_TEST_ENGINE_ZIP");
}

TEST_F(ArchiverTest, EngineIsLoadedOnlyWhileTheAddRuns) {
  const std::string engine = EngineDir("zero") + "/libqzengine.so";
  bool mapped_during_add = false;
  ui_.onProcessMessages = [&] { mapped_during_add = test::LibraryMapped(engine); };
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_TRUE(mapped_during_add);
  EXPECT_FALSE(test::LibraryMapped(engine));
}

TEST_F(ArchiverTest, WaitCursorIsBalanced) {
  AddBook(EngineDir("zero"), target_);
  auto cursor = ui_.CallsStartingWith("SetWaitCursor");
  ASSERT_FALSE(cursor.empty());
  EXPECT_EQ(cursor.front(), "SetWaitCursor 1");
  EXPECT_EQ(cursor.back(), "SetWaitCursor 0");
  int depth = 0;
  for (const auto& call : cursor) {
    depth += call == "SetWaitCursor 1" ? 1 : -1;
    EXPECT_GE(depth, 0);
    EXPECT_LE(depth, 1);
  }
}

TEST_F(ArchiverTest, SecondOperationWhileBusyIsRefusedSilently) {
  std::vector<int32_t> nested;
  ui_.onProcessMessages = [&] {
    nested.push_back(archiver_.Add());
    archiver_.SetZipFileName(u"/elsewhere.epub");
  };
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  ASSERT_FALSE(nested.empty());
  for (int32_t result : nested) EXPECT_EQ(result, -255);
  EXPECT_EQ(archiver_.ZipFileName(), U16(target_.string()));
  EXPECT_EQ(log_.Count("exec"), 1);
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty());
}

TEST_F(ArchiverTest, AbortDuringTheAddReachesTheEngineWithItsKey) {
  ui_.onProcessMessages = [&] { archiver_.Abort(); };
  EXPECT_EQ(AddBook(EngineDir("key"), target_), 10120);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"DLL Error - User Cancelled"});
  EXPECT_EQ(log_.Count("abort 4242"), 1);
}

TEST_F(ArchiverTest, HandlerExceptionIsAppendedToTheError) {
  ui_.onProcessMessages = [] { throw std::runtime_error("boom"); };
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 10123);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"DLL Error - Exception in handler  #5 \"boom\""});
}

TEST_F(ArchiverTest, InactiveComponentRefusesAndReadsLater) {
  WriteFile(target_, "no archive");
  archiver_.SetActive(false);
  archiver_.SetZipFileName(U16(target_.string()));
  EXPECT_TRUE(ui_.calls.empty());
  archiver_.FSpecArgs().push_back(u"*.*");
  EXPECT_EQ(archiver_.Add(), -255);
  EXPECT_TRUE(ui_.calls.empty());
  EXPECT_EQ(archiver_.FSpecArgs(), std::vector<std::u16string>{u"*.*"});

  archiver_.SetActive(true);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"This archive is not a valid Zip archive"});
}

TEST_F(ArchiverTest, DeactivationDuringAnAddWaitsForItsEnd) {
  ui_.onProcessMessages = [&] { archiver_.SetActive(false); };
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_EQ(log_.Count("exec"), 1);
  EXPECT_FALSE(archiver_.Active());
  EXPECT_EQ(archiver_.Add(), -255);
}

TEST_F(ArchiverTest, DllLoadKeepsTheEngineBetweenAdds) {
  const std::string engine = EngineDir("zero") + "/libqzengine.so";
  archiver_.SetDLLDirectory(U16(EngineDir("zero")));
  archiver_.SetDllLoad(true);
  EXPECT_TRUE(test::LibraryMapped(engine));
  EXPECT_EQ(AddBook(EngineDir("zero"), target_), 0);
  EXPECT_TRUE(test::LibraryMapped(engine));
  archiver_.SetDllLoad(false);
  EXPECT_FALSE(test::LibraryMapped(engine));
}

TEST_F(ArchiverTest, DllLoadWithoutEngineFailsTheHandOver) {
  archiver_.SetDLLDirectory(U16((temp_ / "nothing").string()));
  archiver_.SetDllLoad(true);
  EXPECT_EQ(Errors(ui_), std::vector<std::string>{"Failed to load libqzengine.so"});
  archiver_.FSpecArgs().push_back(u"*.*");
  archiver_.SetZipFileName(U16(target_.string()));
  EXPECT_EQ(archiver_.Add(), 10650);
  EXPECT_EQ(log_.Count("exec"), 0);
}

TEST_F(ArchiverTest, UnattendedErrorsAreReturnedNotShown) {
  archiver_.SetUnattended(true);
  EXPECT_EQ(AddBook(EngineDir("minus4"), target_), 10121);
  EXPECT_EQ(archiver_.Message(), "DLL Error - Not enough memory");
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty());
}

}  // namespace
}  // namespace quireforge
