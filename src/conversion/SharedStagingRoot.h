// SharedStagingRoot is one window's hold on the staging root, which several windows of the
// same user may use at once. While it lives the root exists and carries a shared lock
// (flock on the folder itself) that tells other windows their jobs are not alone in it.
// Close removes the job folders this window made and, only when no other window holds the
// root, the root with whatever it holds. Owned by a window; one thread; not copyable.
// Nothing here raises after construction: what cannot be removed stays, silently.
#ifndef QUIREFORGE_CONVERSION_SHAREDSTAGINGROOT_H_
#define QUIREFORGE_CONVERSION_SHAREDSTAGINGROOT_H_

#include <string>
#include <vector>

#include "base/ScopedFd.h"

namespace quireforge {

class SharedStagingRoot {
 public:
  // Creates `root` as CreateStagingRoot does, raising StagingRootError (and holding
  // nothing) when it must not be used, and takes the shared lock. When no other window holds
  // the root, whatever it holds was left by windows that are gone (a killed one keeps no
  // lock) and is removed first. A root that cannot be created or locked is not reported:
  // jobs then fail when they write, and Close removes only this window's job folders and
  // the root when it is empty.
  explicit SharedStagingRoot(std::u16string root);
  // Releases the lock; removes nothing.
  ~SharedStagingRoot();

  SharedStagingRoot(const SharedStagingRoot&) = delete;
  SharedStagingRoot& operator=(const SharedStagingRoot&) = delete;

  const std::u16string& Path() const { return root_; }
  // Whether this window holds the shared lock.
  bool Locked() const { return lock_.valid(); }

  // Removes each of `job_folders` with everything in it (never following links). Then,
  // when no other window holds the root, removes the root with everything in it (also what
  // an earlier session left behind); otherwise the root stays for the others. Releases
  // the lock; a second Close does nothing.
  void Close(const std::vector<std::u16string>& job_folders);

 private:
  // Opens the root and takes the shared lock; false when it cannot.
  bool Lock();

  std::u16string root_;
  ScopedFd lock_;  // the root itself, holding the shared lock
  bool closed_ = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_SHAREDSTAGINGROOT_H_
