// Builds the XHTML pages of one job one at a time and puts each into the book's sink as
// OEBPS/ch_N.html (XHTML 1.1), or OEBPS/ch_N.xhtml (XHTML5, for EPUB 3), in the UTF-8 writer's
// form (mark, UTF-8, CR LF after every line), numbering them 1, 2, 3, ... without gaps, and
// collects each saved page's number for book.opf. A page is built in UTF-8 as its paragraphs
// come; for a sink that keeps no page, only the numbers are kept. Owned by the splitting that
// uses it; reuses its buffers from page to page. Not copyable; one thread.
#ifndef QUIREFORGE_CONVERSION_PAGEWRITER_H_
#define QUIREFORGE_CONVERSION_PAGEWRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

class BookSink;

// The file name of page `number`: "ch_N.html", or "ch_N.xhtml" for XHTML5 pages.
std::u16string PageFileName(int32_t number, bool xhtml5);

class PageWriter {
 public:
  // Pages go to `sink` (which must outlive the writer), as XHTML5 when `xhtml5`; the first
  // page under construction is page 1.
  PageWriter(BookSink& sink, bool xhtml5);

  PageWriter(const PageWriter&) = delete;
  PageWriter& operator=(const PageWriter&) = delete;

  // The number of the page under construction, and its file name.
  int32_t page_number() const { return page_number_; }
  std::u16string page_file_name() const { return PageFileName(page_number_, xhtml5_); }
  bool has_paragraph() const { return has_paragraph_; }

  // Begins the page under construction afresh: the page template, no paragraph.
  void StartPage();
  // Appends one paragraph line (as ParagraphFormat builds it).
  void AppendParagraph(std::u16string_view paragraph);
  // Closes the page, puts it into the sink and records its number. Raises as the sink does;
  // nothing is recorded then.
  void SavePage();
  // Moves on to the next page number.
  void NextPage() { ++page_number_; }

  // The numbers of the saved pages, rising.
  const std::vector<int32_t>& saved_pages() const { return saved_pages_; }

 private:
  // Makes room for `room` more bytes after the page's current length.
  void Reserve(size_t room);
  void Append(std::string_view bytes);

  BookSink& sink_;
  const bool keeps_pages_;
  bool xhtml5_ = false;
  int32_t page_number_ = 1;
  bool has_paragraph_ = false;
  std::string page_;  // the page so far in its first length_ bytes; the rest is room
  size_t length_ = 0;
  std::vector<int32_t> saved_pages_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_PAGEWRITER_H_
