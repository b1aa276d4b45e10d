#include "cli/PrivateStagingFolder.h"

#include <errno.h>
#include <stdlib.h>

#include <filesystem>
#include <system_error>

#include "cli/InterruptHandling.h"
#include "conversion/FileErrors.h"
#include "conversion/RemoveTree.h"
#include "conversion/StagingRoot.h"
#include "conversion/Utf.h"

namespace quireforge {

PrivateStagingFolder::PrivateStagingFolder() {
  const std::string temporary = TemporaryFolder();
  std::string pattern = temporary;
  if (pattern.back() != '/') pattern += '/';
  pattern += "quireforge-cli-XXXXXX";
  // A signal between making the folder and handing it to the handler would leave it behind.
  BlockInterrupts(true);
  if (mkdtemp(pattern.data()) == nullptr) {
    const int error = errno;
    BlockInterrupts(false);
    throw StagingFolderError("Cannot create a staging folder in \"" + temporary + "\". " +
                             SystemErrorText(error));
  }
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(pattern, error);
  path_ = error ? pattern : absolute.string();
  SetInterruptCleanupFolder(path_);
  BlockInterrupts(false);
}

PrivateStagingFolder::~PrivateStagingFolder() {
  RemoveTree(FromUtf8(path_));
  SetInterruptCleanupFolder(std::string());
}

std::string PrivateStagingFolder::TemporaryFolder() { return TemporaryFolderPath(); }

}  // namespace quireforge
