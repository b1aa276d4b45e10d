// TArchiver is the archive component: it holds the settings of an archive request as
// properties and packs files into a ZIP archive by driving the zip engine libqzengine.so,
// loaded for each add and released after it. It never lets its errors escape: it shows
// them through the UserInterface and returns a code. Not copyable; one thread.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVER_H_
#define QUIREFORGE_ARCHIVE_ARCHIVER_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  // instead of adding into the existing one. Off by default.
  bool NewArchive() const;
  void SetNewArchive(bool fresh);

  // Runs the add. Returns the last error code (0 on success), -255 when inactive or busy,
  // -256 while loading. Never raises.
  int32_t Add();

  // Files the last add stored: the engine's positive result; 0 when the add ended before
  // or in the engine.
  int32_t StoredCount() const;

  // Last error code and message, as the last operation left them.
  int32_t ErrCode() const;
  const std::string& Message() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVER_H_
