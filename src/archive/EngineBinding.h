// TEngineBinding loads the zip engine libqzengine.so, checks it, runs one command record
// at a time through ZE_ZipExec (or one streamed add, ZE_StreamOpen to ZE_StreamClose), answers
// the engine's callbacks and turns its negative results into errors. The library stays loaded
// while any load reason holds it and is unloaded when the last one is released. Base of the
// worker; one thread; not copyable.
#ifndef QUIREFORGE_ARCHIVE_ENGINEBINDING_H_
#define QUIREFORGE_ARCHIVE_ENGINEBINDING_H_

#include <cstdint>
#include <string>

#include "archive/ArchiveCore.h"
#include "archive/LoadedLibrary.h"
#include "zipengine/ZipEngineApi.h"

namespace quireforge {

// What the engine has reported about the work in progress.
struct ProgressDetails {
  std::string itemName;
  int64_t itemSize = 0;
  int64_t itemPosition = 0;
  int32_t totalCount = 0;
  int64_t totalSize = 0;
  int64_t totalPosition = 0;
};

class TEngineBinding : public TArchiveCore {
 public:
  // Load reasons; the library is unloaded when none is left.
  static constexpr uint32_t kReasonCommand = 1;
  static constexpr uint32_t kReasonOperation = 2;
  static constexpr uint32_t kReasonDllLoad = 4;

  // Oldest and newest engine version accepted.
  static constexpr int32_t kMinVersion = 179;
  static constexpr int32_t kMaxVersion = 300;

  explicit TEngineBinding(UserInterface& ui);
  // Aborts a running command and unloads the library.
  ~TEngineBinding() override;

  // The folder to look in first (UTF-8); trailing separators are dropped.
  void SetDLLDirectory(const std::string& directory);
  const std::string& DLLDirectory() const { return dll_directory_; }

  // Adds `reason` and loads the library when none is loaded; returns its version.
  // Raises EArchiver 10650 naming the path handed to dlopen when it cannot be loaded
  // (no reason is left), or 10651 naming the path the library reports (else the path
  // tried) when an entry point is missing or the version is outside 179-300 (the library
  // is unloaded again, no reason is left).
  int32_t LoadFor(uint32_t reason);

  // LoadFor(kReasonOperation), then requires an acceptable library: raises as LoadFor does.
  void LoadForOperation();

  // Removes `reason`; unloads when no reason is left. Returns the version (0 if unloaded).
  int32_t Release(uint32_t reason);

  // true holds the library for kReasonDllLoad; false releases that reason. Raises as
  // LoadFor does.
  void ApplyDllLoad(bool load);

  // Runs `command` through ZE_ZipExec (loading for kReasonCommand around it), with this
  // binding as its caller and Callback() as its callback. Returns the engine's result
  // when it is 0 or more. A negative result raises EArchiver: -1 10120, -2 10118,
  // -3 10123, -4 10121, -5 10122, otherwise 10124 with the result (an exception escaping
  // the engine counts as -7). When the engine sent a message during the command, its text
  // follows the error text on a new line. The operation key is 0 afterwards.
  int32_t Execute(ZE_ZipCommand& command);

  // A streamed add. OpenStream opens one for `command` (the library held for kReasonCommand
  // until the stream is closed), with this binding as its caller; PutStream hands over one
  // entry; CloseStream writes the archive and returns the engine's result when `commit`, else
  // drops everything. Each raises EArchiver as Execute does for a negative result (after which
  // the stream is failed: every later put raises the same, and a close must still follow);
  // OpenStream raises 10651 naming the library when it offers no streamed add. The stream is
  // gone after CloseStream, whatever happened; the operation key is 0 again.
  void OpenStream(ZE_ZipCommand& command);
  void PutStream(const ZE_StreamEntry& entry);
  int32_t CloseStream(bool commit);
  bool Streaming() const { return stream_ != nullptr; }

  // Sets the cancel flag and, while the library is loaded, passes the operation key the
  // engine announced to ZE_Abort.
  void Abort();

  bool Cancelled() const { return cancel_; }
  void ClearCancel() { cancel_ = false; }

  bool Loaded() const { return library_.IsOpen(); }
  int32_t Version() const { return version_; }
  int32_t PrivVersion() const { return priv_version_; }
  const std::string& LibraryPath() const { return library_path_; }
  uint32_t LoadReasons() const { return load_reasons_; }
  int32_t OperationKey() const { return operation_key_; }
  const ProgressDetails& Progress() const { return progress_; }

  // The text remembered from the first exception raised while handling a callback of the
  // last command (" #kind \"message\""), or empty.
  const std::string& HandlerError() const { return handler_error_; }

  // The function to put into a command record whose caller is this binding.
  static ZE_Callback Callback();

  // Answers one callback of the engine; see the engine's C interface for the kinds.
  int32_t HandleCallback(ZE_CallbackData& data);

 private:
  void Unload();
  // Answers a file comment question (kind 12) with the comment unchanged.
  static void AnswerComment(ZE_CallbackData& data);
  // Forgets the entry points and both versions.
  void ClearEntryPoints();
  int32_t CallbackResult() const;
  // Readies the callback state for a command or stream with `command`.
  void BeginCommand(ZE_ZipCommand& command);
  // Raises the error of the negative `result`, with the engine's message when it sent one.
  [[noreturn]] void ThrowResult(int32_t result) const;

  LoadedLibrary library_;
  ZE_UnzExecFn unz_exec_ = nullptr;
  ZE_ZipExecFn zip_exec_ = nullptr;
  ZE_VersionFn version_fn_ = nullptr;
  ZE_PrivVersionFn priv_version_fn_ = nullptr;
  ZE_AbortFn abort_fn_ = nullptr;
  ZE_PathFn path_fn_ = nullptr;
  ZE_StreamOpenFn stream_open_ = nullptr;
  ZE_StreamPutFn stream_put_ = nullptr;
  ZE_StreamCloseFn stream_close_ = nullptr;
  void* stream_ = nullptr;  // the open streamed add
  int32_t version_ = 0;
  int32_t priv_version_ = 0;
  std::string library_path_;
  uint32_t load_reasons_ = 0;
  std::string dll_directory_;
  int32_t operation_key_ = 0;
  bool cancel_ = false;
  std::string handler_error_;
  std::string engine_message_;
  ProgressDetails progress_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ENGINEBINDING_H_
