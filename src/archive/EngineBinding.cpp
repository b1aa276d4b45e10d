#include "archive/EngineBinding.h"

#include <cstring>
#include <exception>

#include "archive/ArchiveMessages.h"
#include "archive/ArchiverError.h"
#include "archive/EngineLocator.h"
#include "base/UserInterface.h"

namespace quireforge {

namespace {

extern "C" int32_t EngineCallback(void* caller, ZE_CallbackData* data) {
  if (caller == nullptr || data == nullptr) return ZE_CALLBACK_HANDLER_EXCEPTION;
  return static_cast<TEngineBinding*>(caller)->HandleCallback(*data);
}

// Shows the wait cursor for as long as it lives.
class WaitCursorScope {
 public:
  explicit WaitCursorScope(TArchiveCore& core) : core_(core) { core_.StartWaitCursor(); }
  ~WaitCursorScope() { core_.StopWaitCursor(); }
  WaitCursorScope(const WaitCursorScope&) = delete;
  WaitCursorScope& operator=(const WaitCursorScope&) = delete;

 private:
  TArchiveCore& core_;
};

EArchiver ResultError(int32_t result) {
  switch (result) {
    case ZE_ERR_CANCELLED:
      return EArchiver(kMsgDllCancelled, ArchiveMessage(kMsgDllCancelled));
    case ZE_ERR_ABORTED:
      return EArchiver(kMsgDllAborting, ArchiveMessage(kMsgDllAborting));
    case ZE_ERR_HANDLER:
      return EArchiver(kMsgDllHandlerException, ArchiveMessage(kMsgDllHandlerException));
    case ZE_ERR_MEMORY:
      return EArchiver(kMsgDllNoMemory, ArchiveMessage(kMsgDllNoMemory));
    case ZE_ERR_STRUCTURE:
      return EArchiver(kMsgDllBadStructure, ArchiveMessage(kMsgDllBadStructure));
    default:
      return EArchiver(kMsgDllCritical,
                       FormatArchiveMessage(kMsgDllCritical, {std::to_string(result)}));
  }
}

}  // namespace

TEngineBinding::TEngineBinding(UserInterface& ui)
    : TArchiveCore(ui), library_path_(kEngineLibraryName) {}

TEngineBinding::~TEngineBinding() {
  Abort();
  Unload();
}

void TEngineBinding::SetDLLDirectory(const std::string& directory) {
  dll_directory_ = StripTrailingSeparators(directory);
}

int32_t TEngineBinding::LoadFor(uint32_t reason) {
  load_reasons_ |= reason;
  if (library_.IsOpen()) return version_;

  WaitCursorScope wait(*this);
  ClearEntryPoints();

  const std::string tried = ChooseEnginePath(dll_directory_);
  LoadedLibrary library = LoadedLibrary::Open(tried, nullptr);
  if (!library.IsOpen()) {
    load_reasons_ = 0;
    throw EArchiver(kMsgLoadFailed, FormatArchiveMessage(kMsgLoadFailed, {tried}));
  }

  unz_exec_ = reinterpret_cast<ZE_UnzExecFn>(library.Symbol("ZE_UnzExec"));
  if (unz_exec_ != nullptr)
    zip_exec_ = reinterpret_cast<ZE_ZipExecFn>(library.Symbol("ZE_ZipExec"));
  if (zip_exec_ != nullptr)
    version_fn_ = reinterpret_cast<ZE_VersionFn>(library.Symbol("ZE_Version"));
  if (version_fn_ != nullptr) {
    priv_version_fn_ = reinterpret_cast<ZE_PrivVersionFn>(library.Symbol("ZE_PrivVersion"));
  }
  if (priv_version_fn_ != nullptr)
    abort_fn_ = reinterpret_cast<ZE_AbortFn>(library.Symbol("ZE_Abort"));
  if (abort_fn_ != nullptr) path_fn_ = reinterpret_cast<ZE_PathFn>(library.Symbol("ZE_Path"));
  // The streamed add is optional: an engine without it still packs folders.
  stream_open_ = reinterpret_cast<ZE_StreamOpenFn>(library.Symbol("ZE_StreamOpen"));
  stream_put_ = reinterpret_cast<ZE_StreamPutFn>(library.Symbol("ZE_StreamPut"));
  stream_close_ = reinterpret_cast<ZE_StreamCloseFn>(library.Symbol("ZE_StreamClose"));

  std::string reported;
  if (path_fn_ != nullptr) {
    priv_version_ = priv_version_fn_();
    version_ = version_fn_();
    const char* path = path_fn_();
    if (path != nullptr) reported = path;
  }

  if (version_ < kMinVersion || version_ > kMaxVersion) {
    const std::string name = reported.empty() ? tried : reported;
    library_ = std::move(library);
    Unload();
    throw EArchiver(kMsgOldOrCorrupt, FormatArchiveMessage(kMsgOldOrCorrupt, {name}));
  }
  library_ = std::move(library);
  library_path_ = reported.empty() ? tried : reported;
  return version_;
}

void TEngineBinding::LoadForOperation() {
  LoadFor(kReasonOperation);
  if (!library_.IsOpen() || version_ < kMinVersion) {
    const std::string name =
        library_path_.empty() ? std::string(kEngineLibraryName) : library_path_;
    Unload();
    throw EArchiver(kMsgOldOrCorrupt, FormatArchiveMessage(kMsgOldOrCorrupt, {name}));
  }
}

int32_t TEngineBinding::Release(uint32_t reason) {
  load_reasons_ &= ~reason;
  if (load_reasons_ == 0) Unload();
  return version_;
}

void TEngineBinding::ApplyDllLoad(bool load) {
  bool held = (load_reasons_ & kReasonDllLoad) != 0;
  if (load && !held) {
    LoadFor(kReasonDllLoad);
  } else if (!load && held) {
    Release(kReasonDllLoad);
  }
}

void TEngineBinding::BeginCommand(ZE_ZipCommand& command) {
  handler_error_.clear();
  engine_message_.clear();
  progress_ = ProgressDetails();
  cancel_ = false;
  command.caller = this;
  command.callback = Callback();
}

void TEngineBinding::ThrowResult(int32_t result) const {
  EArchiver error = ResultError(result);
  if (engine_message_.empty()) throw error;
  throw EArchiver(error.Code(), std::string(error.what()) + "\n" + engine_message_);
}

int32_t TEngineBinding::Execute(ZE_ZipCommand& command) {
  LoadFor(kReasonCommand);
  BeginCommand(command);

  int32_t result;
  try {
    result = zip_exec_(&command);
  } catch (...) {
    result = ZE_ERR_CALL_FAILED;
  }

  operation_key_ = 0;
  cancel_ = false;
  Release(kReasonCommand);
  if (result >= 0) return result;
  ThrowResult(result);
}

void TEngineBinding::OpenStream(ZE_ZipCommand& command) {
  LoadFor(kReasonCommand);
  if (stream_open_ == nullptr || stream_put_ == nullptr || stream_close_ == nullptr) {
    const std::string name =
        library_path_.empty() ? std::string(kEngineLibraryName) : library_path_;
    Release(kReasonCommand);
    throw EArchiver(kMsgOldOrCorrupt, FormatArchiveMessage(kMsgOldOrCorrupt, {name}));
  }
  BeginCommand(command);
  void* stream = nullptr;
  int32_t result;
  try {
    result = stream_open_(&command, &stream);
  } catch (...) {
    result = ZE_ERR_CALL_FAILED;
  }
  if (result == 0 && stream != nullptr) {
    stream_ = stream;
    return;
  }
  operation_key_ = 0;
  cancel_ = false;
  Release(kReasonCommand);
  ThrowResult(result < 0 ? result : ZE_ERR_CALL_FAILED);
}

void TEngineBinding::PutStream(const ZE_StreamEntry& entry) {
  int32_t result;
  try {
    result = stream_put_(stream_, &entry);
  } catch (...) {
    result = ZE_ERR_CALL_FAILED;
  }
  if (result < 0) ThrowResult(result);
}

int32_t TEngineBinding::CloseStream(bool commit) {
  int32_t result;
  try {
    result = stream_close_(stream_, commit ? 1 : 0);
  } catch (...) {
    result = ZE_ERR_CALL_FAILED;
  }
  stream_ = nullptr;
  operation_key_ = 0;
  cancel_ = false;
  Release(kReasonCommand);
  if (result >= 0) return result;
  ThrowResult(result);
}

void TEngineBinding::Abort() {
  cancel_ = true;
  if (library_.IsOpen() && abort_fn_ != nullptr) abort_fn_(operation_key_);
}

ZE_Callback TEngineBinding::Callback() { return &EngineCallback; }

int32_t TEngineBinding::CallbackResult() const {
  if (!handler_error_.empty()) return ZE_CALLBACK_HANDLER_EXCEPTION;
  return cancel_ ? ZE_CALLBACK_STOP : ZE_CALLBACK_CONTINUE;
}

int32_t TEngineBinding::HandleCallback(ZE_CallbackData& data) {
  const int32_t kind = data.actionCode & 0x3F;
  if (kind == ZE_CB_OPERATION_KEY) {
    operation_key_ = data.arg1;
    return CallbackResult();
  }
  try {
    const std::string text = data.msg != nullptr ? data.msg : "";
    switch (kind) {
      case ZE_CB_NEW_FILE:
        progress_.itemName = text;
        progress_.itemSize = data.fileSize;
        progress_.itemPosition = 0;
        break;
      case ZE_CB_PROGRESS:
        progress_.itemPosition += data.fileSize;
        progress_.totalPosition += data.fileSize;
        break;
      case ZE_CB_END_OF_BATCH:
        progress_.itemName.clear();
        progress_.itemPosition = progress_.itemSize;
        break;
      case ZE_CB_MESSAGE:
        if (data.arg1 != 0) SetEngineMessage(data.arg1, text);
        if (!text.empty()) engine_message_ = text;
        break;
      case ZE_CB_TOTAL_FILES:
        progress_.totalCount = data.arg1;
        break;
      case ZE_CB_TOTAL_SIZE:
        progress_.totalSize = data.fileSize;
        progress_.totalPosition = 0;
        break;
      case ZE_CB_NEW_EXTRA:
        progress_.itemName = ArchiveMessage(kMsgSubTaskBase + data.arg1);
        progress_.itemSize = data.fileSize;
        progress_.itemPosition = 0;
        break;
      case ZE_CB_EXTRA_UPDATE:
        progress_.itemPosition = data.fileSize;
        break;
      case ZE_CB_PASSWORD:     // no password to give: encryption is never requested
      case ZE_CB_STREAM_SIZE:  // no memory stream to resize
        data.actionCode = ZE_ANSWER_NO;
        break;
      case ZE_CB_EXTRACT_SKIPPED:
        SetErrCode(data.arg1);
        break;
      case ZE_CB_FILE_COMMENT:
        AnswerComment(data);
        break;
      case ZE_CB_FILE_EXTRA:  // nobody changes the extra data: it stays as it is
        data.actionCode = ZE_ANSWER_YES;
        break;
      default:  // other questions keep their default: nobody answers them
        break;
    }
    ui().ProcessMessages();
  } catch (const std::exception& e) {
    if (handler_error_.empty()) {
      handler_error_ = " #" + std::to_string(kind) + " \"" + e.what() + "\"";
    }
    cancel_ = true;
  } catch (...) {
    if (handler_error_.empty()) handler_error_ = " #" + std::to_string(kind) + " \"\"";
    cancel_ = true;
  }
  return CallbackResult();
}

// Nobody changes a file's comment: it goes back as it came, as much of it as the answer
// buffer holds in whole UTF-8 characters, with its length.
void TEngineBinding::AnswerComment(ZE_CallbackData& data) {
  const char* comment = static_cast<const char*>(data.data2);
  const size_t room = sizeof data.answer - 1;
  size_t length = comment != nullptr ? strnlen(comment, room + 1) : 0;
  if (length > room) {
    length = room;
    // Never end inside a character: step back over continuation bytes to its first byte.
    while (length > 0 && (static_cast<unsigned char>(comment[length]) & 0xC0) == 0x80) --length;
  }
  if (length > 0) memcpy(data.answer, comment, length);
  data.answer[length] = '\0';
  data.arg1 = static_cast<int32_t>(length);
  data.actionCode = ZE_ANSWER_YES;
}

void TEngineBinding::ClearEntryPoints() {
  unz_exec_ = nullptr;
  zip_exec_ = nullptr;
  version_fn_ = nullptr;
  priv_version_fn_ = nullptr;
  abort_fn_ = nullptr;
  path_fn_ = nullptr;
  stream_open_ = nullptr;
  stream_put_ = nullptr;
  stream_close_ = nullptr;
  version_ = 0;
  priv_version_ = 0;
}

void TEngineBinding::Unload() {
  if (stream_ != nullptr) {
    // Nothing of an open stream reaches the archive: it is dropped.
    stream_close_(stream_, 0);
    stream_ = nullptr;
  }
  library_.Close();
  ClearEntryPoints();
  library_path_.clear();
  load_reasons_ = 0;
}

}  // namespace quireforge
