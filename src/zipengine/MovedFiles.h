// The last step of a move: deleting the files an add has stored, once the archive is safely in
// place, and the directories below the root that are left empty by it. Runs on the calling
// thread; never throws.
#ifndef QUIREFORGE_ZIPENGINE_MOVEDFILES_H_
#define QUIREFORGE_ZIPENGINE_MOVEDFILES_H_

#include <string>
#include <vector>

#include "zipengine/FileCollector.h"
#include "zipengine/ProgressReporter.h"

namespace quireforge {

// Deletes every file of `entries` (directories aside), then removes, deepest first, each
// directory strictly below `root` that held one of them or was stored as an entry, when it is
// empty now. Keeps the caller alive through `reporter` (a stop changes nothing any more).
// Returns a message for every file that could not be deleted (the file and the system's reason);
// directories that stay are no failure.
std::vector<std::string> RemoveMovedFiles(const std::vector<SourceEntry>& entries,
                                          const std::string& root, ProgressReporter* reporter);

}  // namespace quireforge

#endif  // QUIREFORGE_ZIPENGINE_MOVEDFILES_H_
