// What the conversion tests share: a job's surroundings in a private temporary folder
// (staging root, recording user interface, code page, a stand-in chapter-head test), the
// exact bytes staged documents must have, and checks on staged files.
#ifndef QUIREFORGE_TESTS_CONVERSION_CONVERSIONTESTSUPPORT_H_
#define QUIREFORGE_TESTS_CONVERSION_CONVERSIONTESTSUPPORT_H_

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"
#include "conversion/ConvertFile.h"
#include "conversion/JobParameters.h"
#include "conversion/LegacyCodePage.h"

namespace quireforge::test {

// Stand-in for the chapter-head rule: a line holding 第, then at most ten numerals or
// spaces, then 章 or 回.
bool StandInChapterHead(std::u16string_view line);

// A TempDir with a created staging root and everything a job needs around it.
class JobBench {
 public:
  explicit JobBench(const std::string& code_page = "windows-1252");

  const std::filesystem::path& dir() const { return temp_.path(); }
  std::filesystem::path staging_root() const { return temp_.path() / "QuireforgeTmp"; }

  // Writes `bytes` to a file named `name` in the folder and returns its path as UTF-16.
  std::u16string Source(const std::string& name, const std::string& bytes) const;

  // Parameters with one or more sources, title "Book", author "Author", the classic book's
  // options (ClassicOptions: language "en", no drawn cover, the device-font line).
  JobParameters Parameters(std::vector<std::u16string> sources) const;
  std::unique_ptr<TConvertFile> Build(const JobParameters& parameters);

  RecordingUserInterface ui;
  JobEnvironment environment;

 private:
  TempDir temp_;
  std::unique_ptr<LegacyCodePage> code_page_;
};

// The staging directory of `job`, and a file in it.
std::filesystem::path StagingDir(const TConvertFile& job);
std::string Staged(const TConvertFile& job, const std::string& relative);

// Every file below `dir`, relative and sorted ("OEBPS/book.opf", ...).
std::vector<std::string> FilesBelow(const std::filesystem::path& dir);

// Lines each followed by CR LF, with the UTF-8 mark in front when `mark` is set.
std::string CrLfLines(const std::vector<std::string>& lines, bool mark);

// The exact bytes of page `number` holding `paragraphs` (each given as written).
std::string PageBytes(int number, const std::vector<std::string>& paragraphs);

// The exact bytes of book.opf for `identifier` with pages 1..pages (no font).
std::string PackageBytes(const std::string& title, const std::string& author,
                         const std::string& identifier, int pages);

// Empty when python3's XML parser accepts the file, its complaint otherwise.
std::string XmlProblems(const std::filesystem::path& file);

// Runs `action` in a child process as the user nobody; returns what the child reported:
// "ok" or the text of the exception it caught.
std::string RunAsNobody(const std::function<void()>& action);

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_CONVERSION_CONVERSIONTESTSUPPORT_H_
