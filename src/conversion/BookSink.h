// Where the files of a book in the making go, and how they become the .epub: a staging folder
// on disk that is packed at the end (the window, whose chapter editor works on a built book),
// an archive fed from memory while the pages are made (the command line), or nowhere (a chapter
// list that is only looked at). Every file of a book enters it through this interface, so the
// same book comes out whichever sink takes it. One thread; owned by whoever made it.
#ifndef QUIREFORGE_CONVERSION_BOOKSINK_H_
#define QUIREFORGE_CONVERSION_BOOKSINK_H_

#include <string>
#include <string_view>

namespace quireforge {

class TArchiver;

class BookSink {
 public:
  BookSink() = default;
  BookSink(const BookSink&) = delete;
  BookSink& operator=(const BookSink&) = delete;
  virtual ~BookSink() = default;

  // Makes the folder `name` of the book ("OEBPS", "OEBPS/css", "META-INF": relative to the
  // book's root, "/" between the parts; empty for the root itself), its parent first. Never
  // raises: a folder that could not be made shows up as the failure of the first file put
  // into it.
  virtual void MakeFolder(std::u16string_view name) = 0;

  // Puts the file `name` (as MakeFolder names folders) holding exactly `bytes`, replacing one
  // put before under that name. Raises FileError naming the file when it cannot be kept; a
  // sink whose book can no longer be made raises as it says.
  virtual void PutFile(std::u16string_view name, std::string_view bytes) = 0;

  // False when the sink keeps no page, so that pages need not be made at all: their numbers
  // and the chapter list come out as they would with pages.
  virtual bool KeepsPages() const { return true; }

  // True while the sink holds a book that MakeBook can make: its package document was put
  // and the book was not made yet.
  virtual bool HoldsBook() const = 0;

  // Makes the .epub at `target` from everything put, through `archiver`, which reports its
  // own failures. Returns true when the book was written. Raises std::logic_error when the sink
  // cannot make a book there (a streamed book goes only to the target and through the archiver
  // it was opened with).
  virtual bool MakeBook(TArchiver& archiver, std::u16string_view target) = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKSINK_H_
