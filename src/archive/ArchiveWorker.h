// TArchiveWorker carries out the component's operations on its own copy of the settings:
// the add (checks, command record, engine run, clean-up), the streamed add and the directory
// read. It reports every failure itself and never raises. Owned by TArchiver; one thread; not
// copyable.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVEWORKER_H_
#define QUIREFORGE_ARCHIVE_ARCHIVEWORKER_H_

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "archive/ArchiveDirectory.h"
#include "archive/ArchiveSettings.h"
#include "archive/EngineBinding.h"

namespace quireforge {

class TArchiveWorker : public TEngineBinding {
 public:
  explicit TArchiveWorker(UserInterface& ui);
  ~TArchiveWorker() override;

  // Takes a copy of `settings` for the next operation and clears the last error code.
  // An empty ExtAddStoreSuffixes drops assEXT from the copy; the DLL directory loses its
  // trailing separators.
  void TakeSettings(const ArchiveSettings& settings);
  const ArchiveSettings& Settings() const { return settings_; }

  // An inactive worker leaves directory reads pending; activating runs a pending one.
  bool Active() const { return active_; }
  void Activate();
  void Deactivate() { active_ = false; }

  // Stores the archive name and reads its directory; with NewArchive set the file it will
  // replace is not read at all.
  void SetZipFileName(const std::u16string& path);

  // Marks the directory read as pending, to run when the worker is next activated.
  void MarkReadPending() { read_pending_ = true; }

  // The add: checks 1-9, then the engine run with the command record built from the
  // settings, then the clean-up and, after a positive result, a fresh directory read.
  // Failures are reported (error or information dialog) and leave the last error code
  // set; staged files stay where the add ended before the engine. Does nothing while an
  // add is already in progress.
  void Add();

  // The streamed add: the add's checks (but for the file specs, which a stream has none of),
  // then a stream opened for the archive name. Returns true when it is open. A failure is
  // reported as the add reports it and leaves nothing open.
  bool BeginStream();
  // Hands one file (or, for a name ending in "/", a folder) to the open stream. Returns false
  // when the stream failed, now (reported) or before (not reported again).
  bool StreamEntry(const std::string& name, std::string_view data, std::time_t mtime,
                   uint32_t mode);
  // Closes the stream: with `commit` the archive is written and put in place (a failure is
  // reported, unless the stream had failed before), without it everything is dropped. Then as
  // after an add: the engine released and, when files were stored, the directory read.
  void EndStream(bool commit);
  bool Streaming() const { return TEngineBinding::Streaming(); }

  // Files the last add stored: the engine's positive result, else 0.
  int32_t StoredCount() const { return stored_count_; }
  // Sets StoredCount to 0, as at the start of every add.
  void ForgetStoredCount() { stored_count_ = 0; }

  // Reads the directory of the archive named by the settings (the directory read).
  void List();
  const ArchiveDirectory& Directory() const { return directory_; }

 private:
  // The directory read of the archive name, unless a new archive is asked for.
  void ListTarget();
  // Checks 1-9 in order (without the file specs' check 1 unless `with_specs`); raises
  // EArchiver for the first that fails. The engine is loaded when they all pass.
  void RunChecks(bool with_specs = true);
  // A missing target is created empty and removed again; an existing one must be a regular
  // file and open for writing (never waiting for it). Raises EArchiver 11051 with the
  // system's reason, or "Not a regular file".
  void ProbeTarget(const std::string& target);
  void ReportAddError(const EArchiver& error);

  ArchiveSettings settings_;
  ArchiveDirectory directory_;
  bool active_ = false;
  bool read_pending_ = false;
  bool in_progress_ = false;
  bool stream_failed_ = false;
  int32_t stored_count_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVEWORKER_H_
