// The archive component's default message table: every text it shows or reports, looked
// up by message code. English, fixed at compile time; the component holds no other table.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVEDEFAULTMESSAGES_H_
#define QUIREFORGE_ARCHIVE_ARCHIVEDEFAULTMESSAGES_H_

#include <cstdint>
#include <span>

namespace quireforge {

struct ArchiveMessageEntry {
  int32_t code;
  const char* text;  // UTF-8; "\n" is a line break; %s, %d and %X take arguments in order
};

// The table, sorted by code.
std::span<const ArchiveMessageEntry> ArchiveDefaultMessages();

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVEDEFAULTMESSAGES_H_
