// Where Quireforge puts what it stages: the temporary folder, by one rule for the window's
// shared staging root and the command line's private staging folders. Reads the environment
// only; any thread that does not change the environment meanwhile.
#ifndef QUIREFORGE_BASE_TEMPORARYFOLDER_H_
#define QUIREFORGE_BASE_TEMPORARYFOLDER_H_

#include <string>

namespace quireforge {

// The temporary folder: TEMP, else TMPDIR, else XDG_RUNTIME_DIR (a folder of this user's
// own, unlike the shared /tmp where any local user could take the name first), else /tmp;
// the first that is set and not empty. Native bytes, as the environment holds them.
std::string TemporaryFolderPath();

}  // namespace quireforge

#endif  // QUIREFORGE_BASE_TEMPORARYFOLDER_H_
