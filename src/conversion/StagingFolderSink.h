// A book staged as files in a folder of its own (a job's staging directory), packed into the
// .epub by one archive request when it is made: every staged file is moved into the archive,
// which replaces the target wholly. When it goes, it removes the folders it made if they are
// empty, never a file. One thread; not copyable.
#ifndef QUIREFORGE_CONVERSION_STAGINGFOLDERSINK_H_
#define QUIREFORGE_CONVERSION_STAGINGFOLDERSINK_H_

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookSink.h"

namespace quireforge {

class StagingFolderSink : public BookSink {
 public:
  // Stages in `folder`, which MakeFolder(u"") makes. With `time`, every file and folder is
  // dated `time` by the time the book is made (for books that must come out the same every
  // time); else they keep the times they were written at.
  explicit StagingFolderSink(std::u16string folder, std::optional<std::time_t> time = {});
  ~StagingFolderSink() override;

  void MakeFolder(std::u16string_view name) override;
  // Writes the file as WriteFileBytes does (a file cut short is removed).
  void PutFile(std::u16string_view name, std::string_view bytes) override;
  // True while OEBPS/book.opf is in the folder: the packing moves it away.
  bool HoldsBook() const override;
  // The archive request: directory names, recursion, move and separate directory entries,
  // Deflate level 9, a new archive that replaces `target` once complete; then the folder is
  // removed if the move left it empty. True when the archiver stored files.
  bool MakeBook(TArchiver& archiver, std::u16string_view target) override;

  const std::u16string& folder() const { return folder_; }

 private:
  std::u16string PathOf(std::u16string_view name) const;

  const std::u16string folder_;
  const std::optional<std::time_t> time_;
  std::vector<std::u16string> made_;  // the folders made, in order
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_STAGINGFOLDERSINK_H_
