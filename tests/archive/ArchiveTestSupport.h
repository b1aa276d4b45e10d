// Helpers for the archive component's tests: where the test engines live, the log the
// test engines write, ZIP files made by Python's zipfile, and a recording user interface
// that can act while the component pumps messages.
#ifndef QUIREFORGE_TESTS_ARCHIVE_ARCHIVETESTSUPPORT_H_
#define QUIREFORGE_TESTS_ARCHIVE_ARCHIVETESTSUPPORT_H_

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace quireforge::test {

// The folder holding the test engine `name` (a libqzengine.so of its own).
std::string EngineDir(const std::string& name);

// Points QF_TEST_ENGINE_LOG at a file in `folder` while it lives; the test engines append
// what they receive to it.
class EngineLog {
 public:
  explicit EngineLog(const std::filesystem::path& folder);
  ~EngineLog();
  EngineLog(const EngineLog&) = delete;
  EngineLog& operator=(const EngineLog&) = delete;

  std::vector<std::string> Lines() const;
  // How many lines equal `line`.
  int Count(const std::string& line) const;
  // The fields ("name=value") of the last command record the engine received.
  std::map<std::string, std::string> LastCommand() const;

 private:
  std::filesystem::path path_;
};

// Writes a ZIP archive with Python's zipfile: `files` maps entry names to contents (a name
// ending in "/" makes a directory entry), deflated, with `comment` as archive comment.
void MakeZip(const std::filesystem::path& path, const std::map<std::string, std::string>& files,
             const std::string& comment = "");

// True while a library at `path` is mapped into this process.
bool LibraryMapped(const std::string& path);

// Shorthand for the texts of the error and information dialogs shown so far.
std::vector<std::string> Errors(const RecordingUserInterface& ui);
std::vector<std::string> Informations(const RecordingUserInterface& ui);

// Records like RecordingUserInterface and runs `onProcessMessages` (when set) each time
// the component pumps messages.
class HookedUserInterface : public RecordingUserInterface {
 public:
  void ProcessMessages() override {
    RecordingUserInterface::ProcessMessages();
    if (onProcessMessages) onProcessMessages();
  }
  std::function<void()> onProcessMessages;
};

}  // namespace quireforge::test

#endif  // QUIREFORGE_TESTS_ARCHIVE_ARCHIVETESTSUPPORT_H_
