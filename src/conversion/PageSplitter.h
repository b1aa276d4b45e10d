// The text work of a conversion job: reads the sources, turns every line into an XHTML
// paragraph, splits the paragraphs into pages by a size budget (and, for a single source,
// at every chapter heading and volume line, showing progress and pumping window messages
// between pages), fills the chapter and volume lists, and finally saves OEBPS/book.opf. No
// page is saved without a paragraph. Lives within one job's construction. Not copyable; one
// thread.
#ifndef QUIREFORGE_CONVERSION_PAGESPLITTER_H_
#define QUIREFORGE_CONVERSION_PAGESPLITTER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookOutline.h"
#include "conversion/JobParameters.h"
#include "conversion/PageWriter.h"
#include "conversion/ParagraphFormat.h"
#include "conversion/TextFile.h"
#include "conversion/TextLines.h"

namespace quireforge {

class LanguageGuess;

class PageSplitter {
 public:
  // A page is split when its budget, grown by 2 * (paragraph length) + 1 per paragraph,
  // exceeds this.
  static constexpr int64_t kPageBudget = 122400;

  // Pages go to `staging_path`/OEBPS (as XHTML5 when `xhtml5`), each line written as
  // `paragraphs` says; chapter entries are appended to `chapters`, volume entries to
  // `volumes`, and how each source was decoded to `readings`; all must outlive the splitter.
  // `environment` supplies the code page, the chapter-head and volume tests and the user
  // interface.
  PageSplitter(const std::u16string& staging_path, const JobEnvironment& environment,
               const ParagraphFormat& paragraphs, bool xhtml5,
               std::vector<std::u16string>* chapters, std::vector<VolumeEntry>* volumes,
               std::vector<SourceReading>* readings);

  // Every line placed from now on is also counted into `guess` (null: none), which must
  // outlive the splitting.
  void CountLanguage(LanguageGuess* guess) { language_guess_ = guess; }

  PageSplitter(const PageSplitter&) = delete;
  PageSplitter& operator=(const PageSplitter&) = delete;

  // One source: a page per chapter heading (when `detect_chapters`), per volume line (when
  // the environment has a volume test; a line that opens a volume is no chapter heading) and
  // per budget. The progress window is shown while the lines are placed and closed again on
  // every path.
  // Raises FileError when the source cannot be read, holds no text or does not fit in
  // memory, or a page cannot be written; pages saved before stay on disk.
  void SplitSingleSource(const std::u16string& source, bool detect_chapters);

  // Several sources, each beginning on a page of its own; with `detect_chapters` each gets
  // one chapter entry, titled by its first line (which is then the chapter's heading) or,
  // with `file_name_as_chapter`, by its file name without extension. Raises as
  // SplitSingleSource.
  void SplitSources(const std::vector<std::u16string>& sources, bool detect_chapters,
                    bool file_name_as_chapter);

  // Saves book.opf: `head`, the manifest lines, "</manifest>", `<spine toc="ncx">`,
  // `spine_head`, the pages' spine lines, "</spine>", `guide`, "</package>". Raises FileError
  // when it cannot be written.
  void SavePackage(const std::vector<std::u16string>& head,
                   const std::vector<std::u16string>& spine_head,
                   const std::vector<std::u16string>& guide);

  // The number of the page under construction (one past the last saved page after
  // SplitSources).
  int32_t page_counter() const { return pages_.page_number(); }

 private:
  // Reads `source` and returns the index of its first line that is not blank; raises when
  // there is none.
  size_t LoadSource(const std::u16string& source);
  // Runs `work` on `source`; running out of memory there becomes a FileError naming the
  // source, once the source's text is released.
  void WithSource(const std::u16string& source, const std::function<void()>& work);
  // Places one source line, written as a line of `kind`; returns true when it opened a new
  // page. A chapter or volume heading that `opens_entry` opens a page and its chapter or
  // volume entry; otherwise a page is opened only when the budget is exceeded.
  bool PlaceLine(std::u16string_view line, LineKind kind, bool opens_entry);
  // "ch_N.html=" (or "ch_N.xhtml=") for the page under construction, and `title`.
  std::u16string EntryFor(std::u16string_view title) const;
  void AddChapter(std::u16string_view title);

  const std::u16string staging_path_;
  const JobEnvironment& environment_;
  std::vector<std::u16string>* chapters_;
  std::vector<VolumeEntry>* volumes_;
  std::vector<SourceReading>* readings_;
  LanguageGuess* language_guess_ = nullptr;
  const ParagraphFormat paragraphs_;
  PageWriter pages_;
  TextLines lines_;
  std::u16string paragraph_;
  int64_t budget_ = 0;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_PAGESPLITTER_H_
