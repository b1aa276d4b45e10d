// A book made straight into its .epub: every file goes from memory into a streamed add of the
// archive component, which compresses it while the next is made, and nothing touches the file
// system until the book is complete, written beside the target and renamed over it. Folders
// are handed over when the book is made, each dated by the last entry made in it, so the book
// has the bytes a staging folder of the same files gives. Dropped (the target untouched) when
// it goes unmade. One thread; not copyable.
#ifndef QUIREFORGE_CONVERSION_ARCHIVESINK_H_
#define QUIREFORGE_CONVERSION_ARCHIVESINK_H_

#include <sys/types.h>

#include <ctime>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "conversion/BookSink.h"

namespace quireforge {

// The archive that a book streams into failed; the archive component has told the user why.
class BookNotWrittenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ArchiveSink : public BookSink {
 public:
  // Streams into a new archive at `target` through `archiver` (both must outlive the sink).
  // With `time`, every entry is dated `time`; else each the moment it is made.
  ArchiveSink(TArchiver& archiver, std::u16string target, std::optional<std::time_t> time = {});
  // A book not made is dropped: nothing reaches the target.
  ~ArchiveSink() override;

  // Opens the stream: the archiver's checks of the target (its folder, that it can be written)
  // and the engine. Returns false when the archiver refused or failed; it reported why.
  bool Open();

  void MakeFolder(std::u16string_view name) override;
  // Raises BookNotWrittenError naming the target when the stream is not open or failed.
  void PutFile(std::u16string_view name, std::string_view bytes) override;
  bool HoldsBook() const override { return holds_book_; }
  // Completes the stream: the archive is written beside the target and renamed over it.
  // `archiver` and `target` must be those the sink was made with (else std::logic_error).
  bool MakeBook(TArchiver& archiver, std::u16string_view target) override;

 private:
  std::time_t Now() const;
  // Dates the folder that holds the entry `name` by `time` when that is later: making an entry
  // changes the time of the folder it is made in.
  void Touch(std::u16string_view name, std::time_t time);

  TArchiver& archiver_;
  const std::u16string target_;
  const std::optional<std::time_t> time_;
  const mode_t umask_;
  bool open_ = false;
  bool holds_book_ = false;
  std::map<std::u16string, std::time_t> folders_;  // each folder made, and its time
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_ARCHIVESINK_H_
