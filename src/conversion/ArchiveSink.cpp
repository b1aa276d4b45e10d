#include "conversion/ArchiveSink.h"

#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>

#include "archive/Archiver.h"
#include "base/Utf.h"

namespace quireforge {

namespace {

// Directory names, recursion and separate directory entries, as a staged book is packed, but
// nothing to move: the files come from memory.
constexpr uint32_t kAddOptions = AddDirNames | AddRecurseDirs | AddSeparateDirs;
constexpr int32_t kCompressionLevel = 9;

// The process's file mode creation mask, read without changing it (umask() would, for a
// moment, for every thread).
mode_t CurrentUmask() {
  if (FILE* status = fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && fgets(line, sizeof line, status) != nullptr) {
      found = sscanf(line, "Umask: %o", &mask) == 1;
    }
    fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = umask(022);
  umask(mask);
  return mask;
}

}  // namespace

ArchiveSink::ArchiveSink(TArchiver& archiver, std::u16string target,
                         std::optional<std::time_t> time)
    : archiver_(archiver), target_(std::move(target)), time_(time), umask_(CurrentUmask()) {}

ArchiveSink::~ArchiveSink() {
  if (open_) archiver_.EndStream(false);
}

bool ArchiveSink::Open() {
  if (open_) return true;
  archiver_.SetNewArchive(true);
  archiver_.SetAddOptions(kAddOptions);
  archiver_.SetZipFileName(target_);
  archiver_.SetAddCompLevel(kCompressionLevel);
  open_ = archiver_.BeginStream();
  return open_;
}

std::time_t ArchiveSink::Now() const { return time_ ? *time_ : std::time(nullptr); }

void ArchiveSink::Touch(std::u16string_view name, std::time_t time) {
  const size_t slash = name.rfind(u'/');
  if (slash == std::u16string_view::npos) return;  // the root has no entry
  const auto folder = folders_.find(std::u16string(name.substr(0, slash)));
  if (folder != folders_.end()) folder->second = std::max(folder->second, time);
}

void ArchiveSink::MakeFolder(std::u16string_view name) {
  if (name.empty() || folders_.count(std::u16string(name)) != 0) return;
  const std::time_t now = Now();
  folders_.emplace(name, now);
  Touch(name, now);
}

void ArchiveSink::PutFile(std::u16string_view name, std::string_view bytes) {
  const std::time_t now = Now();
  if (!open_ || !archiver_.StreamFile(ToUtf8(name), bytes, now, 0666 & ~umask_)) {
    throw BookNotWrittenError("The book \"" + ToUtf8(target_) + "\" was not written.");
  }
  Touch(name, now);
  if (name == u"OEBPS/book.opf") holds_book_ = true;
}

bool ArchiveSink::MakeBook(TArchiver& archiver, std::u16string_view target) {
  if (&archiver != &archiver_ || target != target_) {
    throw std::logic_error("A streamed book is made only at its target, by its archiver.");
  }
  if (!open_) return false;
  bool handed_over = true;
  for (const auto& [folder, time] : folders_) {
    handed_over = archiver_.StreamFile(ToUtf8(folder) + "/", {}, time, 0777 & ~umask_);
    if (!handed_over) break;
  }
  open_ = false;
  holds_book_ = false;
  archiver_.EndStream(handed_over);
  return handed_over && archiver_.StoredCount() > 0;
}

}  // namespace quireforge
