// A conversion job's surroundings for the finishing tests: a private temporary folder with
// a staging root, the real chapter-head rule, a recording user interface, and the archive
// component that packs with the real engine found beside the test program.
#ifndef QUIREFORGE_TESTS_CLI_FINISHBENCH_H_
#define QUIREFORGE_TESTS_CLI_FINISHBENCH_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archiver.h"
#include "chapterhead/ChapterHeadRule.h"
#include "conversion/ConvertFile.h"
#include "conversion/JobParameters.h"
#include "conversion/LegacyCodePage.h"

namespace quireforge::test {

class FinishBench {
 public:
  explicit FinishBench(const std::string& code_page = "windows-1252");

  const std::filesystem::path& dir() const { return temp_.path(); }
  std::filesystem::path staging_root() const { return temp_.path() / "QuireforgeTmp"; }
  std::filesystem::path target() const { return temp_.path() / "book.epub"; }

  // Writes `bytes` to `name` in the folder; returns the path as UTF-16.
  std::u16string Source(const std::string& name, const std::string& bytes) const;
  // Sources, target book.epub, title "Book", author "Author", chapters detected.
  JobParameters Parameters(std::vector<std::u16string> sources) const;
  std::unique_ptr<TConvertFile> Build(const JobParameters& parameters);
  // Jobs built from now on stage in `root`, which must exist.
  void UseStagingRoot(const std::filesystem::path& root);

  RecordingUserInterface ui;
  TArchiver archiver;

 private:
  TempDir temp_;
  LegacyCodePage code_page_;
  ChapterHeadRule rule_;
  JobEnvironment environment_;
};

// The staging directory of `job`.
std::filesystem::path StagingOf(const TConvertFile& job);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_CLI_FINISHBENCH_H_
