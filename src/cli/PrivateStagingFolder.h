// The command line's own staging folder: a fresh folder made with mkdtemp inside the
// temporary folder (TemporaryFolderPath: TEMP, else TMPDIR, else XDG_RUNTIME_DIR, else
// /tmp), never the window's QuireforgeTmp. The owner deletes it with everything in it when it
// goes out of scope, and the interrupt handler deletes it when the process is stopped by a
// signal. A run killed outright (SIGKILL) can do neither, so every folder is named
// "quireforge-cli-<process id>-XXXXXX" and locked while its run lives: the next run removes
// the folders whose process no longer lives and whose lock nobody holds. Not copyable; one
// thread.
#ifndef QUIREFORGE_CLI_PRIVATESTAGINGFOLDER_H_
#define QUIREFORGE_CLI_PRIVATESTAGINGFOLDER_H_

#include <stdexcept>
#include <string>

#include "base/ScopedFd.h"

namespace quireforge {

// The staging folder could not be made; what() names the folder and the reason.
class StagingFolderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class PrivateStagingFolder {
 public:
  // Removes the folders abandoned by killed runs, then makes the folder (mode 0700), locks
  // it and hands it to the interrupt handler. Raises StagingFolderError, leaving nothing
  // behind, when it cannot be made.
  PrivateStagingFolder();
  // Deletes the folder and everything in it, never following links.
  ~PrivateStagingFolder();

  PrivateStagingFolder(const PrivateStagingFolder&) = delete;
  PrivateStagingFolder& operator=(const PrivateStagingFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  ScopedFd lock_;  // the folder itself, locked while this run lives
};

}  // namespace quireforge

#endif  // QUIREFORGE_CLI_PRIVATESTAGINGFOLDER_H_
