// A book as a front end asks for it: its sources, the names the user gave (or none, to be
// derived from the first source by the one set of naming rules), and its options. PlanBook
// checks it once and gives the job's parameters; MakeJob builds the job with the chapter and
// volume rules its options choose. Both front ends go through here. One thread.
#ifndef QUIREFORGE_CONVERSION_BOOKREQUEST_H_
#define QUIREFORGE_CONVERSION_BOOKREQUEST_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/BookNames.h"
#include "conversion/BookOptions.h"
#include "conversion/JobParameters.h"

namespace quireforge {

class BookSink;
class CodePageChoice;
class TConvertFile;
class UserInterface;

struct BookRequest {
  // As given, in the book's order; relative paths are taken from the current folder. Paths
  // need not be UTF-8 (FromUtf8Escaped).
  std::vector<std::u16string> sources;
  std::u16string target;  // empty: the first source with ".epub" for extension
  // Unset: from the first source's file name, or from its text's first lines where the file
  // name names no author (TextNames.h; not for the classic book).
  std::optional<std::u16string> title;
  std::optional<std::u16string> author;
  BookOptions options;
};

// The parameters of the requested book: every path absolute, the names derived where none was
// given, EPUB 3 for a vertical book. Raises BookNameError, naming the file and the fault, when a
// path is empty or cannot be resolved, when the target is refused (CheckedTargetPath), or when
// the title would be empty once written; raises FileError when the font is a file that is no
// font (CheckFontFile).
JobParameters PlanBook(const BookRequest& request, const CodePageChoice& code_pages);

// `target` made absolute against the current folder, once it is known not to overwrite what
// the book is made from. Raises BookNameError naming the target when it is empty or cannot be
// resolved, or names one of `sources` (relative ones count from the current folder), the font
// or the cover picture of `options`. The one check of a book's target: PlanBook and the
// window's row Edit both go through it.
std::u16string CheckedTargetPath(std::u16string_view target,
                                 const std::vector<std::u16string>& sources,
                                 const BookOptions& options);

// The title and author a source's file name gives: the file name rule (TitleAndAuthorFromFileName)
// on the name read as text. A name in UTF-8 is taken as it is; any other is read in the code
// page of the source's text (named, or found from it as `code_pages` chooses), else in
// GB18030, else with each byte that is no UTF-8 shown as "\xHH". A name always gives a title.
TitleAndAuthor NamesFromSource(std::u16string_view source, const CodePageChoice& code_pages);

// The title and author of a book made from `source` with `options`: NamesFromSource's, and,
// where the file name names no author, the title and author the text's first lines name
// (NamesFromTextLines) in their place, unless the options make the classic book.
TitleAndAuthor BookNamesOf(std::u16string_view source, const CodePageChoice& code_pages,
                           const BookOptions& options);

// Where a job is made and whom it tells; all must outlive the call (and `sink` the job).
struct JobSurroundings {
  std::u16string staging_root;  // the job stages in a folder of its own here, unless...
  UserInterface* ui = nullptr;
  const CodePageChoice* code_pages = nullptr;
  BookSink* sink = nullptr;  // ...its files go here: an ArchiveSink, or a ListingSink
};

// Builds the job of `book`: chapters by the heading finder, the classic rule or the own
// expression, volumes as the options say. Raises as TConvertFile does; an own expression that
// takes too much work on a line raises std::runtime_error naming the expression and the source.
std::unique_ptr<TConvertFile> MakeJob(const JobParameters& book, const JobSurroundings& where);

// The number of chapter headings the chapter rule of `options` finds in `source` (a single
// source read as a job reads it); raises as reading the source does, and an own expression's
// failure on a line as the engine does.
size_t CountHeadings(const std::u16string& source, const BookOptions& options,
                     const CodePageChoice& code_pages);

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_BOOKREQUEST_H_
