// How one source line is written on a page. By default every line is a paragraph "<p>…</p>"
// holding the line whole, escaped for XML. The title heading style writes the line that opens
// a chapter as "<h2>…</h2>" and the line that opens a volume as "<h1>…</h1>", without the
// blanks (base/StringOps.h) at its ends (a centred heading would be pushed off centre by
// them). With a first-line indent the style sheet indents every paragraph, and the blanks at
// the start of the line are left out so that the indent is not doubled;
// a line of nothing else becomes the empty paragraph "<p></p>", as an empty line does. Plain
// value; any thread.
#ifndef QUIREFORGE_CONVERSION_PARAGRAPHFORMAT_H_
#define QUIREFORGE_CONVERSION_PARAGRAPHFORMAT_H_

#include <string>
#include <string_view>

namespace quireforge {

// How the lines that open chapters and volumes are written.
enum class HeadingStyle {
  kPlain,  // as paragraphs, like every other line
  kTitle,  // as headings: <h2> for a chapter, <h1> for a volume
};

// What a source line is in the book.
enum class LineKind {
  kText,
  kChapterHead,  // its text titles a chapter
  kVolumeHead,   // its text titles a volume
};

class ParagraphFormat {
 public:
  // Every line a paragraph, kept whole.
  ParagraphFormat() = default;
  // `indented`: the style sheet indents paragraphs, so their leading blanks go.
  ParagraphFormat(HeadingStyle headings, bool indented)
      : headings_(headings), indented_(indented) {}

  // Replaces `out` with the written form of `line`, which is a line of `kind`.
  void Build(std::u16string_view line, LineKind kind, std::u16string* out) const;

 private:
  HeadingStyle headings_ = HeadingStyle::kPlain;
  bool indented_ = false;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_PARAGRAPHFORMAT_H_
