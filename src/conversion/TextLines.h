// A line list: the decoded text of one file cut at its line breaks. The text ends at its
// first NUL; CR LF, a lone LF and a lone CR each end one line; a break at the very end adds
// no empty line. Lines never hold CR, LF or NUL. Holds the text once and the lines as
// views into it, so a large file costs no allocation per line. A plain value; one thread.
#ifndef QUIREFORGE_CONVERSION_TEXTLINES_H_
#define QUIREFORGE_CONVERSION_TEXTLINES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quireforge {

class TextLines {
 public:
  TextLines() = default;
  // Takes `text` and cuts it into lines.
  explicit TextLines(std::u16string text);

  size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }
  // Line `index` (< size()); valid while this object lives and is not assigned to.
  std::u16string_view operator[](size_t index) const {
    return std::u16string_view(text_.data() + spans_[index].begin, spans_[index].length);
  }

  // The lines as separate strings (for callers that keep or edit them).
  std::vector<std::u16string> ToVector() const;

 private:
  struct Span {
    size_t begin;
    size_t length;
  };

  std::u16string text_;
  std::vector<Span> spans_;
};

}  // namespace quireforge

#endif  // QUIREFORGE_CONVERSION_TEXTLINES_H_
