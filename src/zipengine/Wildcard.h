// Wildcard patterns of file specs: "*" matches any run of characters, "?" exactly one character
// (a whole UTF-8 sequence), everything else itself, with exact letter case. Pure functions.
#ifndef QUIREFORGE_ZIPENGINE_WILDCARD_H_
#define QUIREFORGE_ZIPENGINE_WILDCARD_H_

#include <string_view>

namespace quireforge {

// True when `pattern` matches all of `text`.
bool MatchesWildcard(std::string_view pattern, std::string_view text);

// True when the file-spec pattern matches the file name `name`. As on the system the specs come
// from, a pattern ending in ".*" also matches names without a dot, so "*.*" matches every name
// ("mimetype" included) and "ch_*.*" matches "ch_1" as well as "ch_1.html".
bool MatchesFileSpec(std::string_view pattern, std::string_view name);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_WILDCARD_H_
