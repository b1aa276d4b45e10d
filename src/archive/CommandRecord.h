// CommandRecord builds the engine's command record of an add from the worker's copy of
// the settings and owns every text and array the record points to, so that all of them
// are released together when it is destroyed, whatever the command's outcome.
// Not copyable or movable (the record points into the object); one thread.
#ifndef QUIREFORGE_ARCHIVE_COMMANDRECORD_H_
#define QUIREFORGE_ARCHIVE_COMMANDRECORD_H_

#include <deque>
#include <string>
#include <vector>

#include "archive/ArchiveSettings.h"
#include "zipengine/ZipEngineApi.h"

namespace quireforge {

class CommandRecord {
 public:
  // `comment` is the archive comment read from the existing archive (raw bytes; empty for
  // none). The caller and callback fields are left empty for the binding to fill in.
  // Raises only std::bad_alloc.
  CommandRecord(const ArchiveSettings& settings, const std::string& comment);

  CommandRecord(const CommandRecord&) = delete;
  CommandRecord& operator=(const CommandRecord&) = delete;

  ZE_ZipCommand& Command() { return command_; }

  // The store list: each suffix of `suffixes` in declaration order with a leading "." and
  // separated by ":", then the normalised `extra` suffixes when assEXT is in the set.
  static std::string StoreList(uint32_t suffixes, const std::u16string& extra);

  // `extra` with a "." before each suffix, ",", ";" and ":" as ":", a final ":", lower case.
  static std::string NormaliseSuffixes(const std::u16string& extra);

 private:
  const char* Keep(const std::string& text);
  const char* KeepOrNull(const std::string& text);
  void AddSpec(const std::u16string& item, int32_t encrypt, int32_t recurse,
               const std::string& password);

  ZE_ZipCommand command_{};
  std::vector<ZE_SpecEntry> specs_;
  std::vector<const char*> excludes_;
  std::deque<std::string> texts_;  // stable addresses for the record's pointers
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_COMMANDRECORD_H_
