// The text work of a conversion job: reads the sources, turns every line into an XHTML
// paragraph, splits the paragraphs into pages by a size budget (and, for a single source,
// at every chapter heading and volume line, showing progress and pumping window messages
// between pages), fills the chapter and volume lists, and tells which pages it saved. Blank
// lines are kept, joined or left out as the book's options say. No page is saved without a
// paragraph. Lives within one job's construction. Not copyable; one thread.
#ifndef QUIREFORGE_CONVERSION_PAGESPLITTER_H_
#define QUIREFORGE_CONVERSION_PAGESPLITTER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/BookOptions.h"
#include "conversion/BookOutline.h"
#include "conversion/JobParameters.h"
#include "conversion/PageWriter.h"
#include "conversion/ParagraphFormat.h"
#include "conversion/TextFile.h"
#include "conversion/TextLines.h"

namespace quireforge {

class ChineseConverter;
class LanguageGuess;

class PageSplitter {
 public:
  // A page is split when its budget, grown by 2 * (paragraph length) + 1 per paragraph,
  // exceeds this.
  static constexpr int64_t kPageBudget = 122400;

  // Pages go to `sink` as OEBPS/ch_N.html (XHTML5 for an EPUB 3 book), each line written as
  // `options` say; chapter entries are appended to `chapters`, volume entries to `volumes`,
  // and how each source was decoded to `readings`; all must outlive the splitter.
  // `environment` supplies the code page, the chapter-head and volume tests and the user
  // interface.
  PageSplitter(BookSink& sink, const JobEnvironment& environment, const BookOptions& options,
               std::vector<std::u16string>* chapters, std::vector<VolumeEntry>* volumes,
               std::vector<SourceReading>* readings);

  // Every line placed from now on is also counted into `guess` (null: none), which must
  // outlive the splitting.
  void CountLanguage(LanguageGuess* guess) { language_guess_ = guess; }

  // Every line placed from now on, and every chapter title, is written converted by
  // `converter` (null: as it is), which must outlive the splitting. Headings are found in the
  // lines as read.
  void ConvertScript(const ChineseConverter* converter) { converter_ = converter; }

  PageSplitter(const PageSplitter&) = delete;
  PageSplitter& operator=(const PageSplitter&) = delete;

  // One source: a page per chapter heading (when the options recognise chapters), per volume
  // line (a line that opens a volume is no chapter heading) and per budget. The progress window is
  // shown while the lines are placed and closed again on every path. Raises FileError when the
  // source cannot be read, holds no text or does not fit in memory, and as the sink does when a
  // page cannot be put; pages put before stay in the sink.
  void SplitSingleSource(const std::u16string& source);

  // Several sources, each beginning on a page of its own; when the options recognise chapters
  // each gets one chapter entry, titled by its first line (which is then the chapter's
  // heading) or by its file name without extension. Raises as SplitSingleSource.
  void SplitSources(const std::vector<std::u16string>& sources);

  // The numbers of the saved pages, in reading order.
  const std::vector<int32_t>& pages() const { return pages_.saved_pages(); }

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
  // Places one source line, written as a line of `kind`, unless it is a blank line the
  // options leave out; returns true when it opened a new page. A chapter or volume heading that
  // `opens_entry` opens a page and its chapter or volume entry; otherwise a page is opened only
  // when the budget is exceeded.
  bool PlaceLine(std::u16string_view line, LineKind kind, bool opens_entry);
  // "ch_N.html=" (or "ch_N.xhtml=") for the page under construction, and `title`.
  std::u16string EntryFor(std::u16string_view title) const;
  void AddChapter(std::u16string_view title);

  const JobEnvironment& environment_;
  std::vector<std::u16string>* chapters_;
  std::vector<VolumeEntry>* volumes_;
  std::vector<SourceReading>* readings_;
  LanguageGuess* language_guess_ = nullptr;
  const ChineseConverter* converter_ = nullptr;
  std::u16string converted_;  // the line placed, converted
  const BookOptions& options_;
  const ParagraphFormat paragraphs_;
  PageWriter pages_;
  TextLines lines_;
  std::u16string paragraph_;
  int64_t budget_ = 0;
  bool after_blank_ = false;  // the last line placed was a blank one
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_PAGESPLITTER_H_
