// The sink of a book whose chapter list is only looked at, not made (the command line's
// --list-chapters, or a list the user reviews before the book is made): it keeps no file, so
// that no page is even built, and the job's chapter and volume lists, page numbers and source
// readings come out as for a book that is made. One thread; not copyable.
#ifndef QUIREFORGE_CONVERSION_LISTINGSINK_H_
#define QUIREFORGE_CONVERSION_LISTINGSINK_H_

#include "conversion/BookSink.h"

namespace quireforge {

class ListingSink : public BookSink {
 public:
  void MakeFolder(std::u16string_view) override {}
  void PutFile(std::u16string_view, std::string_view) override {}
  bool KeepsPages() const override { return false; }
  bool HoldsBook() const override { return false; }
  // There is no book to make: returns false, writing nothing.
  bool MakeBook(TArchiver&, std::u16string_view) override { return false; }
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_LISTINGSINK_H_
