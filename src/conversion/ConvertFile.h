// TConvertFile is one book in the making. Its constructor does the whole text conversion
// into a staging directory named by a fresh identifier (or into the sink its environment
// names); the chapter list may then be edited, and FinishBook makes the target .epub from
// the staged files. Not copyable; one thread.
#ifndef QUIREFORGE_CONVERSION_CONVERTFILE_H_
#define QUIREFORGE_CONVERSION_CONVERTFILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookOutline.h"
#include "conversion/JobParameters.h"
#include "conversion/TextFile.h"

namespace quireforge {

class BookSink;
class StagingFolderSink;
class TArchiver;

class TConvertFile {
 public:
  // Builds the staging tree (or fills the environment's sink): mimetype,
  // META-INF/container.xml, OEBPS/css/main.css, the cover picture (given or drawn) and page, the
  // XHTML pages, the chapter and volume lists and OEBPS/book.opf. With a Chinese conversion, the
  // text, the chapter and volume titles, the title and the author are converted (a conversion
  // whose dictionaries cannot be loaded raises ChineseConversionError before anything is
  // created). A cover that cannot be drawn (no font has the title's characters) leaves the book
  // without one and says so in Notes(). Raises on the first failure (a source that cannot be read
  // or holds no text, a staged file that cannot be written, a sink that cannot take a file);
  // files already written then stay in the staging tree, and the progress window is closed. A
  // cover picture that cannot be read or is no JPEG or PNG raises FileError, and an option value
  // that no word of its option gives (CheckBookOptions) std::invalid_argument, before anything is
  // created. Raises std::invalid_argument, creating nothing, when `environment` lacks its user
  // interface, code page or chapter-head test. Without any source the job stays empty: no
  // identifier, nothing on disk, no chapters.
  TConvertFile(const JobParameters& parameters, const JobEnvironment& environment);
  // Removes the emptied staging directories (never files).
  ~TConvertFile();

  TConvertFile(const TConvertFile&) = delete;
  TConvertFile& operator=(const TConvertFile&) = delete;

  // Chapter list: entries "ch_N.html=" followed by the raw title. An index outside the
  // list raises std::out_of_range ("List index out of bounds (<index>)") and changes nothing.
  // Removing a chapter keeps the volume list in step.
  int32_t ChapterCount() const;
  void DeleteChapter(int32_t index);
  const std::u16string& ChapterEntry(int32_t index) const;
  // The text after the entry's first "=".
  std::u16string ChapterTitle(int32_t index) const;
  // Replaces the title of entry `index`, keeping its page file name.
  void SetChapterTitle(int32_t index, std::u16string_view title);
  // Replaces entry `index` whole (used when entries are moved).
  void SetChapterEntry(int32_t index, std::u16string entry);
  const std::vector<std::u16string>& Chapters() const { return chapters_; }
  // The volumes found beside the chapters (BookOutline gives both in reading order).
  const std::vector<VolumeEntry>& Volumes() const { return volumes_; }

  // How each source was decoded, in the order of the sources (those read before a failure
  // when construction failed part-way; empty for an empty job).
  const std::vector<SourceReading>& SourceReadings() const { return readings_; }

  // What the user should know about the book that is no failure, one sentence each (a cover
  // that could not be drawn).
  const std::vector<std::string>& Notes() const { return notes_; }

  // Writes toc.ncx (for EPUB 3 also nav.xhtml) and the contents page and copies the font into
  // the book, then makes the target through `archiver`: packs the staging tree and removes the
  // emptied staging directory, or completes the archive the environment's sink was fed (opened
  // with this very archiver). Returns true when the book was written: the archiver stored files
  // and nothing was raised. Raises when toc.ncx, nav.xhtml, the contents page or the font cannot
  // be written; the archiver's own failures are shown by it and give false. Does nothing and
  // returns false when there is no book to make (never built, already made, or built into a sink
  // that keeps no page).
  bool FinishBook(TArchiver& archiver);

  // Gives a built book another target, title and author before it is packed: book.opf's
  // title and creator and the cover page's title are rewritten in the staging tree, and
  // FinishBook writes the new names into toc.ncx and packs to the new target. A drawn cover is
  // drawn again with the new names. Raises FileError when a staged file cannot be read or
  // written, or when no font has the new title's characters for the drawn cover; the job then
  // keeps its names (book.opf is written last). The caller checks the names as for a new job. A
  // book built into a sink of the environment keeps its target: raises std::logic_error, changing
  // nothing.
  void Rename(std::u16string target_path, std::u16string title, std::u16string author);
  // The book's options, as checked and kept whole when the job was built.
  const BookOptions& Options() const { return options_; }

  const std::u16string& Identifier() const { return identifier_; }
  const std::u16string& StagingPath() const { return staging_path_; }
  const std::u16string& TargetPath() const { return target_path_; }
  const std::u16string& Title() const { return title_; }
  const std::u16string& Author() const { return author_; }
  int32_t PageCounter() const { return page_counter_; }
  // The book's language tag as written into book.opf and toc.ncx ("auto" already resolved);
  // empty for English: "en" and "en-US".
  const std::u16string& Language() const { return language_; }

 private:
  // Steps 3 to 6 of the construction: fields, folders, fixed documents, pages, book.opf.
  void Build(const JobParameters& parameters, const JobEnvironment& environment);
  size_t Checked(int32_t index) const;

  std::u16string target_path_;
  std::u16string staging_path_;
  // The staging directory, when the job stages its own files; it removes its emptied folders
  // when it goes.
  std::unique_ptr<StagingFolderSink> staging_;
  BookSink* sink_ = nullptr;  // where the files go: staging_, or the environment's sink
  std::u16string title_;
  std::u16string author_;
  BookOptions options_;
  int32_t page_counter_ = 0;
  std::u16string identifier_;
  std::vector<std::u16string> chapters_;
  std::vector<SourceReading> readings_;
  std::vector<VolumeEntry> volumes_;
  std::u16string language_;
  bool has_cover_ = false;    // a cover page is staged
  bool drawn_cover_ = false;  // and its picture was drawn from the names
  std::vector<std::string> notes_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_CONVERTFILE_H_
