#include "archive/ArchiveDirectory.h"

#include <errno.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/ArchiveCore.h"
#include "archive/ArchiveMessages.h"
#include "archive/ArchiveText.h"
#include "archive/ArchiverError.h"
#include "base/PosixIo.h"
#include "base/ScopedFd.h"

namespace quireforge {

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr size_t kEndSize = 22;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kZip64EndSize = 56;  // without extensible data
constexpr size_t kCentralSize = 46;
constexpr int64_t kSearchSpan = 65557;  // the end record plus the longest comment
constexpr size_t kMaxNameLength = 260;
constexpr uint16_t kUtf8NameFlag = 1u << 11;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Get32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint64_t Get64(const uint8_t* p) {
  return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

[[noreturn]] void Fail(int32_t code) { throw EArchiver(code, ArchiveMessage(code)); }

// Reads up to `size` bytes at `offset`; returns how many arrived (short at the end of the
// file or on a read error).
size_t ReadAt(int fd, int64_t offset, void* buffer, size_t size) {
  size_t done = 0;
  ReadFullyAt(fd, static_cast<uint64_t>(offset), buffer, size, &done);
  return done;
}

// The bytes of one span of a file, read in one go, that later reads take from memory; what
// lies outside the span is read from the file, with the same results.
class SpanReader {
 public:
  // Reads `size` bytes at `offset` of `fd` at once when that is no more than kMaxSpan.
  SpanReader(int fd, int64_t offset, uint64_t size) : fd_(fd), offset_(offset) {
    if (size > kMaxSpan) return;
    span_.resize(static_cast<size_t>(size));
    span_.resize(ReadAt(fd_, offset_, span_.data(), span_.size()));
  }

  size_t Read(int64_t offset, void* buffer, size_t size) const {
    if (offset >= offset_ && static_cast<uint64_t>(offset - offset_) + size <= span_.size()) {
      if (size > 0) std::memcpy(buffer, span_.data() + (offset - offset_), size);
      return size;
    }
    return ReadAt(fd_, offset, buffer, size);
  }

 private:
  // A central directory larger than this (a million entries and more) is read piece by piece.
  static constexpr uint64_t kMaxSpan = uint64_t{128} << 20;

  const int fd_;
  const int64_t offset_;
  std::vector<uint8_t> span_;
};

bool IsDirectoryName(const std::string& name) {
  return name.empty() || name.back() == '/' || name.back() == '\\';
}

// Where the central directory is, as the end records say.
struct DirectoryPlace {
  uint64_t entry_count;
  uint64_t size;
  uint64_t offset;          // as recorded
  int64_t end;              // where it must end: where the record after it begins
  uint32_t next_signature;  // the record that follows the last central header
};

// The zip64 end record of an archive whose end record is at `end_position`, read into
// `record`; false when the archive has no zip64 locator. The record ends where the locator
// begins; it is looked for there first and then where the locator says (which is off by
// whatever data stands before the archive). Raises EArchiver 11036 for a locator whose
// record is in neither place.
bool ReadZip64EndRecord(int fd, int64_t end_position, uint8_t (&record)[kZip64EndSize],
                        int64_t* record_position) {
  const int64_t locator_position = end_position - static_cast<int64_t>(kZip64LocatorSize);
  uint8_t locator[kZip64LocatorSize];
  if (locator_position < 0 ||
      ReadAt(fd, locator_position, locator, sizeof locator) != sizeof locator ||
      Get32(locator) != kZip64LocatorSignature) {
    return false;
  }
  const auto is_record_at = [&](int64_t position) {
    return position >= 0 && ReadAt(fd, position, record, sizeof record) == sizeof record &&
           Get32(record) == kZip64EndSignature &&
           Get64(record + 4) + 12 == static_cast<uint64_t>(locator_position - position);
  };
  const int64_t just_before = locator_position - static_cast<int64_t>(kZip64EndSize);
  const uint64_t recorded = Get64(locator + 8);
  if (is_record_at(just_before)) {
    *record_position = just_before;
  } else if (recorded < static_cast<uint64_t>(locator_position) &&
             is_record_at(static_cast<int64_t>(recorded))) {
    *record_position = static_cast<int64_t>(recorded);
  } else {
    Fail(kMsgNotAZip);
  }
  return true;
}

// The central directory's place from the end record at `end_position` (`end` its bytes), or
// from the zip64 end record before it, whose values are the true ones for an archive of more
// than 65,535 entries or beyond 4 GB (the end record then says 0xFFFF and 0xFFFFFFFF).
DirectoryPlace FindDirectory(int fd, int64_t end_position, const uint8_t* end) {
  uint8_t record[kZip64EndSize];
  int64_t record_position = 0;
  if (ReadZip64EndRecord(fd, end_position, record, &record_position)) {
    return {Get64(record + 32), Get64(record + 40), Get64(record + 48), record_position,
            kZip64EndSignature};
  }
  return {Get16(end + 10), Get32(end + 12), Get32(end + 16), end_position, kEndSignature};
}

}  // namespace

void ReadArchiveDirectory(const std::string& path, TArchiveCore& core,
                          ArchiveDirectory* directory) {
  struct stat status;
  // No file there (also when a folder on the way is a file): nothing to read, no error.
  if (stat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR)) return;

  // Without blocking: a pipe in the archive's place would wait for a writer for ever.
  ScopedFd file;
  uint64_t file_size = 0;
  if (OpenRegularFile(path, &file, &file_size) != 0) {
    core.ShowInformation(kMsgCannotOpenZip);
    return;
  }
  const int64_t size = static_cast<int64_t>(file_size);

  // The end record: normally the last 22 bytes, else the last one within reach of a comment.
  std::vector<uint8_t> tail(static_cast<size_t>(std::min(size, kSearchSpan)));
  const int64_t tail_start = size - static_cast<int64_t>(tail.size());
  if (ReadAt(file.get(), tail_start, tail.data(), tail.size()) != tail.size()) Fail(kMsgNotAZip);
  int64_t end_in_tail = -1;
  if (tail.size() >= kEndSize) {
    for (int64_t i = static_cast<int64_t>(tail.size() - kEndSize); i >= 0; --i) {
      if (Get32(&tail[static_cast<size_t>(i)]) == kEndSignature) {
        end_in_tail = i;
        break;
      }
    }
  }
  if (end_in_tail < 0) Fail(kMsgNotAZip);
  const uint8_t* end = &tail[static_cast<size_t>(end_in_tail)];
  const int64_t end_position = tail_start + end_in_tail;
  directory->comment.assign(reinterpret_cast<const char*>(end + kEndSize),
                            tail.size() - static_cast<size_t>(end_in_tail) - kEndSize);
  const DirectoryPlace place = FindDirectory(file.get(), end_position, end);

  // The central directory ends where the (zip64) end record begins.
  if (place.size > static_cast<uint64_t>(place.end)) Fail(kMsgSeekError);
  int64_t position = place.end - static_cast<int64_t>(place.size);
  if (static_cast<uint64_t>(position) != place.offset) {
    core.ShowInformation(kMsgZipStructureWarning);
  }

  // The whole directory and the signature after it, in one read.
  const SpanReader reader(file.get(), position, place.size + 4);
  for (uint64_t i = 0; i < place.entry_count; ++i) {
    uint8_t header[kCentralSize];
    if (reader.Read(position, header, kCentralSize) != kCentralSize) {
      Fail(kMsgCentralHeaderRead);
    }
    if (Get32(header) != kCentralSignature) Fail(kMsgCentralSignature);
    const uint16_t flags = Get16(header + 8);
    const size_t name_length = Get16(header + 28);
    const size_t extra_length = Get16(header + 30);
    const size_t comment_length = Get16(header + 32);
    if (name_length >= kMaxNameLength) Fail(kMsgCentralName);
    std::string name(name_length, '\0');
    if (reader.Read(position + static_cast<int64_t>(kCentralSize), name.data(), name_length) !=
        name_length) {
      Fail(kMsgCentralName);
    }
    std::vector<uint8_t> extra_and_comment(extra_length + comment_length);
    if (reader.Read(position + static_cast<int64_t>(kCentralSize + name_length),
                    extra_and_comment.data(),
                    extra_and_comment.size()) != extra_and_comment.size()) {
      Fail(kMsgCentralHeaderRead);
    }
    position += static_cast<int64_t>(kCentralSize + name_length + extra_length + comment_length);

    if (IsDirectoryName(name)) {
      ++directory->directoryEntries;
      continue;
    }
    ArchiveEntry entry;
    entry.name = FromZipName(name, (flags & kUtf8NameFlag) != 0);
    entry.method = Get16(header + 10);
    entry.crc = Get32(header + 16);
    entry.compressedSize = Get32(header + 20);
    entry.size = Get32(header + 24);
    directory->entries.push_back(std::move(entry));
  }

  uint8_t signature[4];
  if (reader.Read(position, signature, sizeof signature) != sizeof signature ||
      Get32(signature) != place.next_signature) {
    Fail(kMsgBadEndRecord);
  }
}

}  // namespace quireforge
