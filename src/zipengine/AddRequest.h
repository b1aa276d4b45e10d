// What one ZE_ZipExec call asks for, checked and copied out of the caller's command record so
// that the rest of the engine never reads the record again. Plain value; any thread may read it.
#ifndef QUIREFORGE_ZIPENGINE_ADDREQUEST_H_
#define QUIREFORGE_ZIPENGINE_ADDREQUEST_H_

#include <optional>
#include <string>
#include <vector>

#include "zipengine/ZipEngineApi.h"

namespace quireforge {

struct FileSpec {
  std::string pattern;  // as given, e.g. "*.*" or "OEBPS/*.html"
  bool recurse = false;
};

struct AddRequest {
  std::string archive_path;
  std::string root_dir;  // absolute, without a trailing "/" (except for "/" itself)
  std::vector<FileSpec> specs;
  std::vector<std::string> excludes;
  std::vector<std::string> store_suffixes;  // lower case, e.g. ".gif"
  std::optional<std::string> archive_comment;
  int level = 9;  // Deflate level 0-9; 0 stores everything
  bool hidden_files = false;
  bool separate_dirs = true;  // directories get entries of their own
  bool dir_names = true;      // entry names keep their directory part
  bool move = false;
  bool new_archive = false;

  // True when `name` ends in one of the store suffixes, in any letter case.
  bool InStoreList(const std::string& name) const;
};

// True when the record carries the version, check value and end marker of this interface, so
// that its layout can be trusted (the callback included).
bool HasValidMarkers(const ZE_ZipCommand& command);

// Copies and checks a record whose markers are valid. Throws EngineError: ZE_ERR_STRUCTURE for
// impossible counts, missing texts or a level outside 0-9; kEngineUnsupported for requests this
// engine does not carry out (encryption, update and freshen, date filters, memory streams).
AddRequest ReadAddRequest(const ZE_ZipCommand& command);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_ADDREQUEST_H_
