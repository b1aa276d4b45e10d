// Where jobs stage their books: the folder QuireforgeTmp inside the temporary folder (TEMP,
// else TMPDIR, else the per-user XDG_RUNTIME_DIR, else /tmp, where the name carries the
// user's id: QuireforgeTmp-1000), one staging directory per job
// inside it. The window creates it before the first job and holds it (SharedStagingRoot)
// until it closes. Free functions; one thread.
#ifndef QUIREFORGE_CONVERSION_STAGINGROOT_H_
#define QUIREFORGE_CONVERSION_STAGINGROOT_H_

#include <stdexcept>
#include <string>
#include <string_view>

namespace quireforge {

// A staging root that must not be used.
class StagingRootError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// TemporaryFolderPath() (base/TemporaryFolder.h) plus "/QuireforgeTmp", and "-" and the
// user's id when every user may write into that folder (as into /tmp).
std::u16string StagingRootPath();

// Creates `root` with mode 0700 when it does not exist; an existing folder of ours is used
// as it is. Raises StagingRootError, creating nothing, when `root` is a symbolic link
// ("Staging folder "<root>" is a symbolic link."), belongs to another user ("... belongs
// to another user.") or is not a folder ("... is not a folder."). A root that cannot be
// created is not reported here: the first job's first file then fails to be written.
void CreateStagingRoot(std::u16string_view root);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_STAGINGROOT_H_
