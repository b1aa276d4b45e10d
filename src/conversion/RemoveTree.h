// Deletes a folder with everything in it, never following symbolic links: a link inside
// the tree is deleted itself, its target is left alone, and a link given as the folder is
// deleted itself. What cannot be deleted stays, silently. Used for the staging root at the
// end of a session. Free function; any thread.
#ifndef QUIREFORGE_CONVERSION_REMOVETREE_H_
#define QUIREFORGE_CONVERSION_REMOVETREE_H_

#include <string_view>

namespace quireforge {

// Deletes `directory` and everything below it; a regular file given as `directory` is
// left alone.
void RemoveTree(std::u16string_view directory);

// Deletes everything in the folder open as the descriptor `folder` (which stays open), never
// following links, and leaves the folder itself.
void RemoveTreeContents(int folder);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_REMOVETREE_H_
