// The engine binding with real test engines loaded by dlopen: the search, the version
// check, the load-reason mask, callbacks, the operation key and the result mapping.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "ArchiveTestSupport.h"
#include "archive/ArchiverError.h"
#include "archive/EngineBinding.h"
#include "archive/EngineLocator.h"

namespace quireforge {
namespace {

using test::EngineDir;
using test::EngineLog;
using test::LibraryMapped;

std::string EngineFile(const std::string& name) { return EngineDir(name) + "/libqzengine.so"; }

// Loads for `reason` and returns the error raised, or fails the test.
EArchiver LoadError(TEngineBinding& binding) {
  try {
    binding.LoadFor(TEngineBinding::kReasonOperation);
  } catch (const EArchiver& error) {
    return error;
  }
  ADD_FAILURE() << "the engine was accepted";
  return EArchiver(0, "");
}

class EngineBindingTest : public ::testing::Test {
 protected:
  test::TempDir temp_;
  test::HookedUserInterface ui_;
  TEngineBinding binding_{ui_};
};

TEST_F(EngineBindingTest, LoadsAndUnloadsWithItsReasons) {
  EXPECT_EQ(binding_.LibraryPath(), "libqzengine.so");
  binding_.SetDLLDirectory(EngineDir("zero") + "//");
  EXPECT_EQ(binding_.DLLDirectory(), EngineDir("zero"));

  EXPECT_EQ(binding_.LoadFor(TEngineBinding::kReasonOperation), 192);
  EXPECT_TRUE(binding_.Loaded());
  EXPECT_EQ(binding_.PrivVersion(), 1920001);
  EXPECT_EQ(binding_.LibraryPath(), EngineFile("zero"));
  EXPECT_TRUE(LibraryMapped(EngineFile("zero")));
  EXPECT_EQ(ui_.calls, (std::vector<std::string>{"SetWaitCursor 1", "SetWaitCursor 0"}));

  binding_.LoadFor(TEngineBinding::kReasonCommand);
  EXPECT_EQ(binding_.LoadReasons(), 3u);
  binding_.Release(TEngineBinding::kReasonCommand);
  EXPECT_TRUE(binding_.Loaded());
  EXPECT_EQ(binding_.Release(TEngineBinding::kReasonOperation), 0);
  EXPECT_FALSE(binding_.Loaded());
  EXPECT_EQ(binding_.LoadReasons(), 0u);
  EXPECT_EQ(binding_.Version(), 0);
  EXPECT_EQ(binding_.LibraryPath(), "");
  EXPECT_FALSE(LibraryMapped(EngineFile("zero")));
}

TEST_F(EngineBindingTest, DllLoadHoldsTheLibraryUntilSwitchedOff) {
  binding_.SetDLLDirectory(EngineDir("zero"));
  binding_.ApplyDllLoad(true);
  binding_.LoadForOperation();
  binding_.Release(TEngineBinding::kReasonOperation);
  EXPECT_TRUE(binding_.Loaded());
  binding_.ApplyDllLoad(false);
  EXPECT_FALSE(binding_.Loaded());
}

TEST_F(EngineBindingTest, AcceptsVersions179To300) {
  for (const char* name : {"v179", "v300"}) {
    binding_.SetDLLDirectory(EngineDir(name));
    EXPECT_NO_THROW(binding_.LoadForOperation()) << name;
    binding_.Release(TEngineBinding::kReasonOperation);
  }
}

TEST_F(EngineBindingTest, MissingEntryPointNamesThePathTried) {
  for (const char* name : {"no-path", "no-unzexec"}) {
    binding_.SetDLLDirectory(EngineDir(name));
    EArchiver error = LoadError(binding_);
    EXPECT_EQ(error.Code(), 10651);
    EXPECT_EQ(std::string(error.what()),
              "Unable to load " + EngineFile(name) + " - It is old or corrupt");
    EXPECT_FALSE(LibraryMapped(EngineFile(name)));
  }
}

TEST_F(EngineBindingTest, DotDirectoryCountsFromTheProgramsFolder) {
  std::filesystem::path relative =
      std::filesystem::path(EngineDir("v300")).lexically_relative(ProgramFolder());
  binding_.SetDLLDirectory("./" + relative.string());
  EXPECT_EQ(binding_.LoadFor(TEngineBinding::kReasonOperation), 300);
  EXPECT_EQ(ChooseEnginePath("./" + relative.string()),
            ProgramFolder() + "/./" + relative.string() + "/libqzengine.so");
}

// A program in a build folder finds the engine beside itself; an installed one (bin/) finds it
// in the library directory's private folder, named without "..".
TEST_F(EngineBindingTest, TheEngineIsFoundBesideTheProgramOrInTheInstalledLayout) {
  namespace fs = std::filesystem;
  const fs::path bin = temp_.path() / "usr/bin";
  const fs::path installed =
      (bin / EngineFolderFromProgram() / "libqzengine.so").lexically_normal();
  const fs::path beside = bin / "libqzengine.so";
  fs::create_directories(installed.parent_path());
  fs::create_directories(bin);
  EXPECT_EQ(ChooseEnginePath("", bin.string()), "libqzengine.so");  // none there yet

  fs::copy_file(EngineFile("v300"), installed);
  EXPECT_EQ(ChooseEnginePath("", bin.string()), installed.string());
  EXPECT_EQ(installed.string().find(".."), std::string::npos);
  EXPECT_EQ(installed.parent_path().filename(), "quireforge");

  fs::copy_file(EngineFile("v179"), beside);
  EXPECT_EQ(ChooseEnginePath("", bin.string()), beside.string());
  EXPECT_EQ(ChooseEnginePath(EngineDir("zero"), bin.string()), EngineFile("zero"));
}

TEST_F(EngineBindingTest, CallbacksUpdateProgressAndPumpMessages) {
  binding_.SetDLLDirectory(EngineDir("zero"));
  binding_.LoadForOperation();
  ZE_ZipCommand command{};
  EXPECT_EQ(binding_.Execute(command), 0);
  const ProgressDetails& progress = binding_.Progress();
  EXPECT_EQ(progress.totalCount, 2);
  EXPECT_EQ(progress.totalSize, 300);
  EXPECT_EQ(progress.totalPosition, 250);
  EXPECT_EQ(progress.itemName, "*Finalising");
  EXPECT_EQ(progress.itemSize, 40);
  EXPECT_EQ(progress.itemPosition, 20);
  EXPECT_EQ(ui_.CallsStartingWith("ProcessMessages").size(), 8u);
  EXPECT_TRUE(binding_.Loaded());  // the operation still holds it
  EXPECT_EQ(binding_.LoadReasons(), TEngineBinding::kReasonOperation);
}

TEST_F(EngineBindingTest, AbortPassesTheAnnouncedKeyWhichIsZeroAfterTheCommand) {
  EngineLog log(temp_.path());
  binding_.SetDLLDirectory(EngineDir("key"));
  binding_.LoadForOperation();
  ui_.onProcessMessages = [&] {
    EXPECT_EQ(binding_.OperationKey(), 4242);
    if (!binding_.Cancelled()) binding_.Abort();
  };
  ZE_ZipCommand command{};
  try {
    binding_.Execute(command);
    ADD_FAILURE() << "the cancelled command succeeded";
  } catch (const EArchiver& error) {
    EXPECT_EQ(error.Code(), 10120);
    EXPECT_STREQ(error.what(), "DLL Error - User Cancelled");
  }
  EXPECT_EQ(log.Count("abort 4242"), 1);
  EXPECT_EQ(binding_.OperationKey(), 0);
  EXPECT_FALSE(binding_.Cancelled());
  // Kind 18 is answered at once: the one pump came from the first progress report.
  EXPECT_EQ(ui_.CallsStartingWith("ProcessMessages").size(), 1u);

  ui_.onProcessMessages = nullptr;
  binding_.Abort();
  EXPECT_EQ(log.Count("abort 0"), 1);
}

TEST_F(EngineBindingTest, DestroyingALoadedBindingAbortsAndUnloads) {
  EngineLog log(temp_.path());
  {
    TEngineBinding binding(ui_);
    binding.SetDLLDirectory(EngineDir("key"));
    binding.LoadFor(TEngineBinding::kReasonDllLoad);
  }
  EXPECT_EQ(log.Count("abort 0"), 1);
  EXPECT_FALSE(LibraryMapped(EngineFile("key")));
}

TEST_F(EngineBindingTest, SkippedFileCommentAndExtraDataAreAnswered) {
  EngineLog log(temp_.path());
  binding_.SetDLLDirectory(EngineDir("questions"));
  binding_.LoadForOperation();
  ZE_ZipCommand command{};
  EXPECT_EQ(binding_.Execute(command), 0);
  // A skipped file sets the last error code to its code; nothing is shown.
  EXPECT_EQ(binding_.ErrCode(), 7);
  EXPECT_EQ(binding_.FullErrCode(), 7);
  EXPECT_TRUE(ui_.CallsStartingWith("ShowArchive").empty());
  // The comment comes back unchanged as far as the 511-byte buffer holds whole characters,
  // with its length; extra data is kept as it is. Both are answered with -1.
  std::string comment;
  for (int i = 0; i < 170; ++i) comment += "注";
  EXPECT_EQ(log.Count("answer11=11 len=7 text="), 1);
  EXPECT_EQ(log.Count("answer12=-1 len=510 text=" + comment), 1);
  EXPECT_EQ(log.Count("answer14=-1 len=8 text="), 1);
  EXPECT_EQ(ui_.CallsStartingWith("ProcessMessages").size(), 3u);
}

TEST_F(EngineBindingTest, HandlerExceptionIsRememberedAndStopsTheEngine) {
  binding_.SetDLLDirectory(EngineDir("zero"));
  binding_.LoadForOperation();
  ui_.onProcessMessages = [] { throw std::runtime_error("boom"); };
  ZE_ZipCommand command{};
  try {
    binding_.Execute(command);
    ADD_FAILURE() << "the failed command succeeded";
  } catch (const EArchiver& error) {
    EXPECT_EQ(error.Code(), 10123);
  }
  EXPECT_EQ(binding_.HandlerError(), " #5 \"boom\"");
  EXPECT_EQ(ui_.CallsStartingWith("ProcessMessages").size(), 1u);
}

}  // namespace
}  // namespace quireforge
