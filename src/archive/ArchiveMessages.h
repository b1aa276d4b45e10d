// Looks up and fills in the archive component's message texts by code. A code the table
// lacks gives "Resource missing for " followed by the code. Pure functions; any thread.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVEMESSAGES_H_
#define QUIREFORGE_ARCHIVE_ARCHIVEMESSAGES_H_

#include <cstdint>
#include <initializer_list>
#include <string>

namespace quireforge {

// Message codes the component uses.
enum ArchiveMessageCode : int32_t {
  kMsgDllAbortException = 10101,
  kMsgNoZipFile = 10102,
  kMsgNoMemory = 10103,
  kMsgDllAborting = 10118,
  kMsgDllCancelled = 10120,
  kMsgDllNoMemory = 10121,
  kMsgDllBadStructure = 10122,
  kMsgDllHandlerException = 10123,
  kMsgDllCritical = 10124,
  kMsgSeekError = 10201,
  kMsgListUnknownError = 10202,
  kMsgZipStructureWarning = 10203,
  kMsgNothingToAdd = 10301,
  kMsgPasswordNeeded = 10302,
  kMsgNoDestination = 10308,
  kMsgLoadFailed = 10650,
  kMsgOldOrCorrupt = 10651,
  kMsgCannotOpenZip = 11002,
  kMsgBadEndRecord = 11011,
  kMsgCentralHeaderRead = 11013,
  kMsgCentralSignature = 11015,
  kMsgCentralName = 11017,
  kMsgNotAZip = 11036,
  kMsgCannotWrite = 11051,
  kMsgSubTaskBase = 11400,
};

// The text of `code`, unfilled.
std::string ArchiveMessage(int32_t code);

// The text of `code` with each %s, %d or %X replaced by the next of `arguments`, which the
// caller has already turned into text. Placeholders without an argument stay as they are.
std::string FormatArchiveMessage(int32_t code, std::initializer_list<std::string> arguments);

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVEMESSAGES_H_
