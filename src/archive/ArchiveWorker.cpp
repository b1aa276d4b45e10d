#include "archive/ArchiveWorker.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "archive/ArchiveMessages.h"
#include "archive/Archiver.h"
#include "archive/ArchiverError.h"
#include "archive/CommandRecord.h"
#include "base/PosixIo.h"
#include "base/ScopedFd.h"
#include "base/Utf.h"

namespace quireforge {

namespace {

[[noreturn]] void Fail(int32_t code) { throw EArchiver(code, ArchiveMessage(code)); }

// 11051 naming the target, with the system's code in hexadecimal and its text.
EArchiver CannotWrite(const std::string& target, int error) {
  std::string text = FormatArchiveMessage(kMsgCannotWrite, {target});
  if (error != 0) {
    char code[16];
    std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(error));
    text += " <" + std::string(code) + ":" + std::strerror(error) + ">";
  }
  return EArchiver(kMsgCannotWrite, text);
}

// 11051 naming the target that is no regular file (a pipe, a device, a socket): the system
// has no code that says so.
EArchiver CannotWriteNonRegular(const std::string& target) {
  return EArchiver(kMsgCannotWrite,
                   FormatArchiveMessage(kMsgCannotWrite, {target}) + " <Not a regular file>");
}

}  // namespace

TArchiveWorker::TArchiveWorker(UserInterface& ui) : TEngineBinding(ui) {}

TArchiveWorker::~TArchiveWorker() = default;

void TArchiveWorker::TakeSettings(const ArchiveSettings& settings) {
  settings_ = settings;
  if (settings_.extAddStoreSuffixes.empty()) settings_.addStoreSuffixes &= ~assEXT;
  SetUnattended(settings_.unattended);
  SetDLLDirectory(ToUtf8(settings_.dllDirectory));
  ClearErrCode();
}

void TArchiveWorker::Activate() {
  active_ = true;
  if (read_pending_) ListTarget();
}

void TArchiveWorker::SetZipFileName(const std::u16string& path) {
  settings_.zipFileName = path;
  ListTarget();
}

void TArchiveWorker::ListTarget() {
  if (!settings_.newArchive) {
    List();
    return;
  }
  // A new archive replaces the file at the target wholly: what that file holds is never
  // read, and nothing is said about it. Its writability is still checked by the add.
  directory_.Clear();
  ClearErrCode();
  read_pending_ = false;
}

void TArchiveWorker::List() {
  directory_.Clear();
  ClearErrCode();
  if (!active_) {
    read_pending_ = true;
    return;
  }
  read_pending_ = false;
  try {
    ReadArchiveDirectory(ToUtf8(settings_.zipFileName), *this, &directory_);
  } catch (const EArchiver& error) {
    ReportError(error);
  } catch (const std::bad_alloc&) {
    ShowInformation(kMsgNoMemory);
  } catch (const std::exception& error) {
    ShowInformation(kMsgListUnknownError, ArchiveMessage(kMsgListUnknownError) + error.what());
  }
}

void TArchiveWorker::Add() {
  if (in_progress_) return;
  ClearLastError();
  stored_count_ = 0;
  try {
    RunChecks();
  } catch (const EArchiver& error) {
    ReportError(error);
    return;
  } catch (const std::bad_alloc&) {
    ShowInformation(kMsgNoMemory);
    return;
  } catch (...) {
    ShowInformation(kMsgDllAbortException);
    return;
  }

  in_progress_ = true;
  ClearCancel();
  StartWaitCursor();
  int32_t result = 0;
  try {
    // A fresh archive replaces the old one wholly, its comment included.
    CommandRecord record(settings_, settings_.newArchive ? std::string() : directory_.comment);
    result = Execute(record.Command());
  } catch (const EArchiver& error) {
    ReportAddError(error);
  } catch (...) {
    ShowInformation(kMsgDllAbortException);
  }
  settings_.fSpecArgs.clear();
  settings_.fSpecArgsExcl.clear();
  StopWaitCursor();

  Release(kReasonOperation);
  ClearCancel();
  in_progress_ = false;
  if (result > 0) {
    stored_count_ = result;
    List();
  }
}

bool TArchiveWorker::BeginStream() {
  if (in_progress_) return false;
  ClearLastError();
  stored_count_ = 0;
  stream_failed_ = false;
  try {
    // A stream names its files itself: the spec check has nothing to check.
    RunChecks(/*with_specs=*/false);
  } catch (const EArchiver& error) {
    ReportError(error);
    return false;
  } catch (const std::bad_alloc&) {
    ShowInformation(kMsgNoMemory);
    return false;
  } catch (...) {
    ShowInformation(kMsgDllAbortException);
    return false;
  }

  in_progress_ = true;
  ClearCancel();
  StartWaitCursor();
  try {
    CommandRecord record(settings_, settings_.newArchive ? std::string() : directory_.comment);
    OpenStream(record.Command());
    return true;
  } catch (const EArchiver& error) {
    ReportAddError(error);
  } catch (...) {
    ShowInformation(kMsgDllAbortException);
  }
  StopWaitCursor();
  Release(kReasonOperation);
  ClearCancel();
  in_progress_ = false;
  return false;
}

bool TArchiveWorker::StreamEntry(const std::string& name, std::string_view data, std::time_t mtime,
                                 uint32_t mode) {
  if (!Streaming() || stream_failed_) return false;
  ZE_StreamEntry entry{};
  entry.name = name.c_str();
  entry.data = data.data();
  entry.size = static_cast<int64_t>(data.size());
  entry.mtime = static_cast<int64_t>(mtime);
  entry.mode = static_cast<int32_t>(mode);
  try {
    PutStream(entry);
    return true;
  } catch (const EArchiver& error) {
    ReportAddError(error);
  } catch (...) {
    ShowInformation(kMsgDllAbortException);
  }
  stream_failed_ = true;
  return false;
}

void TArchiveWorker::EndStream(bool commit) {
  if (!Streaming()) return;
  int32_t result = 0;
  try {
    result = CloseStream(commit && !stream_failed_);
  } catch (const EArchiver& error) {
    // A failure of a put was reported when it happened.
    if (!stream_failed_) ReportAddError(error);
  } catch (...) {
    if (!stream_failed_) ShowInformation(kMsgDllAbortException);
  }
  StopWaitCursor();
  Release(kReasonOperation);
  ClearCancel();
  in_progress_ = false;
  stream_failed_ = false;
  if (result > 0) {
    stored_count_ = result;
    List();
  }
}

void TArchiveWorker::RunChecks(bool with_specs) {
  uint32_t& options = settings_.addOptions;
  if (with_specs && settings_.fSpecArgs.empty()) {
    if ((options & (AddFreshen | AddUpdate)) == 0) Fail(kMsgNothingToAdd);
    if ((options & AddUpdate) != 0) options = (options & ~AddUpdate) | AddFreshen;
    settings_.fSpecArgs = {u"*.*"};
  }
  if ((options & AddDiskSpanErase) != 0) options |= AddDiskSpan;
  if (Unattended() && (options & AddEncrypt) != 0 && settings_.password.empty()) {
    Fail(kMsgPasswordNeeded);
  }
  if (settings_.zipFileName.empty()) Fail(kMsgNoZipFile);

  // There are no drive letters here, so every target gets the folder and write checks.
  const std::string target = ToUtf8(settings_.zipFileName);
  const std::string folder = target.substr(0, target.rfind('/') + 1);
  std::error_code ignored;
  if ((options & AddForceDest) != 0 && !folder.empty()) {
    std::filesystem::create_directories(folder, ignored);
  }
  if (!std::filesystem::is_directory(folder.empty() ? std::string(".") : folder, ignored)) {
    throw EArchiver(kMsgNoDestination, FormatArchiveMessage(kMsgNoDestination, {folder}));
  }
  ProbeTarget(target);

  LoadForOperation();
}

void TArchiveWorker::ProbeTarget(const std::string& target) {
  struct stat status;
  if (lstat(target.c_str(), &status) != 0 && errno == ENOENT) {
    ScopedFd probe;
    if (const int error = CreateNewFile(target, 0666, &probe)) throw CannotWrite(target, error);
    probe.Close();
    // A probe file that cannot be removed again would stand as an empty "archive" while the
    // add ended: say why instead of ending silently.
    if (unlink(target.c_str()) != 0) throw CannotWrite(target, errno);
    return;
  }
  // Only a regular file can be replaced by the archive. A folder says so itself when opened
  // for writing; anything else is refused before it is opened.
  if (stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
    throw CannotWriteNonRegular(target);
  }
  // Without blocking, and checked again once open, in case something else took its place.
  ScopedFd existing;
  const int error = OpenRegularFileForWriting(target, &existing);
  if (error == kNotRegularFile) throw CannotWriteNonRegular(target);
  if (error != 0) throw CannotWrite(target, error);
}

void TArchiveWorker::ReportAddError(const EArchiver& error) {
  if (HandlerError().empty()) {
    ReportError(error);
  } else {
    ReportError(EArchiver(error.Code(), error.what() + HandlerError(), error.Display()));
  }
}

}  // namespace quireforge
