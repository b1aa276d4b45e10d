#include "archive/Archiver.h"

#include <optional>
#include <utility>

#include "archive/ArchiveWorker.h"
#include "archive/ArchiverError.h"

namespace quireforge {

namespace {

// What Add returns when the component refuses: inactive or busy.
constexpr int32_t kRefused = -255;
// What it returns when the hand-over fails with anything but an error of the component.
constexpr int32_t kHandOverFailed = -9;

}  // namespace

class TArchiver::Impl {
 public:
  explicit Impl(UserInterface& ui) : worker(ui) {}

  // The property hand-over that opens every operation: refuses while inactive or busy,
  // else copies the settings into the worker, activates it and marks the component busy.
  // Returns nothing when the operation may run, else the code the operation returns
  // (a failure is reported and completed here).
  std::optional<int32_t> HandOver() {
    if (!active) return kRefused;
    if (busy) {
      reentry = true;
      return kRefused;
    }
    try {
      worker.TakeSettings(settings);
      worker.Activate();
      reentry = false;
      busy = true;
      worker.ApplyDllLoad(settings.dllLoad);
    } catch (const EArchiver& error) {
      worker.ReportError(error);
      if (busy) Complete();
      return error.Code();
    } catch (...) {
      if (busy) Complete();
      return kHandOverFailed;
    }
    return std::nullopt;
  }

  // The completion step that closes every operation that passed the hand-over.
  void Complete() {
    worker.RestoreCursor();
    busy = false;
    settings.fSpecArgs = worker.Settings().fSpecArgs;
    settings.fSpecArgsExcl = worker.Settings().fSpecArgsExcl;
    if (deactivate_pending) {
      deactivate_pending = false;
      active = false;
      worker.Deactivate();
    }
  }

  ArchiveSettings settings;
  TArchiveWorker worker;
  bool active = true;
  bool deactivate_pending = false;
  bool busy = false;
  bool reentry = false;
};

TArchiver::TArchiver(UserInterface& ui) : impl_(std::make_unique<Impl>(ui)) {
  if (!impl_->HandOver()) impl_->Complete();
}

TArchiver::~TArchiver() = default;

uint32_t TArchiver::AddOptions() const { return impl_->settings.addOptions; }
void TArchiver::SetAddOptions(uint32_t options) { impl_->settings.addOptions = options; }
const std::u16string& TArchiver::RootDir() const { return impl_->settings.rootDir; }
void TArchiver::SetRootDir(std::u16string directory) {
  impl_->settings.rootDir = std::move(directory);
}
int32_t TArchiver::AddCompLevel() const { return impl_->settings.addCompLevel; }
void TArchiver::SetAddCompLevel(int32_t level) { impl_->settings.addCompLevel = level; }
std::vector<std::u16string>& TArchiver::FSpecArgs() { return impl_->settings.fSpecArgs; }
std::vector<std::u16string>& TArchiver::FSpecArgsExcl() { return impl_->settings.fSpecArgsExcl; }
const std::u16string& TArchiver::DLLDirectory() const { return impl_->settings.dllDirectory; }
void TArchiver::SetDLLDirectory(std::u16string directory) {
  impl_->settings.dllDirectory = std::move(directory);
}

const std::u16string& TArchiver::ZipFileName() const { return impl_->settings.zipFileName; }

void TArchiver::SetZipFileName(std::u16string path) {
  if (!impl_->active) {
    impl_->settings.zipFileName = std::move(path);
    impl_->worker.MarkReadPending();
    return;
  }
  if (impl_->HandOver()) return;
  impl_->settings.zipFileName = path;
  impl_->worker.SetZipFileName(path);
  impl_->Complete();
}

bool TArchiver::NewArchive() const { return impl_->settings.newArchive; }
void TArchiver::SetNewArchive(bool fresh) { impl_->settings.newArchive = fresh; }

int32_t TArchiver::Add() {
  // Before anything can refuse: a refused add must not report the last add's files.
  impl_->worker.ForgetStoredCount();
  if (std::optional<int32_t> refused = impl_->HandOver()) return *refused;
  impl_->worker.Add();
  impl_->Complete();
  return impl_->worker.ErrCode();
}

bool TArchiver::BeginStream() {
  impl_->worker.ForgetStoredCount();
  if (impl_->HandOver()) return false;
  if (impl_->worker.BeginStream()) return true;
  impl_->Complete();
  return false;
}

bool TArchiver::StreamFile(std::string_view name, std::string_view bytes, std::time_t mtime,
                           uint32_t mode) {
  return impl_->worker.StreamEntry(std::string(name), bytes, mtime, mode);
}

int32_t TArchiver::EndStream(bool commit) {
  if (!impl_->worker.Streaming()) return impl_->worker.ErrCode();
  impl_->worker.EndStream(commit);
  impl_->Complete();
  return impl_->worker.ErrCode();
}

bool TArchiver::Streaming() const { return impl_->worker.Streaming(); }

int32_t TArchiver::StoredCount() const { return impl_->worker.StoredCount(); }

TArchiver::AddProgress TArchiver::Progress() const {
  const ProgressDetails& details = impl_->worker.Progress();
  return AddProgress{details.totalPosition, details.totalSize};
}
int32_t TArchiver::ErrCode() const { return impl_->worker.ErrCode(); }
const std::string& TArchiver::Message() const { return impl_->worker.Message(); }

uint32_t TArchiver::AddStoreSuffixes() const { return impl_->settings.addStoreSuffixes; }
void TArchiver::SetAddStoreSuffixes(uint32_t suffixes) {
  impl_->settings.addStoreSuffixes = suffixes;
}
const std::u16string& TArchiver::ExtAddStoreSuffixes() const {
  return impl_->settings.extAddStoreSuffixes;
}
void TArchiver::SetExtAddStoreSuffixes(std::u16string suffixes) {
  impl_->settings.extAddStoreSuffixes = std::move(suffixes);
}
TDeleteOpts TArchiver::HowToDelete() const { return impl_->settings.howToDelete; }
void TArchiver::SetHowToDelete(TDeleteOpts how) { impl_->settings.howToDelete = how; }
CodePageOpts TArchiver::CodePage() const { return impl_->settings.codePage; }
void TArchiver::SetCodePage(CodePageOpts code_page) { impl_->settings.codePage = code_page; }
const std::u16string& TArchiver::Password() const { return impl_->settings.password; }
void TArchiver::SetPassword(std::u16string password) {
  impl_->settings.password = std::move(password);
}
std::time_t TArchiver::AddFrom() const { return impl_->settings.addFrom; }
void TArchiver::SetAddFrom(std::time_t time) { impl_->settings.addFrom = time; }
const std::u16string& TArchiver::TempDir() const { return impl_->settings.tempDir; }
void TArchiver::SetTempDir(std::u16string directory) {
  impl_->settings.tempDir = std::move(directory);
}
bool TArchiver::Unattended() const { return impl_->settings.unattended; }
void TArchiver::SetUnattended(bool unattended) { impl_->settings.unattended = unattended; }
bool TArchiver::Verbose() const { return impl_->settings.verbose; }
void TArchiver::SetVerbose(bool verbose) { impl_->settings.verbose = verbose; }
bool TArchiver::Trace() const { return impl_->settings.trace; }
void TArchiver::SetTrace(bool trace) { impl_->settings.trace = trace; }

bool TArchiver::DllLoad() const { return impl_->settings.dllLoad; }
void TArchiver::SetDllLoad(bool load) {
  impl_->settings.dllLoad = load;
  if (impl_->active && !impl_->busy && !impl_->HandOver()) impl_->Complete();
}

bool TArchiver::Active() const { return impl_->active; }
void TArchiver::SetActive(bool active) {
  if (active) {
    impl_->deactivate_pending = false;
    if (impl_->active) return;
    impl_->active = true;
    if (!impl_->HandOver()) impl_->Complete();
  } else if (impl_->active) {
    if (impl_->busy) {
      impl_->deactivate_pending = true;
    } else {
      impl_->active = false;
      impl_->worker.Deactivate();
    }
  }
}

int32_t TArchiver::FullErrCode() const { return impl_->worker.FullErrCode(); }

void TArchiver::Abort() { impl_->worker.Abort(); }

std::vector<std::u16string> TArchiver::EntryNames() const {
  std::vector<std::u16string> names;
  for (const ArchiveEntry& entry : impl_->worker.Directory().entries) names.push_back(entry.name);
  return names;
}

const std::string& TArchiver::ZipComment() const { return impl_->worker.Directory().comment; }

}  // namespace quireforge
