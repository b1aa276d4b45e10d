// TArchiver is the archive component: it holds the settings of an archive request as
// properties and packs files into a ZIP archive by driving the zip engine libqzengine.so,
// loaded for each add (or streamed add) and released after it. It never lets its errors
// escape: it shows them through the UserInterface and returns a code. Not copyable; one thread.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVER_H_
#define QUIREFORGE_ARCHIVE_ARCHIVER_H_

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/ArchiveSettings.h"

namespace quireforge {

class UserInterface;
class TArchiveWorker;

// Bits of AddOptions, in declaration order.
enum AddOptsEnum : uint32_t {
  AddDirNames = 1u << 0,
  AddRecurseDirs = 1u << 1,
  AddMove = 1u << 2,
  AddFreshen = 1u << 3,
  AddUpdate = 1u << 4,
  AddZipTime = 1u << 5,
  AddForceDOS = 1u << 6,
  AddHiddenFiles = 1u << 7,
  AddArchiveOnly = 1u << 8,
  AddResetArchive = 1u << 9,
  AddEncrypt = 1u << 10,
  AddSeparateDirs = 1u << 11,
  AddVolume = 1u << 12,
  AddFromDate = 1u << 13,
  AddSafe = 1u << 14,
  AddForceDest = 1u << 15,
  AddDiskSpan = 1u << 16,
  AddDiskSpanErase = 1u << 17,
};

class TArchiver {
 public:
  // `ui` must outlive the component.
  explicit TArchiver(UserInterface& ui);
  ~TArchiver();

  TArchiver(const TArchiver&) = delete;
  TArchiver& operator=(const TArchiver&) = delete;

  // Plain settings.
  uint32_t AddOptions() const;
  void SetAddOptions(uint32_t options);
  const std::u16string& RootDir() const;
  void SetRootDir(std::u16string directory);
  int32_t AddCompLevel() const;
  void SetAddCompLevel(int32_t level);
  std::vector<std::u16string>& FSpecArgs();
  std::vector<std::u16string>& FSpecArgsExcl();
  const std::u16string& DLLDirectory() const;
  void SetDLLDirectory(std::u16string directory);

  // Assigning the archive name reads its directory (errors are shown, never raised).
  const std::u16string& ZipFileName() const;
  void SetZipFileName(std::u16string path);

  // Asks the engine for a fresh archive that replaces the target wholly once complete,
  // instead of adding into the existing one. The file it replaces is then not read, neither
  // on assigning ZipFileName nor by the add (so nothing is said about it), but the add still
  // checks that it can be written. Off by default.
  bool NewArchive() const;
  void SetNewArchive(bool fresh);

  // Runs the add. Returns the last error code (0 on success), -255 when inactive or busy,
  // -256 while loading. Never raises.
  int32_t Add();

  // The streamed add: the archive named by ZipFileName made from files handed over one by one
  // from memory, compressed by the engine while the caller makes the next, with the settings
  // of an add (NewArchive, AddCompLevel, the store suffixes; AddOptions without AddMove; no file
  // specs). BeginStream runs the add's checks and opens the stream; the component stays busy
  // (refusing other operations) until EndStream. Returns false when the component refused
  // (inactive or busy) or the stream could not be opened (reported as Add reports it).
  bool BeginStream();
  // Hands the file `name` ("/"-separated, relative) with `bytes`, or the folder `name` (ending
  // in "/"), to the open stream, with its time and permission bits. Returns false when there is
  // no open stream or it failed (the failure reported once, when it happened); the stream
  // must still be ended.
  bool StreamFile(std::string_view name, std::string_view bytes, std::time_t mtime, uint32_t mode);
  // Ends the stream: with `commit` the archive is written and put in place, without it (or
  // after a failure) nothing reaches the archive name. Returns the last error code, as Add
  // does; StoredCount then tells the files stored.
  int32_t EndStream(bool commit);
  // True between a BeginStream that opened a stream and its EndStream.
  bool Streaming() const;

  // Files the last add stored: the engine's positive result; 0 when the add was refused or
  // ended before or in the engine.
  int32_t StoredCount() const;

  // How far the running add is, in bytes of the files it stores: what the engine has packed
  // so far and what it will pack in all (0 until the engine has counted). Meant to be read
  // from within ProcessMessages; after an add it keeps the last figures.
  struct AddProgress {
    int64_t done = 0;
    int64_t total = 0;
  };
  AddProgress Progress() const;

  // Last error code and message, as the last operation left them.
  int32_t ErrCode() const;
  const std::string& Message() const;

  // The rest of the request's settings; each only changes the stored value.
  uint32_t AddStoreSuffixes() const;  // AddStoreSuffixEnum bits
  void SetAddStoreSuffixes(uint32_t suffixes);
  const std::u16string& ExtAddStoreSuffixes() const;
  void SetExtAddStoreSuffixes(std::u16string suffixes);
  TDeleteOpts HowToDelete() const;
  void SetHowToDelete(TDeleteOpts how);
  CodePageOpts CodePage() const;
  void SetCodePage(CodePageOpts code_page);
  const std::u16string& Password() const;
  void SetPassword(std::u16string password);
  std::time_t AddFrom() const;
  void SetAddFrom(std::time_t time);
  const std::u16string& TempDir() const;
  void SetTempDir(std::u16string directory);
  bool Unattended() const;  // true: errors are not shown, only returned
  void SetUnattended(bool unattended);
  bool Verbose() const;
  void SetVerbose(bool verbose);
  bool Trace() const;
  void SetTrace(bool trace);

  // true keeps the engine loaded between operations; applied at once when the component
  // is idle (loading failures are shown), else at the next operation.
  bool DllLoad() const;
  void SetDllLoad(bool load);

  // An inactive component refuses every operation with -255 and leaves the directory read
  // of a newly assigned ZipFileName pending until it is activated again. Deactivating
  // during an operation takes effect when the operation completes.
  bool Active() const;
  void SetActive(bool active);

  // The engine's full code of the last engine message (ErrCode keeps its low 8 bits).
  int32_t FullErrCode() const;

  // Asks a running add to stop: sets the cancel flag and passes the operation key the
  // engine announced to ZE_Abort. Meant to be called from within ProcessMessages.
  void Abort();

  // The archive's file entries (names with "/"; folders left out) and comment (raw bytes)
  // as last read: on assigning ZipFileName and after an add that stored files.
  std::vector<std::u16string> EntryNames() const;
  const std::string& ZipComment() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVER_H_
