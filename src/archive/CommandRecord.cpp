#include "archive/CommandRecord.h"

#include <filesystem>
#include <system_error>

#include "archive/Archiver.h"
#include "base/StringOps.h"
#include "base/Utf.h"

namespace quireforge {

namespace {

// Suffixes of AddStoreSuffixEnum in declaration order; assEXT has none of its own.
const char* const kSuffixes[] = {"gif", "png",  "z",   "zip", "zoo",    "arc", "lzh",
                                 "arj", "taz",  "tgz", "lha", "rar",    "ace", "cab",
                                 "gz",  "gzip", "jar", "exe", nullptr,  "jpg", "jpeg",
                                 "7zp", "mp3",  "wmv", "wma", "dvr-ms", "avi"};

int32_t Flag(bool value) { return value ? ZE_TRUE : ZE_FALSE; }

// Local date and time in the packed DOS form; 0 before 1980.
int32_t DosDateTime(std::time_t time) {
  if (time <= 0) return 0;
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr || local.tm_year < 80) return 0;
  uint32_t packed =
      (static_cast<uint32_t>(local.tm_year - 80) << 25) |
      (static_cast<uint32_t>(local.tm_mon + 1) << 21) |
      (static_cast<uint32_t>(local.tm_mday) << 16) | (static_cast<uint32_t>(local.tm_hour) << 11) |
      (static_cast<uint32_t>(local.tm_min) << 5) | (static_cast<uint32_t>(local.tm_sec / 2));
  return static_cast<int32_t>(packed);
}

std::string FullPath(const std::u16string& directory) {
  std::filesystem::path path(ToUtf8(directory));
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path.string();
  std::string full = absolute.lexically_normal().string();
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  return full;
}

}  // namespace

CommandRecord::CommandRecord(const ArchiveSettings& settings, const std::string& comment) {
  const uint32_t options = settings.addOptions;
  const bool encrypt = (options & AddEncrypt) != 0;
  const bool recurse = (options & AddRecurseDirs) != 0;
  const bool update = (options & AddUpdate) != 0;
  const std::string password = ToUtf8(settings.password);

  command_.window = nullptr;
  command_.caller = nullptr;
  command_.version = ZE_INTERFACE_VERSION;
  command_.callback = nullptr;
  command_.trace = Flag(settings.trace);
  command_.password = KeepOrNull(password);
  command_.storeSuffixes =
      KeepOrNull(StoreList(settings.addStoreSuffixes, settings.extAddStoreSuffixes));
  command_.encrypt = Flag(encrypt);
  command_.hiddenFiles = Flag((options & AddHiddenFiles) != 0);
  command_.volume = Flag((options & AddVolume) != 0);
  command_.reserved40 = 0;
  command_.noSeparateDirs = Flag((options & AddSeparateDirs) == 0);
  command_.fromDate = Flag((options & AddFromDate) != 0);
  command_.verbose = Flag(settings.verbose || settings.trace);
  command_.reserved56 = -1;
  command_.level = settings.addCompLevel;
  command_.newArchive = Flag(settings.newArchive);
  command_.reserved68 = 0;
  command_.noDirNames = Flag((options & AddDirNames) == 0);
  command_.recurse = Flag(recurse);
  command_.notSafe = Flag((options & AddSafe) == 0);
  command_.forceDos = Flag((options & AddForceDOS) != 0);
  command_.move = Flag((options & AddMove) != 0);
  command_.reserved96 = 0;
  command_.update = Flag(update);
  command_.freshen = Flag((options & AddFreshen) != 0 && !update);
  command_.reserved108 = 0;
  command_.zipTime = Flag((options & AddZipTime) != 0);
  command_.fromDosDate = DosDateTime(settings.addFrom);

  specs_.reserve(settings.fSpecArgs.size());
  for (const std::u16string& item : settings.fSpecArgs) {
    AddSpec(item, command_.encrypt, command_.recurse & 0xFFFF, password);
  }
  command_.specCount = static_cast<int32_t>(specs_.size());
  command_.specs = specs_.empty() ? nullptr : specs_.data();

  command_.archivePath = KeepOrNull(ToUtf8(settings.zipFileName));
  command_.tempDir = KeepOrNull(ToUtf8(settings.tempDir));
  command_.archiveComment = KeepOrNull(comment);
  command_.archiveOnly = (options & AddArchiveOnly) != 0 ? 1 : 0;
  command_.resetArchive = (options & AddResetArchive) != 0 ? 1 : 0;

  for (const std::u16string& item : settings.fSpecArgsExcl) {
    excludes_.push_back(Keep(ToUtf8(item)));
  }
  command_.excludeCount = static_cast<int32_t>(excludes_.size());
  command_.excludes = excludes_.empty() ? nullptr : excludes_.data();

  command_.allowUndo = Flag(settings.howToDelete == TDeleteOpts::htdAllowUndo);
  command_.codePage = settings.codePage == CodePageOpts::cpOEM ? 2 : 0;
  command_.check = ZE_INTERFACE_VERSION;
  command_.rootDir = settings.rootDir.empty() ? nullptr : Keep(FullPath(settings.rootDir));
  command_.endMarker = ZE_END_MARKER;
}

void CommandRecord::AddSpec(const std::u16string& item, int32_t encrypt, int32_t recurse,
                            const std::string& password) {
  ZE_SpecEntry entry{};
  std::u16string text = Trim(item);
  std::string own_password = password;
  if (!text.empty() && text.front() == u'>') {
    recurse = 0xFFFF;
    text.erase(0, 1);
  } else if (!text.empty() && text.front() == u'|') {
    recurse = 0;
    text.erase(0, 1);
  }
  size_t mark = text.find(u'<');
  if (mark != std::u16string::npos) {
    own_password = ToUtf8(text.substr(mark + 1));
    encrypt = own_password.empty() ? 0 : 0xFFFF;
    text.erase(mark);
  }
  entry.spec = KeepOrNull(ToUtf8(Trim(text)));
  entry.password = KeepOrNull(own_password);
  entry.encrypt = encrypt;
  entry.recurse = recurse;
  entry.spare = nullptr;
  specs_.push_back(entry);
}

std::string CommandRecord::StoreList(uint32_t suffixes, const std::u16string& extra) {
  std::string list;
  for (size_t bit = 0; bit < std::size(kSuffixes); ++bit) {
    if (kSuffixes[bit] == nullptr || (suffixes & (1u << bit)) == 0) continue;
    list += ".";
    list += kSuffixes[bit];
    list += ":";
  }
  if ((suffixes & assEXT) != 0) list += NormaliseSuffixes(extra);
  if (!list.empty()) list.pop_back();
  return list;
}

std::string CommandRecord::NormaliseSuffixes(const std::u16string& extra) {
  std::string normalised;
  std::u16string part;
  auto flush = [&]() {
    std::u16string suffix = Trim(part);
    part.clear();
    if (suffix.empty()) return;
    if (suffix.front() != u'.') suffix.insert(suffix.begin(), u'.');
    for (char16_t& c : suffix) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    normalised += ToUtf8(suffix) + ":";
  };
  for (char16_t c : extra) {
    if (c == u',' || c == u';' || c == u':') {
      flush();
    } else {
      part += c;
    }
  }
  flush();
  return normalised;
}

const char* CommandRecord::Keep(const std::string& text) {
  texts_.push_back(text);
  return texts_.back().c_str();
}

const char* CommandRecord::KeepOrNull(const std::string& text) {
  return text.empty() ? nullptr : Keep(text);
}

}  // namespace quireforge
