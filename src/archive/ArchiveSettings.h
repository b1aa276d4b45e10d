// The settings of an archive request: the component keeps one set as its properties and
// hands a copy to its worker at the start of every operation. Plain values, copyable;
// texts are UTF-16 as everywhere in the program.
#ifndef QUIREFORGE_ARCHIVE_ARCHIVESETTINGS_H_
#define QUIREFORGE_ARCHIVE_ARCHIVESETTINGS_H_

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace quireforge {

// Bits of AddStoreSuffixes, in declaration order: names ending in one of these suffixes
// are stored without compression. assEXT stands for the text of ExtAddStoreSuffixes.
enum AddStoreSuffixEnum : uint32_t {
  assGIF = 1u << 0,
  assPNG = 1u << 1,
  assZ = 1u << 2,
  assZIP = 1u << 3,
  assZOO = 1u << 4,
  assARC = 1u << 5,
  assLZH = 1u << 6,
  assARJ = 1u << 7,
  assTAZ = 1u << 8,
  assTGZ = 1u << 9,
  assLHA = 1u << 10,
  assRAR = 1u << 11,
  assACE = 1u << 12,
  assCAB = 1u << 13,
  assGZ = 1u << 14,
  assGZIP = 1u << 15,
  assJAR = 1u << 16,
  assEXE = 1u << 17,
  assEXT = 1u << 18,
  assJPG = 1u << 19,
  assJPEG = 1u << 20,
  ass7Zp = 1u << 21,
  assMP3 = 1u << 22,
  assWMV = 1u << 23,
  assWMA = 1u << 24,
  assDVR = 1u << 25,
  assAVI = 1u << 26,
};

// Every suffix but assEXT.
inline constexpr uint32_t kDefaultAddStoreSuffixes = 0x7FBFFFF;

// How moved files are deleted; the engine deletes plainly on this platform either way.
enum class TDeleteOpts { htdFinal, htdAllowUndo };

// Whether entry names are converted to the OEM code page.
enum class CodePageOpts { cpAuto, cpNone, cpOEM };

struct ArchiveSettings {
  uint32_t addOptions = 0;  // AddOptsEnum bits
  std::u16string zipFileName;
  std::u16string rootDir;
  std::vector<std::u16string> fSpecArgs;
  std::vector<std::u16string> fSpecArgsExcl;
  int32_t addCompLevel = 9;
  uint32_t addStoreSuffixes = kDefaultAddStoreSuffixes;
  std::u16string extAddStoreSuffixes;
  TDeleteOpts howToDelete = TDeleteOpts::htdAllowUndo;
  CodePageOpts codePage = CodePageOpts::cpAuto;
  std::u16string password;
  std::time_t addFrom = 0;  // only used with AddFromDate; 0 means none
  std::u16string tempDir;
  std::u16string dllDirectory;
  bool dllLoad = false;
  bool unattended = false;
  bool verbose = false;
  bool trace = false;
  bool newArchive = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_ARCHIVE_ARCHIVESETTINGS_H_
